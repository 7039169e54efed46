#include "tools/sim/CommandParser.h"

#include "framing/RtcmFrame.h"
#include "tools/sim/NmeaText.h"

namespace {

int HexValue(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

void CommandParser::Reset() {
    FState = State::Idle;
    FBytes.clear();
    FDigits.clear();
    FUbxLength = 0;
}

bool CommandParser::Feed(uint8_t byte, ReceivedCommand& command) {
    switch (FState) {
        case State::Idle:
            if (byte == UbxSync1) {
                FBytes.assign(1, static_cast<char>(byte));
                FState = State::UbxSync;
            } else if (byte == '$') {
                FBytes.clear();
                FState = State::Text;
            } else if (byte == framing::RtcmPreamble) {
                FBytes.assign(1, static_cast<char>(byte));
                FState = State::Rtcm;
            }
            return false;  // anything else between commands (CR LF after a frame) is skipped
        case State::UbxSync:
        case State::UbxHeader:
        case State::UbxRest:
            return FeedUbx(byte, command);
        case State::Text:
            return FeedText(byte, command);
        case State::Rtcm:
            return FeedRtcm(byte, command);
        case State::TextDigits:
        case State::TextCr:
        case State::TextLf:
            return FeedTextEnd(byte, command);
    }
    return false;
}

bool CommandParser::FeedUbx(uint8_t byte, ReceivedCommand& command) {
    if (FState == State::UbxSync) {
        if (byte != UbxSync2) {
            Reset();
            return Feed(byte, command);
        }
        FBytes += static_cast<char>(byte);
        FState = State::UbxHeader;
        return false;
    }
    FBytes += static_cast<char>(byte);
    if (FState == State::UbxHeader) {
        if (FBytes.size() < UbxHeaderSize) return false;
        FUbxLength = static_cast<uint8_t>(FBytes[4]) | (static_cast<uint8_t>(FBytes[5]) << 8);
        if (FUbxLength > MaxUbxPayload) {
            Reset();
            return false;
        }
        FState = State::UbxRest;
        return false;
    }
    if (FBytes.size() < FUbxLength + UbxOverhead) return false;
    command = ReceivedCommand{};
    const bool sound = ParseUbxFrame(FBytes, command.Message);
    command.Type = sound ? ReceivedCommand::Ubx : ReceivedCommand::UbxBadChecksum;
    if (!sound) {
        command.Message.Class = static_cast<uint8_t>(FBytes[2]);
        command.Message.Id = static_cast<uint8_t>(FBytes[3]);
    }
    Reset();
    return true;
}

bool CommandParser::FeedRtcm(uint8_t byte, ReceivedCommand& command) {
    if (FBytes.size() == 1 && !framing::RtcmSecondByte(byte)) {
        Reset();
        return Feed(byte, command);
    }
    FBytes += static_cast<char>(byte);
    if (FBytes.size() < framing::RtcmHeaderSize) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(FBytes.data());
    const size_t payload = static_cast<size_t>((bytes[1] & 0x03) << 8 | bytes[2]);
    const size_t whole = framing::RtcmHeaderSize + payload + framing::RtcmCrcSize;
    if (FBytes.size() < whole) return false;
    const size_t covered = whole - framing::RtcmCrcSize;
    const uint32_t sent =
        static_cast<uint32_t>(bytes[covered] << 16 | bytes[covered + 1] << 8 | bytes[covered + 2]);
    command = ReceivedCommand{};
    command.Type = framing::Crc24q(bytes, covered) == sent ? ReceivedCommand::Rtcm
                                                           : ReceivedCommand::RtcmBadCrc;
    if (payload >= 2) command.RtcmNumber = static_cast<uint16_t>(bytes[3] << 4 | bytes[4] >> 4);
    Reset();
    return true;
}

bool CommandParser::FeedText(uint8_t byte, ReceivedCommand& command) {
    if (byte == '*') {
        FState = State::TextDigits;
        return false;
    }
    if (byte == '\r' || byte == '\n') return CompleteText(command, ReceivedCommand::TextIncomplete);
    if (byte == '$') return EndIncomplete(byte, command);
    if (FBytes.size() >= MaxTextLength) {
        Reset();
        return false;
    }
    FBytes += static_cast<char>(byte);
    return false;
}

bool CommandParser::FeedTextEnd(uint8_t byte, ReceivedCommand& command) {
    switch (FState) {
        case State::TextDigits:
            if (HexValue(byte) < 0) break;
            FDigits += static_cast<char>(byte);
            if (FDigits.size() == 2) FState = State::TextCr;
            return false;
        case State::TextCr:
            if (byte != '\r') break;
            FState = State::TextLf;
            return false;
        case State::TextLf: {
            if (byte != '\n') break;
            const int sent = HexValue(FDigits[0]) * 16 + HexValue(FDigits[1]);
            return CompleteText(command, sent == NmeaChecksum(FBytes)
                                             ? ReceivedCommand::Text
                                             : ReceivedCommand::TextBadChecksum);
        }
        default:
            break;
    }
    return EndIncomplete(byte, command);
}

bool CommandParser::EndIncomplete(uint8_t byte, ReceivedCommand& command) {
    CompleteText(command, ReceivedCommand::TextIncomplete);
    ReceivedCommand unused;
    Feed(byte, unused);  // from Idle a byte can only start a command
    return true;
}

bool CommandParser::CompleteText(ReceivedCommand& command, ReceivedCommand::Kind kind) {
    command = ReceivedCommand{};
    command.Body = FBytes;
    command.Type = kind;
    Reset();
    return true;
}

bool CommandParser::Flush(ReceivedCommand& command) {
    const bool text = FState == State::Text || FState == State::TextDigits ||
                      FState == State::TextCr || FState == State::TextLf;
    if (text) return CompleteText(command, ReceivedCommand::TextIncomplete);
    Reset();
    return false;
}

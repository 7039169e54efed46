#include "tools/sim/CommandParser.h"

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
            }
            return false;  // anything else between commands (CR LF after a frame) is skipped
        case State::UbxSync:
        case State::UbxHeader:
        case State::UbxRest:
            return FeedUbx(byte, command);
        case State::Text:
        case State::TextDigits:
            return FeedText(byte, command);
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

bool CommandParser::FeedText(uint8_t byte, ReceivedCommand& command) {
    if (FState == State::TextDigits) {
        if (HexValue(byte) >= 0 && FDigits.size() < 2) {
            FDigits += static_cast<char>(byte);
            if (FDigits.size() < 2) return false;
            return CompleteText(command, true);
        }
        // No (more) digits: the command ended at its '*'. The byte starts what follows.
        const bool done = CompleteText(command, false);
        ReceivedCommand unused;
        Feed(byte, unused);  // from Idle a byte can only start a command
        return done;
    }
    if (byte == '*') {
        FState = State::TextDigits;
        return false;
    }
    if (byte == '\r' || byte == '\n') return CompleteText(command, false);
    if (byte == '$') {  // a new command before the end of this one: start over
        FBytes.clear();
        return false;
    }
    if (FBytes.size() >= MaxTextLength) {
        Reset();
        return false;
    }
    FBytes += static_cast<char>(byte);
    return false;
}

bool CommandParser::CompleteText(ReceivedCommand& command, bool digitsPresent) {
    command = ReceivedCommand{};
    command.Body = FBytes;
    command.Type = ReceivedCommand::Text;
    if (digitsPresent) {
        const int sent = HexValue(FDigits[0]) * 16 + HexValue(FDigits[1]);
        command.HasChecksum = true;
        if (sent != NmeaChecksum(FBytes)) command.Type = ReceivedCommand::TextBadChecksum;
    }
    Reset();
    return true;
}

bool CommandParser::Flush(ReceivedCommand& command) {
    if (FState == State::TextDigits && FDigits.empty()) return CompleteText(command, false);
    if (FState == State::Text && !FBytes.empty()) return CompleteText(command, false);
    Reset();
    return false;
}

#include "tools/sim/ReceiverControl.h"

#include <cstdio>
#include <cstdlib>

#include "tools/sim/EpochUbx.h"

namespace {

constexpr uint16_t WarmStartMask = 0x0001;
constexpr size_t CfgRstLength = 4;
constexpr size_t CfgMsgPollLength = 2;
constexpr size_t CfgMsgCurrentPortLength = 3;
constexpr size_t CfgMsgTargetsLength = 8;
constexpr size_t CfgRateLength = 6;
constexpr unsigned MaxSirfRate = 255;
constexpr size_t Psrf104Fields = 9;  // name and eight values
constexpr size_t Psrf103Fields = 5;

// UBX NMEA message ids (class F0) of the sentences this receiver emits.
constexpr int NoKind = -1;
int KindOfUbxId(uint8_t id) {
    switch (id) {
        case 0x00:
            return static_cast<int>(SentenceKind::GGA);
        case 0x01:
            return static_cast<int>(SentenceKind::GLL);
        case 0x02:
            return static_cast<int>(SentenceKind::GSA);
        case 0x03:
            return static_cast<int>(SentenceKind::GSV);
        case 0x04:
            return static_cast<int>(SentenceKind::RMC);
        case 0x05:
            return static_cast<int>(SentenceKind::VTG);
        case 0x08:
            return static_cast<int>(SentenceKind::ZDA);
        default:
            return NoKind;
    }
}

// SiRF message numbers of $PSRF103 (6 is MSS, which this receiver lacks).
int KindOfSirfMessage(unsigned long msg) {
    switch (msg) {
        case 0:
            return static_cast<int>(SentenceKind::GGA);
        case 1:
            return static_cast<int>(SentenceKind::GLL);
        case 2:
            return static_cast<int>(SentenceKind::GSA);
        case 3:
            return static_cast<int>(SentenceKind::GSV);
        case 4:
            return static_cast<int>(SentenceKind::RMC);
        case 5:
            return static_cast<int>(SentenceKind::VTG);
        case 8:
            return static_cast<int>(SentenceKind::ZDA);
        default:
            return NoKind;
    }
}

std::vector<std::string> SplitFields(const std::string& body) {
    std::vector<std::string> fields(1);
    for (char c : body) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// A whole non-negative decimal number; false for anything else.
bool ParseUnsigned(const std::string& text, unsigned long& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return true;
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

ControlOutcome Answer(bool ack, const UbxMessage& m, std::string log) {
    ControlOutcome out;
    out.Replies.push_back(BuildUbxAck(ack, m.Class, m.Id));
    out.Acked = ack;
    out.Naked = !ack;
    out.Log = std::move(log) + (ack ? " -> ACK-ACK" : " -> ACK-NAK");
    return out;
}

}  // namespace

ControlOutcome ReceiverControl::Apply(const ReceivedCommand& command) {
    switch (command.Type) {
        case ReceivedCommand::Ubx:
            return ApplyUbx(command.Message);
        case ReceivedCommand::UbxBadChecksum: {
            ControlOutcome out;
            out.Log = "UBX " + Hex(command.Message.Class, 2) + " " + Hex(command.Message.Id, 2) +
                      " with a bad checksum: ignored";
            return out;
        }
        case ReceivedCommand::Text:
            return ApplyText(command.Body);
        case ReceivedCommand::TextBadChecksum: {
            ControlOutcome out;
            out.Log = "$" + command.Body + " with a bad checksum: ignored";
            return out;
        }
        case ReceivedCommand::TextIncomplete: {
            ControlOutcome out;
            out.Log = "$" + command.Body + " without its checksum and CR LF: ignored";
            return out;
        }
        case ReceivedCommand::Rtcm:  // corrections are the simulator's (RtkModel.h)
        case ReceivedCommand::RtcmBadCrc:
            break;
    }
    return {};
}

void ReceiverControl::SetGeneration(int generation, unsigned long baud) {
    FGeneration = generation;
    FKeys = generation >= 9 ? std::make_unique<KeyControl>(baud, FZda) : nullptr;
}

ControlOutcome ReceiverControl::ApplyUbx(const UbxMessage& m) {
    if (FRefused != 0 && FRefused == ((m.Class << 8) | m.Id))
        return Answer(false, m, "UBX " + Hex(m.Class, 2) + " " + Hex(m.Id, 2) + " (refused)");
    if (FKeys && KeyControl::Handles(m)) {
        KeyOutcome k = FKeys->Apply(m, FSchedule, FPeriodMs);
        ControlOutcome out;
        out.Replies = std::move(k.Replies);
        out.Log = std::move(k.Log);
        out.Acked = k.Acked;
        out.Naked = !k.Acked;
        out.NewBaud = k.NewBaud;
        return out;
    }
    if (FGeneration >= 10 && m.Class == UbxClassCfg && (m.Id == UbxCfgMsg || m.Id == UbxCfgRate))
        return Answer(false, m, "UBX CFG " + Hex(m.Id, 2) + " (configured by keys only)");
    if (m.Class == UbxClassCfg) {
        switch (m.Id) {
            case UbxCfgRst:
                return CfgRst(m);
            case UbxCfgMsg:
                return CfgMsg(m);
            case UbxCfgRate:
                return CfgRate(m);
            default:
                return Answer(false, m, "UBX CFG " + Hex(m.Id, 2) + " (not supported)");
        }
    }
    if (m.Class == UbxClassMon && m.Id == UbxMonVer && m.Payload.empty()) {
        ControlOutcome out;
        out.Replies.push_back(ComposeMonVer(FGeneration));
        out.Log = "UBX MON-VER poll -> MON-VER";
        return out;
    }
    ControlOutcome out;
    out.Log = "UBX " + Hex(m.Class, 2) + " " + Hex(m.Id, 2) + " length " +
              std::to_string(m.Payload.size()) + ": ignored";
    return out;
}

ControlOutcome ReceiverControl::CfgRst(const UbxMessage& m) {
    if (m.Payload.size() != CfgRstLength) return Answer(false, m, "UBX CFG-RST of bad length");
    const uint16_t mask = ReadU16(m.Payload, 0);
    const StartKind kind = mask == 0               ? StartKind::Hot
                           : mask == WarmStartMask ? StartKind::Warm
                                                   : StartKind::Cold;
    ControlOutcome out = Answer(true, m,
                                "UBX CFG-RST navBbrMask 0x" + Hex(mask, 4) + " resetMode 0x" +
                                    Hex(m.Payload[2], 2) + ": " + StartKindName(kind) + " start");
    out.Restart = kind;
    return out;
}

ControlOutcome ReceiverControl::CfgMsg(const UbxMessage& m) {
    const size_t n = m.Payload.size();
    if (n != CfgMsgPollLength && n != CfgMsgCurrentPortLength && n != CfgMsgTargetsLength)
        return Answer(false, m, "UBX CFG-MSG of bad length");
    unsigned healthRate = 0;
    if (FHealthRates.Get(m.Payload[0], m.Payload[1], healthRate)) return CfgMsgHealth(m);
    const int index = m.Payload[0] == UbxClassNmea ? KindOfUbxId(m.Payload[1]) : NoKind;
    const std::string what = "UBX CFG-MSG " + Hex(m.Payload[0], 2) + " " + Hex(m.Payload[1], 2);
    if (index == NoKind) return Answer(false, m, what + " (no such sentence here)");
    const auto kind = static_cast<SentenceKind>(index);
    const std::string name = SentenceKindName(kind);
    if (n == CfgMsgPollLength) {
        const OutputRate& r = FSchedule.Rate(kind);
        // A sentence on a SiRF interval in seconds goes out, not every solution:
        // as near as a rate in solutions says it, 1; off is 0 either way.
        const uint8_t rate = r.Value == 0                 ? 0
                             : r.In == OutputRate::Epochs ? static_cast<uint8_t>(r.Value)
                                                          : 1;
        std::vector<uint8_t> reply = {m.Payload[0], m.Payload[1], 0, rate, 0, 0, 0, 0};
        ControlOutcome out = Answer(true, m, what + " poll (" + name + ")");
        out.Replies.insert(out.Replies.begin(), BuildUbxFrame(UbxClassCfg, UbxCfgMsg, reply));
        return out;
    }
    const uint8_t rate = n == CfgMsgTargetsLength ? m.Payload[2 + UartTarget] : m.Payload[2];
    FSchedule.SetEpochRate(kind, rate);
    return Answer(true, m,
                  what + ": " + name + " on UART1 every " + std::to_string(rate) +
                      (rate == 0 ? " (off)" : " solution(s)"));
}

// CFG-MSG of MON-RF, MON-SPAN or SEC-SIG: polled or set as a sentence is.
ControlOutcome ReceiverControl::CfgMsgHealth(const UbxMessage& m) {
    const size_t n = m.Payload.size();
    const std::string what = "UBX CFG-MSG " + Hex(m.Payload[0], 2) + " " + Hex(m.Payload[1], 2);
    unsigned rate = 0;
    FHealthRates.Get(m.Payload[0], m.Payload[1], rate);
    if (n == CfgMsgPollLength) {
        const std::vector<uint8_t> reply = {
            m.Payload[0], m.Payload[1], 0, static_cast<uint8_t>(rate), 0, 0, 0, 0};
        ControlOutcome out = Answer(true, m, what + " poll");
        out.Replies.insert(out.Replies.begin(), BuildUbxFrame(UbxClassCfg, UbxCfgMsg, reply));
        return out;
    }
    rate = n == CfgMsgTargetsLength ? m.Payload[2 + UartTarget] : m.Payload[2];
    FHealthRates.Set(m.Payload[0], m.Payload[1], rate);
    return Answer(true, m, what + ": every " + std::to_string(rate) + " solution(s)");
}

ControlOutcome ReceiverControl::CfgRate(const UbxMessage& m) {
    if (m.Payload.empty()) {
        std::vector<uint8_t> reply = {static_cast<uint8_t>(FPeriodMs & 0xFF),
                                      static_cast<uint8_t>(FPeriodMs >> 8),
                                      1,
                                      0,
                                      1,
                                      0};
        ControlOutcome out = Answer(true, m, "UBX CFG-RATE poll");
        out.Replies.insert(out.Replies.begin(), BuildUbxFrame(UbxClassCfg, UbxCfgRate, reply));
        return out;
    }
    if (m.Payload.size() != CfgRateLength) return Answer(false, m, "UBX CFG-RATE of bad length");
    const unsigned measRate = ReadU16(m.Payload, 0);
    const unsigned navRate = ReadU16(m.Payload, 2);
    const std::string what = "UBX CFG-RATE measRate " + std::to_string(measRate) + " ms navRate " +
                             std::to_string(navRate);
    if (measRate < MinPeriodMs || navRate == 0) return Answer(false, m, what + " (refused)");
    FPeriodMs = measRate * navRate;
    return Answer(true, m, what + ": solution every " + std::to_string(FPeriodMs) + " ms");
}

ControlOutcome ReceiverControl::ApplyText(const std::string& body) {
    const std::vector<std::string> fields = SplitFields(body);
    if (fields[0] == "PSRF104") return Psrf104(fields);
    if (fields[0] == "PSRF103") return Psrf103(fields);
    ControlOutcome out;
    out.Log = "$" + body + ": not understood, ignored";
    return out;
}

ControlOutcome ReceiverControl::Psrf104(const std::vector<std::string>& fields) {
    ControlOutcome out;
    unsigned long config = 0;
    std::string text = "$PSRF104";
    for (size_t i = 1; i < fields.size(); ++i) text += "," + fields[i];
    if (fields.size() != Psrf104Fields || !ParseUnsigned(fields.back(), config)) {
        out.Log = text + ": malformed, ignored";
        return out;
    }
    switch (config) {
        case 1:
            out.Restart = StartKind::Hot;
            break;
        case 2:
            out.Restart = StartKind::Warm;
            break;
        case 4:
            out.Restart = StartKind::Cold;
            break;
        case 8:
            out.Restart = StartKind::Factory;
            FactoryReset();
            break;
        default:
            out.Log = text + ": reset configuration not supported, ignored";
            return out;
    }
    out.Log = text + ": " + StartKindName(*out.Restart) + " start";
    return out;
}

ControlOutcome ReceiverControl::Psrf103(const std::vector<std::string>& fields) {
    ControlOutcome out;
    std::string text = "$PSRF103";
    for (size_t i = 1; i < fields.size(); ++i) text += "," + fields[i];
    unsigned long msg, mode, rate, checksum;
    if (fields.size() != Psrf103Fields || !ParseUnsigned(fields[1], msg) ||
        !ParseUnsigned(fields[2], mode) || !ParseUnsigned(fields[3], rate) ||
        !ParseUnsigned(fields[4], checksum) || mode > 1 || checksum > 1) {
        out.Log = text + ": malformed, ignored";
        return out;
    }
    const int index = KindOfSirfMessage(msg);
    if (index == NoKind) {
        out.Log = text + ": message not output by this receiver, ignored";
        return out;
    }
    const auto kind = static_cast<SentenceKind>(index);
    const std::string name = SentenceKindName(kind);
    if (mode == 1) {
        FSchedule.QueryOnce(kind);
        out.Log = text + ": " + name + " once";
        return out;
    }
    if (rate > MaxSirfRate) {
        out.Log = text + ": rate out of range, ignored";
        return out;
    }
    FSchedule.SetSecondsRate(kind, static_cast<unsigned>(rate), checksum == 1);
    out.Log = text + ": " + name + (rate == 0 ? " off" : " every " + std::to_string(rate) + " s") +
              (checksum == 1 ? "" : ", without checksum");
    return out;
}

void ReceiverControl::FactoryReset() {
    FSchedule.Reset(FZda);
    FPeriodMs = DefaultPeriodMs;
}

#include "ubx/UbxMessages.h"

#include <cstdio>
#include <iterator>

#include "framing/UbxFrame.h"
#include "ubx/UbxDecoders.h"
#include "ubx/UbxHealthDecoders.h"
#include "ubx/UbxHealthFields.h"
#include "ubx/UbxKeyMessages.h"

namespace {

constexpr uint8_t Nav = 0x01;
constexpr uint8_t Rxm = 0x02;
constexpr uint8_t Ack = 0x05;
constexpr uint8_t Cfg = 0x06;
constexpr uint8_t Mon = 0x0A;
constexpr uint8_t Tim = 0x0D;
constexpr uint8_t Sec = 0x27;

// Messages decoded into the store, then messages only named.
const UbxMessageType MessageTypes[] = {
    {Ack, 0x01, "ACK-ACK", 2, DecodeUbxAck, UbxAckFields, UbxAnswerSummary},
    {Ack, 0x00, "ACK-NAK", 2, DecodeUbxNak, UbxNakFields, UbxAnswerSummary},
    {Mon, 0x04, "MON-VER", 40, DecodeUbxMonVer, UbxVersionFields, UbxVersionSummary},
    {Nav, 0x07, "NAV-PVT", 84, DecodeUbxNavPvt, UbxPvtFields, UbxPvtSummary},
    {Nav, 0x3C, "NAV-RELPOSNED", 40, DecodeUbxNavRelPosNed, UbxRelPosNedFields,
     UbxRelPosNedSummary},
    {Nav, 0x35, "NAV-SAT", 8, DecodeUbxNavSat, UbxSatFields, UbxSatSummary},
    {Nav, 0x43, "NAV-SIG", 8, DecodeUbxNavSig, UbxSigFields, UbxSigSummary},
    {Nav, 0x03, "NAV-STATUS", 16, DecodeUbxNavStatus, UbxStatusFields, UbxStatusSummary},
    {Nav, 0x04, "NAV-DOP", 18, DecodeUbxNavDop, UbxDopFields, UbxDopSummary},
    {Nav, 0x06, "NAV-SOL", 52, DecodeUbxNavSol, UbxSolFields, UbxSolSummary},
    {Nav, 0x02, "NAV-POSLLH", 28, DecodeUbxNavPosLlh, UbxPosLlhFields, UbxPosLlhSummary},
    {Nav, 0x30, "NAV-SVINFO", 8, DecodeUbxNavSvInfo, UbxSatFields, UbxSatSummary},
    {Nav, 0x21, "NAV-TIMEUTC", 20, DecodeUbxNavTimeUtc, UbxTimeUtcFields, UbxTimeUtcSummary},
    {Nav, 0x01, "NAV-POSECEF", 0, nullptr, nullptr, nullptr},
    {Nav, 0x11, "NAV-VELECEF", 0, nullptr, nullptr, nullptr},
    {Nav, 0x12, "NAV-VELNED", 0, nullptr, nullptr, nullptr},
    {Nav, 0x13, "NAV-HPPOSECEF", 0, nullptr, nullptr, nullptr},
    {Nav, 0x14, "NAV-HPPOSLLH", 0, nullptr, nullptr, nullptr},
    {Nav, 0x20, "NAV-TIMEGPS", 0, nullptr, nullptr, nullptr},
    {Nav, 0x22, "NAV-CLOCK", 0, nullptr, nullptr, nullptr},
    {Nav, 0x61, "NAV-EOE", 0, nullptr, nullptr, nullptr},
    {Rxm, 0x13, "RXM-SFRBX", 0, nullptr, nullptr, nullptr},
    {Rxm, 0x15, "RXM-RAWX", 0, nullptr, nullptr, nullptr},
    {Cfg, 0x01, "CFG-MSG", 3, DecodeUbxCfgMsg, UbxCfgMsgFields, UbxCfgMsgSummary},
    {Cfg, 0x08, "CFG-RATE", 6, DecodeUbxCfgRate, UbxCfgRateFields, UbxCfgRateSummary},
    {Cfg, 0x8B, "CFG-VALGET", 4, DecodeUbxValGet, nullptr, UbxValGetSummary},
    {Cfg, 0x8A, "CFG-VALSET", 0, nullptr, nullptr, nullptr},
    {Cfg, 0x8C, "CFG-VALDEL", 0, nullptr, nullptr, nullptr},
    {Cfg, 0x04, "CFG-RST", 0, nullptr, nullptr, nullptr},
    {Cfg, 0x00, "CFG-PRT", 0, nullptr, nullptr, nullptr},
    {Mon, 0x38, "MON-RF", UbxMonRfHeader, DecodeUbxMonRf, UbxMonRfFields, UbxMonRfSummary},
    {Mon, 0x09, "MON-HW", UbxMonHwLength, DecodeUbxMonHw, UbxMonHwFields, UbxMonHwSummary},
    {Mon, 0x0B, "MON-HW2", UbxMonHw2Length, DecodeUbxMonHw2, UbxMonHw2Fields, UbxMonHw2Summary},
    {Mon, 0x31, "MON-SPAN", UbxMonSpanHeader, DecodeUbxMonSpan, UbxMonSpanFields,
     UbxMonSpanSummary},
    {Sec, 0x09, "SEC-SIG", UbxSecSigLength, DecodeUbxSecSig, UbxSecSigFields, UbxSecSigSummary},
    {Tim, 0x01, "TIM-TP", 0, nullptr, nullptr, nullptr},
    {Sec, 0x03, "SEC-UNIQID", 0, nullptr, nullptr, nullptr},
};

}  // namespace

const UbxMessageType* FindUbxMessage(uint8_t messageClass, uint8_t id) {
    for (const UbxMessageType& type : MessageTypes)
        if (type.Class == messageClass && type.Id == id) return &type;
    return nullptr;
}

std::string UbxMessageName(uint8_t messageClass, uint8_t id) {
    if (const UbxMessageType* type = FindUbxMessage(messageClass, id)) return type->Name;
    char name[16];
    std::snprintf(name, sizeof name, "0x%02X-0x%02X", messageClass, id);
    return name;
}

UbxDecodeResult DecodeUbxFrame(const uint8_t* frame, size_t size, UbxState& ubx) {
    UbxDecodeResult result;
    if (size < framing::UbxHeaderSize + framing::UbxChecksumSize) return result;
    result.Class = frame[2];
    result.Id = frame[3];
    const size_t length = static_cast<size_t>(frame[4] | (frame[5] << 8));
    if (length + framing::UbxHeaderSize + framing::UbxChecksumSize != size) return result;
    framing::UbxChecksum sum;
    sum.Add(frame + 2, framing::UbxHeaderSize - 2 + length);
    if (sum.A != frame[size - 2] || sum.B != frame[size - 1]) return result;
    ubx.Count(result.Class, result.Id);
    result.Type = FindUbxMessage(result.Class, result.Id);
    result.Valid = true;
    if (!result.Type || !result.Type->Decode) {
        ++ubx.UnknownFrames;
        return result;
    }
    if (length < result.Type->MinLength) {
        ++ubx.ShortFrames;
        result.Valid = false;
        return result;
    }
    result.Type->Decode(frame + framing::UbxHeaderSize, length, ubx);
    result.Decoded = true;
    return result;
}

void UbxConsoleLine(const UbxDecodeResult& result, const UbxState& ubx, std::string& line) {
    line = "UBX ";
    line += result.Type ? result.Type->Name : UbxMessageName(result.Class, result.Id);
    if (result.Decoded && result.Type->Summary) {
        line += ' ';
        result.Type->Summary(ubx, line);
    } else if (!result.Valid) {
        line += " (too short)";
    }
}

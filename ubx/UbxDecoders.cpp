#include "ubx/UbxDecoders.h"

#include <algorithm>
#include <cstring>

namespace {

// Little-endian fields at a byte offset of the payload.
uint8_t U1(const uint8_t* p, size_t at) {
    return p[at];
}
int8_t I1(const uint8_t* p, size_t at) {
    return static_cast<int8_t>(p[at]);
}
uint16_t U2(const uint8_t* p, size_t at) {
    return static_cast<uint16_t>(p[at] | (p[at + 1] << 8));
}
int16_t I2(const uint8_t* p, size_t at) {
    return static_cast<int16_t>(U2(p, at));
}
uint32_t U4(const uint8_t* p, size_t at) {
    return static_cast<uint32_t>(p[at]) | (static_cast<uint32_t>(p[at + 1]) << 8) |
           (static_cast<uint32_t>(p[at + 2]) << 16) | (static_cast<uint32_t>(p[at + 3]) << 24);
}
int32_t I4(const uint8_t* p, size_t at) {
    return static_cast<int32_t>(U4(p, at));
}

// Copies a fixed-width character field, which may fill its width without a NUL.
template <size_t N>
void CopyText(char (&out)[N], const uint8_t* p, size_t at, size_t width) {
    const size_t n = std::min(width, N - 1);
    size_t i = 0;
    for (; i < n && p[at + i] != 0; ++i) out[i] = static_cast<char>(p[at + i]);
    std::memset(out + i, 0, N - i);
}

constexpr size_t SatHeader = 8;  // NAV-SAT, NAV-SIG and NAV-SVINFO: iTOW, version/count, reserved
constexpr size_t SatBlock = 12;
constexpr size_t SigBlock = 16;
constexpr size_t SvInfoBlock = 12;
constexpr uint32_t SatUsedFlag = 1u << 3;
constexpr uint32_t SatQualityMask = 0x07;
constexpr uint16_t SigUsedFlags = 0x38;  // pseudorange, carrier range or Doppler used
constexpr uint8_t SvInfoUsedFlag = 0x01;
constexpr size_t VersionSoftwareWidth = 30;
constexpr size_t VersionHardwareWidth = 10;
constexpr size_t VersionHeaderSize = 40;
constexpr size_t VersionExtensionWidth = 30;

// How many blocks of a repeated part the payload really holds.
int Blocks(size_t length, size_t block, uint8_t claimed, int limit) {
    const size_t held = (length - SatHeader) / block;
    return static_cast<int>(std::min<size_t>({held, claimed, static_cast<size_t>(limit)}));
}

}  // namespace

void DecodeUbxAck(const uint8_t* p, size_t, UbxState& ubx) {
    ubx.Ack = ubx.LastAnswer = UbxAckRecord{true, U1(p, 0), U1(p, 1)};
    ++ubx.Answers;
}

void DecodeUbxNak(const uint8_t* p, size_t, UbxState& ubx) {
    ubx.Nak = ubx.LastAnswer = UbxAckRecord{false, U1(p, 0), U1(p, 1)};
    ++ubx.Answers;
}

void DecodeUbxMonVer(const uint8_t* p, size_t length, UbxState& ubx) {
    UbxVersionRecord& v = ubx.Version;
    CopyText(v.Software, p, 0, VersionSoftwareWidth);
    CopyText(v.Hardware, p, VersionSoftwareWidth, VersionHardwareWidth);
    v.ExtensionCount = 0;
    for (size_t at = VersionHeaderSize;
         at + VersionExtensionWidth <= length && v.ExtensionCount < UbxMaxExtensions;
         at += VersionExtensionWidth)
        CopyText(v.Extensions[v.ExtensionCount++], p, at, VersionExtensionWidth);
    ubx.VersionKnown = true;
}

void DecodeUbxNavPvt(const uint8_t* p, size_t, UbxState& ubx) {
    UbxPvtRecord& r = ubx.Pvt;
    r.ITow = U4(p, 0);
    r.Year = U2(p, 4);
    r.Month = U1(p, 6);
    r.Day = U1(p, 7);
    r.Hour = U1(p, 8);
    r.Minute = U1(p, 9);
    r.Second = U1(p, 10);
    r.Valid = U1(p, 11);
    r.Nano = I4(p, 16);
    r.FixType = U1(p, 20);
    r.Flags = U1(p, 21);
    r.Flags2 = U1(p, 22);
    r.NumSv = U1(p, 23);
    r.Lon = I4(p, 24);
    r.Lat = I4(p, 28);
    r.Height = I4(p, 32);
    r.HMsl = I4(p, 36);
    r.HAcc = U4(p, 40);
    r.VAcc = U4(p, 44);
    r.GSpeed = I4(p, 60);
    r.HeadMot = I4(p, 64);
    r.PDop = U2(p, 76);
    r.Flags3 = U2(p, 78);
}

// Version 0 is 40 bytes long; version 1 (64 bytes) adds length and heading.
void DecodeUbxNavRelPosNed(const uint8_t* p, size_t length, UbxState& ubx) {
    constexpr size_t Version1Length = 64;
    UbxRelPosNedRecord& r = ubx.RelPosNed;
    r = UbxRelPosNedRecord{};
    r.Version = U1(p, 0);
    r.RefStationId = U2(p, 2);
    r.ITow = U4(p, 4);
    const auto joined = [p](size_t cm, size_t fine) {
        return int64_t{I4(p, cm)} * 100 + I1(p, fine);  // cm and 0.1 mm to 0.1 mm
    };
    if (r.Version >= 1 && length >= Version1Length) {
        r.HasLengthAndHeading = true;
        r.North = joined(8, 32);
        r.East = joined(12, 33);
        r.Down = joined(16, 34);
        r.Length = joined(20, 35);
        r.Heading = I4(p, 24);
        r.AccNorth = U4(p, 36);
        r.AccEast = U4(p, 40);
        r.AccDown = U4(p, 44);
        r.AccLength = U4(p, 48);
        r.AccHeading = U4(p, 52);
        r.Flags = U4(p, 60);
        return;
    }
    r.North = joined(8, 20);
    r.East = joined(12, 21);
    r.Down = joined(16, 22);
    r.AccNorth = U4(p, 24);
    r.AccEast = U4(p, 28);
    r.AccDown = U4(p, 32);
    r.Flags = U4(p, 36);
}

void DecodeUbxNavSat(const uint8_t* p, size_t length, UbxState& ubx) {
    UbxSatRecord& r = ubx.Sat;
    r.ITow = U4(p, 0);
    r.FromSvInfo = false;
    r.Count = Blocks(length, SatBlock, U1(p, 5), UbxMaxSatellites);
    for (int i = 0; i < r.Count; ++i) {
        const size_t at = SatHeader + SatBlock * static_cast<size_t>(i);
        const uint32_t flags = U4(p, at + 8);
        r.Satellites[i] = UbxSatellite{U1(p, at),
                                       U1(p, at + 1),
                                       U1(p, at + 2),
                                       I1(p, at + 3),
                                       I2(p, at + 4),
                                       static_cast<uint8_t>(flags & SatQualityMask),
                                       (flags & SatUsedFlag) != 0};
    }
}

void DecodeUbxNavSig(const uint8_t* p, size_t length, UbxState& ubx) {
    UbxSigRecord& r = ubx.Sig;
    r.ITow = U4(p, 0);
    r.Count = Blocks(length, SigBlock, U1(p, 5), UbxMaxSignals);
    for (int i = 0; i < r.Count; ++i) {
        const size_t at = SatHeader + SigBlock * static_cast<size_t>(i);
        r.Signals[i] = UbxSignal{U1(p, at),
                                 U1(p, at + 1),
                                 U1(p, at + 2),
                                 U1(p, at + 3),
                                 U1(p, at + 6),
                                 U1(p, at + 7),
                                 (U2(p, at + 10) & SigUsedFlags) != 0};
    }
}

void DecodeUbxNavStatus(const uint8_t* p, size_t, UbxState& ubx) {
    ubx.Status =
        UbxStatusRecord{U4(p, 0), U1(p, 4), U1(p, 5), U1(p, 6), U1(p, 7), U4(p, 8), U4(p, 12)};
}

void DecodeUbxNavDop(const uint8_t* p, size_t, UbxState& ubx) {
    ubx.Dop = UbxDopRecord{U4(p, 0),  U2(p, 4),  U2(p, 6),  U2(p, 8),
                           U2(p, 10), U2(p, 12), U2(p, 14), U2(p, 16)};
}

void DecodeUbxNavSol(const uint8_t* p, size_t, UbxState& ubx) {
    UbxSolRecord& r = ubx.Sol;
    r.ITow = U4(p, 0);
    r.FTow = I4(p, 4);
    r.Week = I2(p, 8);
    r.GpsFix = U1(p, 10);
    r.Flags = U1(p, 11);
    r.EcefX = I4(p, 12);
    r.EcefY = I4(p, 16);
    r.EcefZ = I4(p, 20);
    r.PAcc = U4(p, 24);
    r.PDop = U2(p, 44);
    r.NumSv = U1(p, 47);
}

void DecodeUbxNavPosLlh(const uint8_t* p, size_t, UbxState& ubx) {
    ubx.PosLlh =
        UbxPosLlhRecord{U4(p, 0), I4(p, 4), I4(p, 8), I4(p, 12), I4(p, 16), U4(p, 20), U4(p, 24)};
}

void DecodeUbxNavTimeUtc(const uint8_t* p, size_t, UbxState& ubx) {
    ubx.TimeUtc = UbxTimeUtcRecord{U4(p, 0),  U4(p, 4),  I4(p, 8),  U2(p, 12), U1(p, 14),
                                   U1(p, 15), U1(p, 16), U1(p, 17), U1(p, 18), U1(p, 19)};
}

void UbxSatelliteOfSvInfo(uint8_t svid, uint8_t& gnssId, uint8_t& svId) {
    struct Range {
        uint8_t First, Last, GnssId, FirstSvId;
    };
    // The receiver's own satellite numbering of NAV-SVINFO.
    static constexpr Range Ranges[] = {
        {1, 32, 0, 1},    {33, 64, 3, 6},   {65, 96, 6, 1},   {120, 158, 1, 120},
        {159, 163, 3, 1}, {193, 202, 5, 1}, {211, 246, 2, 1}, {255, 255, 6, 255},
    };
    for (const Range& r : Ranges) {
        if (svid >= r.First && svid <= r.Last) {
            gnssId = r.GnssId;
            svId = static_cast<uint8_t>(svid - r.First + r.FirstSvId);
            return;
        }
    }
    gnssId = 0;
    svId = svid;
}

void DecodeUbxNavSvInfo(const uint8_t* p, size_t length, UbxState& ubx) {
    UbxSatRecord& r = ubx.Sat;
    r.ITow = U4(p, 0);
    r.FromSvInfo = true;
    r.Count = Blocks(length, SvInfoBlock, U1(p, 4), UbxMaxSatellites);
    for (int i = 0; i < r.Count; ++i) {
        const size_t at = SatHeader + SvInfoBlock * static_cast<size_t>(i);
        UbxSatellite& s = r.Satellites[i];
        UbxSatelliteOfSvInfo(U1(p, at + 1), s.GnssId, s.SvId);
        s.Used = (U1(p, at + 2) & SvInfoUsedFlag) != 0;
        s.Quality = U1(p, at + 3);
        s.Cno = U1(p, at + 4);
        s.Elevation = I1(p, at + 5);
        s.Azimuth = I2(p, at + 6);
    }
}

void DecodeUbxCfgMsg(const uint8_t* p, size_t length, UbxState& ubx) {
    UbxCfgMsgRecord& r = ubx.CfgMsg;
    r.Class = U1(p, 0);
    r.Id = U1(p, 1);
    const size_t rates = length - 2;
    r.Targets = static_cast<int>(rates >= UbxCfgMsgTargets ? UbxCfgMsgTargets : 1);
    for (int i = 0; i < UbxCfgMsgTargets; ++i) r.Rates[i] = i < r.Targets ? U1(p, 2 + i) : 0;
}

void DecodeUbxCfgRate(const uint8_t* p, size_t, UbxState& ubx) {
    ubx.CfgRate = UbxCfgRateRecord{U2(p, 0), U2(p, 2), U2(p, 4)};
}

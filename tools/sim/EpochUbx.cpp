#include "tools/sim/EpochUbx.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "tools/sim/UbxFrame.h"

namespace {

constexpr uint8_t UbxClassNav = 0x01;
constexpr uint8_t UbxNavStatus = 0x03;
constexpr uint8_t UbxNavDop = 0x04;
constexpr uint8_t UbxNavPvt = 0x07;
constexpr uint8_t UbxNavSat = 0x35;
constexpr size_t PvtLength = 92;
constexpr size_t StatusLength = 16;
constexpr size_t DopLength = 18;
constexpr size_t SatHeader = 8;
constexpr size_t SatBlock = 12;
constexpr int64_t MsPerWeek = 7LL * 24 * 3600 * 1000;
constexpr int64_t GpsEpochUnixMs = 315964800000LL;  // 1980-01-06
constexpr int64_t LeapSecondsMs = 18000;

// What MON-VER says, by the receiver generation simulated.
struct VersionTexts {
    const char* Software;
    const char* Hardware;
    const char* Extensions[3];
};
constexpr VersionTexts Generation8 = {
    "ROM CORE 3.01 (107888)", "00080000", {"FWVER=SPG 3.01", "PROTVER=18.00", "MOD=SIM-M8"}};
constexpr VersionTexts Generation9 = {
    "EXT CORE 1.00 (3fda8e)", "00190000", {"FWVER=SPG 4.04", "PROTVER=32.01", "MOD=SIM-M9"}};
constexpr VersionTexts Generation10 = {
    "ROM SPG 5.10 (7b202e)", "000A0000", {"FWVER=SPG 5.10", "PROTVER=34.10", "MOD=SIM-M10"}};

class Payload {
  public:
    explicit Payload(size_t size) : FBytes(size, 0) {}
    void U1(size_t at, int v) { FBytes[at] = static_cast<uint8_t>(v); }
    void U2(size_t at, int v) {
        for (size_t i = 0; i < 2; ++i) FBytes[at + i] = static_cast<uint8_t>((v >> (8 * i)) & 0xFF);
    }
    void U4(size_t at, int64_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (size_t i = 0; i < 4; ++i) FBytes[at + i] = static_cast<uint8_t>((u >> (8 * i)) & 0xFF);
    }
    void Text(size_t at, const char* text, size_t width) {
        for (size_t i = 0; i < width && text[i]; ++i)
            FBytes[at + i] = static_cast<uint8_t>(text[i]);
    }
    const std::vector<uint8_t>& Bytes() const { return FBytes; }

  private:
    std::vector<uint8_t> FBytes;
};

uint32_t TimeOfWeekMs(const EpochState& e) {
    return static_cast<uint32_t>((e.UnixMs - GpsEpochUnixMs + LeapSecondsMs) % MsPerWeek);
}

int FixType(const EpochState& e) {
    return e.Fix == FixKind::Fix3D ? 3 : e.Fix == FixKind::Fix2D ? 2 : 0;
}

int Dop100(double dop) {
    constexpr double Largest = 99.99;  // what a receiver without a solution reports
    return static_cast<int>(std::lround(std::min(dop, Largest) * 100));
}

// gnssFixOK, diffSoln and carrSoln (1 float, 2 fixed).
int PvtFlags(const EpochState& e) {
    if (e.Fix == FixKind::None) return 0;
    static constexpr int Solutions[] = {0x00, 0x02, 0x02 | 1 << 6,
                                        0x02 | 2 << 6};  // by RtkSolution
    return 0x01 | Solutions[static_cast<size_t>(e.Rtk)];
}

// NAV-PVT's lastCorrectionAge: 0 not available, then the codes of ages
// below 1, 2, 5, 10, 15, 20, 30, 45, 60, 90, 120 s, and 12 for more.
int CorrectionAgeCode(double ageS) {
    if (ageS < 0) return 0;
    static constexpr double Below[] = {1, 2, 5, 10, 15, 20, 30, 45, 60, 90, 120};
    int code = 1;
    for (double limit : Below) {
        if (ageS < limit) return code;
        ++code;
    }
    return code;
}

std::string Pvt(const EpochState& e) {
    Payload p(PvtLength);
    const std::time_t seconds = static_cast<std::time_t>(e.UnixMs / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    p.U4(0, TimeOfWeekMs(e));
    p.U2(4, utc.tm_year + 1900);
    p.U1(6, utc.tm_mon + 1);
    p.U1(7, utc.tm_mday);
    p.U1(8, utc.tm_hour);
    p.U1(9, utc.tm_min);
    p.U1(10, utc.tm_sec);
    p.U1(11, e.TimeKnown ? 0x07 : 0x00);
    p.U4(16, (e.UnixMs % 1000) * 1000000);
    p.U1(20, FixType(e));
    p.U1(21, PvtFlags(e));
    p.U1(23, e.UsedCount);
    if (e.Fix != FixKind::None) {
        p.U4(24, std::llround(e.LonDeg * 1e7));
        p.U4(28, std::llround(e.LatDeg * 1e7));
        p.U4(32, std::llround((e.AltM + e.GeoidM) * 1000));
        p.U4(36, std::llround(e.AltM * 1000));
        p.U4(60, std::llround(e.SpeedKmh / 3.6 * 1000));
        p.U4(64, std::llround(e.CourseDeg * 1e5));
    }
    p.U2(76, Dop100(e.Dop.Pdop));
    p.U2(78, CorrectionAgeCode(e.CorrectionAgeS) << 1);  // flags3: lastCorrectionAge
    return BuildUbxFrame(UbxClassNav, UbxNavPvt, p.Bytes());
}

int GnssId(Gnss system) {
    switch (system) {
        case Gnss::Gps:
            return 0;
        case Gnss::Galileo:
            return 2;
        case Gnss::BeiDou:
            return 3;
        case Gnss::Glonass:
            return 6;
    }
    return 0;
}

// The satellite number within its system: GLONASS slots are numbered 65-96 in NMEA.
int SvId(const SatelliteView& s) {
    return s.System == Gnss::Glonass && s.Prn > 64 ? s.Prn - 64 : s.Prn;
}

std::string Sat(const EpochState& e) {
    Payload p(SatHeader + SatBlock * e.Satellites.size());
    p.U4(0, TimeOfWeekMs(e));
    p.U1(4, 1);
    p.U1(5, static_cast<int>(e.Satellites.size()));
    size_t at = SatHeader;
    for (const SatelliteView& s : e.Satellites) {
        p.U1(at, GnssId(s.System));
        p.U1(at + 1, SvId(s));
        p.U1(at + 2, s.Snr > 0 ? s.Snr : 0);
        p.U1(at + 3, s.Elevation);
        p.U2(at + 4, s.Azimuth);
        const int quality = s.Snr > 0 ? (s.Used ? 7 : 4) : 1;
        p.U4(at + 8, quality | (s.Used ? 0x08 : 0) | 0x10);
        at += SatBlock;
    }
    return BuildUbxFrame(UbxClassNav, UbxNavSat, p.Bytes());
}

std::string Status(const EpochState& e) {
    Payload p(StatusLength);
    p.U4(0, TimeOfWeekMs(e));
    p.U1(4, FixType(e));
    p.U1(5, e.Fix != FixKind::None ? 0x0D : 0x00);  // fix OK, week and time of week valid
    constexpr int SpoofStateShift = 3;              // flags2: 1 no spoofing, 2 spoofing indicated
    p.U1(7, (e.Spoofed ? 2 : 1) << SpoofStateShift);
    p.U4(8, e.TtffMs);
    p.U4(12, e.SinceRestartMs);
    return BuildUbxFrame(UbxClassNav, UbxNavStatus, p.Bytes());
}

std::string Dop(const EpochState& e) {
    Payload p(DopLength);
    p.U4(0, TimeOfWeekMs(e));
    p.U2(4, Dop100(e.Dop.Pdop * 1.2));
    p.U2(6, Dop100(e.Dop.Pdop));
    p.U2(8, Dop100(e.Dop.Pdop * 0.6));
    p.U2(10, Dop100(e.Dop.Vdop));
    p.U2(12, Dop100(e.Dop.Hdop));
    p.U2(14, Dop100(e.Dop.Hdop * 0.7));
    p.U2(16, Dop100(e.Dop.Hdop * 0.7));
    return BuildUbxFrame(UbxClassNav, UbxNavDop, p.Bytes());
}

}  // namespace

std::vector<std::string> ComposeUbxFrames(const EpochState& epoch) {
    return {Pvt(epoch), Sat(epoch), Status(epoch), Dop(epoch)};
}

std::string ComposeMonVer(int generation) {
    constexpr size_t SoftwareWidth = 30, HardwareWidth = 10, ExtensionWidth = 30;
    const VersionTexts& v = generation >= 10  ? Generation10
                            : generation == 9 ? Generation9
                                              : Generation8;
    const size_t count = sizeof v.Extensions / sizeof v.Extensions[0];
    Payload p(SoftwareWidth + HardwareWidth + ExtensionWidth * count);
    p.Text(0, v.Software, SoftwareWidth);
    p.Text(SoftwareWidth, v.Hardware, HardwareWidth);
    for (size_t i = 0; i < count; ++i)
        p.Text(SoftwareWidth + HardwareWidth + ExtensionWidth * i, v.Extensions[i], ExtensionWidth);
    return BuildUbxFrame(UbxClassMon, UbxMonVer, p.Bytes());
}

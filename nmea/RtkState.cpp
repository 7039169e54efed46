#include "nmea/RtkState.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

// NAV-PVT's lastCorrectionAge: the range of seconds each code stands for
// (code 12: 120 s and more).
struct AgeRange {
    double From, To;
};
constexpr AgeRange PvtCorrectionAges[] = {{-1, -1}, {0, 1},    {1, 2},    {2, 5},   {5, 10},
                                          {10, 15}, {15, 20},  {20, 30},  {30, 45}, {45, 60},
                                          {60, 90}, {90, 120}, {120, 120}};

// A decimal number field; false when empty or not a number.
bool ReadNumber(std::string_view text, double& value) {
    if (text.empty() || text.size() > 15) return false;
    char buffer[16];
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    char* end = nullptr;
    value = std::strtod(buffer, &end);
    return end == buffer + text.size() && value >= 0;
}

bool IsPlain(RtkFix fix) {
    return fix == RtkFix::Fix2D || fix == RtkFix::Fix3D;
}

}  // namespace

void RtkState::FromGga(int quality, bool altitudeGiven, std::string_view age,
                       std::string_view station) {
    GgaSeen = true;
    switch (quality) {
        case 0:
            Fix = RtkFix::NoFix;
            break;
        case 2:
            Fix = RtkFix::Dgnss;
            break;
        case 4:
            Fix = RtkFix::Fixed;
            break;
        case 5:
            Fix = RtkFix::Float;
            break;
        case 6:
            Fix = RtkFix::DeadReckoning;
            break;
        default:
            Fix = altitudeGiven ? RtkFix::Fix3D : RtkFix::Fix2D;
            break;
    }
    DifferentialSeen |= IsDifferential(Fix);
    double seconds = 0;
    Age = ReadNumber(age, seconds) ? CorrectionAge{seconds, seconds} : CorrectionAge{};
    double number = 0;
    Station = ReadNumber(station, number) ? static_cast<int>(number) : -1;
}

RtkFix FixOfModeLetter(char letter) {
    switch (letter) {
        case 'R':
            return RtkFix::Fixed;
        case 'F':
            return RtkFix::Float;
        case 'D':
        case 'P':
            return RtkFix::Dgnss;
        case 'A':
        case 'M':
        case 'S':
            return RtkFix::Fix3D;
        case 'E':
            return RtkFix::DeadReckoning;
        case 'N':
            return RtkFix::NoFix;
        default:
            return RtkFix::Unknown;
    }
}

void RtkState::FromModes(std::string_view modes) {
    if (GgaSeen) return;
    RtkFix best = RtkFix::Unknown;
    for (char letter : modes) {
        const RtkFix fix = FixOfModeLetter(letter);
        if (fix > best) best = fix;
    }
    if (best == RtkFix::Unknown) return;  // an NMEA 2.0 sentence says nothing of it
    if (best == RtkFix::Fix3D && IsPlain(Fix)) return;
    Fix = best;
    DifferentialSeen |= IsDifferential(Fix);
    if (!IsDifferential(Fix)) Age = CorrectionAge{};
}

void RtkState::FromPvt(const UbxPvtRecord& pvt) {
    const unsigned carrier = (pvt.Flags >> UbxPvtCarrSolnShift) & 0x03;
    const bool fixOk = pvt.Flags & 0x01;
    switch (pvt.FixType) {
        case 1:
            Fix = RtkFix::DeadReckoning;
            break;
        case 2:
            Fix = RtkFix::Fix2D;
            break;
        case 3:
        case 4:
            Fix = RtkFix::Fix3D;
            break;
        default:
            Fix = RtkFix::NoFix;
            break;
    }
    if (fixOk && (Fix == RtkFix::Fix2D || Fix == RtkFix::Fix3D)) {
        if (carrier == 2)
            Fix = RtkFix::Fixed;
        else if (carrier == 1)
            Fix = RtkFix::Float;
        else if (pvt.Flags & UbxPvtDiffSoln)
            Fix = RtkFix::Dgnss;
    }
    DifferentialSeen |= IsDifferential(Fix);
    const unsigned code = (pvt.Flags3 >> UbxPvtCorrectionAgeShift) & UbxPvtCorrectionAgeMask;
    Age = code < std::size(PvtCorrectionAges) && code != 0
              ? CorrectionAge{PvtCorrectionAges[code].From, PvtCorrectionAges[code].To}
              : CorrectionAge{};
    Station = -1;
}

const char* RtkFixText(RtkFix fix) {
    switch (fix) {
        case RtkFix::Fixed:
            return "RTK fixed";
        case RtkFix::Float:
            return "RTK float";
        case RtkFix::Dgnss:
            return "DGNSS";
        case RtkFix::Fix3D:
            return "3D";
        case RtkFix::Fix2D:
            return "2D";
        case RtkFix::DeadReckoning:
            return "DR";
        case RtkFix::NoFix:
            return "no fix";
        case RtkFix::Unknown:
            break;
    }
    return "";
}

std::string RtkStateText(const RtkState& state) {
    std::string text = RtkFixText(state.Fix);
    if (!state.Age.Known() || !IsDifferential(state.Fix)) return text;
    char age[48];
    if (state.Age.From == state.Age.To && state.Age.From >= 120)
        std::snprintf(age, sizeof age, ", age %.0f s or more", state.Age.From);
    else if (state.Age.From == state.Age.To)
        std::snprintf(age, sizeof age, ", age %.1f s", state.Age.From);
    else
        std::snprintf(age, sizeof age, ", age %.0f-%.0f s", state.Age.From, state.Age.To);
    return text + age;
}

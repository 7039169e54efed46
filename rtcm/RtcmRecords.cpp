#include "rtcm/RtcmRecords.h"

namespace {

struct SystemText {
    const char* Name;
    char Letter;
    uint16_t MsmOffset;  // added to an MSM satellite's place in its mask
};

constexpr SystemText SystemTexts[RtcmSystemCount] = {
    {"GPS", 'G', 0},    {"GLONASS", 'R', 0}, {"Galileo", 'E', 0}, {"SBAS", 'S', 119},
    {"QZSS", 'J', 192}, {"BeiDou", 'C', 0},  {"NavIC", 'I', 0},
};

constexpr int SatelliteBits = 64;
constexpr int SignalBits = 32;

}  // namespace

const char* RtcmSystemName(RtcmSystem system) {
    return SystemTexts[static_cast<int>(system)].Name;
}

char RtcmSystemLetter(RtcmSystem system) {
    return SystemTexts[static_cast<int>(system)].Letter;
}

int MsmSatelliteNumbers(const RtcmMsm& msm, uint16_t* out) {
    const uint16_t offset = SystemTexts[static_cast<int>(msm.System)].MsmOffset;
    int n = 0;
    for (int i = 0; i < SatelliteBits; ++i)
        if (msm.SatelliteMask >> (SatelliteBits - 1 - i) & 1)
            out[n++] = static_cast<uint16_t>(i + 1 + offset);
    return n;
}

int MsmSignalNumbers(const RtcmMsm& msm, uint8_t* out) {
    int n = 0;
    for (int i = 0; i < SignalBits; ++i)
        if (msm.SignalMask >> (SignalBits - 1 - i) & 1) out[n++] = static_cast<uint8_t>(i + 1);
    return n;
}

#include "rtcm/RtcmMessages.h"

namespace {

using K = RtcmKind;

// Searched in order: a single number before a range that holds it.
constexpr RtcmMessage Messages[] = {
    {1001, 1001, "GPS L1 observables", K::Named, nullptr},
    {1002, 1002, "GPS L1 observables, extended", K::Named, nullptr},
    {1003, 1003, "GPS L1/L2 observables", K::Named, nullptr},
    {1004, 1004, "GPS L1/L2 observables, extended", K::Named, nullptr},
    {1005, 1005, "Station ARP", K::Station, DecodeStation},
    {1006, 1006, "Station ARP and height", K::Station, DecodeStation},
    {1007, 1007, "Antenna descriptor", K::Descriptor, DecodeDescriptor},
    {1008, 1008, "Antenna descriptor and serial", K::Descriptor, DecodeDescriptor},
    {1009, 1009, "GLONASS L1 observables", K::Named, nullptr},
    {1010, 1010, "GLONASS L1 observables, extended", K::Named, nullptr},
    {1011, 1011, "GLONASS L1/L2 observables", K::Named, nullptr},
    {1012, 1012, "GLONASS L1/L2 observables, extended", K::Named, nullptr},
    {1013, 1013, "System parameters", K::Named, nullptr},
    {1019, 1019, "GPS ephemeris", K::Ephemeris, DecodeEphemeris},
    {1020, 1020, "GLONASS ephemeris", K::Ephemeris, DecodeEphemeris},
    {1021, 1027, "Transformation parameters", K::Named, nullptr},
    {1029, 1029, "Unicode text", K::Named, nullptr},
    {1030, 1031, "Network residuals", K::Named, nullptr},
    {1032, 1032, "Physical reference station", K::Named, nullptr},
    {1033, 1033, "Receiver and antenna descriptors", K::Descriptor, DecodeDescriptor},
    {1034, 1039, "Network corrections", K::Named, nullptr},
    {1041, 1041, "NavIC ephemeris", K::Named, nullptr},
    {1042, 1042, "BeiDou ephemeris", K::Ephemeris, DecodeEphemeris},
    {1044, 1044, "QZSS ephemeris", K::Ephemeris, DecodeEphemeris},
    {1045, 1045, "Galileo F/NAV ephemeris", K::Ephemeris, DecodeEphemeris},
    {1046, 1046, "Galileo I/NAV ephemeris", K::Ephemeris, DecodeEphemeris},
    {1057, 1068, "SSR corrections", K::Named, nullptr},
    {1071, 1077, "GPS MSM", K::Msm, DecodeMsm},
    {1081, 1087, "GLONASS MSM", K::Msm, DecodeMsm},
    {1091, 1097, "Galileo MSM", K::Msm, DecodeMsm},
    {1101, 1107, "SBAS MSM", K::Msm, DecodeMsm},
    {1111, 1117, "QZSS MSM", K::Msm, DecodeMsm},
    {1121, 1127, "BeiDou MSM", K::Msm, DecodeMsm},
    {1131, 1137, "NavIC MSM", K::Msm, DecodeMsm},
    {1230, 1230, "GLONASS code-phase biases", K::GlonassBiases, DecodeGlonassBiases},
    {4072, 4072, "u-blox proprietary", K::Proprietary, nullptr},
    {4001, 4095, "Proprietary", K::Proprietary, nullptr},
};

}  // namespace

const RtcmMessage* FindRtcmMessage(uint16_t number) {
    for (const RtcmMessage& m : Messages)
        if (number >= m.First && number <= m.Last) return &m;
    return nullptr;
}

std::string RtcmMessageName(uint16_t number) {
    const RtcmMessage* m = FindRtcmMessage(number);
    if (!m) return "unknown";
    std::string name = m->Name;
    if (m->Kind == RtcmKind::Msm) name += std::to_string(number - m->First + 1);
    return name;
}

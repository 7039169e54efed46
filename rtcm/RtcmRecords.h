// What RTCM 3 messages tell, as decoded from their payloads: the reference
// station's position, its antenna and receiver descriptors, the header of a
// multiple-signal message (MSM), the satellite of an ephemeris, the GLONASS
// code-phase biases. Values are kept in the message's own units.
#pragma once

#include <cstdint>
#include <string>

enum class RtcmSystem : uint8_t { Gps, Glonass, Galileo, Sbas, Qzss, Beidou, Navic };
constexpr int RtcmSystemCount = 7;

const char* RtcmSystemName(RtcmSystem system);  // "GPS", "GLONASS", ...
char RtcmSystemLetter(RtcmSystem system);       // G, R, E, S, J, C, I

// 1005, 1006: the antenna reference point in ECEF (x 0.0001 m).
struct RtcmStation {
    uint16_t StationId = 0;
    uint8_t ItrfYear = 0;
    bool Gps = false, Glonass = false, Galileo = false;
    bool ReferenceStation = false;  // false: a physical station
    int64_t X = 0, Y = 0, Z = 0;
    bool HasHeight = false;  // 1006
    uint16_t Height = 0;     // antenna height above the marker, x 0.0001 m
};

constexpr double RtcmStationUnit = 0.0001;  // metres

// 1007, 1008, 1033: texts as sent (up to 31 bytes each).
struct RtcmDescriptor {
    uint16_t StationId = 0;
    std::string Antenna;
    uint8_t SetupId = 0;
    bool HasSerial = false;  // 1008, 1033
    std::string AntennaSerial;
    bool HasReceiver = false;  // 1033
    std::string Receiver;
    std::string Firmware;
    std::string ReceiverSerial;
};

// The header of an MSM (1071-1137), the same for MSM1 to MSM7.
struct RtcmMsm {
    RtcmSystem System = RtcmSystem::Gps;
    uint8_t Kind = 0;  // 1 to 7
    uint16_t StationId = 0;
    uint32_t Epoch = 0;  // ms of the week; GLONASS: ms of the day
    uint8_t Day = 0;     // GLONASS: day of the week (0-7)
    bool MultipleMessage = false;
    uint8_t Iods = 0;
    uint64_t SatelliteMask = 0;  // bit 63: satellite 1
    uint32_t SignalMask = 0;     // bit 31: signal 1
    uint64_t CellMask = 0;       // Satellites x Signals bits, the last in bit 0
    uint8_t Satellites = 0;
    uint8_t Signals = 0;
    uint8_t Cells = 0;
};

// The satellite numbers of an MSM, as the system numbers them (SBAS 120-158,
// QZSS 193-202); returns how many were written to 'out' (room for 64).
int MsmSatelliteNumbers(const RtcmMsm& msm, uint16_t* out);
// The signal numbers (1-32) of an MSM; returns how many (room for 32).
int MsmSignalNumbers(const RtcmMsm& msm, uint8_t* out);

// 1019, 1020, 1042, 1044, 1045, 1046.
struct RtcmEphemeris {
    RtcmSystem System = RtcmSystem::Gps;
    uint16_t Satellite = 0;
};

// 1230.
struct RtcmGlonassBiases {
    uint16_t StationId = 0;
    bool Aligned = false;  // the code-phase bias indicator
    uint8_t Mask = 0;      // L1 C/A, L1 P, L2 C/A, L2 P from the most significant bit
    int16_t Bias[4] = {};  // x 0.02 m, for the signals the mask holds
};

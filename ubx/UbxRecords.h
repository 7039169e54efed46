// The UBX part of the receiver-state store: the latest decoded record of each
// UBX message read, the receiver's identity and the frames counted by class
// and id. Fixed arrays throughout, so decoding a frame never allocates.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ubx/UbxHealthRecords.h"

constexpr int UbxMaxSatellites = 255;  // NAV-SAT and NAV-SVINFO count in one byte
constexpr int UbxMaxSignals = 255;
constexpr int UbxMaxExtensions = 12;
constexpr int UbxCountKinds = 64;  // distinct class/id pairs counted one by one

// ACK-ACK or ACK-NAK: the message acknowledged or refused.
struct UbxAckRecord {
    bool Acknowledged = false;
    uint8_t Class = 0;
    uint8_t Id = 0;
};

// MON-VER: software, hardware and extension strings, NUL-terminated.
struct UbxVersionRecord {
    char Software[31] = {};
    char Hardware[11] = {};
    char Extensions[UbxMaxExtensions][31] = {};
    int ExtensionCount = 0;
};

// NAV-PVT, and the position-time part of NAV-POSLLH and NAV-TIMEUTC.
struct UbxPvtRecord {
    uint32_t ITow = 0;  // ms of the GPS week
    uint16_t Year = 0;
    uint8_t Month = 0;
    uint8_t Day = 0;
    uint8_t Hour = 0;
    uint8_t Minute = 0;
    uint8_t Second = 0;
    uint8_t Valid = 0;  // bit 0 date, bit 1 time, bit 2 fully resolved
    int32_t Nano = 0;
    uint8_t FixType = 0;  // 0 none, 1 DR, 2 2D, 3 3D, 4 GNSS+DR, 5 time only
    uint8_t Flags = 0;    // bit 0 gnssFixOK, bit 1 diffSoln, bits 6-7 carrSoln
    uint8_t Flags2 = 0;   // bit 5 confirmation available, 6 date confirmed, 7 time confirmed
    uint8_t NumSv = 0;
    int32_t Lon = 0;      // 1e-7 degree
    int32_t Lat = 0;      // 1e-7 degree
    int32_t Height = 0;   // mm above the ellipsoid
    int32_t HMsl = 0;     // mm above mean sea level
    uint32_t HAcc = 0;    // mm
    uint32_t VAcc = 0;    // mm
    int32_t GSpeed = 0;   // mm/s
    int32_t HeadMot = 0;  // 1e-5 degree
    uint16_t PDop = 0;    // 0.01
    uint16_t Flags3 = 0;  // bits 1-4 lastCorrectionAge (0: not given)
};

// NAV-PVT's flags.
constexpr uint8_t UbxPvtDiffSoln = 0x02;
constexpr int UbxPvtCarrSolnShift = 6;
constexpr int UbxPvtCorrectionAgeShift = 1;
constexpr uint16_t UbxPvtCorrectionAgeMask = 0x0F;

// NAV-RELPOSNED, versions 0 and 1: the rover's position relative to its
// reference station (moving base or fixed), in 0.1 mm with the high-precision
// parts joined. Version 0 gives neither length nor heading.
struct UbxRelPosNedRecord {
    uint8_t Version = 0;
    uint16_t RefStationId = 0;
    uint32_t ITow = 0;
    int64_t North = 0;      // 0.1 mm
    int64_t East = 0;       // 0.1 mm
    int64_t Down = 0;       // 0.1 mm
    int64_t Length = 0;     // 0.1 mm (version 1)
    int32_t Heading = 0;    // 1e-5 degree (version 1)
    uint32_t AccNorth = 0;  // 0.1 mm
    uint32_t AccEast = 0;
    uint32_t AccDown = 0;
    uint32_t AccLength = 0;   // 0.1 mm (version 1)
    uint32_t AccHeading = 0;  // 1e-5 degree (version 1)
    uint32_t Flags = 0;
    bool HasLengthAndHeading = false;
};

// NAV-RELPOSNED's flags.
constexpr uint32_t UbxRelPosGnssFixOk = 0x001;
constexpr uint32_t UbxRelPosDiffSoln = 0x002;
constexpr uint32_t UbxRelPosValid = 0x004;
constexpr int UbxRelPosCarrSolnShift = 3;
constexpr uint32_t UbxRelPosIsMoving = 0x020;
constexpr uint32_t UbxRelPosRefPosMiss = 0x040;
constexpr uint32_t UbxRelPosRefObsMiss = 0x080;
constexpr uint32_t UbxRelPosHeadingValid = 0x100;
constexpr uint32_t UbxRelPosNormalized = 0x200;

struct UbxPosLlhRecord {
    uint32_t ITow = 0;
    int32_t Lon = 0;
    int32_t Lat = 0;
    int32_t Height = 0;
    int32_t HMsl = 0;
    uint32_t HAcc = 0;
    uint32_t VAcc = 0;
};

struct UbxTimeUtcRecord {
    uint32_t ITow = 0;
    uint32_t TAcc = 0;  // ns
    int32_t Nano = 0;
    uint16_t Year = 0;
    uint8_t Month = 0;
    uint8_t Day = 0;
    uint8_t Hour = 0;
    uint8_t Minute = 0;
    uint8_t Second = 0;
    uint8_t Valid = 0;  // bit 0 time of week, bit 1 week, bit 2 UTC
};

// NAV-SOL (older receivers): ECEF position in cm.
struct UbxSolRecord {
    uint32_t ITow = 0;
    int32_t FTow = 0;
    int16_t Week = 0;
    uint8_t GpsFix = 0;
    uint8_t Flags = 0;
    int32_t EcefX = 0;
    int32_t EcefY = 0;
    int32_t EcefZ = 0;
    uint32_t PAcc = 0;
    uint16_t PDop = 0;
    uint8_t NumSv = 0;
};

// NAV-STATUS: the receiver's own fix type and times, in ms.
struct UbxStatusRecord {
    uint32_t ITow = 0;
    uint8_t GpsFix = 0;
    uint8_t Flags = 0;
    uint8_t FixStat = 0;
    uint8_t Flags2 =
        0;  // bits 3-4: spoofing detection state (0 unknown, 1 none, 2 indicated, 3 multiple)
    uint32_t Ttff = 0;
    uint32_t Msss = 0;
};

// NAV-DOP, in 0.01.
struct UbxDopRecord {
    uint32_t ITow = 0;
    uint16_t GDop = 0;
    uint16_t PDop = 0;
    uint16_t TDop = 0;
    uint16_t VDop = 0;
    uint16_t HDop = 0;
    uint16_t NDop = 0;
    uint16_t EDop = 0;
};

// One satellite of NAV-SAT or NAV-SVINFO; GnssId as in NAV-SAT (0 GPS,
// 1 SBAS, 2 Galileo, 3 BeiDou, 5 QZSS, 6 GLONASS).
struct UbxSatellite {
    uint8_t GnssId = 0;
    uint8_t SvId = 0;
    uint8_t Cno = 0;       // dBHz
    int8_t Elevation = 0;  // degree, -91 when unknown
    int16_t Azimuth = 0;   // degree
    uint8_t Quality = 0;
    bool Used = false;
};

struct UbxSatRecord {
    uint32_t ITow = 0;
    bool FromSvInfo = false;
    int Count = 0;
    UbxSatellite Satellites[UbxMaxSatellites];
};

// One signal of NAV-SIG.
struct UbxSignal {
    uint8_t GnssId = 0;
    uint8_t SvId = 0;
    uint8_t SigId = 0;
    uint8_t FreqId = 0;
    uint8_t Cno = 0;
    uint8_t Quality = 0;
    bool Used = false;  // its pseudorange, carrier range or Doppler is used
};

struct UbxSigRecord {
    uint32_t ITow = 0;
    int Count = 0;
    UbxSignal Signals[UbxMaxSignals];
};

// CFG-MSG as a receiver answers its poll: the rate of one message on each
// I/O target (0 DDC, 1 UART1, 2 UART2, 3 USB, 4 SPI, 5 reserved), or, in the
// short form, on the port the answer came from only (Targets is then 1).
constexpr int UbxCfgMsgTargets = 6;
struct UbxCfgMsgRecord {
    uint8_t Class = 0;
    uint8_t Id = 0;
    uint8_t Rates[UbxCfgMsgTargets] = {};
    int Targets = 0;
};

// CFG-RATE: measurement period in ms, solutions per measurement, time reference.
struct UbxCfgRateRecord {
    uint16_t MeasRate = 0;
    uint16_t NavRate = 0;
    uint16_t TimeRef = 0;
};

// One answer to a setting poll: a CFG-RATE (IsRate) or a CFG-MSG.
struct UbxSettingAnswer {
    bool IsRate = false;
    UbxCfgMsgRecord Msg;
    UbxCfgRateRecord Rate;
};

// The latest CFG-VALGET answer: the layer read, the position of its first
// value and the values by key id (UbxKeyMessages.h).
constexpr int UbxMaxKeyValues = 64;
struct UbxKeyValuesRecord {
    bool Sound = false;  // it decoded whole
    uint8_t Layer = 0;
    uint16_t Position = 0;
    int Count = 0;
    uint32_t Ids[UbxMaxKeyValues] = {};
    uint64_t Values[UbxMaxKeyValues] = {};
    uint64_t Answers = 0;
};

// Frames of one class and id, counted.
struct UbxCount {
    uint8_t Class = 0;
    uint8_t Id = 0;
    uint64_t Frames = 0;
};

struct UbxState {
    UbxAckRecord Ack;         // the latest ACK-ACK
    UbxAckRecord Nak;         // the latest ACK-NAK
    UbxAckRecord LastAnswer;  // the latest of both
    uint64_t Answers = 0;     // ACK-ACK and ACK-NAK frames decoded
    UbxVersionRecord Version;
    UbxPvtRecord Pvt;
    UbxRelPosNedRecord RelPosNed;
    UbxPosLlhRecord PosLlh;
    UbxTimeUtcRecord TimeUtc;
    UbxSolRecord Sol;
    UbxStatusRecord Status;
    UbxDopRecord Dop;
    UbxSatRecord Sat;
    UbxSigRecord Sig;
    UbxCfgMsgRecord CfgMsg;
    UbxCfgRateRecord CfgRate;
    UbxKeyValuesRecord KeyValues;
    bool VersionKnown = false;
    UbxHealthRecords Health;  // MON-RF, MON-HW/HW2, MON-SPAN, SEC-SIG

    // Whether UBX writes the model (intake/UbxModel.h) is decided per kind as
    // each frame arrives: the receiver's own sound position sentences (GGA,
    // RMC) counted at the NAV-PVT before, and its own GSV at the satellite
    // frame before, tell whether it sends that kind of NMEA too.
    uint64_t OwnPositionAtPvt = 0;
    uint64_t OwnSkyAtSat = 0;
    bool FeedsPosition = false;
    bool FeedsSky = false;

    // Every frame is counted by class and id; pairs beyond UbxCountKinds
    // are counted together in OtherFrames.
    UbxCount Counts[UbxCountKinds];
    int CountKinds = 0;
    uint64_t OtherFrames = 0;
    uint64_t Frames = 0;
    uint64_t UnknownFrames = 0;  // of no message the decoder knows
    uint64_t ShortFrames = 0;    // known, but too short to decode

    void Count(uint8_t messageClass, uint8_t id);
    // Forgets everything a receiver told (a new connection).
    void StartOver();
    uint64_t CountOf(uint8_t messageClass, uint8_t id) const;
};

// The decoders of the RTCM 3 messages this monitor reads. Each reads the
// payload after the 12-bit message number into the latest records and says
// whether the payload held every field it needs; a short payload leaves the
// records as they were.
#pragma once

#include <cstdint>

#include "rtcm/BitReader.h"
#include "rtcm/RtcmRecords.h"

// The latest record of each kind, one MSM per system.
struct RtcmLatest {
    bool HasStation = false;
    RtcmStation Station;
    bool HasDescriptor = false;
    RtcmDescriptor Descriptor;
    bool HasMsm[RtcmSystemCount] = {};
    RtcmMsm Msm[RtcmSystemCount];
    RtcmEphemeris Ephemeris;  // the last one
    bool HasBiases = false;
    RtcmGlonassBiases Biases;
};

using RtcmDecoder = bool (*)(BitReader& bits, uint16_t number, RtcmLatest& latest);

bool DecodeStation(BitReader& bits, uint16_t number, RtcmLatest& latest);
bool DecodeDescriptor(BitReader& bits, uint16_t number, RtcmLatest& latest);
bool DecodeMsm(BitReader& bits, uint16_t number, RtcmLatest& latest);
bool DecodeEphemeris(BitReader& bits, uint16_t number, RtcmLatest& latest);
bool DecodeGlonassBiases(BitReader& bits, uint16_t number, RtcmLatest& latest);

// The system and kind (1-7) of an MSM number; false for another number.
bool MsmOfNumber(uint16_t number, RtcmSystem& system, uint8_t& kind);

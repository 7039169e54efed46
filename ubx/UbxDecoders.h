// Decoders of UBX payloads into the UBX part of the store, by the public
// u-blox interface description. Each is given a payload at least as long as
// its message's fixed part (UbxMessages.cpp checks) and fills one record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ubx/UbxRecords.h"

void DecodeUbxAck(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNak(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxMonVer(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNavPvt(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNavRelPosNed(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNavSat(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNavSig(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNavStatus(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNavDop(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNavSol(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNavPosLlh(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNavSvInfo(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxNavTimeUtc(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxCfgMsg(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxCfgRate(const uint8_t* payload, size_t length, UbxState& ubx);

// The NAV-SAT system and number of a NAV-SVINFO satellite number.
void UbxSatelliteOfSvInfo(uint8_t svid, uint8_t& gnssId, uint8_t& svId);

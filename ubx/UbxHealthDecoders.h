// Decoders of the UBX messages that tell the receiver's health: MON-RF,
// MON-HW, MON-HW2, MON-SPAN and SEC-SIG, by the public u-blox interface
// description. Each is given at least its message's fixed part.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ubx/UbxRecords.h"

void DecodeUbxMonRf(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxMonHw(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxMonHw2(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxMonSpan(const uint8_t* payload, size_t length, UbxState& ubx);
void DecodeUbxSecSig(const uint8_t* payload, size_t length, UbxState& ubx);

constexpr size_t UbxMonRfHeader = 4;
constexpr size_t UbxMonRfBlockSize = 24;
constexpr size_t UbxMonHwLength = 60;
constexpr size_t UbxMonHw2Length = 28;
constexpr size_t UbxMonSpanHeader = 4;
constexpr size_t UbxMonSpanBlockSize = 272;
constexpr size_t UbxSecSigLength = 4;  // version 2's fixed part; version 1 needs 12

// The receiver's health in one view, from whichever UBX messages told it:
// the RF blocks from MON-RF (or MON-HW/MON-HW2, one block), the spoofing
// state from NAV-STATUS and SEC-SIG, the jamming state also from SEC-SIG.
#pragma once

#include <cstdint>

#include "ubx/UbxRecords.h"

constexpr uint8_t UbxSpoofingIndicated = 2;  // NAV-STATUS and SEC-SIG: 2 and above
constexpr uint8_t UbxJammingCritical = 3;

struct ReceiverHealth {
    bool Known = false;  // any health message came
    int BlockCount = 0;
    UbxRfBlock Blocks[UbxMaxRfBlocks];
    uint8_t JamInd = 0;        // the largest indicator of any block
    uint8_t JammingState = 0;  // the worst of the blocks and SEC-SIG
    bool SpoofingKnown = false;
    uint8_t SpoofingState = 0;  // the worse of NAV-STATUS and SEC-SIG
};

ReceiverHealth HealthOf(const UbxState& ubx);

const char* UbxJammingText(uint8_t state);   // "unknown", "ok", "warning", "critical"
const char* UbxSpoofingText(uint8_t state);  // "unknown", "none", "indicated", "multiple"
const char* UbxAntennaText(uint8_t status);  // "init", "unknown", "ok", "short", "open"
const char* UbxAntPowerText(uint8_t power);  // "off", "on", "unknown"

// UBX frames held as hexadecimal text: the stored CFG-RST restart frames, the
// text-to-bytes conversion and the building of a whole frame from its body.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern const char* const UbxHotStartFrame;
extern const char* const UbxWarmStartFrame;
extern const char* const UbxColdStartFrame;

constexpr std::string_view UbxSyncText = "B562";

// Two hexadecimal digits (either case) as one byte; a character that is not
// a hexadecimal digit, or is missing, counts as 0.
uint8_t HexPairToByte(std::string_view pair);
// The bytes a text spells pair by pair; an unpaired last character is dropped.
std::vector<uint8_t> HexTextToBytes(std::string_view text);
// "B562" + body + the two checksum bytes + "0D0A", the checksum taken over
// the body's bytes.
std::string MakeUbxFrameText(std::string_view bodyHex);

// Key values as the configuration window shows and takes them: scaled to
// their unit ("0.2" s for CFG-RATE-MEAS 200), enumerations with the name of
// their value ("4 automotive"), bits as on/off; and the window's groups, the
// key table's groups with each port's protocol keys under the port.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ubxcfg {

std::string ShownValue(uint32_t id, uint64_t raw);
// What the user typed back to the value's bytes: a scaled number, an
// enumeration's number (its name may follow), on/off for a bit, or the
// value as a save file writes it. False when it is no value of the key.
bool ParseShownValue(uint32_t id, std::string_view text, uint64_t& raw);
// "UART1" for CFG-UART1OUTPROT-NMEA, "MSGOUT" for a MSGOUT key; for a key
// the table lacks, the group of the table's keys with its group number, or
// that number as text ("0x99").
std::string WindowGroupOf(uint32_t id);
// Whether the key is one bit (shown as a box to tick).
bool IsBitKey(uint32_t id);
// The window's groups in table order, each once.
std::vector<std::string> WindowGroups();
// The VALGET wildcards that read every key of a window group.
std::vector<uint32_t> GroupWildcards(std::string_view group);
// The wildcards of every group of the table.
std::vector<uint32_t> AllGroupWildcards();

}  // namespace ubxcfg

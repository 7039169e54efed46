// Key values as a text file: one "KEY = VALUE" a line, KEY a name of the key
// table or an id ("0x40990007") for a key it lacks, '#' starting a comment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ubx/UbxKeyCodec.h"

namespace ubxcfg {

// The key's name, or its id as text when the table lacks it.
std::string KeyNameOf(uint32_t id);
// "KEY = VALUE" or "KEY=VALUE" into a value; false with the reason.
bool ParseKeyAssignment(std::string_view text, KeyValue& out, std::string& error);
// Every line; false with "line N: reason" at the first bad one.
bool ParseKeyFile(std::string_view text, std::vector<KeyValue>& out, std::string& error);
std::string KeyFileText(const std::vector<KeyValue>& values);

}  // namespace ubxcfg

// The decoder's JSON lines. The texts in a rendering hold bytes as they came
// in (a sentence, a receiver's version text), and a receiver sends any byte:
// each byte outside printable ASCII is written as the code point of its value
// (0xC2 as \u00c2, a control byte as its JSON escape), so every line is plain
// ASCII and valid JSON whatever arrived, and each text gives its bytes back.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>

// Exit status when standard output cannot be written (a full disk).
constexpr int ExitOutputFailed = 2;

// `bytes` as the UTF-8 of code points U+0000 to U+00FF, one for each byte.
std::string TextOfBytes(std::string_view bytes);

// `value` on one line, its texts taken as bytes (see above).
std::string JsonLine(nlohmann::json value);
std::string JsonLine(nlohmann::ordered_json value);

// Writes `value` and a line end to `out`; false once `out` has failed.
template <class Json>
bool WriteJsonLine(std::ostream& out, Json&& value) {
    out << JsonLine(std::forward<Json>(value)) << '\n';
    return static_cast<bool>(out);
}

// Flushes `out` and tells on `err` in one line, once, when anything written
// to it was lost; returns `status`, or ExitOutputFailed after a loss.
int FinishOutput(std::ostream& out, std::ostream& err, int status);

// Reading the decoder's output back: every line parsed, and a text's code
// points turned back into the bytes they stand for.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

// Each line of `out` parsed; a line that is not plain ASCII JSON fails the test.
inline std::vector<nlohmann::json> ParsedLines(const std::string& out) {
    std::vector<nlohmann::json> objects;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        for (const char c : line)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
                ADD_FAILURE() << "not printable ASCII: " << line;
                return objects;
            }
        try {
            objects.push_back(nlohmann::json::parse(line));
        } catch (const nlohmann::json::exception& e) {
            ADD_FAILURE() << e.what() << ": " << line;
            return objects;
        }
    }
    return objects;
}

// The bytes a text of code points U+0000 to U+00FF stands for.
inline std::string BytesOfText(const std::string& utf8) {
    std::string bytes;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80 || i + 1 == utf8.size()) {
            bytes += static_cast<char>(c);
            continue;
        }
        bytes +=
            static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    }
    return bytes;
}

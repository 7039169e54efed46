// Builds sentences with correct checksums for the tests.
#pragma once

#include <cstdio>
#include <string>

// "$" + body + "*" + checksum + "\r".
inline std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r", sum);
    return "$" + body + tail;
}

// Decodes every real receiver capture of the shared corpus with the decoder
// tool: no crash, the number of valid sentences agrees with an independent
// count, and decoded values agree with the captures' expected outputs.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "DecodeRunner.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path CorpusDir = LUMAROKUB_CORPUS_DIR;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> CorpusFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(CorpusDir))
        if (entry.path().extension() == ".log") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The independent count: each line (ended by CR or LF) is cut before every
// '$'; a piece starting with '$' counts when it holds at most 100 characters
// and carries a correct two-digit checksum after its first '*'. NUL bytes,
// which a serial line drops, are not counted.
bool ValidPiece(const std::string& text) {
    const size_t star = text.find('*');
    if (text.size() > 100 || star == std::string::npos || star + 2 >= text.size()) return false;
    unsigned sum = 0;
    for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(text[i]);
    const int hi = HexDigit(text[star + 1]), lo = HexDigit(text[star + 2]);
    return hi >= 0 && lo >= 0 && unsigned(hi * 16 + lo) == sum;
}

// A piece without a '*' counts as well while no piece with a correct
// checksum came: a '$', two to seven capitals or digits, a comma, printable
// characters, and no blank at the end.
bool UncheckedPiece(const std::string& text) {
    const size_t comma = text.find(',');
    if (text.size() > 100 || comma == std::string::npos || comma < 3 || comma > 8) return false;
    for (size_t i = 1; i < comma; ++i)
        if (!std::isupper(static_cast<unsigned char>(text[i])) &&
            !std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    for (char c : text)
        if (c < ' ' || c > '~' || c == '*') return false;
    return text.back() != ' ';
}

int CountValidLines(const std::string& bytes) {
    int valid = 0;
    bool checksumSeen = false;
    std::string line;
    auto finish = [&] {
        for (size_t dollar = line.find('$'); dollar != std::string::npos;) {
            const size_t next = line.find('$', dollar + 1);
            const std::string piece = line.substr(dollar, next - dollar);
            const bool sound = ValidPiece(piece);
            checksumSeen |= sound;
            valid += sound || (!checksumSeen && UncheckedPiece(piece));
            dollar = next;
        }
        line.clear();
    };
    for (char c : bytes) {
        if (c == '\r' || c == '\n')
            finish();
        else if (c != 0)
            line.push_back(c);
    }
    finish();
    return valid;
}

struct Decoded {
    int sentences = 0;
    int valid = 0;
};

Decoded DecodeLines(const fs::path& file) {
    const DecodeRun run = RunDecode(Quoted(file.string()));
    EXPECT_EQ(run.Status, 0) << file;
    Decoded d;
    std::istringstream lines(run.Out);
    std::string line;
    while (std::getline(lines, line)) {
        const json j = json::parse(line);
        if (j.contains("ubx")) continue;  // UBX frames are counted by test_decode_ubx
        ++d.sentences;
        d.valid += j.at("valid").get<bool>();
    }
    return d;
}

TEST(Corpus, EveryCaptureDecodesAndValidSentencesAgreeWithIndependentCount) {
    const auto files = CorpusFiles();
    ASSERT_GE(files.size(), 40u);
    for (const fs::path& file : files) {
        const Decoded d = DecodeLines(file);
        EXPECT_EQ(d.valid, CountValidLines(ReadFile(file))) << file.filename();
    }
}

}  // namespace

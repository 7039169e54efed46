// Whatever bytes arrive, the decoder ends normally and every line it writes
// is plain ASCII JSON whose texts give the bytes back; a standard output that
// cannot be written is an error.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "DecodeRunner.h"
#include "JsonLines.h"
#include "tests/framing/UbxBytes.h"
#include "tools/decode/JsonOutput.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

std::string Padded(std::string text, size_t width) {
    text.resize(width, '\0');
    return text;
}

// MON-VER whose version texts carry bytes no text should hold; its checksum is right.
std::string MonVerWithHighBytes() {
    return UbxBytes(
        0x0A, 0x04,
        Padded("ROM \xFF\xC2 1.00", 30) + Padded("0004\xFF", 10) + Padded("PROTVER=\xFF\x80", 30));
}

std::string FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string SeededBytes(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    return bytes;
}

class DecodeBytes : public ::testing::Test {
  protected:
    // `bytes` between two sound sentences, in a file.
    std::string Capture(const std::string& name, const std::string& bytes) {
        const fs::path path = fs::temp_directory_path() / ("lumarokub_bytes_" + name);
        std::ofstream(path, std::ios::binary) << Gga << "\r\n" << bytes << "\r\n" << Gga << "\r\n";
        FFiles.push_back(path);
        return Quoted(path.string());
    }
    void TearDown() override {
        for (const auto& f : FFiles) fs::remove(f);
    }
    std::vector<fs::path> FFiles;
};

// Every text a rendering holds comes back byte for byte, whatever the byte.
TEST(JsonOutput, EveryByteComesBackFromItsLine) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::vector<json> plain = ParsedLines(
        JsonLine(json{{"sentence", all}, {"list", json::array({all, json{{"text", all}}})}}));
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(BytesOfText(plain[0]["sentence"]), all);
    EXPECT_EQ(BytesOfText(plain[0]["list"][0]), all);
    EXPECT_EQ(BytesOfText(plain[0]["list"][1]["text"]), all);
    const std::vector<json> ordered =
        ParsedLines(JsonLine(nlohmann::ordered_json{{"swVersion", all}}));
    ASSERT_EQ(ordered.size(), 1u);
    EXPECT_EQ(BytesOfText(ordered[0]["swVersion"]), all);
}

struct BytesCase {
    const char* Name;
    std::string Bytes;
    std::string Text;  // bytes a text of the output holds (empty: none asked for)
};

// Inputs that real receivers and wrong rates produce.
std::vector<BytesCase> BytesCases() {
    const std::string high300(300, '\x80');
    std::string rtcm;  // RTCM 3 frames whose payload holds a '$' and high bytes
    for (int i = 0; i < 40; ++i)
        rtcm += std::string(
            "\xD3\x00\x13$GP\xE1\xF2\x83\x94\xA5\xB6\xC7\xD8\xE9\xFA\x8B\x9C\xAD\xBE"
            "\xCF\x11\x22",
            23);
    std::string ubxPayload("\xB5\x62\x01\x07\x10\x00$\xFF\xFE\xFD\xFC\xFB\xFA\xF9\xF8", 15);
    return {
        {"HighBytesAfterASentenceStart", "$GPGGA,1" + high300 + "\r\n", "$GPGGA,1"},
        {"AProgramFile", FileBytes("/bin/ls"), ""},
        {"DollarInsideRtcm3", rtcm, ""},
        {"DollarInsideAUbxFrame", ubxPayload + ubxPayload + std::string(200, '\xEE'), ""},
        {"MonVerWithHighBytesInItsVersion", MonVerWithHighBytes(), "ROM \xFF\xC2 1.00"},
        {"SeededRandomBytes", SeededBytes(200000, 11), ""},
    };
}

// The texts of one parsed line, every level down.
void CollectTexts(const json& value, std::vector<std::string>& texts) {
    if (value.is_string()) texts.push_back(BytesOfText(value.get<std::string>()));
    if (value.is_structured())
        for (const json& item : value) CollectTexts(item, texts);
}

bool HoldsText(const std::vector<json>& objects, const std::string& wanted) {
    std::vector<std::string> texts;
    for (const json& o : objects) CollectTexts(o, texts);
    for (const std::string& t : texts)
        if (t.find(wanted) != std::string::npos) return true;
    return false;
}

TEST_F(DecodeBytes, EndsNormallyWithEveryLineValidAndEarlierLinesKept) {
    for (const BytesCase& c : BytesCases()) {
        SCOPED_TRACE(c.Name);
        const std::string file = Capture(c.Name, c.Bytes);
        const DecodeRun lines = RunDecode(file);
        ASSERT_EQ(lines.Status, 0);
        const std::vector<json> objects = ParsedLines(lines.Out);
        ASSERT_GE(objects.size(), 2u);
        EXPECT_EQ(objects.front().value("sentence", ""), Gga);
        EXPECT_EQ(objects.back().value("sentence", ""), Gga);
        if (!c.Text.empty()) {
            EXPECT_TRUE(HoldsText(objects, c.Text)) << lines.Out;
        }

        const DecodeRun final = RunDecode("--final " + file);
        ASSERT_EQ(final.Status, 0);
        const std::vector<json> state = ParsedLines(final.Out);
        ASSERT_EQ(state.size(), 1u) << final.Out;
        EXPECT_GE(state[0]["counts"]["valid"].get<int>(), 2);
    }
}

// Every file of the shared corpus, the binary captures and the notes too.
TEST_F(DecodeBytes, EveryFileOfTheCorpus) {
    const fs::path corpus = fs::path(LUMAROKUB_CORPUS_DIR) / "..";
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        SCOPED_TRACE(entry.path().string());
        ++files;
        const std::string file = Quoted(entry.path().string());
        const DecodeRun lines = RunDecode(file);
        EXPECT_EQ(lines.Status, 0);
        ParsedLines(lines.Out);
        const DecodeRun final = RunDecode("--final " + file);
        EXPECT_EQ(final.Status, 0);
        EXPECT_EQ(ParsedLines(final.Out).size(), 1u);
    }
    EXPECT_GT(files, 50);
}

TEST_F(DecodeBytes, TheReceiverIdentityKeepsItsBytes) {
    const DecodeRun run = RunDecode("--final " + Capture("monver", MonVerWithHighBytes()));
    ASSERT_EQ(run.Status, 0);
    const json receiver = ParsedLines(run.Out).at(0)["Ubx"]["receiver"];
    EXPECT_EQ(BytesOfText(receiver["software"]), "ROM \xFF\xC2 1.00");
    EXPECT_EQ(BytesOfText(receiver["hardware"]), "0004\xFF");
    EXPECT_EQ(BytesOfText(receiver["extensions"][0]), "PROTVER=\xFF\x80");
}

TEST_F(DecodeBytes, AMegabyteOfRandomBytesFromAFile) {
    const std::string file = Capture("random", SeededBytes(1 << 20, 2024));
    const DecodeRun lines = RunDecode(file);
    ASSERT_EQ(lines.Status, 0);
    EXPECT_GT(ParsedLines(lines.Out).size(), 100u);
    const DecodeRun final = RunDecode("--final " + file);
    ASSERT_EQ(final.Status, 0);
    EXPECT_EQ(ParsedLines(final.Out).size(), 1u);
}

// Standard output on a full device: status 2 and one line on standard error.
TEST_F(DecodeBytes, AnUnwritableStandardOutputIsAnError) {
    const std::string file = Capture("full", std::string(20000, 'x') + "\r\n" + Gga);
    for (const std::string& arguments :
         {file, "--final " + file, std::string("--version"), std::string("--help"), "< " + file}) {
        SCOPED_TRACE(arguments);
        // Standard error goes where standard output would have gone.
        const DecodeRun run = RunDecodeCommand(arguments + " 2>&1 >/dev/full");
        EXPECT_EQ(run.Status, 2);
        EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 1) << run.Out;
        EXPECT_NE(run.Out.find("standard output"), std::string::npos) << run.Out;
    }
}

}  // namespace

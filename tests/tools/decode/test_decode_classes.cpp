// lumarokub-decode on every capture of the corpus ends normally and its
// "bytes" add up to the file; RTCM 3 frames come as one line each in stream
// order and are counted by number; a sentence right after 298 bytes of
// noise is decoded.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "DecodeRunner.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path Corpus = fs::path(LUMAROKUB_CORPUS_DIR).parent_path();

TEST(DecodeByteClasses, EveryCaptureEndsNormallyAndItsBytesAddUp) {
    int files = 0;
    for (const char* folder : {"nmea", "ubx", "rtcm"})
        for (const auto& entry : fs::directory_iterator(Corpus / folder)) {
            if (entry.path().extension() != ".log") continue;
            const DecodeRun run = RunDecode("--final " + Quoted(entry.path().string()));
            ASSERT_EQ(run.Status, 0) << entry.path();
            const json bytes = json::parse(run.Out).at("bytes");
            uint64_t sum = 0;
            for (const char* name : {"sound", "badChecksum", "ubx", "rtcm", "badFrames", "noise"})
                sum += bytes.at(name).get<uint64_t>();
            EXPECT_EQ(sum, fs::file_size(entry.path())) << entry.path();
            EXPECT_EQ(bytes.at("total").get<uint64_t>(), sum) << entry.path();
            ++files;
        }
    EXPECT_GE(files, 64);  // 42 NMEA, 16 UBX and 6 RTCM 3 captures
}

TEST(DecodeByteClasses, RtcmFramesComeAsLinesInStreamOrderAndAreCountedByNumber) {
    const std::string path = (Corpus / "rtcm" / "rtcm3_102x135.log").string();
    const DecodeRun lines = RunDecode(Quoted(path));
    ASSERT_EQ(lines.Status, 0);
    std::istringstream in(lines.Out);
    std::string line, numbers;
    while (std::getline(in, line)) {
        const json frame = json::parse(line);
        ASSERT_TRUE(frame.contains("rtcm")) << line;
        EXPECT_TRUE(frame.at("valid").get<bool>());
        EXPECT_GT(frame.at("length").get<int>(), 2);
        numbers += std::to_string(frame.at("rtcm").get<int>()) + " ";
    }
    EXPECT_EQ(numbers.substr(0, 20), "1021 1023 1025 1021 ");
    const json final = json::parse(RunDecode("--final " + Quoted(path)).Out);
    EXPECT_EQ(final.at("Rtcm").at("frames"), 15);
    std::string counts;
    for (const json& row : final.at("Rtcm").at("counts"))
        counts += std::to_string(row.at("rtcm").get<int>()) + " " +
                  row.at("name").get<std::string>() + ": " +
                  std::to_string(row.at("frames").get<int>()) + "; ";
    EXPECT_EQ(counts,
              "1021 Transformation parameters: 4; 1023 Transformation parameters: 4; "
              "1025 Transformation parameters: 4; 1029 Unicode text: 3; ");
    EXPECT_FALSE(final.contains("Ubx"));
}

// A header, start-up noise or binary data of 298 + k x 299 bytes before a
// sentence must not swallow its '$'.
TEST(DecodeByteClasses, NoNumberOfNoiseBytesLosesTheSentenceAfterThem) {
    const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    for (const size_t noise : {296u, 297u, 298u, 299u, 298u + 299u, 298u + 5 * 299u}) {
        const std::string file = testing::TempDir() + "noise-" + std::to_string(getpid());
        std::ofstream(file, std::ios::binary) << std::string(noise - 1, 'x') + "\n" + gga;
        const DecodeRun run = RunDecode("--final " + Quoted(file));
        fs::remove(file);
        ASSERT_EQ(run.Status, 0);
        const json state = json::parse(run.Out);
        EXPECT_EQ(state.at("counts").at("valid"), 1) << noise << " bytes before";
        EXPECT_EQ(state.at("bytes").at("noise"), noise) << noise << " bytes before";
    }
}

}  // namespace

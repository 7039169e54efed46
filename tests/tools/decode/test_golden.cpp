// GPS-only captures decode to exactly the final state recorded in the golden
// files: whatever the decoder learns later, what it reported stays the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "DecodeRunner.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path CorpusDir = LUMAROKUB_CORPUS_DIR;
const fs::path GoldenDir = LUMAROKUB_GOLDEN_DIR;

class GoldenFinalState : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenFinalState, EveryRecordedFieldIsUnchanged) {
    const std::string name = GetParam();
    std::ifstream in(GoldenDir / (name + ".final.json"));
    const json golden = json::parse(in);
    const DecodeRun run = RunDecode("--final " + Quoted((CorpusDir / (name + ".log")).string()));
    ASSERT_EQ(run.Status, 0);
    const json state = json::parse(run.Out);
    // New keys may be added; every key of the golden file keeps its value.
    for (const auto& [key, value] : golden.items())
        EXPECT_EQ(state.at(key), value) << name << " " << key;
}

// A receiver of one system gets no extended table: its output is byte for byte
// what it always was.
TEST_P(GoldenFinalState, GpsOnlyOutputIsByteIdentical) {
    const std::string name = GetParam();
    std::ifstream in(GoldenDir / (name + ".final.json"), std::ios::binary);
    const std::string golden((std::istreambuf_iterator<char>(in)), {});
    const DecodeRun run = RunDecode("--final " + Quoted((CorpusDir / (name + ".log")).string()));
    ASSERT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, golden) << name;
}

INSTANTIATE_TEST_SUITE_P(GpsOnlyCaptures, GoldenFinalState,
                         ::testing::Values("mt3339", "bu353s4", "gr601-w", "ublox-lea-4h",
                                           "garmin15x", "quectel", "GPSmap-76S", "polarx2",
                                           "firefly-II", "hemi"),
                         FileParamName);

}  // namespace

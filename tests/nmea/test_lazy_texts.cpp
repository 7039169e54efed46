// The display texts are formatted when read: whenever they are read, they
// are what formatting every sentence on arrival would have made of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "NmeaTestUtil.h"
#include "framing/Framing.h"
#include "nmea/Dispatch.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Texts(const DataDisplay& d) {
    return {d.FixModeText, d.FixValidText, d.HdopText,  d.VdopText,      d.PdopText,
            d.UsedPrnText, d.SatsUsedText, d.DateText,  d.LocalTimeText, d.GmtText,
            d.LatText,     d.LonText,      d.SpeedText, d.CourseText,    d.AltText};
}

std::vector<std::string> Sentences(const std::string& bytes) {
    std::vector<std::string> sentences;
    MemoryByteSource source(bytes.data(), bytes.size());
    char buffer[SentenceBufferSize];
    while (!source.AtEnd()) {
        const uint16_t n = FrameSentence(source, buffer, [] { return false; });
        if (n != 0) sentences.emplace_back(SentenceText(buffer, n));
    }
    return sentences;
}

// One store reads its texts after every sentence, as if each were formatted
// on arrival; the other only every 'stride' sentences. At each of the second
// store's reads both must show the same texts.
void ExpectSameTextsAtEveryRead(const std::vector<std::string>& sentences, size_t stride,
                                const std::string& name) {
    NMEA_Manager eager, lazy;
    for (size_t i = 0; i < sentences.size(); ++i) {
        DispatchSentence(sentences[i], eager, nullptr);
        DispatchSentence(sentences[i], lazy, nullptr);
        const std::vector<std::string> now = Texts(eager.Display());
        if ((i + 1) % stride != 0 && i + 1 != sentences.size()) continue;
        ASSERT_EQ(Texts(lazy.Display()), now)
            << name << ", after sentence " << i + 1 << ": " << sentences[i];
    }
}

}  // namespace

TEST(LazyTexts, EveryCorpusCaptureReadsAlikeWhenReadRarely) {
    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(LUMAROKUB_CORPUS_DIR))
        if (entry.path().extension() == ".log") logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());
    ASSERT_FALSE(logs.empty());
    for (const fs::path& log : logs) {
        std::ifstream in(log, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const std::vector<std::string> sentences = Sentences(bytes);
        for (size_t stride : {7u, 50u, 1000u})
            ExpectSameTextsAtEveryRead(sentences, stride, log.filename().string());
    }
}

// A sentence that fails part-way leaves what it decoded in the record; the
// texts of the sound sentence before it are still that sentence's.
TEST(LazyTexts, ASentenceFailingPartWayDoesNotChangeTheTextsWaiting) {
    ExpectSameTextsAtEveryRead(
        {Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
         Sentence("GPGGA,123520,4908.000,N")},
        2, "GGA, then a GGA cut short");
    ExpectSameTextsAtEveryRead(
        {Sentence("GPRMC,123520,A,4908.000,N,01131.000,E,022.4,084.4,230394,003.1,W"),
         Sentence("GPRMC,123521,A,5008.000,N")},
        2, "RMC, then an RMC cut short");
}

// An RMC without a valid status clears the altitude text, one with it does
// not touch it: the cleared text stands when the second follows the first.
TEST(LazyTexts, AValidRmcAfterAnInvalidOneLeavesTheAltitudeCleared) {
    const std::vector<std::string> sentences = {
        Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
        Sentence("GPRMC,123520,V,4908.000,N,01131.000,E,022.4,084.4,230394,003.1,W"),
        Sentence("GPRMC,123521,A,4908.000,N,01131.000,E,022.4,084.4,230394,003.1,W")};
    ExpectSameTextsAtEveryRead(sentences, 3, "GGA, RMC invalid, RMC valid");
    NMEA_Manager store;
    for (const std::string& s : sentences) DispatchSentence(s, store, nullptr);
    EXPECT_EQ(store.Display().AltText, "--");
}

// GGA, RMC and GLL all write the position texts: the last sentence to come
// sets them, however many came before the read.
TEST(LazyTexts, TheLastSentenceOfSeveralWritingOneTextSetsIt) {
    const std::string gga =
        Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    const std::string rmc =
        Sentence("GPRMC,123520,A,4908.000,N,01131.000,E,022.4,084.4,230394,003.1,W");
    NMEA_Manager store;
    DispatchSentence(gga, store, nullptr);
    DispatchSentence(rmc, store, nullptr);
    EXPECT_EQ(store.Display().LatText, "N 49.13333");  // 4908.000: five decimals
    DispatchSentence(rmc, store, nullptr);
    DispatchSentence(gga, store, nullptr);
    EXPECT_EQ(store.Display().LatText, "N 48.11730");
    EXPECT_EQ(store.Display().SpeedText, "41.5 km/hr    ");  // RMC's alone, still shown
}

// A text written directly (the fix mode cleared on a restart) is not undone
// by sentences that came before it, only by those after it.
TEST(LazyTexts, ADirectWriteStandsAgainstEarlierSentences) {
    NMEA_Manager store;
    DispatchSentence(Sentence("GPGSA,A,3,04,05,09,12,24,30,,,,,,,2.5,1.5,2.1"), store, nullptr);
    store.Display().FixModeText = "cleared";
    EXPECT_EQ(store.Display().FixModeText, "cleared");
    DispatchSentence(Sentence("GPGSA,A,2,04,05,09,,,,,,,,,,2.5,1.5,2.1"), store, nullptr);
    EXPECT_EQ(store.Display().FixModeText, "2D");
}

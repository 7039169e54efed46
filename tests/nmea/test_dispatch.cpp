// Checksum test and dispatch of sentences into the store, with capture.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "NmeaTestUtil.h"
#include "nmea/Dispatch.h"
#include "nmea/SentenceTypes.h"

namespace {

class CountingPurger : public PortPurger {
  public:
    void PurgeBoth() override { ++Purges; }
    int Purges = 0;
};

const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r";

TEST(VerifyChecksum, Rules) {
    EXPECT_TRUE(VerifyChecksum(Gga));
    EXPECT_TRUE(VerifyChecksum("$GPTXT,01,01,02,abc*2d\r"));  // lower-case digits
    EXPECT_TRUE(VerifyChecksum("$GPTXT,01,01,02,abc*2D\r"));
    EXPECT_FALSE(VerifyChecksum("$GPTXT,01,01,02,abc*2E\r"));
    EXPECT_TRUE(VerifyChecksum("$GPTXT,01,01,02,abc*2D"));       // no line end
    EXPECT_TRUE(VerifyChecksum("$GPTXT,01,01,02,abc*2Dxyz\r"));  // two digits read
    EXPECT_FALSE(VerifyChecksum("$GPGGA,1\r"));                  // no checksum
    EXPECT_FALSE(VerifyChecksum("$GPGGA,1*"));
}

// A checksum of 00 is as good as any other; only a missing one is not.
TEST(VerifyChecksum, CorrectChecksumOfZeroIsValid) {
    EXPECT_TRUE(VerifyChecksum("$AA*00\r"));  // 'A' xor 'A' is 0
    EXPECT_TRUE(VerifyChecksum("$GPGSA,A,1,28,04,02,,,,,,,,,,9.99,9.94,1.00*00\r"));
    EXPECT_FALSE(VerifyChecksum("$AA*01\r"));
    EXPECT_FALSE(VerifyChecksum("$AA\r"));   // no '*'
    EXPECT_FALSE(VerifyChecksum("$AA*\r"));  // no digits
    EXPECT_FALSE(VerifyChecksum("$AA*"));
    EXPECT_FALSE(VerifyChecksum("$AA*x0\r"));
}

// The text ends at the first NUL wherever it stands, in or across the
// blocks the search takes at once, and at the length without one.
TEST(SentenceText, EndsAtTheFirstNulOrTheLength) {
    char buffer[64];
    for (uint32_t length : {0u, 1u, 15u, 16u, 17u, 33u, 63u}) {
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        EXPECT_EQ(SentenceText(buffer, length).size(), length);
        for (uint32_t nul = 0; nul < length; ++nul) {
            std::fill(std::begin(buffer), std::end(buffer), 'x');
            buffer[nul] = 0;
            if (nul + 1 < length) buffer[length - 1] = 0;  // a later NUL does not count
            const std::string_view text = SentenceText(buffer, length);
            EXPECT_EQ(text.data(), buffer);
            EXPECT_EQ(text.size(), nul) << "length " << length;
        }
        buffer[length] = 0;  // a NUL past the length is not looked at
        std::fill(buffer, buffer + length, 'x');
        EXPECT_EQ(SentenceText(buffer, length).size(), length);
    }
}

struct Dispatched {
    NMEA_Manager store;
    CountingPurger purger;
    // As the reader takes a sentence in: dispatch under the lock, then the capture.
    DispatchResult Run(const std::string& s) {
        DispatchResult r;
        {
            std::lock_guard<std::mutex> guard(store.Lock());
            r = DispatchSentence(s, store, &purger);
        }
        r.CaptureFailed = CaptureSentence(s, store);
        return r;
    }
};

TEST(DispatchSentence, GgaIsParsedFormattedAndRefreshes) {
    Dispatched d;
    const DispatchResult r = d.Run(Gga);
    EXPECT_TRUE(r.Valid);
    EXPECT_EQ(r.Type, SentenceTypeGGA);
    EXPECT_TRUE(r.Refresh);
    EXPECT_EQ(d.store.Gga.Message.Latitude, 4811730);
    EXPECT_EQ(d.store.Display().LatText, "N 48.11730");
}

TEST(DispatchSentence, BadChecksumIsNotParsed) {
    Dispatched d;
    std::string bad = Gga;
    bad[bad.size() - 2] = '8';
    const DispatchResult r = d.Run(bad);
    EXPECT_FALSE(r.Valid);
    EXPECT_FALSE(r.Refresh);
    EXPECT_EQ(d.store.Gga.Message.Latitude, 0);
    EXPECT_EQ(d.purger.Purges, 0);
}

TEST(DispatchSentence, SatsUsedFollowsTheLastFormatted) {
    Dispatched d;
    d.Run(Gga);
    EXPECT_EQ(d.store.Display().SatsUsedText, "8");
    d.Run(Sentence("GPGSA,A,3,04,05,09,12,24,30,,,,,,,2.5,1.5,2.1"));
    EXPECT_EQ(d.store.Display().SatsUsedText, "6");
    d.Run(Gga);
    EXPECT_EQ(d.store.Display().SatsUsedText, "8");
}

TEST(DispatchSentence, ZdaAndMssRefreshWithoutChangingTheStore) {
    Dispatched d;
    EXPECT_TRUE(d.Run(Sentence("GPZDA,201530.00,04,07,2002,00,00")).Refresh);
    EXPECT_TRUE(d.Run(Sentence("GPMSS,55,27,318.0,100,1")).Refresh);
    EXPECT_EQ(d.store.Display().GmtText, "");
}

TEST(DispatchSentence, FailedParseStillRefreshesExceptGsv) {
    Dispatched d;
    EXPECT_TRUE(d.Run(Sentence("GPGGA,123519")).Refresh);
    EXPECT_FALSE(d.Run(Sentence("GPGSV,3,1,10")).Refresh);
}

TEST(DispatchSentence, GsvRefreshesOnceAfterLastPage) {
    Dispatched d;
    EXPECT_FALSE(d.Run(Sentence("GPGSV,3,1,09,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45"))
                     .Refresh);
    EXPECT_FALSE(d.Run(Sentence("GPGSV,3,2,09,15,40,083,46,16,17,308,41,17,07,344,39,18,22,228,45"))
                     .Refresh);
    EXPECT_TRUE(d.Run(Sentence("GPGSV,3,3,09,19,40,083,46")).Refresh);
}

TEST(DispatchSentence, UnknownTypePurgesOnlyWhenItIsNoise) {
    Dispatched d;
    // A sound sentence the table does not know is skipped, queued data kept.
    DispatchResult r = d.Run(Sentence("GPTXT,01,01,02,ANTSTATUS=OK"));
    EXPECT_TRUE(r.Valid);
    EXPECT_EQ(r.Type, SentenceTypeNone);
    EXPECT_FALSE(r.Refresh);
    EXPECT_EQ(d.purger.Purges, 0);
    // Garbage with a type the table does not know: purge both directions.
    r = d.Run("$GPXYZ,1,2*00\r");
    EXPECT_FALSE(r.Refresh);
    EXPECT_EQ(d.purger.Purges, 1);
    // A known type with a bad checksum is not a reason to purge.
    d.Run("$GPGGA,1*00\r");
    EXPECT_EQ(d.purger.Purges, 1);
}

TEST(DispatchSentence, TypeComparisonIsCaseSensitive) {
    Dispatched d;
    EXPECT_EQ(d.Run(Sentence("gpgga,1")).Type, SentenceTypeNone);
    EXPECT_EQ(d.Run(Sentence("GPGG")).Type, SentenceTypeNone);
    EXPECT_EQ(d.Run("$").Type, SentenceTypeNone);
}

// A link that has sent no checksum yet: a sentence without '*' is taken,
// unchecked, and decoded as a checked one would be. Once a sentence with a
// sound checksum came, one without is refused again.
TEST(DispatchSentence, SentencesWithoutChecksumWhileTheLinkSendsNone) {
    struct Step {
        std::string Text;
        bool Valid, Unchecked;
    };
    const std::string gga =
        "$GPGGA,222449,3349.0337,S,01843.9282,E,1,07,02.31,000115.4,M,0033.3,M,,";
    const std::vector<std::vector<Step>> links = {
        // A time reference that sends no checksums at all.
        {{gga + "\r", true, true},
         {"$GPZDA,222449,25,10,2010,+00,00\n", true, true},
         {"$PFEC,GPtps,101025222449,3,1,1\r", true, true},
         {"$GPGSV,3,3,09,32,16,070,00\r", true, true}},
        // What does not look like a sentence is still refused.
        {{"$GPGSV, \r", false, false},         // a '$' quoted in text: a blank at the end
         {"$GPGGA\r", false, false},           // no comma after the address
         {"$G,1,2\r", false, false},           // an address of one character
         {"$GPGGA*,1\r", false, false},        // a '*' without digits
         {"$GPGGA,1,\x01,2\r", false, false},  // a control character
         {"$gpgga,1,2\r", false, false}},      // not an address
        // A checksum came: from then on none is refused.
        {{gga + "\r", true, true}, {Gga, true, false}, {gga + "\r", false, false}},
        // A bad checksum is no sound one: unchecked sentences go on.
        {{"$GPGGA,1*00\r", false, false}, {gga + "\r", true, true}},
    };
    for (const auto& link : links) {
        Dispatched d;
        for (const Step& step : link) {
            const DispatchResult r = d.Run(step.Text);
            EXPECT_EQ(r.Valid, step.Valid) << step.Text;
            EXPECT_EQ(r.Unchecked, step.Unchecked) << step.Text;
        }
    }
    Dispatched d;
    EXPECT_TRUE(d.Run(gga + "\r").Refresh);
    EXPECT_NEAR(d.store.Gga.Message.Latitude, -3381722, 1);
    EXPECT_EQ(d.store.Gga.Message.Spc.SatsUsed, 7);
    EXPECT_EQ(d.store.Display().LatText.substr(0, 9), "S 33.8172");
    EXPECT_EQ(d.store.Display().FixModeText, "3D");
    EXPECT_EQ(d.store.ValidSentences, 1u);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Capture, EverySentenceLineEndsCrCrLf) {
    const auto path = std::filesystem::temp_directory_path() / "lumarokub_capture_test.txt";
    Dispatched d;
    ASSERT_TRUE(d.store.Capture.Open(path.string()));
    d.Run(Gga);
    d.Run("$GPRMC,bad*00\r");
    // Flushed line by line: visible before the stream closes.
    EXPECT_EQ(ReadFile(path), Gga + "\r\n" + "$GPRMC,bad*00\r\r\n");
    d.store.Capture.Close();
    std::filesystem::remove(path);
}

TEST(Capture, WrittenWhileAnotherThreadHoldsTheStore) {
    const auto path = std::filesystem::temp_directory_path() / "lumarokub_capture_unlocked.txt";
    Dispatched d;
    ASSERT_TRUE(d.store.Capture.Open(path.string()));
    std::unique_lock<std::mutex> held(d.store.Lock());
    auto written = std::async(std::launch::async, [&] { return CaptureSentence(Gga, d.store); });
    const bool done = written.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    held.unlock();
    EXPECT_TRUE(done) << "the capture waited for the store's lock";
    EXPECT_FALSE(written.get());
    EXPECT_EQ(ReadFile(path), Gga + "\r\n");
    d.store.Capture.Close();
    std::filesystem::remove(path);
}

TEST(Capture, ClosedStreamIsNoFailure) {
    Dispatched d;
    EXPECT_FALSE(CaptureSentence(Gga, d.store));
    EXPECT_FALSE(d.Run(Gga).CaptureFailed);
}

TEST(Capture, UncreatableFileReportsWhy) {
    CaptureStream capture;
    EXPECT_FALSE(capture.Open("/nonexistent-folder/x.txt"));
    EXPECT_FALSE(capture.IsOpen());
    EXPECT_FALSE(capture.Error().empty());
}

TEST(Capture, WriteErrorClosesAndIsReported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP();
    Dispatched d;
    ASSERT_TRUE(d.store.Capture.Open("/dev/full"));
    EXPECT_TRUE(d.Run(Gga).CaptureFailed);
    EXPECT_FALSE(d.store.Capture.IsOpen());
    EXPECT_FALSE(d.Run(Gga).CaptureFailed);  // reported once
}

}  // namespace

// Sentence framing rules over a byte source.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framing/Framing.h"

namespace {

// A source that records the framer's pauses and purges.
class RecordingSource {
  public:
    explicit RecordingSource(std::string bytes) : FBytes(std::move(bytes)) {}
    uint8_t ReadByte() { return FPos < FBytes.size() ? static_cast<uint8_t>(FBytes[FPos++]) : 0; }
    void Pause(unsigned ms) { Pauses.push_back(ms); }
    void PurgeTransmit() { ++Purges; }
    void Unread() { --FPos; }
    size_t Position() const { return FPos; }
    std::vector<unsigned> Pauses;
    int Purges = 0;

  private:
    std::string FBytes;
    size_t FPos = 0;
};

const auto Never = [] { return false; };

std::string Frame(RecordingSource& source) {
    char buffer[SentenceBufferSize];
    const uint16_t n = FrameSentence(source, buffer, Never);
    for (int i = n; i < SentenceBufferSize; ++i) EXPECT_EQ(buffer[i], 0) << "byte " << i;
    return std::string(buffer, n);
}

const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

TEST(FrameSentence, StrayBytesThenSentenceWithCrLf) {
    const std::string bytes = "xy\r\n" + Gga + "\r\n";
    RecordingSource source(bytes);
    EXPECT_EQ(Frame(source), Gga + "\r");
    EXPECT_EQ(source.Position(), bytes.size() - 1);  // the LF is left for the next call
}

TEST(FrameSentence, ConsecutiveSentencesLfOnlyAndCrCrLf) {
    RecordingSource lf("$GPA*00\n$GPB*00\n");
    EXPECT_EQ(Frame(lf), "$GPA*00\r");
    EXPECT_EQ(Frame(lf), "$GPB*00\r");
    RecordingSource crcrlf("$GPA*00\r\r\n$GPB*00\r\r\n");
    EXPECT_EQ(Frame(crcrlf), "$GPA*00\r");
    EXPECT_EQ(Frame(crcrlf), "$GPB*00\r");
}

TEST(FrameSentence, HundredCharactersFitAndMoreDoNot) {
    const std::string hundred = "$" + std::string(99, 'A');
    RecordingSource fits(hundred + "\r\n");
    EXPECT_EQ(Frame(fits).size(), 101u);
    RecordingSource over(hundred + "B\r\n" + Gga + "\r\n");
    EXPECT_EQ(Frame(over), "");
    EXPECT_EQ(Frame(over), Gga + "\r");  // the next sentence is found again
}

TEST(FrameSentence, SeventhHighByteGivesUpAfterSixPauses) {
    RecordingSource source(std::string(7, '\x80') + Gga + "\r");
    EXPECT_EQ(Frame(source), "");
    EXPECT_EQ(source.Pauses, std::vector<unsigned>(6, HighBytePauseMs));
    EXPECT_EQ(source.Position(), 7u);
}

// The byte read at the step limit is left for the next call: a '$' there
// starts the next sentence, whatever number of noise bytes came before.
TEST(FrameSentence, GivesUpAfter298BytesWithoutDollarAndKeepsTheNext) {
    RecordingSource source(std::string(400, 'x'));
    EXPECT_EQ(Frame(source), "");
    EXPECT_EQ(source.Position(), 298u);
    for (const size_t noise : {296u, 297u, 298u, 299u, 298u + 299u, 298u + 2 * 299u}) {
        RecordingSource s(std::string(noise, 'x') + Gga + "\r");
        std::string last;
        for (int call = 0; call < 4 && last.empty(); ++call) last = Frame(s);
        EXPECT_EQ(last, Gga + "\r") << noise << " bytes before";
    }
}

TEST(FrameSentence, NulAndHighBytesInsideAreDropped) {
    RecordingSource source(std::string("$GP\x00G\xffGA*00\r", 12));
    EXPECT_EQ(Frame(source), std::string("$GPGGA*00\r"));
    EXPECT_EQ(source.Pauses, (std::vector<unsigned>{DroppedBytePauseMs, DroppedBytePauseMs,
                                                    CarriageReturnPauseMs}));
}

TEST(FrameSentence, DeleteWhileHuntingPurgesTransmit) {
    RecordingSource source("\x7f$GPA*00\r");
    EXPECT_EQ(Frame(source), "$GPA*00\r");
    EXPECT_EQ(source.Purges, 1);
}

// At the collect limit the sentence ends: the NUL or high byte read there is
// dropped like any other, never stored.
TEST(FrameSentence, SentenceCutByEndOfInputOrHighBytesEndsAtTheCollectLimit) {
    RecordingSource source("$GPGGA,1*47");
    EXPECT_EQ(Frame(source), "$GPGGA,1*47");
    RecordingSource high("$GPGGA,1" + std::string(300, '\x80') + "\r\n");
    EXPECT_EQ(Frame(high), "$GPGGA,1");
}

TEST(FrameSentence, StopFlagEndsTheHunt) {
    RecordingSource source(Gga + "\r");
    char buffer[SentenceBufferSize];
    EXPECT_EQ(FrameSentence(source, buffer, [] { return true; }), 0);
    EXPECT_EQ(source.Position(), 0u);
}

// A '$' starts a sentence wherever it stands: a doubled '$' is one sentence,
// and a sentence that lost its line end is handed on by itself, broken, so
// the one glued behind it is kept whole.
TEST(FrameSentence, DollarStartsANewSentence) {
    RecordingSource doubled("$$" + Gga + "\r\n");
    EXPECT_EQ(Frame(doubled), Gga + "\r");

    const std::string cut = "$GPGSV,3,1,11,03,03,0";
    RecordingSource glued(cut + Gga + "\r\n" + Gga + "\r\n");
    EXPECT_EQ(Frame(glued), cut + "\r");
    EXPECT_EQ(Frame(glued), Gga + "\r");
    EXPECT_EQ(Frame(glued), Gga + "\r");

    // A '$' as the 101st character still ends the 100 before it.
    const std::string hundred = "$" + std::string(99, 'A');
    RecordingSource full(hundred + Gga + "\r\n");
    EXPECT_EQ(Frame(full), hundred + "\r");
    EXPECT_EQ(Frame(full), Gga + "\r");
}

}  // namespace

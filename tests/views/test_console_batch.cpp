// The console's batch append: what the reader's hand-offs show, which must
// be what appending the sentences one by one would show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "views/FrameConsole.h"

namespace {

std::vector<std::string> Numbered(int first, int count) {
    std::vector<std::string> lines;
    for (int i = first; i < first + count; ++i)
        lines.push_back("$GPTXT,01,01,02,line " + std::to_string(i) + "*00\r");
    return lines;
}

class ConsoleBatchTest : public testing::Test {
  protected:
    // `one` gets each batch sentence by sentence, `batch` as one hand-off.
    void Feed(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) one.AppendSentence(line);
        batch.AppendSentences(lines, 0);
    }
    void ExpectSame() const {
        EXPECT_EQ(batch.consoleMemo->toPlainText(), one.consoleMemo->toPlainText());
        EXPECT_EQ(batch.LineCount(), one.LineCount());
    }

    GPSConfig config;
    TFConsole one{nullptr, config};
    TFConsole batch{nullptr, config};
};

// Across the clear at 350 lines, twice within one batch too, and while
// paused (a full memo still clears, nothing is added).
TEST_F(ConsoleBatchTest, ABatchShowsWhatItsSentencesOneByOneWould) {
    Feed(Numbered(0, 1));
    ExpectSame();
    Feed(Numbered(1, 348));
    ExpectSame();
    ASSERT_EQ(batch.LineCount(), 349);
    Feed(Numbered(349, 2));
    ExpectSame();
    ASSERT_EQ(batch.LineCount(), 1);
    Feed(Numbered(351, 800));
    ExpectSame();
    ASSERT_EQ(batch.LineCount(), 101);
    config.DisplayPaused = true;
    Feed(Numbered(1151, 300));
    ExpectSame();
    ASSERT_EQ(batch.LineCount(), 101) << "paused: nothing added";
    config.DisplayPaused = false;
    Feed(Numbered(1451, 249));
    ASSERT_EQ(batch.LineCount(), 350);
    config.DisplayPaused = true;
    Feed(Numbered(1700, 2));
    ExpectSame();
    EXPECT_EQ(batch.LineCount(), 1) << "paused: a full memo still clears";
    config.DisplayPaused = false;
    Feed({});
    ExpectSame();
}

// Sentences that could not be handed over: the console starts over with
// their count, then the latest sentences.
TEST_F(ConsoleBatchTest, LinesNotShownAreCountedInALineBeforeTheLatest) {
    batch.AppendSentences(Numbered(0, 100), 0);
    batch.AppendSentences(Numbered(2100, 3), 2000);
    const QStringList lines = batch.consoleMemo->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].trimmed(), "*** 2000 lines not shown");
    EXPECT_EQ(lines[1].trimmed(), "$GPTXT,01,01,02,line 2100*00");
    EXPECT_EQ(lines[3].trimmed(), "$GPTXT,01,01,02,line 2102*00");

    config.DisplayPaused = true;
    batch.AppendSentences(Numbered(3000, 3), 50);
    EXPECT_EQ(batch.LineCount(), 4) << "paused: neither the count nor the sentences";
}

}  // namespace

#include <gtest/gtest.h>

#include <QTest>

#include "tests/views/ViewTestSupport.h"
#include "views/FrameConsole.h"
#include "views/MessageBox.h"

namespace {

const std::string Gga =
    "$GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C\r";

struct Sent {
    std::vector<std::string> Commands;
    Source Port;
};

class ConsoleTest : public testing::Test {
  protected:
    void SetUp() override {
        console.SetCommandSender(
            [this](const std::vector<std::string>& commands, const Source& port) {
                sent.push_back({commands, port});
            });
        SetMessageObserver([this](const std::string& text, const std::string& caption) {
            messages.push_back(caption + ": " + text);
        });
        console.show();
    }
    void TearDown() override { SetMessageObserver(nullptr); }

    void OpenLink(const Source& port = Source::FromEntry("COM3")) {
        config.SetPort(port);
        config.SetPortOpen(true);
    }
    void Append(int times) {
        for (int i = 0; i < times; ++i) console.AppendSentence(Gga);
    }
    QWidget* Viewport() const { return console.consoleMemo->viewport(); }
    QString MemoText() const { return console.consoleMemo->toPlainText(); }
    void PressEnter() { QTest::keyClick(console.consoleMemo, Qt::Key_Return); }
    void SetMemo(const QString& text) {
        console.consoleMemo->setPlainText(text);
        console.consoleMemo->moveCursor(QTextCursor::End);
    }

    GPSConfig config;
    TFConsole console{nullptr, config};
    std::vector<Sent> sent;
    std::vector<std::string> messages;
};

TEST_F(ConsoleTest, MemoFillsTheFrameWhiteOnBlack) {
    EXPECT_EQ(console.consoleMemo->geometry(), QRect(0, 0, 420, 168));
    EXPECT_EQ(console.consoleMemo->palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(console.consoleMemo->palette().color(QPalette::Text), QColor(Qt::white));
    EXPECT_TRUE(MemoText().isEmpty());
    EXPECT_FALSE(console.CommandMode());
}

TEST_F(ConsoleTest, SentencesAppendOneLineEach) {
    Append(3);
    EXPECT_EQ(console.LineCount(), 3);
    const QStringList lines = MemoText().split('\n');
    ASSERT_EQ(lines.size(), 3);
    for (const QString& line : lines)
        EXPECT_EQ(line.trimmed().toStdString() + "\r", Gga) << "one sentence per line";
}

TEST_F(ConsoleTest, ClearsAtThreeHundredFiftyLines) {
    Append(349);
    ASSERT_EQ(console.LineCount(), 349);
    Append(1);
    EXPECT_EQ(console.LineCount(), 350);
    Append(1);
    EXPECT_EQ(console.LineCount(), 1);
    EXPECT_EQ(MemoText().trimmed().toStdString() + "\r", Gga);
}

TEST_F(ConsoleTest, PausedAppendAddsNothingButStillClearsAFullMemo) {
    Append(10);
    config.DisplayPaused = true;
    Append(1);
    EXPECT_EQ(console.LineCount(), 10);
    config.DisplayPaused = false;
    Append(340);
    ASSERT_EQ(console.LineCount(), 350);
    config.DisplayPaused = true;
    Append(1);
    EXPECT_TRUE(MemoText().isEmpty());
}

TEST_F(ConsoleTest, ClickPausesOnlyWhileTheLinkIsOpen) {
    Click(Viewport());
    EXPECT_FALSE(config.DisplayPaused);
    OpenLink();
    Click(Viewport());
    EXPECT_TRUE(config.DisplayPaused);
    Click(Viewport());
    EXPECT_FALSE(config.DisplayPaused);
}

TEST_F(ConsoleTest, DoubleClickWithLinkClosedDoesNothing) {
    Append(2);
    DoubleClick(Viewport());
    EXPECT_FALSE(console.CommandMode());
    EXPECT_EQ(console.LineCount(), 2);
}

TEST_F(ConsoleTest, TypedCommandIsEchoedWithItsChecksum) {
    OpenLink(Source::FromEntry("COM3"));
    Append(5);
    DoubleClick(Viewport());
    EXPECT_TRUE(config.DisplayPaused) << "the click of the double-click pauses the output";
    EXPECT_TRUE(console.CommandMode());
    EXPECT_EQ(MemoText(), "$PSRF");
    Append(1);  // a stale hand-off while paused adds nothing
    EXPECT_EQ(MemoText(), "$PSRF");
    QTest::keyClicks(console.consoleMemo, "100,1,9600,8,1,0");
    PressEnter();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].Commands.size(), 1u);
    EXPECT_EQ(sent[0].Commands[0], "$PSRF100,1,9600,8,1,0") << "the sender completes it";
    EXPECT_EQ(sent[0].Port, Source::FromEntry("COM3"));
    EXPECT_EQ(MemoText(), "> $PSRF100,1,9600,8,1,0*0D ") << "echoed once, no stray line end";
    EXPECT_FALSE(console.CommandMode());
    EXPECT_FALSE(config.DisplayPaused) << "output resumes";
    Append(1);
    EXPECT_EQ(console.LineCount(), 2);
}

TEST_F(ConsoleTest, MultiLineCommandIsSentAsOneText) {
    OpenLink();
    DoubleClick(Viewport());
    SetMemo("$PSRF103,00,\n01,00,\n01");
    PressEnter();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Commands[0], "$PSRF103,00,01,00,01");
}

// What the echo shows of each typed text; a wrong checksum sends nothing and
// names the right one.
TEST_F(ConsoleTest, TypedChecksumsAreCheckedAndTheEchoShowsWhatGoesOut) {
    OpenLink();
    const struct {
        const char* Typed;
        const char* Echo;     // nullptr: refused
        const char* Message;  // part of the refusal
    } cases[] = {
        {"$PSRF100,1,9600,8,1,0", "> $PSRF100,1,9600,8,1,0*0D", nullptr},
        {"$PSRF100,1,9600,8,1,0*", "> $PSRF100,1,9600,8,1,0*0D", nullptr},
        {"$PSRF100,1,9600,8,1,0*0D", "> $PSRF100,1,9600,8,1,0*0D", nullptr},
        {"$PSRF100,1,9600,8,1,0*0d", "> $PSRF100,1,9600,8,1,0*0D", nullptr},
        {"$PSRF100,1,9600,8,1,0*0C", nullptr, "*0C in $PSRF100,1,9600,8,1,0: expected *0D"},
        {"$PSRF100,1,9600,8,1,0*D", nullptr, "expected *0D"},
        {"B5620A0400000E34", "> B5620A0400000E34", nullptr},  // no stray "*"
        {"A0A2000980000000000000000000B0B3", "> A0A2000980000000000000000000B0B3", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        sent.clear();
        messages.clear();
        DoubleClick(Viewport());
        SetMemo(c.Typed);
        PressEnter();
        EXPECT_FALSE(console.CommandMode());
        if (!c.Echo) {
            EXPECT_TRUE(sent.empty());
            EXPECT_EQ(MemoText(), "");
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].rfind("warning: Wrong checksum", 0), 0u) << messages[0];
            EXPECT_NE(messages[0].find(c.Message), std::string::npos) << messages[0];
            continue;
        }
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].Commands, std::vector<std::string>{c.Typed});
        EXPECT_EQ(MemoText().trimmed().toStdString(), c.Echo);
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(ConsoleTest, OverLongCommandIsRefusedNotTruncated) {
    OpenLink();
    DoubleClick(Viewport());
    const QString longest = "$PSRF" + QString(94, '1');  // 99 characters typed
    SetMemo(longest + "2");
    PressEnter();
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("100 characters"), std::string::npos) << messages[0];
    EXPECT_FALSE(console.CommandMode()) << "the command line is left";
    EXPECT_FALSE(config.DisplayPaused);
    EXPECT_EQ(MemoText(), "") << "no stray line end";

    DoubleClick(Viewport());
    SetMemo(longest);
    PressEnter();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Commands[0].size(), 99u);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(ConsoleTest, EscapeLeavesTheCommandLine) {
    OpenLink();
    QTest::keyClick(console.consoleMemo, Qt::Key_Escape);  // outside command entry: nothing
    EXPECT_FALSE(config.DisplayPaused);
    DoubleClick(Viewport());
    QTest::keyClicks(console.consoleMemo, "100,1");
    QTest::keyClick(console.consoleMemo, Qt::Key_Escape);
    EXPECT_FALSE(console.CommandMode());
    EXPECT_FALSE(config.DisplayPaused);
    EXPECT_EQ(MemoText(), "");
    Append(1);
    EXPECT_EQ(console.LineCount(), 1) << "output runs again";
    PressEnter();
    EXPECT_TRUE(sent.empty());
}

TEST_F(ConsoleTest, APausedTagShowsWhileOutputIsHeld) {
    EXPECT_FALSE(console.pausedTag->isVisible());
    OpenLink();
    Click(Viewport());
    EXPECT_TRUE(console.pausedTag->isVisible());
    EXPECT_EQ(console.pausedTag->text(), "paused");
    EXPECT_TRUE(console.consoleMemo->geometry().contains(console.pausedTag->geometry()));
    Click(Viewport());
    EXPECT_FALSE(console.pausedTag->isVisible());
    // Held from elsewhere (the compact layout): the tag follows.
    config.DisplayPaused = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return console.pausedTag->isVisible(); }, 2000));
    // A click on the tag reaches the console below it.
    QWidget* under = console.childAt(console.pausedTag->geometry().center());
    EXPECT_TRUE(under && console.consoleMemo->isAncestorOf(under));
}

TEST_F(ConsoleTest, EnterWhileOutputRunsDoesNothing) {
    OpenLink();
    DoubleClick(Viewport());
    Click(Viewport());  // resumes output, command mode stays
    ASSERT_FALSE(config.DisplayPaused);
    ASSERT_TRUE(console.CommandMode());
    PressEnter();
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(console.CommandMode());
}

TEST_F(ConsoleTest, DoubleClickWhilePausedSendsEverythingOnceRepaused) {
    OpenLink();
    Click(Viewport());
    ASSERT_TRUE(config.DisplayPaused);
    DoubleClick(Viewport());
    EXPECT_FALSE(config.DisplayPaused) << "the click resumed the output";
    EXPECT_EQ(MemoText(), "$PSRF");
    Append(1);
    EXPECT_EQ(console.LineCount(), 2) << "received sentences follow the prefix";
    PressEnter();
    EXPECT_TRUE(sent.empty());
    Click(Viewport());
    ASSERT_TRUE(config.DisplayPaused);
    PressEnter();
    // The whole memo is the command, the sentence's own checksum its last
    // digits: wrong for the whole, so it is refused.
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("in $PSRF$GPGGA,202640.000"), std::string::npos) << messages[0];
    EXPECT_FALSE(console.CommandMode());
}

}  // namespace

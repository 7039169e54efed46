// The SiRF output-interval window: the $PSRF103 sentences of the changed rows
// on the wire (with their checksum and line end), Enter, and the range warnings, on leaving an edit
// and on OK.
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "LinkFixture.h"
#include "control/FormNmeaChoice.h"
#include "control/FormNmeaChoiceUb.h"

namespace {
class NmeaChoiceTest : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        Window.Panel()->SetLink(Link);
    }
    QLineEdit* Edit(int row) const { return Window.Panel()->intervalEdits[row]; }
    // The edit loses the keyboard focus.
    static void Leave(QLineEdit* edit) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &out);
    }
    void ExpectWarnings(size_t count) {
        ASSERT_EQ(Messages.size(), count);
        for (const auto& m : Messages) {
            EXPECT_EQ(m.Text, "output rate must be in 0~255");
            EXPECT_EQ(m.Caption, "warning");
        }
    }

    TFmNmeaChoice Window;
};
}  // namespace

TEST(NmeaChoiceSentence, EachRowsMessageNumber) {
    EXPECT_EQ(TFNmeaChoice::RateSentence(1, 1), "$PSRF103,01,00,01,01*");
    EXPECT_EQ(TFNmeaChoice::RateSentence(1, 10), "$PSRF103,01,00,010,01*");
    EXPECT_EQ(TFNmeaChoice::RateSentence(0, 255), "$PSRF103,00,00,0255,01*");
    EXPECT_EQ(TFNmeaChoice::RateSentence(6, 0), "$PSRF103,06,00,00,01*");  // MSS
    EXPECT_EQ(TFNmeaChoice::RateSentence(7, 3), "$PSRF103,08,00,03,01*");  // ZDA
}

TEST_F(NmeaChoiceTest, WindowAndRows) {
    EXPECT_EQ(Window.windowTitle(), "NMEA Setting \u2014 SiRF");
    EXPECT_EQ(Window.height(), 250);
    EXPECT_GE(Window.width(), 220);
    EXPECT_FALSE(Window.windowFlags() & Qt::WindowMaximizeButtonHint);
    const char* names[] = {"GGA", "GLL", "GSA", "GSV", "RMC", "VTG", "MSS", "ZDA"};
    for (int i = 0; i < TFNmeaChoice::RowCount; ++i) {
        EXPECT_EQ(Window.Panel()->msgLabels[i]->text(), names[i]);
        EXPECT_EQ(Edit(i)->text(), i == 3 ? "5" : "1");
        EXPECT_EQ(Edit(i)->geometry(), QRect(90, 20 * (i + 1), 45, 20));
    }
    EXPECT_EQ(Window.Panel()->headerLabels[1]->text(), "Output interval (0~255 s)");
    EXPECT_EQ(Window.Panel()->okButton->geometry(), QRect(0, 185, Window.width(), 30));
}

TEST_F(NmeaChoiceTest, OkSendsEveryChangedRowAndHides) {
    Connect();
    Window.show();
    Edit(0)->setText("2");
    Edit(3)->setText("5");  // its default: unchanged
    Edit(5)->setText("0");
    Edit(6)->setText("9");
    Edit(7)->setText("010");  // the number, as the receiver reads it
    Window.Panel()->okButton->click();
    EXPECT_EQ(Pty.ReadAll(),
              "$PSRF103,00,00,02,01*26\r\n$PSRF103,05,00,00,01*21\r\n"
              "$PSRF103,06,00,09,01*2B\r\n$PSRF103,08,00,010,01*1D\r\n");
    EXPECT_FALSE(Window.isVisible());
    EXPECT_TRUE(Messages.empty());
    // Shown again: only what changes from now on goes out; nothing changed, nothing.
    Window.show();
    Window.Panel()->okButton->click();
    Window.show();
    Edit(0)->setText("1");
    QTest::keyClick(Edit(0), Qt::Key_Return);
    EXPECT_EQ(Pty.ReadAll(), "$PSRF103,00,00,01,01*25\r\n");
    EXPECT_FALSE(Window.isVisible());
}

TEST_F(NmeaChoiceTest, EnterInAnEditSends) {
    Connect();
    Window.show();
    Edit(1)->setText("255");
    QTest::keyClick(Edit(1), Qt::Key_Return);
    EXPECT_EQ(Pty.ReadAll(), "$PSRF103,01,00,0255,01*27\r\n");
    EXPECT_FALSE(Window.isVisible());
}

TEST_F(NmeaChoiceTest, ABadRowStopsEverySentence) {
    Connect();
    Window.show();
    Edit(1)->setText("7");
    for (const char* bad : {"300", "", "-1", "x"}) {
        Messages.clear();
        Edit(4)->setText(bad);
        Window.Panel()->okButton->click();
        ExpectWarnings(1);
        EXPECT_TRUE(Window.isVisible()) << bad;
    }
    EXPECT_EQ(Pty.ReadAll(), "");
    Edit(4)->setText("1");
    Window.Panel()->okButton->click();
    EXPECT_EQ(Pty.ReadAll(), "$PSRF103,01,00,07,01*22\r\n");
}

TEST_F(NmeaChoiceTest, NotConnectedWarnsAndHides) {
    Window.show();
    Window.Panel()->okButton->click();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "no GPS device connected");
    EXPECT_EQ(Messages[0].Caption, "error");
    EXPECT_FALSE(Window.isVisible());
}

TEST_F(NmeaChoiceTest, RangeChecksOnLeavingAnEdit) {
    Edit(0)->setText("");
    Leave(Edit(0));
    ExpectWarnings(1);
    EXPECT_EQ(Edit(0)->text(), "1");

    Edit(2)->setText("300");
    Leave(Edit(2));
    ExpectWarnings(2);
    EXPECT_EQ(Edit(2)->text(), "300");

    Edit(4)->setText("12a");  // not a number: the same warning, no failure
    Leave(Edit(4));
    ExpectWarnings(3);
    EXPECT_EQ(Edit(4)->text(), "12a");

    for (const char* fine : {"0", "255", "7"}) {
        Edit(5)->setText(fine);
        Leave(Edit(5));
    }
    ExpectWarnings(3);
}

// In the monitor's font and in larger ones, both headers read whole: each as
// wide as its text, side by side, inside the window.
TEST(NmeaChoiceHeaders, FitTheWindowInAnyFont) {
    const QFont original = QApplication::font();
    for (int points : {0, 8, 11, 14}) {
        QFont font = original;
        if (points > 0) font.setPointSize(points);
        QApplication::setFont(font);
        TFmNmeaChoice window;
        const auto& headers = window.Panel()->headerLabels;
        SCOPED_TRACE(points);
        for (const QLabel* header : headers) {
            EXPECT_GE(header->width(), header->sizeHint().width()) << header->text().toStdString();
            EXPECT_TRUE(window.rect().contains(header->geometry())) << header->text().toStdString();
        }
        EXPECT_LE(headers[0]->geometry().right(), headers[1]->geometry().left());
        EXPECT_GE(headers[1]->geometry().left(), window.Panel()->intervalEdits[0]->x())
            << "the interval header stands above its edits";
    }
    QApplication::setFont(original);
}

// Each setting window says which receivers it is for, and Escape closes it,
// wherever the keyboard focus is.
TEST(SettingWindows, SayTheirFamilyAndCloseOnEscape) {
    TFmNmeaChoice sirf;
    TFmNmeaChoice_ub ublox;
    const struct {
        QWidget* Window;
        QWidget* Focus;
        const char* Family;
    } cases[] = {{&sirf, sirf.Panel()->intervalEdits[2], "SiRF"},
                 {&ublox, ublox.chkGGA, "u-blox"},
                 {&ublox, ublox.edtPeriod, "u-blox"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Focus->metaObject()->className());
        EXPECT_TRUE(c.Window->windowTitle().endsWith(c.Family));
        c.Window->show();
        c.Window->activateWindow();
        c.Focus->setFocus();
        QTest::keyClick(c.Focus, Qt::Key_Escape);
        EXPECT_FALSE(c.Window->isVisible());
    }
}

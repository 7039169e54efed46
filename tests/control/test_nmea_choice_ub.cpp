// The u-blox message and rate window: every frame of the checksum table, the
// period field's acceptance rule and what OK puts on the wire.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <mutex>

#include "LinkFixture.h"
#include "control/FormNmeaChoiceUb.h"
#include "nmea/Dispatch.h"
#include "serial/UbxText.h"
#include "ubx/UbxRecords.h"

namespace {
// Checksums by message (GGA..ZDA) and by rates: both 00, USB only, UART only, both 01.
const char* const Checksums[7][4] = {
    {"0024", "0127", "0129", "022C"}, {"012B", "022E", "0230", "0333"},
    {"0232", "0335", "0337", "043A"}, {"0339", "043C", "043E", "0541"},
    {"0440", "0543", "0545", "0648"}, {"0547", "064A", "064C", "074F"},
    {"085C", "095F", "0961", "0A64"}};
const char* const Ids[7] = {"00", "01", "02", "03", "04", "05", "08"};

std::string ExpectedMsg(int message, bool usb, bool uart) {
    const int column = (usb ? 1 : 0) + (uart ? 2 : 0);
    return std::string("B56206010800F0") + Ids[message] + "00" + (uart ? "01" : "00") + "00" +
           (usb ? "01" : "00") + "0001" + Checksums[message][column] + "0D0A";
}

class NmeaChoiceUbTest : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        Window.SetLink(Link);
    }
    void TickAll(bool on) {
        for (QCheckBox* box : {Window.chkGGA, Window.chkGLL, Window.chkGSA, Window.chkGSV,
                               Window.chkRMC, Window.chkVTG, Window.chkZDA})
            box->setChecked(on);
    }
    void TypePeriod(const QString& text) {
        Window.edtPeriod->clear();
        QTest::keyClicks(Window.edtPeriod, text);
    }

    std::string WireBytes(const std::vector<std::string>& texts) {
        std::string bytes;
        for (const auto& text : texts) {
            const auto b = HexTextToBytes(text);
            bytes.append(b.begin(), b.end());
        }
        return bytes;
    }
    // Clicks OK and answers the question that comes up with `button`; the
    // question's text, or empty when none came.
    QString ClickOkAnswering(QMessageBox::StandardButton button) {
        QString asked;
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            asked = box->text();
            box->button(button)->click();
        });
        answerer.start(20);
        Window.btnSettingOK->click();
        return asked;
    }

    TFmNmeaChoice_ub Window;
};

UbxSettingAnswer MessageAnswer(uint8_t id, std::initializer_list<uint8_t> rates) {
    UbxSettingAnswer a;
    a.Msg.Class = 0xF0;
    a.Msg.Id = id;
    a.Msg.Targets = static_cast<int>(rates.size());
    std::copy(rates.begin(), rates.end(), a.Msg.Rates);
    return a;
}
}  // namespace

TEST_F(NmeaChoiceUbTest, InitialStateAndLayout) {
    EXPECT_EQ(Window.windowTitle(), "NMEA Setting \u2014 u-blox");
    EXPECT_EQ(Window.size(), QSize(249, 345));
    EXPECT_FALSE(Window.isVisible());
    EXPECT_TRUE(Window.chkUSB->isChecked());
    EXPECT_FALSE(Window.chkUart->isChecked());
    EXPECT_FALSE(Window.chkGGA->isChecked());
    EXPECT_EQ(Window.edtPeriod->text(), "1000");
    EXPECT_EQ(Window.edtPeriod->maxLength(), 5);
    EXPECT_EQ(Window.edtFrequency->text(), "1.00");
    EXPECT_TRUE(Window.edtFrequency->isReadOnly());
    EXPECT_EQ(Window.chkZDA->geometry(), QRect(16, 64, 49, 25));
    EXPECT_EQ(Window.btnSettingOK->geometry(), QRect(8, 272, 225, 33));
    // Tab order: the widgets that take the Tab key, in chain order from chkUart.
    const std::vector<QWidget*> expected = {
        Window.chkUart, Window.chkUSB,       Window.chkGGA,    Window.chkGLL,
        Window.chkGSA,  Window.chkGSV,       Window.chkRMC,    Window.chkVTG,
        Window.chkZDA,  Window.edtFrequency, Window.edtPeriod, Window.btnSettingOK};
    std::vector<QWidget*> chain;
    for (QWidget* w = Window.chkUart; chain.size() < expected.size(); w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) chain.push_back(w);
    EXPECT_EQ(chain, expected);
}

TEST_F(NmeaChoiceUbTest, EveryFrameOfTheChecksumTable) {
    for (int column = 0; column < 4; ++column) {
        const bool usb = column & 1, uart = column & 2;
        Window.chkUSB->setChecked(usb);
        Window.chkUart->setChecked(uart);
        TickAll(true);
        const auto frames = Window.SettingFrames();
        ASSERT_EQ(frames.size(), 8u);
        for (int m = 0; m < 7; ++m) EXPECT_EQ(frames[m], ExpectedMsg(m, usb, uart)) << m;
        // An unticked message is switched off on both outputs.
        TickAll(false);
        const auto off = Window.SettingFrames();
        for (int m = 0; m < 7; ++m) EXPECT_EQ(off[m], ExpectedMsg(m, false, false)) << m;
    }
    EXPECT_EQ(ExpectedMsg(0, true, false), "B56206010800F00000000001000101270D0A");
}

TEST_F(NmeaChoiceUbTest, PeriodAcceptanceAndRateFrame) {
    EXPECT_EQ(Window.SettingFrames()[7], "B56206080600E8030100010001390D0A");
    struct Case {
        const char* Text;
        const char* Frequency;
        const char* Hex;
    };
    const Case cases[] = {{"249", "", "E803"},     {"250", "4.00", "FA00"},
                          {"333", "3.00", "4D01"}, {"60000", "0.02", "60EA"},
                          {"60001", "", "60EA"},   {"0", "", "60EA"},
                          {"", "", "60EA"},        {"12a", "", "60EA"}};
    Window.UbxMeasPeriodHex = "E803";
    for (const Case& c : cases) {
        Window.edtPeriod->setText(c.Text);
        EXPECT_EQ(Window.edtFrequency->text(), c.Frequency) << c.Text;
        EXPECT_EQ(Window.UbxMeasPeriodHex, c.Hex) << c.Text;
    }
    TypePeriod("250");
    EXPECT_EQ(Window.SettingFrames()[7], "B56206080600FA000100010010960D0A");
}

TEST_F(NmeaChoiceUbTest, TypingFiveHundredThenFiveThousand) {
    Window.edtPeriod->clear();
    QTest::keyClicks(Window.edtPeriod, "5");
    EXPECT_EQ(Window.edtFrequency->text(), "");
    QTest::keyClicks(Window.edtPeriod, "0");
    EXPECT_EQ(Window.edtFrequency->text(), "");
    QTest::keyClicks(Window.edtPeriod, "0");
    EXPECT_EQ(Window.edtFrequency->text(), "2.00");
    EXPECT_EQ(Window.UbxMeasPeriodHex, "F401");
    QTest::keyClicks(Window.edtPeriod, "0");
    EXPECT_EQ(Window.edtFrequency->text(), "0.20");
    EXPECT_EQ(Window.UbxMeasPeriodHex, "8813");
}

TEST_F(NmeaChoiceUbTest, OkWhileNotConnectedWarnsAndSendsNothing) {
    ASSERT_TRUE(Port.OpenPort(Pty.Port(), 115200));
    Window.show();
    Window.btnSettingOK->click();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "no GPS device connected");
    EXPECT_EQ(Messages[0].Caption, "error");
    EXPECT_TRUE(Window.isVisible());
    EXPECT_EQ(Pty.ReadAll(), "");
}

TEST_F(NmeaChoiceUbTest, PeriodOutOfRangeIsRefusedBeforeAnythingIsSent) {
    Connect();
    Window.show();
    for (const char* period : {"249", "60001", "", "12a"}) {
        Messages.clear();
        TypePeriod(period);
        Window.btnSettingOK->click();
        ASSERT_EQ(Messages.size(), 1u) << period;
        EXPECT_EQ(Messages[0].Text, "measurement period must be in 250~60000 ms");
        EXPECT_TRUE(Window.isVisible());
    }
    TypePeriod("60000");
    Window.chkGGA->setChecked(true);
    Window.btnSettingOK->click();
    EXPECT_FALSE(Window.isVisible());
    ASSERT_TRUE(Link->WaitSendersIdle(std::chrono::seconds(10)));
    EXPECT_EQ(Pty.ReadAll().size(), 7u * 18 + 16);  // the good period's frames alone
}

TEST_F(NmeaChoiceUbTest, OkWhileConnectedWritesTheEightFramesAndHides) {
    Connect();
    Window.show();
    Window.chkUart->setChecked(true);
    Window.chkGGA->setChecked(true);
    Window.chkRMC->setChecked(true);
    TypePeriod("250");
    Window.btnSettingOK->click();
    std::string expected;
    for (const auto& text : Window.SettingFrames()) {
        const auto bytes = HexTextToBytes(text);
        expected.append(bytes.begin(), bytes.end());
    }
    EXPECT_EQ(expected.size(), 7u * 18 + 16);
    EXPECT_EQ(Pty.Read(expected.size()), expected);
    EXPECT_FALSE(Window.isVisible());
    EXPECT_TRUE(Messages.empty());
}

TEST_F(NmeaChoiceUbTest, ChoicesThatSilenceTheReceiverAskFirst) {
    Connect();
    Window.show();
    // Every sentence unticked; then one ticked with neither output.
    for (bool gga : {false, true}) {
        Window.chkGGA->setChecked(gga);
        Window.chkUSB->setChecked(!gga);
        EXPECT_TRUE(ClickOkAnswering(QMessageBox::No).contains("switch every NMEA output")) << gga;
        EXPECT_TRUE(Window.isVisible());
        EXPECT_EQ(Pty.ReadAll(), "");
    }
    EXPECT_FALSE(ClickOkAnswering(QMessageBox::Yes).isEmpty());
    EXPECT_FALSE(Window.isVisible());
    EXPECT_EQ(Pty.Read(7 * 18 + 16), WireBytes(Window.SettingFrames()));
    // A choice that leaves an output on asks nothing.
    Window.show();
    Window.chkUart->setChecked(true);
    EXPECT_TRUE(ClickOkAnswering(QMessageBox::No).isEmpty());
    EXPECT_FALSE(Window.isVisible());
}

TEST_F(NmeaChoiceUbTest, ASilentReceiverIsPolledAndTheLastChoicesStay) {
    Connect();
    Window.SetStore(&Store());
    Window.chkGGA->setChecked(true);
    Window.show();
    // CFG-MSG polls (class F0, GGA..ZDA), then the CFG-RATE poll.
    const std::string polls = Pty.Read(7 * 12 + 10);
    EXPECT_EQ(polls, WireBytes(TFmNmeaChoice_ub::PollFrames()));
    EXPECT_EQ(polls.substr(0, 12), WireBytes({"B56206010200F000F9110D0A"}));
    EXPECT_EQ(polls.substr(84), WireBytes({"B562060800000E300D0A"}));
    EXPECT_TRUE(Window.Polling());
    EXPECT_FALSE(Window.btnSettingOK->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Window.Polling(); }, 5000));
    EXPECT_EQ(Window.lblPolled->text(), "No answer from the receiver: showing the last choices.");
    EXPECT_TRUE(Window.btnSettingOK->isEnabled());
    EXPECT_TRUE(Window.chkGGA->isChecked());
    EXPECT_EQ(Window.edtPeriod->text(), "1000");
}

TEST_F(NmeaChoiceUbTest, AnswersFillTheTicksAndThePeriod) {
    Connect();
    Window.SetStore(&Store());
    Window.chkGGA->setChecked(true);
    Window.show();
    ASSERT_TRUE(Window.Polling());
    // GGA off everywhere; GLL and RMC on USB (target 3) only; the rest silent.
    Window.SettingAnswered(MessageAnswer(0x00, {0, 0, 0, 0, 0, 0}));
    Window.SettingAnswered(MessageAnswer(0x01, {0, 0, 0, 1, 0, 0}));
    Window.SettingAnswered(MessageAnswer(0x04, {0, 0, 0, 2, 0, 0}));
    Window.SettingAnswered(MessageAnswer(0x09, {1, 1, 1, 1, 1, 1}));  // not listed here
    UbxSettingAnswer rate;
    rate.IsRate = true;
    rate.Rate.MeasRate = 200;  // below what the window sends: shown, refused on OK
    Window.SettingAnswered(rate);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Window.Polling(); }, 5000));
    EXPECT_EQ(Window.lblPolled->text(), "Partly answered: the rest are the last choices.");
    EXPECT_FALSE(Window.chkGGA->isChecked());
    EXPECT_TRUE(Window.chkGLL->isChecked());
    EXPECT_TRUE(Window.chkRMC->isChecked());
    EXPECT_TRUE(Window.chkUSB->isChecked());
    EXPECT_FALSE(Window.chkUart->isChecked());
    EXPECT_EQ(Window.edtPeriod->text(), "200");
    EXPECT_EQ(Window.edtFrequency->text(), "");

    // All eight answered, in the short form (the answering port's rate):
    // done at once; the ticks follow, the outputs cannot be told and stay.
    Pty.ReadAll();
    Window.hide();
    Window.show();
    ASSERT_TRUE(Window.Polling());
    for (uint8_t id : {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x08})
        Window.SettingAnswered(MessageAnswer(id, {static_cast<uint8_t>(id == 0x02 ? 1 : 0)}));
    rate.Rate.MeasRate = 500;
    Window.SettingAnswered(rate);
    EXPECT_FALSE(Window.Polling());
    EXPECT_EQ(Window.lblPolled->text(), "Showing the receiver's settings.");
    EXPECT_TRUE(Window.chkGSA->isChecked());
    EXPECT_FALSE(Window.chkGLL->isChecked());
    EXPECT_TRUE(Window.chkUSB->isChecked());
    EXPECT_EQ(Window.edtFrequency->text(), "2.00");
    EXPECT_EQ(Window.UbxMeasPeriodHex, "F401");
}

TEST_F(NmeaChoiceUbTest, AnNmeaOnlyReceiverIsNotPolled) {
    Connect();
    Window.SetStore(&Store());
    {
        std::lock_guard<std::mutex> hold(Store().Lock());
        for (int i = 0; i < 20; ++i)
            DispatchSentence("$GPGGA,,,,,,0,,,,M,,M,,*66", Store(), nullptr);
    }
    Window.show();
    EXPECT_FALSE(Window.Polling());
    EXPECT_TRUE(Window.btnSettingOK->isEnabled());
    EXPECT_EQ(Pty.ReadAll(), "");
}

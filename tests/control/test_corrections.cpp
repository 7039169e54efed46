// The corrections window in the whole monitor window: rtklib's str2str as the
// caster on 127.0.0.1, a pseudo-terminal as the receiver. The source table
// is listed and chosen from, a wrong password and a missing mountpoint are
// told clearly, the stream reaches the receiver byte for byte between the
// commands sent meanwhile, and a receive-only link is refused before any
// caster is asked. The password never shows in a message, the console or
// standard error.
#include <gtest/gtest.h>
#include <poll.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <cstdlib>
#include <mutex>

#include "ConnectFixture.h"
#include "control/CorrectionsWindow.h"
#include "nmea/StationBaseline.h"
#include "serial/Source.h"
#include "tests/ntrip/CasterProcess.h"
#include "tests/ntrip/ClientProbe.h"
#include "tests/ntrip/RtcmCount.h"
#include "tests/serial/PtyPair.h"
#include "views/FrameConsole.h"

namespace {

constexpr const char* User = "rover";
constexpr const char* Password = "s3cret-Pw";
constexpr const char* WrongPassword = "wrong-Pw";
constexpr const char* Mount = "RTCM32";
constexpr const char* Record =
    "Test base;RTCM 3.2;1077(1),1087(1);2;GPS+GLO;TESTNET;DEU;52.48;13.30;1;1;str2str;none;B;N;"
    "9600;";
// A command sent while the corrections stream, and the identity poll the
// monitor sends on connecting: both reach the receiver whole beside them.
constexpr const char* Command = "$PUBX,00*33";
constexpr const char* CommandOnWire = "$PUBX,00*33\r\n";
const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const std::string IdentityPoll("\xB5\x62\x0A\x04\x00\x00\x0E\x34", 8);

void EraseAll(std::string& text, const std::string& part) {
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class Corrections : public ConnectFixture {
  protected:
    void SetUp() override {
        ConnectFixture::SetUp();
        if (CasterProcess::Program().empty()) GTEST_SKIP() << "str2str is not installed";
        CasterPort = CasterProcess::FreePort();
        Caster = std::make_unique<CasterProcess>(CasterPort, std::string(User) + ":" + Password,
                                                 Mount, Record);
        ASSERT_TRUE(Caster->WaitAccepting()) << Caster->Command();
    }

    // The window connected to a receiver on `entry` (a pseudo-terminal or a link URL).
    TCorrectionsWindow& OpenOn(const std::string& entry) {
        SetExtraPorts({entry});
        OpenWindow();
        Choose(0, 0, ModeGeneral);
        Press();
        EXPECT_TRUE(RunUntil([&] { return WindowConnected(); }, 10s));
        TCorrectionsWindow& window = Window->Corrections();
        window.casterEdit->setText(
            QString("ntrip://127.0.0.1:%1/").arg(static_cast<unsigned>(CasterPort)));
        window.userEdit->setText(User);
        window.passwordEdit->setText(Password);
        return window;
    }

    // Reads what reached the receiver's side of the pseudo-terminal so far.
    static void ReadReceiver(const PtyPair& receiver, std::string& got) {
        pollfd p{receiver.Master(), POLLIN, 0};
        while (poll(&p, 1, 0) > 0) {
            char chunk[4096];
            const ssize_t n = read(receiver.Master(), chunk, sizeof chunk);
            if (n <= 0) return;
            got.append(chunk, static_cast<size_t>(n));
        }
    }

    uint16_t CasterPort = 0;
    std::unique_ptr<CasterProcess> Caster;
};

TEST_F(Corrections, TheCastersStreamReachesTheReceiverWholeBetweenCommands) {
    testing::internal::CaptureStderr();
    PtyPair receiver;
    ASSERT_TRUE(receiver.Ok());
    TCorrectionsWindow& window = OpenOn(receiver.Path());
    // The receiver's position: the streams are listed with their distance from it.
    ASSERT_TRUE(receiver.Write(Gga));
    ASSERT_TRUE(RunUntil(
        [&] {
            std::lock_guard<std::mutex> hold(NmeaManager->Lock());
            Geodetic here;
            return ReceiverPosition(*NmeaManager, here);
        },
        10s));

    window.tableButton->click();
    ASSERT_TRUE(RunUntil([&] { return window.streamTable->rowCount() == 1; }, 20s))
        << window.StateText().toStdString();
    EXPECT_EQ(window.streamTable->item(0, 0)->text(), Mount);
    EXPECT_EQ(window.streamTable->item(0, 2)->text(), "RTCM 3.2");
    EXPECT_EQ(window.streamTable->item(0, 4)->text(), "GPS+GLO");
    EXPECT_EQ(window.streamTable->item(0, 5)->text(), "52.48, 13.30");
    EXPECT_EQ(window.streamTable->item(0, 6)->text(),
              QString("%1 km").arg(DistanceKm(48.1173, 11.5167, 52.48, 13.30), 0, 'f', 1));
    emit window.streamTable->cellClicked(0, 0);
    EXPECT_EQ(window.mountEdit->text(), Mount);

    window.connectButton->click();
    ASSERT_TRUE(RunUntil([&] { return window.StateText() == "streaming"; }, 20s))
        << window.StateText().toStdString();
    EXPECT_EQ(window.connectButton->text(), "Disconnect");
    const std::string served = ReadCorpus("rtcm3.2.log");
    ASSERT_GT(CountRtcmFrames(served), 100u);
    ASSERT_TRUE(Caster->Serve(served));
    std::string got;
    int commands = 0;
    const auto arrived = [&] {
        ReadReceiver(receiver, got);
        return window.ForwardedBytes() == served.size() &&
               got.size() >= served.size() + IdentityPoll.size() + commands * strlen(CommandOnWire);
    };
    ASSERT_TRUE(RunUntil(
        [&] {
            if (commands < 20 && Window->Link().Send({Command})) ++commands;
            return arrived();
        },
        60s))
        << got.size() << " of " << served.size() << "; " << window.StateText().toStdString();
    ASSERT_TRUE(Window->Link().WaitSendersIdle(5s));
    ReadReceiver(receiver, got);

    EXPECT_EQ(CountRtcmFrames(got), CountRtcmFrames(served));
    EXPECT_EQ(CountOf(got, CommandOnWire), static_cast<size_t>(commands));
    std::string corrections = got;
    EraseAll(corrections, CommandOnWire);
    EraseAll(corrections, IdentityPoll);
    EXPECT_TRUE(corrections == served) << corrections.size() << " bytes, not " << served.size();
    EXPECT_TRUE(RunUntil([&] { return window.ageLabel->text() != "Age: -"; }, 5s));
    EXPECT_TRUE(window.bytesLabel->text().startsWith(QString("Bytes: %1").arg(served.size())))
        << window.bytesLabel->text().toStdString();

    // The README's picture, when asked for.
    if (const char* picture = std::getenv("LUMAROKUB_CORRECTIONS_PICTURE")) {
        window.show();
        RunFor(2500ms);  // the rate is measured over two seconds and more
        EXPECT_TRUE(window.grab().save(picture));
    }

    window.connectButton->click();
    EXPECT_FALSE(window.Streaming());
    EXPECT_EQ(window.StateText(), "disconnected");

    const std::string errors = testing::internal::GetCapturedStderr();
    for (const std::string& shown : {errors, window.Log().toStdString(),
                                     Window->FConsole->consoleMemo->toPlainText().toStdString()})
        EXPECT_EQ(shown.find(Password), std::string::npos) << shown;
}

// Each refusal ends the client with a message that says what to do; a
// missing mountpoint lists the caster's streams again.
TEST_F(Corrections, RefusalsAreToldAndAMissingMountpointListsTheTable) {
    const struct {
        const char* Password;
        const char* Mount;
        const char* Message;
        int Rows;  // the streams listed afterwards
    } cases[] = {
        {WrongPassword, Mount, "wrong user or password for rover at 127.0.0.1:", 0},
        {Password, "NOPE", "the caster's streams are listed again", 1},
    };
    testing::internal::CaptureStderr();
    PtyPair receiver;
    TCorrectionsWindow& window = OpenOn(receiver.Path());
    for (const auto& c : cases) {
        window.passwordEdit->setText(c.Password);
        window.mountEdit->setText(c.Mount);
        window.connectButton->click();
        ASSERT_TRUE(RunUntil([&] { return window.StateText().contains(c.Message); }, 20s))
            << window.StateText().toStdString();
        EXPECT_TRUE(RunUntil([&] { return window.streamTable->rowCount() == c.Rows; }, 20s));
        EXPECT_FALSE(window.Streaming());
        EXPECT_EQ(window.connectButton->text(), "Connect");
    }
    EXPECT_TRUE(window.Log().contains("wrong user or password")) << window.Log().toStdString();
    const std::string errors = testing::internal::GetCapturedStderr();
    for (const std::string& shown : {errors, window.Log().toStdString()}) {
        EXPECT_EQ(shown.find(WrongPassword), std::string::npos) << shown;
        EXPECT_EQ(shown.find(Password), std::string::npos) << shown;
    }
}

TEST_F(Corrections, AReceiveOnlyLinkIsRefusedBeforeTheCasterIsAsked) {
    const std::string udp = "udp://127.0.0.1:" + std::to_string(FreeLoopbackPort(SOCK_DGRAM));
    TCorrectionsWindow& window = OpenOn(udp);
    window.mountEdit->setText(Mount);
    window.connectButton->click();
    EXPECT_FALSE(window.Streaming());
    EXPECT_EQ(window.StateText().toStdString(),
              udp +
                  " only receives, so corrections cannot reach the receiver; use its serial "
                  "port or a tcp:// link");
}

TEST(CorrectionsRefusal, SaysWhyCorrectionsCannotGoOut) {
    const struct {
        bool Connected;
        std::string Entry;  // "" for a serial port
        const char* Refusal;
    } cases[] = {
        {false, "", "no receiver is connected"},
        {true, "", ""},
        {true, "tcp://127.0.0.1:2947", ""},
        {true, "udp://:10110", "udp://:10110 only receives"},
        {true, "gpsd://127.0.0.1", "gpsd://127.0.0.1 only receives"},
        {true, "file:///tmp/capture.txt", "file:///tmp/capture.txt only receives"},
    };
    for (const auto& c : cases) {
        const std::string refusal = CorrectionsRefusal(c.Connected, Source::FromEntry(c.Entry));
        if (*c.Refusal == 0)
            EXPECT_EQ(refusal, "") << c.Entry;
        else
            EXPECT_EQ(refusal.rfind(c.Refusal, 0), 0u) << c.Entry << ": " << refusal;
    }
}

}  // namespace

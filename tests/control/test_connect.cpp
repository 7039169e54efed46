// Connecting from the window: the port panel's four modes against simulated
// receivers, closing at any moment, failed attempts, what the status bar
// names, hot-plugged adapters, a Prolific adapter at start-up, an adapter
// pulled out while connected and the program's end.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>

#include <QTimer>
#include <algorithm>
#include <mutex>

#include "ConnectFixture.h"
#include "control/FormNmeaChoice.h"
#include "control/FormNmeaChoiceUb.h"
#include "control/FrameRestartButton.h"
#include "control/FrameUtilButton.h"
#include "serial/Source.h"
#include "tests/serial/PtyPair.h"
#include "views/FrameConsole.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameLumarokStatus.h"

namespace {

constexpr int Baud4800 = 0, Baud38400 = 3, Baud57600 = 4, Baud115200 = 5;

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

using Connect = ConnectFixture;

TEST_F(Connect, GeneralOpensAPortWithNothingBehindIt) {
    PtyPair line;
    SetExtraPorts({line.Path()});
    OpenWindow();
    EXPECT_EQ(Caption(), "Open");
    Choose(0, Baud4800, ModeGeneral);
    Press();
    EXPECT_EQ(Caption(), "Close");
    EXPECT_TRUE(Panel->ConnectionStarted());
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    EXPECT_EQ(GpsConfig->Port(), line.Port());
    // "Open", then the receiver's name once it answers the identity poll.
    EXPECT_TRUE(
        RunUntil([&] { return Window->FLumarokStatus->PanelText(0).startsWith("Open"); }, 2s));
    RunFor(200ms);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(Connect, PortDetectFindsTheReceiverOnTheThirdPort) {
    PtyPair first, second;
    auto receiver = StartReceiver(115200);
    SetExtraPorts({first.Path(), second.Path(), receiver->SlavePath()});
    OpenWindow();
    Choose(0, Baud115200, ModePortDetect);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 20s));
    ASSERT_TRUE(RunUntil([&] { return DetectionEnded(); }, 5s));
    EXPECT_EQ(Panel->portCombo->currentIndex(), 2);
    EXPECT_EQ(GpsConfig->Port(), Source::Device(receiver->SlavePath()));
    EXPECT_EQ(ComPort->PortSource(), GpsConfig->Port());
    // The first two were opened at the chosen rate on the way.
    for (const PtyPair* silent : {&first, &second}) {
        termios tio{};
        ASSERT_EQ(tcgetattr(silent->Slave(), &tio), 0);
        EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
    }
    EXPECT_TRUE(Messages.empty());
}

TEST_F(Connect, BaudDetectPassesLineNoiseAndTakes38400) {
    auto receiver = StartReceiver(38400);
    StartMismatched(*receiver);
    SetExtraPorts({receiver->SlavePath()});
    OpenWindow();
    Choose(0, Baud4800, ModeBaudDetect);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 20s));
    ASSERT_TRUE(RunUntil([&] { return DetectionEnded(); }, 5s));
    EXPECT_EQ(Panel->baudCombo->currentIndex(), Baud38400);
    EXPECT_EQ(GpsConfig->BaudRate.load(), 38400);
    EXPECT_EQ(Window->FLumarokStatus->PanelText(2), "BR:38400bps");
    EXPECT_TRUE(Window->FLumarokStatus->PanelText(0).startsWith("Open"));
    EXPECT_TRUE(Messages.empty());
}

TEST_F(Connect, AutoDetectFinds57600OnTheSecondPort) {
    PtyPair silent;
    auto receiver = StartReceiver(57600);
    SetExtraPorts({silent.Path(), receiver->SlavePath()});
    OpenWindow();
    Choose(0, Baud4800, ModeAutoDetect);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 40s));
    ASSERT_TRUE(RunUntil([&] { return DetectionEnded(); }, 5s));
    EXPECT_EQ(Panel->portCombo->currentIndex(), 1);
    EXPECT_EQ(Panel->baudCombo->currentIndex(), Baud57600);
    EXPECT_EQ(GpsConfig->BaudRate.load(), 57600);
    // The reader runs: sentences reach the console.
    EXPECT_TRUE(RunUntil([&] { return Window->FConsole->consoleMemo->blockCount() > 3; }, 10s));
}

TEST_F(Connect, BaudDetectOnAPortThatCannotOpenGivesUpAtOnce) {
    SetExtraPorts({Ports.DevicePath("ttyGONE0")});
    OpenWindow();
    Choose(0, Baud4800, ModeBaudDetect);
    Press();
    ASSERT_TRUE(RunUntil([&] { return DetectionEnded() && !Messages.empty(); }, 5s));
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "no GPS device detected");
    EXPECT_EQ(Messages[0].Caption, "error");
    EXPECT_EQ(Panel->baudCombo->currentIndex(), Baud4800) << "one attempt only";
    EXPECT_FALSE(Connected());
}

// A failed attempt reads "Open", and one click on it starts the next attempt
// at once: after a port held by another program, and after a detection that
// found no receiver.
TEST_F(Connect, AFailedAttemptReadsOpenAndOneClickStartsTheNext) {
    PtyPair held;
    const int holder = ::open(held.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    SetExtraPorts({held.Path(), Ports.DevicePath("ttyGONE0")});
    OpenWindow();
    Choose(0, Baud4800, ModeGeneral);
    Press();
    ASSERT_TRUE(RunUntil([&] { return !Messages.empty(); }, 5s));
    EXPECT_EQ(Messages[0].Text.rfind(held.Path() + " can't be opened", 0), 0u) << Messages[0].Text;
    EXPECT_EQ(Caption(), "Open");
    EXPECT_EQ(Window->Link().State(), LinkState::Failed);
    EXPECT_FALSE(Panel->ConnectionStarted());

    // The other program lets go: the next click connects.
    ::close(holder);
    const unsigned failed = Panel->Attempt();
    Press();
    EXPECT_EQ(Panel->Attempt(), failed + 1);
    EXPECT_EQ(Caption(), "Close");
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    EXPECT_EQ(Messages.size(), 1u);

    // Closed, then a detection on a port that cannot open finds no receiver.
    Press();
    Choose(1, Baud4800, ModeBaudDetect);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Messages.size() == 2; }, 5s));
    EXPECT_EQ(Messages[1].Text, "no GPS device detected");
    RunFor(100ms);
    EXPECT_EQ(Caption(), "Open");
    EXPECT_EQ(Window->Link().State(), LinkState::Failed);
    Choose(0, Baud4800, ModeGeneral);
    Press();
    EXPECT_EQ(Caption(), "Close");
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    RunFor(200ms);
    EXPECT_EQ(Messages.size(), 2u) << "the failed attempt's leftovers end silently";
}

// The status bar names what the link uses: each trial while detection runs,
// the accepted port and rate once connected, and after a failed detection the
// last trial, which is also what the port panel's lists show.
TEST_F(Connect, StatusBarShowsTheTrialWhileDetectingAndTheLinkAfterwards) {
    auto receiver = StartReceiver(38400);
    StartMismatched(*receiver);
    PtyPair silent;
    SetExtraPorts({receiver->SlavePath(), silent.Path()});
    OpenWindow();
    const QString receiverName =
        QString::fromStdString(Source::Device(receiver->SlavePath()).ShortName());
    Choose(0, Baud4800, ModeBaudDetect);
    Press();
    std::vector<QString> shownRates;
    ASSERT_TRUE(RunUntil(
        [&] {
            const QString rate = Window->FLumarokStatus->PanelText(2);
            if (shownRates.empty() || shownRates.back() != rate) shownRates.push_back(rate);
            return Connected();
        },
        20s));
    ASSERT_TRUE(RunUntil([&] { return DetectionEnded(); }, 5s));
    const std::vector<QString> trials = {"BR:4800bps", "BR:9600bps", "BR:19200bps"};
    for (const QString& trial : trials)
        EXPECT_NE(std::find(shownRates.begin(), shownRates.end(), trial), shownRates.end())
            << trial.toStdString();
    EXPECT_EQ(Window->FLumarokStatus->PanelText(2), "BR:38400bps");
    EXPECT_EQ(ComPort->BaudRate(), 38400u);
    EXPECT_EQ(Window->FLumarokStatus->PanelText(1), "COM:" + receiverName);

    // Nothing answers on the silent line: every rate is tried in turn.
    Press();
    Choose(1, Baud4800, ModeBaudDetect);
    Press();
    ASSERT_TRUE(RunUntil([&] { return !Messages.empty(); }, 15s));
    EXPECT_EQ(Messages[0].Text, "no GPS device detected");
    RunFor(100ms);
    EXPECT_EQ(Panel->baudCombo->currentText(), "115200 bps");
    EXPECT_EQ(Window->FLumarokStatus->PanelText(2), "BR:115200bps");
    EXPECT_EQ(Window->FLumarokStatus->PanelText(1),
              "COM:" + QString::fromStdString(silent.Port().ShortName()));
}

// The connection's one command sender, which the console's commands join, is
// ended with it: nothing uses the port once the connection has shut down.
TEST_F(Connect, ShutdownWaitsForEveryCommandSender) {
    PtyPair line;  // nobody reads it: the senders' writes back up
    SetExtraPorts({line.Path()});
    OpenWindow();
    Choose(0, Baud115200, ModeGeneral);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    Connection& link = Window->Link();
    ASSERT_TRUE(link.Send(std::vector<std::string>(4000, std::string(90, 'A'))));
    Window->FConsole->ConsoleClick();  // a double click's first click pauses the console
    Window->FConsole->ConsoleDblClick();
    Window->FConsole->consoleMemo->insertPlainText("100,1,9600,8,1,0");
    Window->FConsole->ConsoleKeyPress(TFConsole::EnterKey);
    EXPECT_EQ(link.RunningSenders(), 1) << "the console's command joins the same sender";
    EXPECT_TRUE(link.Shutdown(10s));
    EXPECT_EQ(link.RunningSenders(), 0);
    EXPECT_EQ(link.RunningReaders(), 0);
    EXPECT_FALSE(ComPort->IsOpen());
    EXPECT_FALSE(link.Send({"$PSRF103,00,00,01,01*"})) << "nothing is sent once closed";
}

// Closing the main window ends the program and releases the port, also
// while an NMEA Setting window is open.
TEST_F(Connect, ClosingTheWindowWithASettingWindowOpenEndsTheProgram) {
    auto receiver = StartReceiver(115200);
    SetExtraPorts({receiver->SlavePath()});
    OpenWindow();
    Choose(0, Baud115200, ModeGeneral);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    Window->CreateSettingWindows();
    Window->show();
    Window->FUtilButton->SettingClick();
    ASSERT_TRUE(Window->FmNmeaChoice_ub->isVisible());

    QTimer::singleShot(200, Window.get(), [this] { Window->close(); });
    constexpr int StillRunning = 99;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(StillRunning); });
    watchdog.start(15000);
    const int status = RunMonitor(*qApp, *Window);
    watchdog.stop();
    EXPECT_EQ(status, 0) << "the event loop ends with the main window";
    EXPECT_FALSE(ComPort->IsOpen());
    EXPECT_FALSE(Connected());
    EXPECT_EQ(Window->Link().RunningReaders(), 0);
    EXPECT_FALSE(Window->FmNmeaChoice_ub->isVisible());
}

TEST_F(Connect, CloseDuringAutoDetectEndsTheProbeWithoutAnotherTrial) {
    PtyPair first, second;
    SetExtraPorts({first.Path(), second.Path()});
    OpenWindow();
    Choose(0, Baud4800, ModeAutoDetect);
    Press();
    RunFor(300ms);  // the first probe is under way
    Press();
    EXPECT_EQ(Window->Link().DetectThread(), nullptr);
    EXPECT_FALSE(Panel->ConnectionStarted());
    ASSERT_TRUE(RunUntil([&] { return Caption() == "Open"; }, 2s));
    const int baudAfterClose = Panel->baudCombo->currentIndex();
    RunFor(1500ms);
    EXPECT_EQ(Panel->baudCombo->currentIndex(), baudAfterClose) << "no further trial";
    EXPECT_EQ(Panel->portCombo->currentIndex(), 0);
    EXPECT_FALSE(Connected());
    EXPECT_FALSE(ComPort->IsOpen());
    EXPECT_TRUE(Messages.empty());
}

TEST_F(Connect, OpenRightAfterCloseKeepsTheNewAttemptsCaption) {
    PtyPair line;
    SetExtraPorts({line.Path()});
    OpenWindow();
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    Press();  // Close: the closing thread queues "Open"
    Press();  // Open again before that arrives
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    RunFor(200ms);
    EXPECT_EQ(Caption(), "Close");
    EXPECT_TRUE(Panel->ConnectionStarted());
}

TEST_F(Connect, CloseWhileCapturingStopsTheCapture) {
    auto receiver = StartReceiver(115200);
    SetExtraPorts({receiver->SlavePath()});
    OpenWindow();
    Choose(0, Baud115200, ModeGeneral);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    const fs::path file = Ports.Root / "capture.txt";
    Window->FUtilButton->SetSaveDialogRunner(
        [&](QFileDialog&) { return QString::fromStdString(file); });
    Window->FUtilButton->LogClick();
    ASSERT_TRUE(Window->FUtilButton->Logging());
    RunFor(1500ms);
    Press();
    EXPECT_FALSE(Window->FUtilButton->Logging());
    {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        EXPECT_FALSE(NmeaManager->Capture.IsOpen());
    }
    EXPECT_GT(fs::file_size(file), 0u);
    EXPECT_EQ(Caption(), "Open");
    EXPECT_TRUE(RunUntil([&] { return !ComPort->IsOpen(); }, 2s));
}

TEST_F(Connect, NewPortWhileIdleInPortDetectIsTakenInBaudDetect) {
    PtyPair existing;
    Ports.Plug("ttyUSB0", "1a86", existing.Path());
    OpenWindow();
    ASSERT_EQ(Panel->portCombo->count(), 1);
    Choose(0, Baud4800, ModePortDetect);
    auto receiver = StartReceiver(4800);
    Ports.Plug("ttyUSB1", "0403", receiver->SlavePath());
    // Within one tick of the 2 s watch.
    ASSERT_TRUE(RunUntil([&] { return Panel->portCombo->count() == 2; }, 3s));
    EXPECT_EQ(Panel->portCombo->currentIndex(), 1);
    EXPECT_EQ(Panel->modeCombo->currentIndex(), ModeBaudDetect);
    EXPECT_TRUE(Panel->ConnectionStarted());
    EXPECT_TRUE(Window->FGPSInfo->FixTimerRunning()) << "time to fix counts from the new port";
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 10s));
    EXPECT_EQ(GpsConfig->Port(), Source::Device(Ports.DevicePath("ttyUSB1")));
}

TEST_F(Connect, InGeneralANewPortOnlyGrowsTheListAndAVanishedOneShortensIt) {
    PtyPair a, b;
    Ports.Plug("ttyUSB0", "1a86", a.Path());
    OpenWindow();
    Ports.Plug("ttyUSB1", "1a86", b.Path());
    ASSERT_TRUE(RunUntil([&] { return Panel->portCombo->count() == 2; }, 3s));
    EXPECT_FALSE(Panel->ConnectionStarted());
    EXPECT_EQ(Panel->modeCombo->currentIndex(), ModeGeneral);
    Panel->portCombo->setCurrentIndex(1);
    Ports.Unplug("ttyUSB1");
    ASSERT_TRUE(RunUntil([&] { return Panel->portCombo->count() == 1; }, 3s));
    EXPECT_EQ(Panel->portCombo->currentIndex(), 0);
    EXPECT_FALSE(Connected());
}

TEST_F(Connect, ProlificAdapterAtStartUpIsConnectedWithoutAClick) {
    PtyPair other;
    auto receiver = StartReceiver(4800);
    Ports.Plug("ttyACM0", "1546", other.Path());
    Ports.Plug("ttyUSB3", "067b", receiver->SlavePath());
    OpenWindow();
    EXPECT_EQ(Panel->Prolific().ProlificPortName, Ports.DevicePath("ttyUSB3"));
    EXPECT_EQ(Panel->portCombo->currentIndex(), 1);
    EXPECT_TRUE(Panel->ConnectionStarted());
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    EXPECT_EQ(GpsConfig->Port(), Source::Device(Ports.DevicePath("ttyUSB3")));
    // While connected the watch leaves the link alone, whatever comes and goes.
    Ports.Unplug("ttyACM0");
    RunFor(2500ms);
    EXPECT_TRUE(Connected());
    EXPECT_EQ(Panel->portCombo->count(), 2);
}

TEST_F(Connect, OpenUsesTheProlificPortWhateverIsSelected) {
    PtyPair other;
    Ports.Plug("ttyACM0", "1546", other.Path());
    auto receiver = StartReceiver(4800);
    Ports.Plug("ttyUSB3", "067b", receiver->SlavePath());
    OpenWindow();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    Press();  // close
    ASSERT_TRUE(RunUntil([&] { return Caption() == "Open"; }, 2s));
    Panel->portCombo->setCurrentIndex(0);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    EXPECT_EQ(GpsConfig->Port(), Source::Device(Ports.DevicePath("ttyUSB3")));
}

TEST_F(Connect, UnpluggedWhileConnectedShowsTheLinkDownAndReconnectsLater) {
    PtyPair modem;  // another port stays, or the last one gone would end the program
    Ports.Plug("ttyACM0", "1546", modem.Path());
    auto receiver = StartReceiver(4800);
    Ports.Plug("ttyUSB0", "067b", receiver->SlavePath());
    OpenWindow();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    ASSERT_TRUE(RunUntil([&] { return Window->FConsole->consoleMemo->blockCount() > 3; }, 10s));

    receiver->Stop();  // pulled out
    Ports.Unplug("ttyUSB0");
    ASSERT_TRUE(RunUntil([&] { return !Connected(); }, 5s));
    EXPECT_TRUE(RunUntil([&] { return Window->FLumarokStatus->PanelText(0) == "Close"; }, 2s));
    EXPECT_EQ(Caption(), "Close");
    const double cpuBefore = ProcessCpuSeconds();
    RunFor(3s);
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 1.5) << "nothing spins while the line is gone";
    EXPECT_EQ(Window->FConsole->consoleMemo->toPlainText().count("has gone away"), 1);

    auto again = StartReceiver(4800);
    Ports.Plug("ttyUSB0", "067b", again->SlavePath());
    ASSERT_TRUE(RunUntil([&] { return Panel->portCombo->count() == 2; }, 3s));
    EXPECT_FALSE(Connected()) << "a port coming back is not taken while an attempt is open";
    Press();  // Close
    ASSERT_TRUE(RunUntil([&] { return Caption() == "Open"; }, 3s));
    Press();  // Open
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s))
        << (Messages.empty() ? std::string("no message") : Messages.back().Text) << " "
        << ComPort->LastError() << " open=" << ComPort->IsOpen()
        << " started=" << Panel->ConnectionStarted() << " detect="
        << (Window->Link().DetectThread() ? Window->Link().DetectThread()->Finished() : -1)
        << " port=" << GpsConfig->Port().Text() << " caption=" << Caption().toStdString();
    const int lines = Window->FConsole->consoleMemo->blockCount();
    EXPECT_TRUE(
        RunUntil([&] { return Window->FConsole->consoleMemo->blockCount() > lines + 3; }, 10s));
}

// The time-to-fix counters after a restart through the window run until the
// receiver reports 3D, and stop within one tick of the time it took.
TEST_F(Connect, RestartCountsTheTimeToFixUntilTheReceiverReports3D) {
    constexpr double Scale = 10;
    SimOptions options;
    options.Baud = 115200;
    options.TimeScale = Scale;
    options.Times[static_cast<int>(StartKind::Warm)] = {20, 30};  // 3 s after the restart
    options.Times[static_cast<int>(StartKind::Cold)] = {25, 40};  // 4 s
    ReceiverSimulator receiver(options);
    std::string error;
    ASSERT_TRUE(receiver.Start(error)) << error;
    SetExtraPorts({receiver.SlavePath()});
    OpenWindow();
    Choose(0, Baud115200, ModeGeneral);
    Press();
    const auto fixMode = [this] {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        return NmeaManager->Display().FixModeText;
    };
    const struct {
        int Button;
        StartKind Kind;
        double Seconds3D;
    } restarts[] = {{1, StartKind::Warm, 3.0},  // buttons HOT, WARM, COLD, Factory Rst
                    {2, StartKind::Cold, 4.0}};
    // Once the receiver's protocol is known, one restart goes out, not both kinds.
    ASSERT_TRUE(RunUntil(
        [&] {
            std::lock_guard<std::mutex> hold(NmeaManager->Lock());
            return KnownProtocol(*NmeaManager) != ReceiverProtocol::Unknown;
        },
        10s));
    for (const auto& restart : restarts) {
        ASSERT_TRUE(RunUntil([&] { return fixMode() == "3D"; }, 10s));
        Window->FRestartButton->restartButtons[restart.Button]->click();
        EXPECT_TRUE(Window->FGPSInfo->FixTimerRunning());
        ASSERT_TRUE(RunUntil([&] { return !Window->FGPSInfo->FixTimerRunning(); }, 15s));
        EXPECT_EQ(receiver.Status().Restarts[static_cast<int>(restart.Kind)], 1);
        EXPECT_NEAR(Window->FGPSInfo->FixTimes().Fix3D(), restart.Seconds3D, 1.0) << restart.Button;
        EXPECT_EQ(fixMode(), "3D");
    }
}

TEST_F(Connect, PortGivenAtStartIsConnectedInTheChosenMode) {
    auto receiver = StartReceiver(19200);
    StartMismatched(*receiver);
    OpenWindow();
    Panel->ConnectAtStart(receiver->SlavePath(), ModeBaudDetect);
    EXPECT_EQ(Panel->modeCombo->currentIndex(), ModeBaudDetect);
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 20s));
    EXPECT_EQ(GpsConfig->BaudRate.load(), 19200);
    EXPECT_EQ(Panel->portCombo->currentText().toStdString(), receiver->SlavePath());
}

TEST_F(Connect, NoPortAtAllTellsTheUserAndEndsTheApplication) {
    OpenWindow();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "There is no com port detected and application will be closed");
    EXPECT_EQ(Messages[0].Caption, "LumarokUb");
    // A later refresh that finds none says it again.
    Panel->RefreshPortList();
    EXPECT_EQ(Messages.size(), 2u);
}

}  // namespace

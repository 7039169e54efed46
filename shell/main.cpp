// lumarokub: the monitor. Starts the Qt application titled "LumarokUb" and its
// main window, then runs the event loop until the window closes.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <iostream>
#include <memory>

#include "control/CommandSend.h"
#include "control/FormNmeaChoice.h"
#include "control/FormNmeaChoiceUb.h"
#include "control/FrameComPortSetting.h"
#include "control/PortEnumeration.h"
#include "nmea/ThreadNMEAFetch.h"
#include "serial/YComPort.h"
#include "shell/GuiMessageSink.h"
#include "shell/MainForm.h"
#include "shell/QtUiDispatcher.h"
#include "shell/StartupOptions.h"
#include "shell/YThread.h"
#ifdef LUMAROKUB_HAVE_SIM
#include "tools/sim/ReceiverSimulator.h"
#endif

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitFailure = 1;
constexpr int ReaderStopLimitMs = 2000;

void ScheduleScreenshot(QApplication& app, TMainForm& window, const StartupOptions& options) {
    const int delayMs = static_cast<int>(options.ScreenshotAfter * 1000);
    QTimer::singleShot(delayMs, &window, [&app, &window, file = options.ScreenshotFile] {
        if (window.grab().save(QString::fromStdString(file), "PNG")) {
            app.quit();
            return;
        }
        std::cerr << "lumarokub: cannot write " << file << '\n';
        app.exit(ExitFailure);
    });
}

#ifdef LUMAROKUB_HAVE_SIM
constexpr unsigned long DemoBaud = 9600;

// The demo receiver: the simulator on a pseudo-terminal in this process.
std::unique_ptr<ReceiverSimulator> StartDemoReceiver() {
    SimOptions options;
    options.Baud = DemoBaud;
    auto receiver = std::make_unique<ReceiverSimulator>(options);
    std::string error;
    if (!receiver->Start(error)) {
        std::cerr << "lumarokub: cannot start the demo receiver: " << error << '\n';
        return nullptr;
    }
    StartOptions.Ports.push_back(receiver->SlavePath());
    if (StartOptions.BaudRate == 0) StartOptions.BaudRate = static_cast<int>(DemoBaud);
    return receiver;
}
#endif

// Ends the connection: the detection thread, the readers and the port.
void StopLink() {
    WaitCommandSendersIdle(std::chrono::milliseconds(ReaderStopLimitMs));
    if (FComPortSetting) FComPortSetting->Shutdown();
    WaitReadersEnded(ReaderStopLimitMs);
    ClosePort();
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    if (!ParseStartupOptions(argc, argv, StartOptions, error)) {
        std::cerr << "lumarokub: " << error << '\n' << StartupUsage;
        return ExitUsage;
    }
    if (StartOptions.Help) {
        std::cout << StartupUsage;
        return 0;
    }
    ComPort = new YComPort;  // the one serial port, for the whole process
#ifdef LUMAROKUB_HAVE_SIM
    std::unique_ptr<ReceiverSimulator> demo;
    if (StartOptions.Demo && !(demo = StartDemoReceiver())) return ExitFailure;
#else
    if (StartOptions.Demo) {
        std::cerr << "lumarokub: --demo is not available on this platform\n";
        return ExitUsage;
    }
#endif
    SetExtraPorts(StartOptions.Ports);
    QApplication app(argc, argv);
    QApplication::setApplicationName(TMainForm::Title);
    QApplication::setFont(MonitorFont());
    // Work that worker threads hand to the GUI thread; kept for the whole
    // process, since a worker may still hand over while the program ends.
    auto* dispatcher = new QtUiDispatcher;
    YThread::SetMainDispatcher(dispatcher);
    SerialMessages = new TGuiMessageSink(*dispatcher);
    TMainForm window;
    if (window.InitFailed()) return ExitFailure;
    // The two setting windows, hidden until their buttons show them.
    FmNmeaChoice = new TFmNmeaChoice;
    FmNmeaChoice_ub = new TFmNmeaChoice_ub;
    if (StartOptions.BaudRate != 0) FComPortSetting->SelectBaudRate(StartOptions.BaudRate);
    if (!StartOptions.Ports.empty())
        FComPortSetting->ConnectAtStart(StartOptions.Ports.back(), StartOptions.Mode);
    if (!StartOptions.ReplayFile.empty() && !window.ShowCapture(StartOptions.ReplayFile)) {
        std::cerr << "lumarokub: cannot read " << StartOptions.ReplayFile << '\n';
        return ExitUsage;
    }
    window.show();
    if (!StartOptions.ScreenshotFile.empty()) ScheduleScreenshot(app, window, StartOptions);
    const int status = app.exec();
    StopLink();
    return status;
}

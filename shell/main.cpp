// lumarokub: the monitor. Starts the Qt application titled "LumarokUb" and its
// main window, then runs the event loop until the window closes.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <iostream>

#include "control/FormNmeaChoice.h"
#include "control/FormNmeaChoiceUb.h"
#include "nmea/NmeaManager.h"
#include "nmea/ThreadNMEAFetch.h"
#include "serial/YComPort.h"
#include "shell/CaptureReplay.h"
#include "shell/GuiMessageSink.h"
#include "shell/MainForm.h"
#include "shell/QtUiDispatcher.h"
#include "shell/StartupOptions.h"
#include "shell/YThread.h"
#include "views/FrameConsole.h"

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitFailure = 1;
constexpr size_t ReplayConsoleLines = 60;
constexpr int ReaderStopGraceMs = 200;

bool Replay(const std::string& path) {
    const ReplayResult result = ReplayCapture(path, *NmeaManager);
    if (!result.Opened) return false;
    const size_t first = result.Sentences.size() > ReplayConsoleLines
                             ? result.Sentences.size() - ReplayConsoleLines
                             : 0;
    for (size_t i = first; i < result.Sentences.size(); ++i)
        FConsole->AppendSentence(result.Sentences[i]);
    RefreshViews();
    return true;
}

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

// Ends the reader of the current connection and closes the port. The reader
// may be waiting for the GUI thread, so events run while it winds down.
void StopLink() {
    if (TNmeaFetch* reader = NmeaFetch) {
        NmeaFetch = nullptr;
        reader->Resume();
        reader->Terminate();  // it frees itself
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ReaderStopGraceMs)
            QApplication::processEvents(QEventLoop::AllEvents, ReaderStopGraceMs);
    }
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
    if (!StartOptions.ReplayFile.empty() && !Replay(StartOptions.ReplayFile)) {
        std::cerr << "lumarokub: cannot read " << StartOptions.ReplayFile << '\n';
        return ExitUsage;
    }
    window.show();
    if (!StartOptions.ScreenshotFile.empty()) ScheduleScreenshot(app, window, StartOptions);
    const int status = app.exec();
    StopLink();
    return status;
}

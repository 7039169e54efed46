// lumarokub: the monitor. Starts the Qt application titled "LumarokUb" and its
// main window, then runs the event loop until the window closes.
#include <QApplication>
#include <QComboBox>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <iostream>
#include <memory>

#include "LumarokVersion.h"
#include "control/AboutLogo.h"
#include "control/CampaignPanel.h"
#include "control/EvaluationWindow.h"
#include "control/FormNmeaChoice.h"
#include "control/FormNmeaChoiceUb.h"
#include "control/FrameComPortSetting.h"
#include "control/PortEnumeration.h"
#include "eval/EpochRecorder.h"
#include "link/Monitor.h"
#include "serial/LinkUrl.h"
#include "shell/DemoReceiver.h"
#include "shell/GuiMessageSink.h"
#include "shell/MainForm.h"
#include "shell/MonitorSettings.h"
#include "shell/QtUiDispatcher.h"
#include "shell/StartupOptions.h"
#include "thread/YThread.h"

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitFailure = 1;

// The window shot: the evaluation window when it was opened at start.
void ScheduleScreenshot(QApplication& app, QWidget& window, const StartupOptions& options) {
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

constexpr int CampaignPollMs = 200;

// Opens the time-to-fix page and starts the campaign the command line asked
// for as soon as the receiver is connected.
void StartCampaignWhenConnected(TMainForm& window, const StartupOptions& options) {
    TCampaignPanel& panel = *window.ShowEvaluation(true).campaign;
    panel.kindCombo->setCurrentIndex(options.CampaignKind);
    panel.runsSpin->setValue(options.CampaignRuns);
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, &panel, poll] {
        if (!window.Link().Connected()) return;
        poll->stop();
        poll->deleteLater();
        panel.startButton->click();
    });
    poll->start(CampaignPollMs);
}

constexpr unsigned long DemoBaud = 9600;

// The demo receiver, its port added to the list and selected at its rate.
std::unique_ptr<DemoReceiver> StartDemo(StartupOptions& options) {
    std::string error;
    std::unique_ptr<DemoReceiver> receiver = StartDemoReceiver(DemoBaud, error);
    if (!receiver) {
        std::cerr << "lumarokub: cannot start the demo receiver: " << error << '\n';
        return nullptr;
    }
    options.Ports.push_back(receiver->SlavePath());
    if (options.BaudRate == 0) options.BaudRate = static_cast<int>(DemoBaud);
    return receiver;
}

// Qt draws every window at this many device pixels per pixel; set before the
// application starts, it multiplies the screen's own ratio.
void SetPixelRatio(double ratio) {
    if (ratio > 0) qputenv("QT_SCALE_FACTOR", QByteArray::number(ratio));
}

// The size asked for on the command line; a screenshot without one shows
// the default window, whatever size was kept.
void SizeWindow(TMainForm& window, const StartupOptions& options) {
    if (options.WindowWidth > 0)
        window.resize(options.WindowWidth, options.WindowHeight);
    else if (!options.ScreenshotFile.empty())
        window.resize(DefaultClientSize());
}

constexpr char DesktopEntryName[] = "org.lumarokub.LumarokUb";
constexpr int WindowIconSize = 64;

SettingsTargets KeptControls(TMainForm& window) {
    SettingsTargets t;
    t.Evaluation = &window.Evaluation();
    t.Corrections = &window.Corrections();
    t.Port = window.FComPortSetting;
    t.Ublox = window.FmNmeaChoice_ub.get();
    t.Sirf = window.FmNmeaChoice ? window.FmNmeaChoice->Panel() : nullptr;
    t.Tools = window.FUtilButton;
    t.Sky = window.FSViewer;
    t.Window = &window;
    t.Watch = &window.Recording().Watch();
    t.WatchLock = &window.Parts().NmeaManager.Lock();
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    // The options the monitor was started with.
    StartupOptions StartOptions;
    std::string error;
    if (!ParseStartupOptions(argc, argv, StartOptions, error)) {
        std::cerr << "lumarokub: " << error << '\n' << StartupUsage << LinkUsageText();
        return ExitUsage;
    }
    if (StartOptions.Help) {
        std::cout << StartupUsage << LinkUsageText();
        return 0;
    }
    if (StartOptions.Version) {
        std::cout << "lumarokub " LUMAROKUB_VERSION "\n";
        return 0;
    }
    // The store, the configuration, the port and the connection, for the
    // whole process: a worker past its stop limit may still use them as the
    // program ends.
    Monitor& monitor = *new Monitor;
    if (StartOptions.Demo && !DemoReceiverAvailable()) {
        std::cerr << "lumarokub: --demo is not available on this platform\n";
        return ExitUsage;
    }
    std::unique_ptr<DemoReceiver> demo;
    if (StartOptions.Demo && !(demo = StartDemo(StartOptions))) return ExitFailure;
    SetExtraPorts(StartOptions.Ports);
    AllowNoPort(!StartOptions.ReplayFile.empty() || !StartOptions.PlayFile.empty());
    SetPixelRatio(StartOptions.PixelRatio);
    QApplication app(argc, argv);
    QApplication::setApplicationName(TMainForm::Title);
    QApplication::setApplicationVersion(LUMAROKUB_VERSION);
    // The desktop entry's name: the desktop matches the window to its entry and icon.
    QGuiApplication::setDesktopFileName(DesktopEntryName);
    QApplication::setWindowIcon(QIcon(DrawAboutLogo(QSize(WindowIconSize, WindowIconSize), false)));
    QApplication::setFont(MonitorFont());
    // Work that worker threads hand to the GUI thread; kept for the whole
    // process, since a worker may still hand over while the program ends.
    auto* dispatcher = new QtUiDispatcher;
    YThread::SetMainDispatcher(dispatcher);
    auto* messages = new TGuiMessageSink(*dispatcher);
    TMainForm window(monitor);
    if (window.InitFailed()) return ExitFailure;
    window.Link().SetMessages(messages);
    window.CreateSettingWindows();
    // The choices of the last run first; the command line then wins.
    const MonitorSettings settings(MonitorSettings::DefaultFile());
    const SettingsTargets kept = KeptControls(window);
    std::string problem;
    if (!settings.Restore(kept, problem)) std::cerr << "lumarokub: " << problem << '\n';
    SizeWindow(window, StartOptions);
    if (StartOptions.BaudRate != 0) window.FComPortSetting->SelectBaudRate(StartOptions.BaudRate);
    if (!StartOptions.Ports.empty())
        window.FComPortSetting->ConnectAtStart(StartOptions.Ports.back(), StartOptions.Mode);
    if (!StartOptions.ReplayFile.empty() && !window.ShowCapture(StartOptions.ReplayFile)) {
        std::cerr << "lumarokub: cannot read " << StartOptions.ReplayFile << '\n';
        return ExitUsage;
    }
    window.show();
    QWidget* shot = &window;
    if (StartOptions.CampaignKind >= 0) {
        StartCampaignWhenConnected(window, StartOptions);
        shot = &window.Evaluation();
    }
    if (StartOptions.EvaluationTab >= 0) {
        TEvaluationWindow& evaluation = window.ShowEvaluation(false);
        evaluation.tabs->setCurrentIndex(StartOptions.EvaluationTab);
        shot = &evaluation;
    }
    if (!StartOptions.ScreenshotFile.empty()) ScheduleScreenshot(app, *shot, StartOptions);
    const int status = RunMonitor(app, window);
    if (!settings.Save(kept, problem)) std::cerr << "lumarokub: " << problem << '\n';
    return status;
}

#include "shell/MainForm.h"

#include <QApplication>
#include <QMenu>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <memory>

#include "control/CampaignPanel.h"
#include "control/ConfigurationWindow.h"
#include "control/CorrectionsWindow.h"
#include "control/EvaluationWindow.h"
#include "control/FormNmeaChoice.h"
#include "control/FormNmeaChoiceUb.h"
#include "control/FrameAbout.h"
#include "control/FrameComPortSetting.h"
#include "control/FrameRestartButton.h"
#include "control/FrameUtilButton.h"
#include "control/PlayerBar.h"
#include "eval/EpochRecorder.h"
#include "link/Connection.h"
#include "link/GpsConfig.h"
#include "link/Monitor.h"
#include "link/ThreadCommandOut.h"
#include "link/ThreadNMEAFetch.h"
#include "link/UbxAnswerWatch.h"
#include "nmea/NmeaManager.h"
#include "serial/YComPort.h"
#include "shell/CaptureReplay.h"
#include "shell/DataFreshness.h"
#include "shell/DisplayPacer.h"
#include "views/AlarmReporter.h"
#include "views/FrameConsole.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameLumarokStatus.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"
#include "views/MessageBox.h"

namespace {
constexpr char EvaluationShortcut[] = "Ctrl+E";
constexpr char CampaignShortcut[] = "Ctrl+T";
constexpr char CampaignMenuText[] = "Time-to-fix campaign...";
constexpr char EvaluationMenuText[] = "Evaluation: accuracy, signals, satellites, export...";
constexpr char CorrectionsShortcut[] = "Ctrl+Shift+R";
constexpr char CorrectionsMenuText[] = "Corrections (NTRIP)...";
constexpr char ConfigurationShortcut[] = "Ctrl+Shift+K";
constexpr char ConfigurationMenuText[] = "Receiver configuration (keys)...";

constexpr int MonitorFontPoints = 8;
constexpr int PumpMs = 5;
constexpr std::chrono::milliseconds StopLimit{2000};
constexpr size_t ReplayConsoleLines = 60;
constexpr int AnswerTickMs = 100;
// UBX MON-VER poll: class 0A, id 04, no payload.
const char* const UbxMonVerPollText = "B5620A0400000E34";
constexpr Qt::WindowFlags MainWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;

}  // namespace

QFont MonitorFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(MonitorFontPoints);
    // The panels' pixel positions were laid out for a narrow 8-point face;
    // a condensed face keeps the longest texts inside their boxes.
    font.setStretch(QFont::SemiCondensed);
    return font;
}

TMainForm::TMainForm(Monitor& monitor, QWidget* parent)
    : QWidget(parent, MainWindowFlags),
      FMonitor(monitor),
      FLink(monitor.Link),
      FEventsGate(std::make_shared<ReaderEvents*>(this)) {
    setWindowTitle(Title);
    try {
        setMinimumSize(DefaultClientSize());
        resize(DefaultClientSize());
        FRecording = std::make_unique<EpochRecorder>();
        {
            std::lock_guard<std::mutex> hold(FMonitor.NmeaManager.Lock());
            FMonitor.NmeaManager.Epochs = FRecording.get();
        }
        FLink.SetReaderFactory([this] { return MakeNmeaFetch(); });
        FLink.SetEventPump([] { QCoreApplication::processEvents(QEventLoop::AllEvents, PumpMs); });
        FPacer = new TDisplayPacer(this);
        BuildWidgets();
        WatchUbxAnswers();
    } catch (...) {
        FInitFailed = true;
    }
    if (FInitFailed) {
        ShowMessage("Initial Object error", "error");
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

TMainForm::~TMainForm() {
    // The connection's threads end before the panels that observe it go; it
    // outlives the window, so it forgets the window's hooks.
    FLink.Shutdown(StopLimit);
    FLink.SetObserver(nullptr);
    FLink.SetReaderFactory(nullptr);
    FLink.SetAnswerWatch(nullptr);
    FLink.SetEventPump(nullptr);
    *FEventsGate = nullptr;  // hand-offs still queued find no window
    FmNmeaChoice.reset();
    FmNmeaChoice_ub.reset();
    FEvaluation.reset();
    FCorrections.reset();
    FConfiguration.reset();
    if (FRecording) {
        std::lock_guard<std::mutex> hold(FMonitor.NmeaManager.Lock());
        if (FMonitor.NmeaManager.Epochs == FRecording.get()) FMonitor.NmeaManager.Epochs = nullptr;
    }
}

TEvaluationWindow& TMainForm::ShowEvaluation(bool campaign) {
    Evaluation();
    if (campaign)
        FEvaluation->ShowCampaign();
    else
        FEvaluation->show();
    FEvaluation->raise();
    return *FEvaluation;
}

TEvaluationWindow& TMainForm::Evaluation() {
    if (!FEvaluation) {
        // The campaign restarts as the restart buttons do.
        auto restart = [this](RestartKind kind) {
            if (!FRestartButton || !FLink.Connected()) return false;
            switch (kind) {
                case RestartKind::Hot:
                    FRestartButton->HotClick();
                    break;
                case RestartKind::Warm:
                    FRestartButton->WarmClick();
                    break;
                case RestartKind::Cold:
                    FRestartButton->ColdClick();
                    break;
                case RestartKind::Factory:
                    FRestartButton->FactoryClick();
                    break;
            }
            return true;
        };
        FEvaluation =
            std::make_unique<TEvaluationWindow>(FMonitor.NmeaManager, *FRecording, restart);
        FEvaluation->setAttribute(Qt::WA_QuitOnClose, false);
    }
    return *FEvaluation;
}

TCorrectionsWindow& TMainForm::Corrections() {
    if (!FCorrections) {
        FCorrections = std::make_unique<TCorrectionsWindow>(FMonitor.NmeaManager, FLink,
                                                            *YThread::MainDispatcher());
        FCorrections->setAttribute(Qt::WA_QuitOnClose, false);
        FCorrections->SetStartedHook([this] { Evaluation().campaign->CorrectionsStarted(); });
    }
    return *FCorrections;
}

TConfigurationWindow& TMainForm::Configuration() {
    if (!FConfiguration) {
        FConfiguration = std::make_unique<TConfigurationWindow>(FLink, FMonitor.GpsConfig);
        FConfiguration->setAttribute(Qt::WA_QuitOnClose, false);
    }
    return *FConfiguration;
}

void TMainForm::BuildEvaluationEntries() {
    auto* evaluation = new QShortcut(QKeySequence(EvaluationShortcut), this);
    connect(evaluation, &QShortcut::activated, this, [this] { ShowEvaluation(false); });
    auto* campaign = new QShortcut(QKeySequence(CampaignShortcut), this);
    connect(campaign, &QShortcut::activated, this, [this] { ShowEvaluation(true); });
    FRestartButton->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* menu = new QMenu(this);
    menu->addAction(CampaignMenuText, this, [this] { ShowEvaluation(true); });
    menu->addAction(EvaluationMenuText, this, [this] { ShowEvaluation(false); });
    const auto showCorrections = [this] { Corrections().show(), Corrections().raise(); };
    menu->addAction(CorrectionsMenuText, this, showCorrections);
    connect(new QShortcut(QKeySequence(CorrectionsShortcut), this), &QShortcut::activated, this,
            showCorrections);
    const auto showConfiguration = [this] { Configuration().show(), Configuration().raise(); };
    menu->addAction(ConfigurationMenuText, this, showConfiguration);
    connect(new QShortcut(QKeySequence(ConfigurationShortcut), this), &QShortcut::activated, this,
            showConfiguration);
    connect(FRestartButton, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint& at) { menu->popup(FRestartButton->mapToGlobal(at)); });
}

void TMainForm::BuildWidgets() {
    FSkyWell = new QWidget(this);  // made first: it lies under the sky view
    FSkyWell->setAutoFillBackground(true);
    QPalette black = FSkyWell->palette();
    black.setColor(QPalette::Window, Qt::black);
    FSkyWell->setPalette(black);
    FSViewer = new TFSViewer(this, FMonitor.NmeaManager, FMonitor.GpsConfig, this);
    // A satellite clicked on the sky highlights its line in the signal history.
    connect(FSViewer, &TFSViewer::SatelliteClicked, this, [this](Constellation system, int prn) {
        if (FEvaluation) FEvaluation->ChooseSatellite(system, prn);
    });
    FRestartButton = new TFRestartButton(this, FMonitor.NmeaManager);
    FRestartButton->SetLinkOpen(false);
    FSnrViewer = new TFSnrViewer(this, FMonitor.NmeaManager);
    FUtilButton = new TFUtilButton(this, FMonitor.NmeaManager);
    FGPSInfo = new TFGPSInfo(this, FMonitor.NmeaManager);
    FGPSInfo->SetRecording(FRecording.get());
    FRestartButton->SetLink(&FLink);
    FRestartButton->SetFixTimerHook([this] { FGPSInfo->StartFixTimer(); });
    TFComPortSetting::Hooks portHooks;
    // The port panel may call these while it is built, before the panels
    // made after it exist.
    portHooks.RefreshStatus = [this] {
        FRestartButton->SetLinkOpen(FLink.Connected());
        if (FLumarokStatus) FLumarokStatus->Refresh();
    };
    portHooks.StartFixTimer = [this] { FGPSInfo->StartFixTimer(); };
    portHooks.StopFixTimer = [this] { FGPSInfo->StopFixTimer(); };
    portHooks.ConsoleLine = [this](const std::string& line) {
        if (FConsole) FConsole->AppendSentence(line);
    };
    portHooks.StopCapture = [this] { FUtilButton->LogClick(); };
    portHooks.SendingAllowed = [this](bool allowed, const std::string& why) {
        if (FRestartButton) FRestartButton->SetSendingAllowed(allowed, why);
        if (FUtilButton) FUtilButton->SetSendingAllowed(allowed, why);
        if (FConsole) FConsole->SetSendingAllowed(allowed, why);
    };
    FComPortSetting = new TFComPortSetting(this, FLink, FMonitor.GpsConfig, &FMonitor.NmeaManager,
                                           std::move(portHooks));
    FLumarokStatus = new TFLumarokStatus(this, FMonitor.GpsConfig);
    FLumarokStatus->SetConnection(&FLink);
    FConsole = new TFConsole(this, FMonitor.GpsConfig);
    FConsole->SetCommandSender([link = &FLink](const std::vector<std::string>& commands,
                                               const Source&) { link->Send(commands); });
    FAbout = new TFAbout(this);
    FPlayerBar = new TPlayerBar(this, &FMonitor.ComPort);
    PlacePanels(LayoutForSize(size()));
    BuildEvaluationEntries();
    // Each alarm of the interference watch: a line in the console and a sign in the status bar.
    auto* alarms = new TAlarmReporter(
        FMonitor.NmeaManager, *FRecording,
        [this](const std::string& line) {
            if (FConsole) FConsole->AppendSentence("*** " + line);
        },
        this);
    alarms->SetNoteReport([this](const std::string& note) {
        if (FLumarokStatus) FLumarokStatus->ShowNote("\u26A0 " + note);
    });
    WatchFreshness();
}

// Each UBX frame sent awaits its answer: acknowledged, refused or silent for
// a second, told in the console and the status bar. A u-blox receiver is
// asked for its identity on connecting.
void TMainForm::WatchUbxAnswers() {
    FAnswers = std::make_unique<UbxAnswerWatch>();
    FAnswers->SetReport([this](const std::string& line) {
        FConsole->AppendSentence(line);
        FLumarokStatus->ShowNote(line);
    });
    FLink.SetAnswerWatch(FAnswers.get());
    FLink.SetIdentityPoll(UbxMonVerPollText);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this,
            [this] { FAnswers->Tick(UbxAnswerWatch::Clock::now()); });
    timer->start(AnswerTickMs);
}

void TMainForm::UbxAnswered(const UbxAckRecord& answer) {
    if (FAnswers) FAnswers->Answered(answer.Acknowledged, answer.Class, answer.Id);
    if (FConfiguration) FConfiguration->UbxAnswered(answer);
}

// One decision marks the three data views old or fresh together; a link
// going down marks them at once rather than at the next poll.
void TMainForm::WatchFreshness() {
    FFreshness = new TDataFreshness(
        FMonitor.NmeaManager, FMonitor.GpsConfig,
        [info = FGPSInfo, chart = FSnrViewer, sky = FSViewer](bool stale) {
            info->SetStale(stale);
            chart->SetStale(stale);
            sky->SetStale(stale);
        },
        this);
    connect(FComPortSetting, &TFComPortSetting::LinkClosed, FFreshness, &TDataFreshness::Check);
}

bool TMainForm::ShowCapture(const std::string& path) {
    if (FInitFailed) return false;
    const ReplayResult result = ReplayCapture(path, FMonitor.NmeaManager);
    if (!result.Opened) return false;
    const size_t first = result.Sentences.size() > ReplayConsoleLines
                             ? result.Sentences.size() - ReplayConsoleLines
                             : 0;
    for (size_t i = first; i < result.Sentences.size(); ++i)
        FConsole->AppendSentence(result.Sentences[i]);
    FFreshness->ShowingReplay();
    RefreshViews();
    return true;
}

bool TMainForm::ViewsStale() const {
    return FFreshness && FFreshness->Stale();
}

void TMainForm::PlacePanels(const WindowLayout& layout) {
    FSkyWell->setGeometry(layout.SkyArea);
    FSViewer->setGeometry(layout.SkyView);
    FSnrViewer->setGeometry(layout.SnrChart);
    FRestartButton->setGeometry(layout.RestartPanel);
    FUtilButton->setGeometry(layout.UtilPanel);
    FGPSInfo->setGeometry(layout.GpsInfo);
    FComPortSetting->setGeometry(layout.PortPanel);
    FLumarokStatus->setGeometry(layout.Status);
    FConsole->setGeometry(layout.Console);
    FAbout->setGeometry(layout.About);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!FInitFailed && FSViewer && !FCompact) PlacePanels(LayoutForSize(size()));
}

void TMainForm::PaceDisplay(std::function<void()> handOff) {
    FPacer->Run(std::move(handOff));
}

void TMainForm::RefreshViews() {
    if (FInitFailed) return;
    FGPSInfo->Refresh();
    if (FLumarokStatus) FLumarokStatus->ShowSolution(FGPSInfo->SolutionText());
    FSnrViewer->Refresh();
    FSViewer->Refresh();
    // New sentences: the views return to normal with this refresh.
    FFreshness->Check();
    if (FRefreshWatch) FRefreshWatch();
}

void TMainForm::FormShow() {
    if (FComPortSetting) FComPortSetting->FocusPortList();
}

// The compact layout is the default layout cut to its left column above the
// console, at a fixed size; the full layout comes back at the size it had.
void TMainForm::SetCompactLayout(bool compact) {
    if (compact == FCompact) return;
    FRestartButton->setVisible(!compact);
    FUtilButton->setVisible(!compact);
    if (compact) {
        FFullSize = size();
        FCompact = true;
        PlacePanels(CompactPanels());
        setFixedSize(CompactClientSize());
        return;
    }
    FCompact = false;
    setMinimumSize(DefaultClientSize());
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(FFullSize);
    PlacePanels(LayoutForSize(size()));
}

QRect TMainForm::KeptGeometry() const {
    return QRect(pos(), FCompact ? FFullSize : size());
}

void TMainForm::RestoreGeometry(const QRect& kept) {
    const QScreen* screen = QGuiApplication::screenAt(kept.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect fitted =
        screen ? FitOntoScreen(kept, DefaultClientSize(), screen->availableGeometry()) : kept;
    if (FCompact)
        FFullSize = fitted.size().expandedTo(DefaultClientSize());
    else
        resize(fitted.size());
    move(fitted.topLeft());
    FCentred = true;
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!FCentred) {
        CentreOnScreen();
        FCentred = true;
    }
    FormShow();
}

void TMainForm::CentreOnScreen() {
    const QScreen* screen = this->screen();
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TMainForm::ConsoleLines(const std::vector<std::string>& lines, uint64_t notShown) {
    FConsole->AppendSentences(lines, notShown);
}

void TMainForm::ReceiverIdentified(const std::string& identity) {
    FLumarokStatus->ShowReceiver(identity);
}

void TMainForm::SettingRead(const UbxSettingAnswer& answer) {
    if (FmNmeaChoice_ub) FmNmeaChoice_ub->SettingAnswered(answer);
}

void TMainForm::KeysRead(const UbxKeyValuesRecord& answer) {
    if (FmNmeaChoice_ub) FmNmeaChoice_ub->KeysAnswered(answer);
    if (FConfiguration) FConfiguration->KeysAnswered(answer);
}

void TMainForm::CaptureFailed() {
    FUtilButton->CaptureFailed();
}

TNmeaFetch* TMainForm::MakeNmeaFetch(bool freeOnTerminate) {
    auto* reader = new TNmeaFetch(true, nullptr);
    reader->SetPort(&FMonitor.ComPort);
    reader->SetStore(&FMonitor.NmeaManager);
    reader->SetConfig(&FMonitor.GpsConfig);
    // A hand-off that dropped lines shows their count in one line of its own.
    ListenToReader(*reader, FEventsGate, TFConsole::LineLimit - 1);
    reader->SetFreeOnTerminate(freeOnTerminate);
    return reader;
}

void TMainForm::CreateSettingWindows() {
    FmNmeaChoice = std::make_unique<TFmNmeaChoice>();
    FmNmeaChoice_ub = std::make_unique<TFmNmeaChoice_ub>();
    FmNmeaChoice->SetLink(&FLink);
    FmNmeaChoice_ub->SetLink(&FLink);
    FmNmeaChoice_ub->SetStore(&FMonitor.NmeaManager);
    // Closing the main window ends the program even while one is open.
    FmNmeaChoice->setAttribute(Qt::WA_QuitOnClose, false);
    FmNmeaChoice_ub->setAttribute(Qt::WA_QuitOnClose, false);
    FUtilButton->SetSettingWindows(FmNmeaChoice_ub.get(), FmNmeaChoice.get());
}

int RunMonitor(QApplication& app, TMainForm& window) {
    const int status = app.exec();
    for (QWidget* setting : {static_cast<QWidget*>(window.FmNmeaChoice.get()),
                             static_cast<QWidget*>(window.FmNmeaChoice_ub.get())})
        if (setting) setting->hide();
    window.Link().Shutdown(StopLimit);
    ClosePort(&window.Parts().ComPort);
    return status;
}

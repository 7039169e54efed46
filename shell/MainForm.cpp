#include "shell/MainForm.h"

#include <QApplication>
#include <QMenu>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <memory>

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
#include "link/MessageSink.h"
#include "link/ThreadCommandOut.h"
#include "link/ThreadNMEAFetch.h"
#include "link/UbxAnswerWatch.h"
#include "link/UbxRestart.h"
#include "nmea/NmeaManager.h"
#include "serial/LinkNumbers.h"
#include "serial/YComPort.h"
#include "shell/CaptureReplay.h"
#include "shell/DataFreshness.h"
#include "shell/DisplayPacer.h"
#include "views/FrameConsole.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameLumarokStatus.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"
#include "views/MessageBox.h"

TMainForm* MainForm = nullptr;
TFSViewer* FSViewer = nullptr;
TFRestartButton* FRestartButton = nullptr;
TFSnrViewer* FSnrViewer = nullptr;
TFUtilButton* FUtilButton = nullptr;
TFGPSInfo* FGPSInfo = nullptr;
TFComPortSetting* FComPortSetting = nullptr;
TFLumarokStatus* FLumarokStatus = nullptr;
TFConsole* FConsole = nullptr;
TFAbout* FAbout = nullptr;

namespace {
constexpr char EvaluationShortcut[] = "Ctrl+E";
constexpr char CampaignShortcut[] = "Ctrl+T";
constexpr char CampaignMenuText[] = "Time-to-fix campaign...";
constexpr char EvaluationMenuText[] = "Evaluation: accuracy, signals, satellites, export...";

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

TMainForm::TMainForm(QWidget* parent) : QWidget(parent, MainWindowFlags) {
    MainForm = this;
    setWindowTitle(Title);
    try {
        setMinimumSize(DefaultClientSize());
        resize(DefaultClientSize());
        if (!GpsConfig) GpsConfig = new GPSConfig;  // lives until the process ends
        // The store exists before the panels: the port panel may start a
        // connection while it is built, and its reader must find the store.
        if (!NmeaManager) NmeaManager = new NMEA_Manager;
        FRecording = std::make_unique<EpochRecorder>();
        {
            std::lock_guard<std::mutex> hold(NmeaManager->Lock());
            NmeaManager->Epochs = FRecording.get();
        }
        FLink = std::make_unique<Connection>(*GpsConfig, ComPort);
        FLink->SetReaderFactory([] { return MakeNmeaFetch(); });
        FLink->SetRestartRequests(&UbxRestarts);
        FLink->SetMessages(SerialMessages);
        FLink->SetEventPump([] { QCoreApplication::processEvents(QEventLoop::AllEvents, PumpMs); });
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
    // The connection goes before the panels that observe it.
    if (FLink) {
        FLink->Shutdown(StopLimit);
        FLink->SetObserver(nullptr);
    }
    FEvaluation.reset();
    if (NmeaManager && FRecording) {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        if (NmeaManager->Epochs == FRecording.get()) NmeaManager->Epochs = nullptr;
    }
    if (MainForm != this) return;
    MainForm = nullptr;
    FSViewer = nullptr;
    FRestartButton = nullptr;
    FSnrViewer = nullptr;
    FUtilButton = nullptr;
    FGPSInfo = nullptr;
    FComPortSetting = nullptr;
    FLumarokStatus = nullptr;
    FConsole = nullptr;
    FAbout = nullptr;
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
            if (!FRestartButton || !FLink->Connected()) return false;
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
        FEvaluation = std::make_unique<TEvaluationWindow>(*NmeaManager, *FRecording, restart);
        FEvaluation->setAttribute(Qt::WA_QuitOnClose, false);
    }
    return *FEvaluation;
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
    connect(FRestartButton, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint& at) { menu->popup(FRestartButton->mapToGlobal(at)); });
}

void TMainForm::BuildWidgets() {
    FSkyWell = new QWidget(this);  // made first: it lies under the sky view
    FSkyWell->setAutoFillBackground(true);
    QPalette black = FSkyWell->palette();
    black.setColor(QPalette::Window, Qt::black);
    FSkyWell->setPalette(black);
    FSViewer = new TFSViewer(this, *NmeaManager, *GpsConfig, this);
    // A satellite clicked on the sky highlights its line in the signal history.
    connect(FSViewer, &TFSViewer::SatelliteClicked, this, [this](Constellation system, int prn) {
        if (FEvaluation) FEvaluation->ChooseSatellite(system, prn);
    });
    FRestartButton = new TFRestartButton(this, *NmeaManager);
    FRestartButton->SetLinkOpen(false);
    FSnrViewer = new TFSnrViewer(this, *NmeaManager);
    FUtilButton = new TFUtilButton(this, *NmeaManager);
    FGPSInfo = new TFGPSInfo(this, *NmeaManager);
    FGPSInfo->SetRecording(FRecording.get());
    FRestartButton->SetLink(FLink.get());
    FRestartButton->SetFixTimerHook([] {
        if (FGPSInfo) FGPSInfo->StartFixTimer();
    });
    TFComPortSetting::Hooks portHooks;
    portHooks.RefreshStatus = [link = FLink.get()] {
        if (FRestartButton) FRestartButton->SetLinkOpen(link->Connected());
        if (FLumarokStatus) FLumarokStatus->Refresh();
    };
    portHooks.StartFixTimer = [] {
        if (FGPSInfo) FGPSInfo->StartFixTimer();
    };
    portHooks.StopFixTimer = [] {
        if (FGPSInfo) FGPSInfo->StopFixTimer();
    };
    portHooks.ConsoleLine = [](const std::string& line) {
        if (FConsole) FConsole->AppendSentence(line);
    };
    portHooks.StopCapture = [] {
        if (FUtilButton) FUtilButton->LogClick();
    };
    portHooks.SendingAllowed = [](bool allowed, const std::string& why) {
        if (FRestartButton) FRestartButton->SetSendingAllowed(allowed, why);
        if (FUtilButton) FUtilButton->SetSendingAllowed(allowed, why);
        if (FConsole) FConsole->SetSendingAllowed(allowed, why);
    };
    FComPortSetting =
        new TFComPortSetting(this, *FLink, *GpsConfig, NmeaManager, std::move(portHooks));
    FLumarokStatus = new TFLumarokStatus(this, *GpsConfig);
    FLumarokStatus->SetPortNameLookup(PortNameForNumber);
    FLumarokStatus->SetConnection(FLink.get());
    FConsole = new TFConsole(this, *GpsConfig);
    FConsole->SetCommandSender([link = FLink.get()](const std::vector<std::string>& commands,
                                                    int32_t) { link->Send(commands); });
    FAbout = new TFAbout(this);
    FPlayerBar = new TPlayerBar(this, ComPort);
    PlacePanels(LayoutForSize(size()));
    BuildEvaluationEntries();
    WatchFreshness();
}

// Each UBX frame sent awaits its answer: acknowledged, refused or silent for
// a second, told in the console and the status bar. A u-blox receiver is
// asked for its identity on connecting.
void TMainForm::WatchUbxAnswers() {
    FAnswers = std::make_unique<UbxAnswerWatch>();
    FAnswers->SetReport([](const std::string& line) {
        if (FConsole) FConsole->AppendSentence(line);
        if (FLumarokStatus) FLumarokStatus->ShowNote(line);
    });
    FLink->SetAnswerWatch(FAnswers.get());
    FLink->SetIdentityPoll(UbxMonVerPollText);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this,
            [this] { FAnswers->Tick(UbxAnswerWatch::Clock::now()); });
    timer->start(AnswerTickMs);
}

void TMainForm::UbxAnswered(const UbxAckRecord& answer) {
    if (FAnswers) FAnswers->Answered(answer.Acknowledged, answer.Class, answer.Id);
}

// One decision marks the three data views old or fresh together; a link
// going down marks them at once rather than at the next poll.
void TMainForm::WatchFreshness() {
    FFreshness = new TDataFreshness(
        *NmeaManager, *GpsConfig,
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
    const ReplayResult result = ReplayCapture(path, *NmeaManager);
    if (!result.Opened) return false;
    const size_t first = result.Sentences.size() > ReplayConsoleLines
                             ? result.Sentences.size() - ReplayConsoleLines
                             : 0;
    for (size_t i = first; i < result.Sentences.size(); ++i)
        FConsole->AppendSentence(result.Sentences[i]);
    FFreshness->ShowingReplay();
    RefreshViews(nullptr);
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

void TMainForm::SetReaderHold(std::function<void()> suspend, std::function<void()> resume) {
    FSuspendReader = std::move(suspend);
    FResumeReader = std::move(resume);
}

void TMainForm::PaceDisplay(std::function<void()> handOff) {
    FPacer->Run(std::move(handOff));
}

void TMainForm::RefreshViews(YThread* reader) {
    if (FInitFailed) return;
    if (reader && reader->Suspended()) reader = nullptr;  // not ours to release
    if (FSuspendReader)
        FSuspendReader();
    else if (reader)
        reader->Suspend();
    FGPSInfo->Refresh();
    FSnrViewer->Refresh();
    FSViewer->Refresh();
    // New sentences: the views return to normal with this refresh.
    FFreshness->Check();
    if (FResumeReader)
        FResumeReader();
    else if (reader)
        reader->Resume();
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

void RefreshViews() {
    if (MainForm) MainForm->RefreshViews(NmeaFetch);
}

TNmeaFetch* MakeNmeaFetch(bool freeOnTerminate) {
    // The refresh arrives after the reader asked for it, perhaps after it
    // ended: it holds the current reader, which the GUI thread keeps alive
    // while NmeaFetch names it.
    auto* reader = new TNmeaFetch(true, [] {
        if (MainForm) MainForm->RefreshViews(NmeaFetch);
    });
    reader->SetPort(ComPort);
    reader->SetStore(NmeaManager);
    reader->SetConfig(GpsConfig);
    // A hand-off that dropped lines shows their count in one line of its own.
    reader->SetConsole(
        [](const std::vector<std::string>& sentences, uint64_t notShown) {
            if (FConsole) FConsole->AppendSentences(sentences, notShown);
        },
        TFConsole::LineLimit - 1);
    reader->SetDisplayPacer([](std::function<void()> handOff) {
        if (MainForm)
            MainForm->PaceDisplay(std::move(handOff));
        else
            handOff();
    });
    // A capture write that failed: the tool buttons stop the capture and
    // tell the user. The reader queues this to the GUI thread.
    reader->SetCaptureFailedHook([] {
        if (FUtilButton) FUtilButton->CaptureFailed();
    });
    // UBX answers and the receiver's identity, queued to the GUI thread.
    reader->SetAnswerHook([](const UbxAckRecord& answer) {
        if (MainForm) MainForm->UbxAnswered(answer);
    });
    reader->SetIdentityHook([](const std::string& identity) {
        if (FLumarokStatus) FLumarokStatus->ShowReceiver(identity);
    });
    // The receiver's settings, for the u-blox window that polled them.
    reader->SetSettingHook([](const UbxSettingAnswer& answer) {
        if (FmNmeaChoice_ub) FmNmeaChoice_ub->SettingAnswered(answer);
    });
    reader->SetKeyValuesHook([](const UbxKeyValuesRecord& answer) {
        if (FmNmeaChoice_ub) FmNmeaChoice_ub->KeysAnswered(answer);
    });
    reader->SetFreeOnTerminate(freeOnTerminate);
    return reader;
}

TNmeaFetch* CreateNmeaFetch(bool freeOnTerminate) {
    TNmeaFetch* reader = MakeNmeaFetch(freeOnTerminate);
    NmeaFetch = reader;
    reader->Start();
    return reader;
}

void CreateSettingWindows(Connection& link) {
    FmNmeaChoice = new TFmNmeaChoice;
    FmNmeaChoice_ub = new TFmNmeaChoice_ub;
    FmNmeaChoice->SetLink(&link);
    FmNmeaChoice_ub->SetLink(&link);
    FmNmeaChoice_ub->SetStore(NmeaManager);
    // Closing the main window ends the program even while one is open.
    FmNmeaChoice->setAttribute(Qt::WA_QuitOnClose, false);
    FmNmeaChoice_ub->setAttribute(Qt::WA_QuitOnClose, false);
    if (FUtilButton) FUtilButton->SetSettingWindows(FmNmeaChoice_ub, FmNmeaChoice);
}

int RunMonitor(QApplication& app, TMainForm& window) {
    const int status = app.exec();
    for (QWidget* setting :
         {static_cast<QWidget*>(FmNmeaChoice), static_cast<QWidget*>(FmNmeaChoice_ub)})
        if (setting) setting->hide();
    window.Link().Shutdown(StopLimit);
    ClosePort(ComPort);
    return status;
}

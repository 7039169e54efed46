#include "control/FrameComPortSetting.h"

#include <QComboBox>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <mutex>

#include "control/FrameUtilButton.h"
#include "control/PortEnumeration.h"
#include "link/GpsConfig.h"
#include "link/ThreadNMEAFetch.h"
#include "nmea/NmeaManager.h"
#include "serial/PortTable.h"
#include "serial/YComPort.h"
#include "views/FrameConsole.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameLumarokStatus.h"
#include "views/MessageBox.h"

const char* const BaudRateTexts[BaudRateCount] = {"4800 bps",  "9600 bps",  "19200 bps",
                                                  "38400 bps", "57600 bps", "115200 bps"};
const char* const DetectModeTexts[4] = {"General", "Port Detect", "BR Detect", "Auto Detect"};

namespace {

constexpr int BoxWidth = 105;
constexpr int BoxHeight = 25;
constexpr const char* CaptionOpen = "Open";
constexpr const char* CaptionClose = "Close";
constexpr const char* ThreadFailureText = "Memory Management Error";
constexpr const char* LinkLostText =
    "*** The receiver's port has gone away. Press Close, then Open once it is back.";
constexpr const char* NoFixModeText = "0";

// The detection threads reach the panel through a forwarder for the attempt
// they belong to. Their changes are queued, so they may arrive after the panel
// is gone, or after a newer attempt started (the closing thread's "Open"
// landing on the next attempt's "Close"): then they are dropped.
class PanelTarget : public DetectTarget {
  public:
    PanelTarget(TFComPortSetting* panel, unsigned attempt) : FPanel(panel), FAttempt(attempt) {}

    void SelectPort(int index) override {
        if (TFComPortSetting* panel = Panel()) panel->SelectPort(index);
    }
    void SelectBaud(int index) override {
        if (TFComPortSetting* panel = Panel()) panel->SelectBaud(index);
    }
    void SetButtonCaption(const std::string& caption) override {
        if (TFComPortSetting* panel = Panel()) panel->SetButtonCaption(caption);
    }
    void EnableWatchTimer() override {
        if (TFComPortSetting* panel = Panel()) panel->EnableWatchTimer();
    }
    void ClearProlificFound() override {
        if (TFComPortSetting* panel = Panel()) panel->ClearProlificFound();
    }
    void RefreshStatus() override {
        if (TFComPortSetting* panel = Panel()) panel->RefreshStatus();
    }
    void StopFixTimer() override {
        if (TFComPortSetting* panel = Panel()) panel->StopFixTimer();
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        if (TFComPortSetting* panel = Panel()) panel->ShowMessage(text, caption);
    }

  private:
    TFComPortSetting* Panel() const {
        return FPanel && FPanel->Attempt() == FAttempt ? FPanel.data() : nullptr;
    }
    QPointer<TFComPortSetting> FPanel;
    unsigned FAttempt;

  public:
    // Whether this forwarder belongs to attempt `attempt` of `panel`.
    bool Serves(const TFComPortSetting* panel, unsigned attempt) const {
        return FPanel.data() == panel && FAttempt == attempt;
    }
    void Rebind(TFComPortSetting* panel) { FPanel = panel; }
    bool Orphaned() const { return FPanel.isNull(); }
    unsigned Attempt() const { return FAttempt; }
};

// One forwarder per attempt, kept for the whole run: queued work may still
// hold one after its threads have gone.
// A forwarder whose panel is gone serves the panel that replaced it, so work
// still queued for that attempt number lands on the live panel's attempt.
DetectTarget* TargetFor(TFComPortSetting* panel, unsigned attempt) {
    static std::mutex lock;
    static std::deque<PanelTarget> targets;
    std::lock_guard<std::mutex> hold(lock);
    for (PanelTarget& target : targets)
        if (target.Serves(panel, attempt)) return &target;
    for (PanelTarget& target : targets) {
        if (target.Attempt() == attempt && target.Orphaned()) {
            target.Rebind(panel);
            return &target;
        }
    }
    return &targets.emplace_back(panel, attempt);
}

QComboBox* MakeList(QWidget* parent, int left, int top) {
    auto* box = new QComboBox(parent);
    box->setFrame(false);
    box->setGeometry(left, top, BoxWidth, BoxHeight);
    return box;
}

// The port number of a list entry: a device path's number in the port table;
// otherwise the digits of the text read as a decimal number (COM12 gives 12),
// 0 when it has none, which no port carries.
int32_t PortNumberOfEntry(const std::string& text) {
    if (!text.empty() && text[0] == '/') return PortTable::NumberForPath(text);
    constexpr int32_t NoNumberAbove = 100000000;
    int32_t number = 0;
    for (char c : text)
        if (c >= '0' && c <= '9' && number < NoNumberAbove) number = number * 10 + (c - '0');
    return number;
}

}  // namespace

TFComPortSetting::TFComPortSetting(QWidget* parent, YComPort* port, ReaderFactory makeReader,
                                   Hooks hooks)
    : QFrame(parent), FPort(port), FMakeReader(std::move(makeReader)), FHooks(std::move(hooks)) {
    BuildWidgets();
    if (ProlificFound) PortButtonClick();
}

TFComPortSetting::~TFComPortSetting() {
    Shutdown();
}

void TFComPortSetting::BuildWidgets() {
    portCombo = MakeList(this, 0, 0);
    baudCombo = MakeList(this, 0, BoxHeight);
    modeCombo = MakeList(this, BoxWidth, 0);
    for (const char* text : BaudRateTexts) baudCombo->addItem(text);
    for (const char* text : DetectModeTexts) modeCombo->addItem(text);
    baudCombo->setCurrentIndex(0);
    modeCombo->setCurrentIndex(0);
    portButton = new QToolButton(this);
    portButton->setAutoRaise(true);
    portButton->setGeometry(BoxWidth, BoxHeight, BoxWidth, BoxHeight);
    portButton->setText(CaptionOpen);
    connect(portButton, &QToolButton::clicked, this, [this] { PortButtonClick(); });
    FillPortList();
    watchTimer = new QTimer(this);
    watchTimer->setInterval(WatchIntervalMs);
    connect(watchTimer, &QTimer::timeout, this, [this] { PortWatchTimer(); });
    watchTimer->start();
    FConnectionStarted = false;
}

void TFComPortSetting::FillPortList() {
    ProlificFound = FindProlificPort();
    std::vector<std::string> list;
    EnumerateSerialPorts(list);
    SetPortItems(list);
    ApplySelection();
}

void TFComPortSetting::SetPortItems(const std::vector<std::string>& list) {
    portCombo->clear();
    for (const std::string& port : list) portCombo->addItem(QString::fromStdString(port));
    const int selected = ProlificFound && ProlificIndex < portCombo->count() ? ProlificIndex : 0;
    portCombo->setCurrentIndex(portCombo->count() > 0 ? selected : -1);
}

void TFComPortSetting::ApplySelection() {
    const std::string text =
        ProlificFound ? ProlificPortName : portCombo->currentText().toStdString();
    GpsConfig->PortNumber.store(PortNumberOfEntry(text));
    const int baud = baudCombo->currentIndex();
    if (baud >= 0 && baud < BaudRateCount) GpsConfig->BaudRate.store(BaudRateTable[baud]);
    const int mode = modeCombo->currentIndex();
    if (mode >= 0) GpsConfig->DetectMode.store(static_cast<uint8_t>(mode));
}

void TFComPortSetting::PortButtonClick() {
    if (!GpsConfig->IsPortOpen() && !FConnectionStarted) {
        ApplySelection();
        StartConnection();
        FConnectionStarted = true;
    } else {
        CloseConnection();
        FConnectionStarted = false;
        RefreshPortList();
    }
}

DetectLists TFComPortSetting::CurrentLists() const {
    DetectLists lists;
    for (int i = 0; i < portCombo->count(); ++i)
        lists.Ports.push_back(portCombo->itemText(i).toStdString());
    lists.SelectedPort = portCombo->currentIndex();
    lists.SelectedBaud = std::max(0, baudCombo->currentIndex());
    return lists;
}

void TFComPortSetting::StartConnection() {
    RefreshPortList();
    // The refresh may have taken a new port and started a connection for it
    // already: one press never starts two detection threads.
    if (FConnectionStarted) return;
    FinishCloseThread();
    ++FAttempt;
    SetButtonCaption(CaptionClose);
    FConnectionStarted = true;
    FLinkLostShown = false;
    try {
        // The reader exists, suspended, before the detection thread that
        // releases it once a receiver answers.
        TNmeaFetch* reader = FMakeReader ? FMakeReader() : nullptr;
        DetectThread = new TGpsDeviceDetect(false, CurrentLists(), GpsConfig->DetectMode.load(),
                                            TargetFor(this, FAttempt), *GpsConfig, FPort, reader);
        DetectThread->Start();
    } catch (const std::exception&) {
        ::ShowMessage(ThreadFailureText, "");
    }
    GpsConfig->DisplayPaused.store(false);
}

void TFComPortSetting::StopDetectThread() {
    TGpsDeviceDetect* detect = DetectThread;
    if (!detect) return;
    // A probe under way finishes first; the thread only queues work for this
    // thread, so waiting here cannot deadlock.
    detect->Resume();
    detect->Terminate();
    detect->WaitFor();
    DetectThread = nullptr;
    delete detect;
    EnableWatchTimer();
}

void TFComPortSetting::StopReader() {
    if (TNmeaFetch* reader = NmeaFetch) {
        NmeaFetch = nullptr;
        // Terminate also releases a reader still held suspended; it frees
        // itself, so nothing may touch it afterwards.
        reader->Terminate();
    }
}

void TFComPortSetting::FinishCloseThread() {
    // Its one ClosePort runs to the end: a new attempt must find the port closed.
    if (!FCloseThread) return;
    FCloseThread->WaitFor();
    FCloseThread.reset();
    CloseThread = nullptr;
}

void TFComPortSetting::StartCloseThread() {
    FinishCloseThread();
    FCloseThread = std::make_unique<TGpsDeviceDetect>(
        false, DetectLists{}, ModeClose, TargetFor(this, FAttempt), *GpsConfig, FPort, nullptr);
    CloseThread = FCloseThread.get();
    FCloseThread->Start();
}

void TFComPortSetting::CloseConnection() {
    StopFixTimer();
    if (NmeaManager) {
        bool capturing = false;
        {
            std::lock_guard<std::mutex> hold(NmeaManager->Lock());
            capturing = NmeaManager->Capture.IsOpen();
        }
        if (capturing && FHooks.StopCapture) FHooks.StopCapture();
    }
    StopDetectThread();
    StopReader();
    StartCloseThread();
    GpsConfig->SetPortOpen(false);
    emit LinkClosed();
}

bool TFComPortSetting::UpdatePortList(bool autoStartAllowed) {
    std::vector<std::string> list;
    const int present = EnumerateSerialPorts(list);
    const int listed = portCombo->count();
    if (GpsConfig->IsPortOpen()) return false;
    if (present < listed) SetPortItems(list);
    if (listed < present) {
        SetPortItems(list);
        if (autoStartAllowed) {
            portCombo->setCurrentIndex(present - 1);
            modeCombo->setCurrentIndex(ModeBaudDetect);
            PortButtonClick();
            return true;
        }
    }
    return false;
}

void TFComPortSetting::RefreshPortList() {
    UpdatePortList(!FConnectionStarted);
}

void TFComPortSetting::PortWatchTimer() {
    if (FConnectionStarted && GpsConfig->IsPortOpen()) return;
    WatchPortList();
}

void TFComPortSetting::WatchPortList() {
    // A new port is taken only while idle: a press during an attempt would
    // end that attempt instead of trying the new port.
    const bool autoStart = !FConnectionStarted && modeCombo->currentIndex() != ModeGeneral;
    if (!UpdatePortList(autoStart)) return;
    if (NmeaManager) {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        NmeaManager->Display.FixModeText = NoFixModeText;
    }
    if (FHooks.StartFixTimer) FHooks.StartFixTimer();
}

void TFComPortSetting::ConnectAtStart(const std::string& path, int mode) {
    AddExtraPort(path);
    std::vector<std::string> list;
    EnumerateSerialPorts(list);
    SetPortItems(list);
    const int index = portCombo->findText(QString::fromStdString(path));
    if (index >= 0) portCombo->setCurrentIndex(index);
    if (mode >= 0 && mode < modeCombo->count()) modeCombo->setCurrentIndex(mode);
    // The given port wins over an adapter found at start-up.
    ProlificFound = false;
    if (FConnectionStarted) {
        CloseConnection();
        FConnectionStarted = false;
    }
    PortButtonClick();
}

bool TFComPortSetting::SelectBaudRate(int32_t rate) {
    for (int i = 0; i < BaudRateCount; ++i)
        if (BaudRateTable[i] == rate) {
            baudCombo->setCurrentIndex(i);
            return true;
        }
    return false;
}

void TFComPortSetting::LinkLost() {
    if (!FConnectionStarted || FLinkLostShown) return;
    FLinkLostShown = true;
    GpsConfig->SetPortOpen(false);
    emit LinkClosed();
    RefreshStatus();
    StopFixTimer();
    if (FHooks.ConsoleLine) FHooks.ConsoleLine(LinkLostText);
}

void TFComPortSetting::Shutdown() {
    if (!FConnectionStarted && !DetectThread && !NmeaFetch && !FCloseThread) return;
    StopDetectThread();
    StopReader();
    FinishCloseThread();
    ClosePort(FPort);
    if (GpsConfig) GpsConfig->SetPortOpen(false);
    FConnectionStarted = false;
}

void TFComPortSetting::FocusPortList() {
    portCombo->setFocus();
}

void TFComPortSetting::SelectPort(int index) {
    if (index >= 0 && index < portCombo->count()) portCombo->setCurrentIndex(index);
}

void TFComPortSetting::SelectBaud(int index) {
    if (index >= 0 && index < baudCombo->count()) baudCombo->setCurrentIndex(index);
}

void TFComPortSetting::SetButtonCaption(const std::string& caption) {
    portButton->setText(QString::fromStdString(caption));
}

void TFComPortSetting::EnableWatchTimer() {
    if (!watchTimer->isActive()) watchTimer->start();
}

void TFComPortSetting::ClearProlificFound() {
    ProlificFound = false;
}

void TFComPortSetting::RefreshStatus() {
    if (FHooks.RefreshStatus) FHooks.RefreshStatus();
}

void TFComPortSetting::StopFixTimer() {
    if (FHooks.StopFixTimer) FHooks.StopFixTimer();
}

void TFComPortSetting::ShowMessage(const std::string& text, const std::string& caption) {
    ::ShowMessage(text, caption);
}

#include "control/FrameComPortSetting.h"

#include <QComboBox>
#include <QFileInfo>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <mutex>

#include "control/PortEnumeration.h"
#include "link/GpsConfig.h"
#include "nmea/NmeaManager.h"
#include "serial/LinkUrl.h"
#include "views/MessageBox.h"

const char* const BaudRateTexts[BaudRateCount] = {"4800 bps",  "9600 bps",  "19200 bps",
                                                  "38400 bps", "57600 bps", "115200 bps"};

namespace {

constexpr int BoxWidth = 105;
constexpr int BoxHeight = 25;
constexpr const char* CaptionOpen = "Open";
constexpr const char* CaptionClose = "Close";
constexpr const char* ThreadFailureText = "Memory Management Error";
constexpr const char* LinkLostText =
    "*** The receiver's port has gone away. Press Close, then Open once it is back.";
constexpr const char* LinkDownText =
    "*** The link has gone down. It is reconnected by itself until Close is pressed.";
constexpr const char* NoFixModeText = "0";
constexpr const char* CaptionError = "error";
constexpr const char* ReceiveOnlyText = "Not available: this link only receives (";

QComboBox* MakeList(QWidget* parent, int left, int top) {
    auto* box = new QComboBox(parent);
    box->setFrame(false);
    box->setGeometry(left, top, BoxWidth, BoxHeight);
    return box;
}

}  // namespace

TFComPortSetting::TFComPortSetting(QWidget* parent, Connection& link, GPSConfig& config,
                                   NMEA_Manager* store, Hooks hooks)
    : QFrame(parent), FLink(link), FConfig(config), FStore(store), FHooks(std::move(hooks)) {
    FLink.SetObserver(this);
    BuildWidgets();
    if (FProlific.ProlificFound) PortButtonClick();
}

// The window that owns both unhooks the panel from the connection, which it
// destroys first.
TFComPortSetting::~TFComPortSetting() = default;

void TFComPortSetting::BuildWidgets() {
    portCombo = MakeList(this, 0, 0);
    portCombo->setEditable(true);
    portCombo->setInsertPolicy(QComboBox::NoInsert);
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
}

void TFComPortSetting::FillPortList() {
    FProlific.ProlificFound = FindProlificPort(FProlific);
    std::vector<std::string> list;
    EnumerateSerialPorts(list, FProlific);
    SetPortItems(list);
    ApplySelection();
}

void TFComPortSetting::SetPortItems(const std::vector<std::string>& list) {
    portCombo->clear();
    for (const std::string& port : list) portCombo->addItem(QString::fromStdString(port));
    const int selected = FProlific.ProlificFound && FProlific.ProlificIndex < portCombo->count()
                             ? FProlific.ProlificIndex
                             : 0;
    portCombo->setCurrentIndex(portCombo->count() > 0 ? selected : -1);
}

void TFComPortSetting::ApplySelection() {
    const std::string text = FProlific.ProlificFound ? FProlific.ProlificPortName
                                                     : portCombo->currentText().toStdString();
    FConfig.SetPort(Source::FromEntry(text));
    const int baud = baudCombo->currentIndex();
    if (baud >= 0 && baud < BaudRateCount) FConfig.BaudRate.store(BaudRateTable[baud]);
    const int mode = modeCombo->currentIndex();
    if (mode >= 0) FConfig.DetectMode.store(static_cast<uint8_t>(mode));
}

void TFComPortSetting::PortButtonClick() {
    // One click does what the button says: "Open" (Idle, Failed) starts an
    // attempt, "Close" ends the one under way.
    if (!FLink.Started()) {
        if (!FProlific.ProlificFound && !TakeTypedEntry()) return;
        ApplySelection();
        AnnounceSending(portCombo->currentText().toStdString());
        StartConnection();
    } else {
        CloseConnection();
        RefreshPortList();
    }
}

bool TFComPortSetting::TakeTypedEntry() {
    const std::string text = portCombo->currentText().trimmed().toStdString();
    const int listed = portCombo->findText(QString::fromStdString(text));
    if (listed >= 0) portCombo->setCurrentIndex(listed);  // typed as listed: that entry
    if (text.empty() || listed >= 0) return true;
    LinkUrl url;
    std::string error;
    if (LooksLikeLinkUrl(text) && !ParseLinkUrl(text, url, error)) {
        ::ShowMessage(error, CaptionError);
        return false;
    }
    if (!LooksLikeLinkUrl(text) && text[0] != '/') return true;  // COMn and the like, as before
    AddExtraPort(text);
    std::vector<std::string> list;
    EnumerateSerialPorts(list, FProlific);
    SetPortItems(list);
    portCombo->setCurrentIndex(portCombo->findText(QString::fromStdString(text)));
    return true;
}

bool TFComPortSetting::SelectKeptEntry(const std::string& entry) {
    const QString text = QString::fromStdString(entry);
    if (text.isEmpty()) return false;
    // Listed as a typed path is on Open, so the detection finds it in the list.
    if (portCombo->findText(text) < 0 && entry[0] == '/' && QFileInfo::exists(text)) {
        AddExtraPort(entry);
        std::vector<std::string> list;
        EnumerateSerialPorts(list, FProlific);
        SetPortItems(list);
    }
    const int index = portCombo->findText(text);
    if (index >= 0) {
        portCombo->setCurrentIndex(index);
        return true;
    }
    if (!LooksLikeLinkUrl(entry) || !portCombo->isEditable()) return false;
    portCombo->setEditText(text);
    return true;
}

void TFComPortSetting::AnnounceSending(const std::string& entry) {
    if (!FHooks.SendingAllowed) return;
    const bool allowed = TextCanSend(entry);
    std::string why;
    if (!allowed) why = ReceiveOnlyText + entry.substr(0, entry.find(':')) + "://).";
    FHooks.SendingAllowed(allowed, why);
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
    if (FLink.Started()) return;
    if (!FLink.Open(CurrentLists(), FConfig.DetectMode.load()))
        ::ShowMessage(ThreadFailureText, "");
    FConfig.DisplayPaused.store(false);
}

void TFComPortSetting::CloseConnection() {
    StopFixTimer();
    if (FStore) {
        bool capturing = false;
        {
            std::lock_guard<std::mutex> hold(FStore->Lock());
            capturing = FStore->Capture.IsOpen();
        }
        if (capturing && FHooks.StopCapture) FHooks.StopCapture();
    }
    FLink.Close();
    if (FHooks.SendingAllowed) FHooks.SendingAllowed(true, {});
    EnableWatchTimer();
    emit LinkClosed();
}

bool TFComPortSetting::UpdatePortList(bool autoStartAllowed) {
    std::vector<std::string> list;
    const int present = EnumerateSerialPorts(list, FProlific);
    const int listed = portCombo->count();
    if (FConfig.IsPortOpen()) return false;
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
    UpdatePortList(!FLink.Started());
}

void TFComPortSetting::PortWatchTimer() {
    if (FLink.Started() && FConfig.IsPortOpen()) return;
    WatchPortList();
}

void TFComPortSetting::WatchPortList() {
    // A new port is taken only while idle: a press during an attempt would
    // end that attempt instead of trying the new port.
    const bool autoStart = !FLink.Started() && modeCombo->currentIndex() != ModeGeneral;
    if (!UpdatePortList(autoStart)) return;
    if (FStore) {
        std::lock_guard<std::mutex> hold(FStore->Lock());
        FStore->Display().FixModeText = NoFixModeText;
    }
    if (FHooks.StartFixTimer) FHooks.StartFixTimer();
}

void TFComPortSetting::ConnectAtStart(const std::string& path, int mode) {
    AddExtraPort(path);
    std::vector<std::string> list;
    EnumerateSerialPorts(list, FProlific);
    SetPortItems(list);
    const int index = portCombo->findText(QString::fromStdString(path));
    if (index >= 0) portCombo->setCurrentIndex(index);
    if (mode >= 0 && mode < modeCombo->count()) modeCombo->setCurrentIndex(mode);
    // The given port wins over an adapter found at start-up.
    FProlific.ProlificFound = false;
    if (FLink.Started()) CloseConnection();
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
    emit LinkClosed();
    StopFixTimer();
    if (FHooks.ConsoleLine)
        FHooks.ConsoleLine(FConfig.Port().IsLink() ? LinkDownText : LinkLostText);
}

void TFComPortSetting::Shutdown() {
    FLink.Shutdown();
}

void TFComPortSetting::StateChanged(LinkState state) {
    const bool open = state == LinkState::Idle || state == LinkState::Failed;
    portButton->setText(open ? CaptionOpen : CaptionClose);
    if (state == LinkState::LinkDown) LinkLost();
    RefreshStatus();
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
    FProlific.ProlificFound = false;
}

void TFComPortSetting::RefreshStatus() {
    if (FHooks.RefreshStatus) FHooks.RefreshStatus();
}

void TFComPortSetting::StopFixTimer() {
    if (FHooks.StopFixTimer) FHooks.StopFixTimer();
}

void TFComPortSetting::Note(const std::string& line) {
    if (FHooks.ConsoleLine) FHooks.ConsoleLine(line);
}

void TFComPortSetting::ShowMessage(const std::string& text, const std::string& caption) {
    ::ShowMessage(text, caption);
}

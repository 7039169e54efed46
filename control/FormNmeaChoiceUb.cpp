#include "control/FormNmeaChoiceUb.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <mutex>

#include "control/NmeaKeyChoices.h"
#include "link/Connection.h"
#include "nmea/NmeaManager.h"
#include "nmea/ReceiverProtocol.h"
#include "serial/UbxText.h"
#include "ubx/UbxGeneration.h"
#include "ubx/UbxKeyCodec.h"
#include "ubx/UbxRecords.h"
#include "views/MessageBox.h"

namespace {
constexpr int MinPeriodMs = 250;
constexpr int MaxPeriodMs = 60000;
constexpr int MaxPeriodChars = 5;
constexpr char RateOn[] = "01";
constexpr char RateOff[] = "00";
// CFG-MSG: class CFG, id MSG, 8 payload bytes, class F0 of standard NMEA.
constexpr char CfgMsgHead[] = "06010800F0";
// CFG-RATE: class CFG, id RATE, 6 payload bytes; period; 1 solution; GPS time.
constexpr char CfgRateHead[] = "06080600";
constexpr char CfgRateTail[] = "01000100";
constexpr const char* MessageNames[TFmNmeaChoice_ub::MessageCount] = {"GGA", "GLL", "GSA", "GSV",
                                                                      "RMC", "VTG", "ZDA"};
constexpr char NotConnectedText[] = "no GPS device connected";
constexpr char NotConnectedCaption[] = "error";
constexpr char PeriodRangeText[] = "measurement period must be in 250~60000 ms";
constexpr char SilenceText[] =
    "These choices switch every NMEA output of the receiver off: it will send no "
    "sentence at all. Send them?";
constexpr char SilenceCaption[] = "NMEA Setting";
constexpr char Title[] = "NMEA Setting \u2014 u-blox";
constexpr char PollingText[] = "Reading the receiver's settings...";
constexpr char PolledText[] = "Showing the receiver's settings.";
constexpr char SilentText[] = "No answer from the receiver: showing the last choices.";
constexpr char PartlyText[] = "Partly answered: the rest are the last choices.";
// CFG-MSG poll of one standard NMEA sentence; CFG-RATE poll (no payload).
constexpr char CfgMsgPollHead[] = "06010200F0";
constexpr char CfgRatePoll[] = "06080000";
constexpr uint8_t NmeaClass = 0xF0;
constexpr uint8_t MessageIds[TFmNmeaChoice_ub::MessageCount] = {0x00, 0x01, 0x02, 0x03,
                                                                0x04, 0x05, 0x08};
constexpr char NoLayerText[] = "Tick at least one layer to write the choices to.";
constexpr int LayerRowHeight = 48;  // the layer row a receiver configured by keys adds
constexpr int WindowWidth = 249;
constexpr int WindowHeight = 345;
constexpr int UartTarget = 1;
constexpr int UsbTarget = 3;

std::string HexByte(uint8_t value) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", value);
    return hex;
}

std::string CfgMsgBody(uint8_t id, const char* uart, const char* usb) {
    return std::string(CfgMsgHead) + HexByte(id) + "00" + uart + "00" + usb + "00" + "01";
}
}  // namespace

TFmNmeaChoice_ub::TFmNmeaChoice_ub(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(Title);
    setGeometry(640, 275, 249, 345);
    setFixedSize(249, 345);
    BuildOutputGroup();
    BuildMessageGroup();
    BuildRateGroup();
    btnSettingOK = new QPushButton("OK", this);
    btnSettingOK->setGeometry(8, 272, 225, 33);
    connect(btnSettingOK, &QPushButton::clicked, this, [this] { btnSettingOKClick(); });
    // Below OK, in the room the window has under it.
    lblPolled = new QLabel(this);
    lblPolled->setGeometry(8, 310, 233, 30);
    lblPolled->setWordWrap(true);
    FPollTimer = new QTimer(this);
    FPollTimer->setSingleShot(true);
    connect(FPollTimer, &QTimer::timeout, this, [this] { FinishPolling(); });
    BuildLayerGroup();
    SetTabOrder();
}

void TFmNmeaChoice_ub::BuildLayerGroup() {
    gpbLayers = new QGroupBox("Write to", this);
    gpbLayers->setGeometry(8, 270, 225, 45);
    chkRam = new QCheckBox("RAM", gpbLayers);
    chkRam->setGeometry(16, 16, 60, 25);
    chkRam->setChecked(true);
    chkBbr = new QCheckBox("BBR", gpbLayers);
    chkBbr->setGeometry(84, 16, 60, 25);
    chkFlash = new QCheckBox("Flash", gpbLayers);
    chkFlash->setGeometry(152, 16, 65, 25);
    gpbLayers->hide();
}

// The layer row shows for a receiver configured by keys only; the window
// grows by its height and OK moves below it.
void TFmNmeaChoice_ub::ShowLayers(bool shown) {
    const int extra = shown ? LayerRowHeight : 0;
    gpbLayers->setVisible(shown);
    btnSettingOK->move(8, 272 + extra);
    lblPolled->move(8, 310 + extra);
    setFixedSize(WindowWidth, WindowHeight + extra);
}
void TFmNmeaChoice_ub::BuildOutputGroup() {
    gpbOutput = new QGroupBox("Output", this);
    gpbOutput->setGeometry(8, 8, 225, 65);
    chkUart = new QCheckBox("UART", gpbOutput);
    chkUart->setGeometry(136, 24, 81, 25);
    chkUSB = new QCheckBox("USB", gpbOutput);
    chkUSB->setGeometry(16, 24, 81, 25);
    chkUSB->setChecked(true);
}

void TFmNmeaChoice_ub::BuildMessageGroup() {
    gpbMessage = new QGroupBox("NMEA Message", this);
    gpbMessage->setGeometry(8, 80, 225, 97);
    const QPoint places[MessageCount] = {{16, 16},  {16, 40},  {88, 16}, {88, 40},
                                         {160, 16}, {160, 40}, {16, 64}};
    QCheckBox** boxes[MessageCount] = {&chkGGA, &chkGLL, &chkGSA, &chkGSV,
                                       &chkRMC, &chkVTG, &chkZDA};
    for (int i = 0; i < MessageCount; ++i) {
        *boxes[i] = new QCheckBox(MessageNames[i], gpbMessage);
        (*boxes[i])->setGeometry(places[i].x(), places[i].y(), 49, 25);
    }
}

void TFmNmeaChoice_ub::BuildRateGroup() {
    gpbRate = new QGroupBox("Rate", this);
    gpbRate->setGeometry(8, 184, 225, 81);
    lblPeriod = new QLabel("Measurement Period:", gpbRate);
    lblPeriod->setGeometry(8, 16, 129, 25);
    lblFrequency = new QLabel("Measurement Frequency:", gpbRate);
    lblFrequency->setGeometry(8, 48, 129, 25);
    lblms = new QLabel("[ms]", gpbRate);
    lblms->setGeometry(192, 16, 25, 13);
    lblHz = new QLabel("[Hz]", gpbRate);
    lblHz->setGeometry(192, 48, 25, 13);
    edtPeriod = new QLineEdit("1000", gpbRate);
    edtPeriod->setGeometry(144, 16, 41, 21);
    edtPeriod->setMaxLength(MaxPeriodChars);
    edtFrequency = new QLineEdit("1.00", gpbRate);
    edtFrequency->setGeometry(144, 48, 41, 21);
    edtFrequency->setReadOnly(true);
    QPalette grey = edtFrequency->palette();
    grey.setColor(QPalette::Base, palette().color(QPalette::Window));
    edtFrequency->setPalette(grey);
    connect(edtPeriod, &QLineEdit::textChanged, this, [this] { edtPeriodChange(); });
}

void TFmNmeaChoice_ub::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

void TFmNmeaChoice_ub::SetTabOrder() {
    const std::vector<QWidget*> order = {chkUart, chkUSB,       chkGGA,    chkGLL,
                                         chkGSA,  chkGSV,       chkRMC,    chkVTG,
                                         chkZDA,  edtFrequency, edtPeriod, btnSettingOK};
    for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

std::array<QCheckBox*, TFmNmeaChoice_ub::MessageCount> TFmNmeaChoice_ub::MessageBoxes() const {
    return {chkGGA, chkGLL, chkGSA, chkGSV, chkRMC, chkVTG, chkZDA};
}

std::string TFmNmeaChoice_ub::PeriodHex(const QString& text) {
    bool number = false;
    const int period = text.toInt(&number, 10);
    if (text.isEmpty() || !number || period < MinPeriodMs || period > MaxPeriodMs) return {};
    char hex[5];
    std::snprintf(hex, sizeof hex, "%02X%02X", period & 0xFF, (period >> 8) & 0xFF);
    return hex;
}

void TFmNmeaChoice_ub::edtPeriodChange() {
    const QString text = edtPeriod->text();
    const std::string hex = PeriodHex(text);
    if (hex.empty()) {
        edtFrequency->setText(QString());
        return;
    }
    edtFrequency->setText(QString::number(1000.0 / text.toDouble(), 'f', 2));
    UbxMeasPeriodHex = hex;
}

std::vector<std::string> TFmNmeaChoice_ub::SettingFrames() const {
    const char* usb = chkUSB->isChecked() ? RateOn : RateOff;
    const char* uart = chkUart->isChecked() ? RateOn : RateOff;
    std::vector<std::string> frames;
    const auto boxes = MessageBoxes();
    for (int i = 0; i < MessageCount; ++i) {
        const bool on = boxes[i]->isChecked();
        frames.push_back(
            MakeUbxFrameText(CfgMsgBody(MessageIds[i], on ? uart : RateOff, on ? usb : RateOff)));
    }
    frames.push_back(MakeUbxFrameText(CfgRateHead + UbxMeasPeriodHex + CfgRateTail));
    return frames;
}

bool TFmNmeaChoice_ub::SilencesEveryOutput() const {
    if (!chkUSB->isChecked() && !chkUart->isChecked()) return true;
    for (const QCheckBox* box : MessageBoxes())
        if (box->isChecked()) return false;
    return true;
}

void TFmNmeaChoice_ub::btnSettingOKClick() {
    // A period out of range is refused before anything goes out, rather than
    // replaced by the last good one unseen.
    if (PeriodHex(edtPeriod->text()).empty()) {
        ShowMessage(PeriodRangeText, NotConnectedCaption);
        return;
    }
    if (FByKeys && TickedLayers() == 0) {
        lblPolled->setText(NoLayerText);
        return;
    }
    // A receiver told to send nothing falls silent with no word: only on purpose.
    if (FLink && FLink->CanSend() && SilencesEveryOutput() &&
        !AskYesNo(SilenceText, SilenceCaption))
        return;
    // Nothing goes out while the port is closed: the window stays for another try.
    if (FByKeys ? !SendKeys() : !FLink || !FLink->Send(SettingFrames())) {
        ShowMessage(NotConnectedText, NotConnectedCaption);
        return;
    }
    hide();
}

std::vector<std::string> TFmNmeaChoice_ub::PollFrames() {
    std::vector<std::string> frames;
    for (uint8_t id : MessageIds) frames.push_back(MakeUbxFrameText(CfgMsgPollHead + HexByte(id)));
    frames.push_back(MakeUbxFrameText(CfgRatePoll));
    return frames;
}

void TFmNmeaChoice_ub::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ReadReceiverSettings();
}

bool TFmNmeaChoice_ub::MayBeUblox() const {
    if (!FStore) return false;
    std::lock_guard<std::mutex> hold(FStore->Lock());
    return KnownProtocol(*FStore) != ReceiverProtocol::Nmea;
}

bool TFmNmeaChoice_ub::ReceiverTakesKeys() const {
    if (!FStore) return false;
    std::lock_guard<std::mutex> hold(FStore->Lock());
    return FStore->Ubx.VersionKnown && ubxcfg::ConfiguredByKeys(FStore->Ubx.Version);
}

uint8_t TFmNmeaChoice_ub::TickedLayers() const {
    return (chkRam->isChecked() ? ubxcfg::LayerBitRam : 0) |
           (chkBbr->isChecked() ? ubxcfg::LayerBitBbr : 0) |
           (chkFlash->isChecked() ? ubxcfg::LayerBitFlash : 0);
}

// One VALSET of every choice into the layers ticked; false when nothing went out.
bool TFmNmeaChoice_ub::SendKeys() {
    std::array<bool, MessageCount> ticked{};
    const auto boxes = MessageBoxes();
    for (int i = 0; i < MessageCount; ++i) ticked[i] = boxes[i]->isChecked();
    const auto period = static_cast<uint16_t>(edtPeriod->text().toInt());
    return FLink && FLink->Submit(NmeaKeyChoices::Set(ticked, chkUart->isChecked(),
                                                      chkUSB->isChecked(), period, TickedLayers()));
}

void TFmNmeaChoice_ub::KeysAnswered(const UbxKeyValuesRecord& answer) {
    if (!FPolling || !FByKeys) return;
    NmeaKeyChoices choices;
    if (!choices.Take(answer)) return;
    for (int i = 0; i < MessageCount; ++i) {
        if (!choices.Answered[i]) continue;
        MessageAnswer& a = FAnswers[i];
        a.Answered = true;
        a.PerTarget = true;
        a.OnUart = choices.OnUart[i];
        a.OnUsb = choices.OnUsb[i];
    }
    if (choices.PeriodMs > 0) {
        FRateAnswered = true;
        edtPeriod->setText(QString::number(choices.PeriodMs));
    }
    FinishPolling();
}

void TFmNmeaChoice_ub::ReadReceiverSettings() {
    FByKeys = ReceiverTakesKeys();
    ShowLayers(FByKeys);
    if (FPolling || !FLink || !MayBeUblox()) return;
    if (FByKeys ? !FLink->Submit({NmeaKeyChoices::Poll()}) : !FLink->Poll(PollFrames())) return;
    FPolling = true;
    FRateAnswered = false;
    FAnswers = {};
    btnSettingOK->setEnabled(false);
    lblPolled->setText(PollingText);
    FPollTimer->start(PollLimit);
}

void TFmNmeaChoice_ub::SettingAnswered(const UbxSettingAnswer& answer) {
    if (!FPolling) return;
    if (answer.IsRate) {
        FRateAnswered = true;
        // Shown as typed: the period field's own check takes it or not.
        edtPeriod->setText(QString::number(answer.Rate.MeasRate));
    } else if (answer.Msg.Class == NmeaClass) {
        for (int i = 0; i < MessageCount; ++i) {
            if (answer.Msg.Id != MessageIds[i]) continue;
            MessageAnswer& a = FAnswers[i];
            a.Answered = true;
            a.PerTarget = answer.Msg.Targets > 1;
            a.OnUart = answer.Msg.Rates[a.PerTarget ? UartTarget : 0] != 0;
            a.OnUsb = a.PerTarget && answer.Msg.Rates[UsbTarget] != 0;
        }
    }
    bool all = FRateAnswered;
    for (const MessageAnswer& a : FAnswers) all = all && a.Answered;
    if (all) FinishPolling();
}

// A sentence is ticked when it is on at UART1 or USB; the output boxes say
// where the sentences that are on go (unknown from the short form, or when
// every sentence is off: then they stay as they were).
void TFmNmeaChoice_ub::ApplyMessageAnswers() {
    const auto boxes = MessageBoxes();
    bool anyOn = false, uart = false, usb = false, targetsKnown = true;
    for (int i = 0; i < MessageCount; ++i) {
        const MessageAnswer& a = FAnswers[i];
        if (!a.Answered) continue;
        const bool on = a.OnUart || a.OnUsb;
        boxes[static_cast<size_t>(i)]->setChecked(on);
        if (!on) continue;
        anyOn = true;
        uart = uart || a.OnUart;
        usb = usb || a.OnUsb;
        targetsKnown = targetsKnown && a.PerTarget;
    }
    if (!anyOn || !targetsKnown) return;
    chkUart->setChecked(uart);
    chkUSB->setChecked(usb);
}

void TFmNmeaChoice_ub::FinishPolling() {
    if (!FPolling) return;
    FPolling = false;
    FPollTimer->stop();
    ApplyMessageAnswers();
    int answered = FRateAnswered ? 1 : 0;
    for (const MessageAnswer& a : FAnswers) answered += a.Answered ? 1 : 0;
    lblPolled->setText(answered == 0                  ? SilentText
                       : answered == MessageCount + 1 ? PolledText
                                                      : PartlyText);
    btnSettingOK->setEnabled(true);
}

#include "control/FormNmeaChoiceUb.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>

#include "link/Connection.h"
#include "serial/UbxText.h"
#include "views/MessageBox.h"

std::string UbxMeasPeriodHex = "E803";
TFmNmeaChoice_ub* FmNmeaChoice_ub = nullptr;

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
constexpr const char* MessageIds[TFmNmeaChoice_ub::MessageCount] = {"00", "01", "02", "03",
                                                                    "04", "05", "08"};
constexpr const char* MessageNames[TFmNmeaChoice_ub::MessageCount] = {"GGA", "GLL", "GSA", "GSV",
                                                                      "RMC", "VTG", "ZDA"};
constexpr char NotConnectedText[] = "no GPS device exist";
constexpr char NotConnectedCaption[] = "error";
constexpr char PeriodRangeText[] = "measurement period must be in 250~60000 ms";

std::string CfgMsgBody(const char* id, const char* uart, const char* usb) {
    return std::string(CfgMsgHead) + id + "00" + uart + "00" + usb + "00" + "01";
}
}  // namespace

TFmNmeaChoice_ub::TFmNmeaChoice_ub(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle("NMEA Setting");
    setGeometry(640, 275, 249, 345);
    setFixedSize(249, 345);
    BuildOutputGroup();
    BuildMessageGroup();
    BuildRateGroup();
    btnSettingOK = new QPushButton("OK", this);
    btnSettingOK->setGeometry(8, 272, 225, 33);
    connect(btnSettingOK, &QPushButton::clicked, this, [this] { btnSettingOKClick(); });
    SetTabOrder();
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

void TFmNmeaChoice_ub::btnSettingOKClick() {
    // A period out of range is refused before anything goes out, rather than
    // replaced by the last good one unseen.
    if (PeriodHex(edtPeriod->text()).empty()) {
        ShowMessage(PeriodRangeText, NotConnectedCaption);
        return;
    }
    // Nothing goes out while the port is closed: the window stays for another try.
    if (!FLink || !FLink->Send(SettingFrames())) {
        ShowMessage(NotConnectedText, NotConnectedCaption);
        return;
    }
    hide();
}

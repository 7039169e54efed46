#include "views/FrameLumarokStatus.h"

#include <QThread>

#include "link/Connection.h"
#include "serial/LinkUrl.h"
#include "views/Config.h"

namespace {

constexpr const char* LinkRateText = "BR:--";
constexpr int KnownRates[] = {4800, 9600, 19200, 38400, 57600, 115200};

bool IsKnownRate(int32_t rate) {
    for (int r : KnownRates)
        if (r == rate) return true;
    return false;
}

}  // namespace

TFLumarokStatus::TFLumarokStatus(QWidget* parent, GPSConfig& config)
    : QFrame(parent), FConfig(config) {
    BuildWidgets();
}

void TFLumarokStatus::BuildWidgets() {
    const int barWidth = Config.UnitSize;
    const int widths[3] = {barWidth - PortPanelWidth - RatePanelWidth, PortPanelWidth,
                           RatePanelWidth};
    int left = 0;
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
        panel->setGeometry(left, 0, widths[i], Config.StatusHeight);
        left += widths[i];
        statusPanels[i] = panel;
    }
    statusPanels[1]->setText("COM:");
    statusPanels[2]->setText("BR:");
    statusPanels[0]->setText("Close");
}

void TFLumarokStatus::Refresh() {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, "RefreshHere", Qt::QueuedConnection);
        return;
    }
    RefreshHere();
}

void TFLumarokStatus::RefreshHere() {
    const bool open = FConfig.IsPortOpen();
    int32_t port = FConfig.PortNumber.load();
    int32_t rate = FConfig.BaudRate.load();
    if (FLink && FLink->Shown().Known) {
        port = FLink->Shown().Port;
        rate = FLink->Shown().Rate;
    }
    const std::string name = FPortName ? FPortName(port) : std::string();
    // The state, the receiver's name and its latest answer, while open.
    std::string state = open ? "Open" : "Close";
    if (open && !FReceiver.empty()) state += "  " + FReceiver;
    if (open && !FNote.empty()) state += "  " + FNote;
    statusPanels[0]->setText(QString::fromStdString(state));
    if (LooksLikeLinkUrl(name)) {
        // A link has no baud rate; its URL may not fit, so the tooltip holds it whole.
        statusPanels[1]->setText(QString::fromStdString(name));
        statusPanels[1]->setToolTip(QString::fromStdString(name));
        statusPanels[2]->setText(LinkRateText);
        return;
    }
    statusPanels[1]->setToolTip(QString());
    statusPanels[1]->setText("COM:" +
                             (name.empty() ? QString::number(port) : QString::fromStdString(name)));
    if (IsKnownRate(rate)) statusPanels[2]->setText("BR:" + QString::number(rate) + "bps");
}

void TFLumarokStatus::ShowReceiver(const std::string& identity) {
    FReceiver = identity;
    RefreshHere();
}

void TFLumarokStatus::ShowNote(const std::string& note) {
    FNote = note;
    RefreshHere();
}

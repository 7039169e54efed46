#include "views/FrameLumarokStatus.h"

#include <QEvent>
#include <QFontMetrics>
#include <QThread>
#include <algorithm>
#include <cmath>

#include "link/Connection.h"
#include "views/Config.h"

namespace {

constexpr const char* LinkRateText = "BR:--";
constexpr int KnownRates[] = {4800, 9600, 19200, 38400, 57600, 115200};
constexpr int StatePanel = 0, PortPanel = 1, RatePanel = 2;
constexpr int PanelIndent = 2;
// Pixels a panel needs beside its text's advance: the sunken frame's two
// sides, the indent and one spare so that a fitting text is never cut.
constexpr int SparePixels = 1;
const QString Ellipsis = QString(QChar(0x2026));
// What the port and rate panels keep when they give up room.
const QString PortLeast = "COM:" + Ellipsis;
const QString RateLeast = "BR:" + Ellipsis;

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
    for (int i = 0; i < PanelCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(PanelIndent);
        statusPanels[i] = panel;
    }
    resize(Config.UnitSize, Config.StatusHeight);
    SetPanelText(PortPanel, "COM:");
    SetPanelText(RatePanel, "BR:");
    SetPanelText(StatePanel, "Close");
}

void TFLumarokStatus::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    LayOutPanels();
}

// Another font gives the texts other widths.
void TFLumarokStatus::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) LayOutPanels();
}

void TFLumarokStatus::SetPanelText(int panel, const QString& text) {
    FTexts[panel] = text;
    LayOutPanels();
}

int TFLumarokStatus::WantedWidth(int panel, const QString& text) const {
    const QLabel* label = statusPanels[panel];
    const QFontMetricsF metrics(label->font());
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text))) + 2 * label->frameWidth() +
           label->indent() + SparePixels;
}

// The port and rate panels get their texts' widths, the state panel the
// rest; when that is less than its text needs, the rate panel and then the
// port panel give up room down to their prefixes.
void TFLumarokStatus::LayOutPanels() {
    if (!statusPanels[RatePanel]) return;
    std::array<int, PanelCount> widths{};
    widths[PortPanel] = WantedWidth(PortPanel, FTexts[PortPanel]);
    widths[RatePanel] = WantedWidth(RatePanel, FTexts[RatePanel]);
    int missing = WantedWidth(StatePanel, FTexts[StatePanel]) -
                  (width() - widths[PortPanel] - widths[RatePanel]);
    const int least[] = {0, WantedWidth(PortPanel, PortLeast), WantedWidth(RatePanel, RateLeast)};
    for (int panel : {RatePanel, PortPanel}) {
        const int given = std::clamp(widths[panel] - least[panel], 0, std::max(missing, 0));
        widths[panel] -= given;
        missing -= given;
    }
    widths[StatePanel] = std::max(width() - widths[PortPanel] - widths[RatePanel], 0);
    int left = 0;
    for (int i = 0; i < PanelCount; ++i) {
        QLabel* label = statusPanels[i];
        label->setGeometry(left, 0, widths[i], height());
        left += widths[i];
        const int room = label->contentsRect().width() - label->indent();
        const QString shown = label->fontMetrics().elidedText(FTexts[i], Qt::ElideRight, room);
        label->setText(shown);
        const bool cut = shown != FTexts[i];
        label->setToolTip(i == PortPanel && !FPortTip.isEmpty() ? FPortTip
                          : cut                                 ? FTexts[i]
                                                                : QString());
    }
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
    Source port = FConfig.Port();
    int32_t rate = FConfig.BaudRate.load();
    if (FLink && FLink->Shown().Known) {
        port = FLink->Shown().Port;
        rate = FLink->Shown().Rate;
    }
    // The state, the receiver's name and its latest answer, while open.
    std::string state = open ? "Open" : "Close";
    if (open && !FReceiver.empty()) state += "  " + FReceiver;
    if (open && !FSolution.empty()) state += "  " + FSolution;
    if (open && !FNote.empty()) state += "  " + FNote;
    FTexts[StatePanel] = QString::fromStdString(state);
    if (port.IsLink()) {
        // A link has no baud rate; the tooltip holds its URL whole.
        FPortTip = QString::fromStdString(port.Text());
        FTexts[PortPanel] = FPortTip;
        FTexts[RatePanel] = LinkRateText;
    } else {
        FPortTip.clear();
        FTexts[PortPanel] = "COM:" + QString::fromStdString(port.ShortName());
        if (IsKnownRate(rate)) FTexts[RatePanel] = "BR:" + QString::number(rate) + "bps";
    }
    LayOutPanels();
}

void TFLumarokStatus::ShowReceiver(const std::string& identity) {
    FReceiver = identity;
    RefreshHere();
}

void TFLumarokStatus::ShowSolution(const std::string& solution) {
    if (solution == FSolution) return;
    FSolution = solution;
    RefreshHere();
}

void TFLumarokStatus::ShowNote(const std::string& note) {
    FNote = note;
    RefreshHere();
}

#include "views/FrameSViewer.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <mutex>

#include "views/AutoLabel.h"
#include "views/Config.h"
#include "views/SkyGeometry.h"
#include "views/SkySnapshot.h"
#include "views/SnrColors.h"
#include "views/SystemColors.h"

using namespace Sky;

namespace {

constexpr int OuterRingInset = 20;
constexpr int InnerRingInset = (Side + 20) / 4;  // 57
constexpr int DotRadius = 2;
constexpr int MarkPenWidth = 2;
constexpr int SatFontSize = 12;
constexpr int CompassFontSize = 15;
constexpr int CompassWidth = 15;
constexpr int BigFontSize = 15;
constexpr int SmallFontSize = 8;
constexpr int DateBottomGap = 5;
constexpr int LabelDrop = 4;
constexpr int FixModeTop = Side - 2 * BigFontSize;         // 180
constexpr int FixModeLeft = Side - 2 * BigFontSize;        // 180
constexpr int NonFixLeft = Side - 2 * SmallFontSize - 30;  // 164
constexpr int GmtLeft = Centre + 25;
constexpr int SkyMarkSize = 21;  // marks of several systems: smaller, as there are more
constexpr int SkyMarkInset = (MarkSize - SkyMarkSize) / 2;
constexpr int SkyFontSize = 7;
const QColor Silver{192, 192, 192};
const QColor NonFixRed{255, 0, 0};

struct CompassPlace {
    const char* Text;
    int Left, Top;
};
constexpr CompassPlace CompassPlaces[4] = {{"N", Centre - 6, 0},
                                           {"E", Side - 20, Centre - 11},
                                           {"S", Centre - 6, Side - 25},
                                           {"W", 2, Centre - 11}};

// A rectangle whose outline covers the pixels x1..x2-1 and y1..y2-1, as a
// circle "in the box (x1,y1)-(x2,y2)".
QRect CircleBox(int x1, int y1, int x2, int y2) {
    return QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
}

QFont SizedFont(QFont font, int points, bool bold = false) {
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

void SetColors(QLabel* label, const QColor& text, bool filled) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Window, Qt::black);
    label->setPalette(palette);
    label->setAutoFillBackground(filled);
}

}  // namespace

struct TFSViewer::Snapshot {
    std::string FixModeText, DateText, LocalTimeText, GmtText;
    GsvSatellite Satellites[GsvMaxSatellites];
    uint8_t UsedPrn[UsedPrnSlots];
    SkySnapshot Sky;

    explicit Snapshot(NMEA_Manager& store) {
        std::lock_guard<std::mutex> hold(store.Lock());
        FixModeText = store.Display().FixModeText;
        DateText = store.Display().DateText;
        LocalTimeText = store.Display().LocalTimeText;
        GmtText = store.Display().GmtText;
        std::copy(std::begin(store.Gsv.Satellites), std::end(store.Gsv.Satellites), Satellites);
        std::copy(std::begin(store.Gsa.Message.UsedPrn), std::end(store.Gsa.Message.UsedPrn),
                  UsedPrn);
        Sky.Take(store.Sky);
    }
    bool Used(uint8_t prn) const {
        return std::find(std::begin(UsedPrn), std::end(UsedPrn), prn) != std::end(UsedPrn);
    }
};

TFSViewer::TFSViewer(QWidget* parent, NMEA_Manager& store, GPSConfig& config, TLayoutHost* host)
    : QFrame(parent), FStore(store), FConfig(config), FHost(host) {
    BuildWidgets();
    resize(Side, Side);
}

void TFSViewer::BuildWidgets() {
    skyImage = new TSkyImage(this, Side);
    skyImage->setGeometry(0, 0, Side, Side);
    connect(skyImage, &TSkyImage::Clicked, this, &TFSViewer::SkyClick);
    connect(skyImage, &TSkyImage::DoubleClicked, this, &TFSViewer::SkyDblClick);
    DrawBackground();
    BuildMarks();
    BuildCompass();
    BuildCornerLabels();
    staleVeil = new TStaleVeil(this);
}

void TFSViewer::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    FitToSize();
}

// A window moved to a screen of another pixel density needs a new bitmap.
bool TFSViewer::event(QEvent* event) {
    const bool handled = QFrame::event(event);
    if (event->type() == QEvent::ScreenChangeInternal) FitToSize();
    return handled;
}

// The plot's bitmap has one pixel per device pixel of the largest centred
// square, so that it stays sharp on a high-density screen; it is drawn anew
// when that square or the density changes.
void TFSViewer::FitToSize() {
    const int side = std::min(width(), height());
    const QRect square((width() - side) / 2, (height() - side) / 2, side, side);
    const qreal ratio = devicePixelRatioF();
    const QPixmap& canvas = skyImage->Canvas();
    if (skyImage->geometry() == square && canvas.devicePixelRatio() == ratio &&
        canvas.deviceIndependentSize() == QSizeF(side, side))
        return;
    skyImage->setGeometry(square);
    QPixmap fresh(QSize(side, side) * ratio);
    fresh.setDevicePixelRatio(ratio);
    fresh.fill(Qt::black);
    skyImage->Canvas() = fresh;
    DrawBackground();
    if (FAxesShown) DrawAxes(Qt::white);
    Refresh();
}

void TFSViewer::BuildMarks() {
    const QFont satFont = SizedFont(font(), SatFontSize, true);
    const int labelHeight = QFontMetrics(satFont).height();
    for (int j = 0; j < MarkCount; ++j) {
        auto* mark = new TCircleShape(this);
        mark->resize(MarkSize, MarkSize);
        mark->SetPen(QPen(Qt::black, MarkPenWidth));
        mark->hide();
        satMarks[j] = mark;
        auto* label = new QLabel(this);
        label->resize(MarkSize, labelHeight);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(satFont);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->hide();
        satLabels[j] = label;
    }
}

void TFSViewer::BuildCompass() {
    const QFont compassFont = SizedFont(font(), CompassFontSize);
    for (size_t i = 0; i < compassLabels.size(); ++i) {
        auto* label = new QLabel(this);
        label->setFont(compassFont);
        SetColors(label, Qt::white, false);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setGeometry(CompassPlaces[i].Left, CompassPlaces[i].Top, CompassWidth,
                           LabelHeight(label));
        SetAutoText(label, CompassPlaces[i].Text);
        label->hide();
        compassLabels[i] = label;
    }
}

void TFSViewer::BuildCornerLabels() {
    auto corner = [this](int left, int top) {
        auto* label = new QLabel(this);
        SetColors(label, Qt::white, true);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->move(left, top);
        return label;
    };
    dateLabel = corner(0, 0);
    dateLabel->move(0, Side - LabelHeight(dateLabel) - DateBottomGap);
    fixModeLabel = corner(FixModeLeft, FixModeTop);
    fixModeLabel->setFont(SizedFont(font(), BigFontSize));
    localTimeLabel = corner(0, 0);
    gmtLabel = corner(GmtLeft, 0);
}

void TFSViewer::DrawBackground() {
    QPainter painter(&skyImage->Canvas());
    painter.setBrush(Qt::black);
    painter.setPen(Qt::white);
    painter.drawEllipse(
        CircleBox(OuterRingInset, OuterRingInset, Side - OuterRingInset, Side - OuterRingInset));
    painter.drawEllipse(
        CircleBox(InnerRingInset, InnerRingInset, Side - InnerRingInset, Side - InnerRingInset));
    painter.setBrush(Qt::white);
    painter.drawEllipse(
        CircleBox(Centre - DotRadius, Centre - DotRadius, Centre + DotRadius, Centre + DotRadius));
    skyImage->update();
}

void TFSViewer::DrawAxes(const QColor& color) {
    QPainter painter(&skyImage->Canvas());
    painter.setPen(color);
    // End points excluded, as a line drawn from one point to another is.
    const int far = Side - OuterRingInset - 1;
    painter.drawLine(OuterRingInset, Centre, far, Centre);
    painter.drawLine(Centre, OuterRingInset, Centre, far);
    skyImage->update();
}

void TFSViewer::SkyClick() {
    FAxesShown = !FAxesShown;
    for (QLabel* label : compassLabels) label->setVisible(FAxesShown);
    DrawAxes(FAxesShown ? Qt::white : Qt::black);
    if (!FAxesShown) DrawBackground();
}

void TFSViewer::SkyDblClick() {
    if (FHost) FHost->SetCompactLayout(FFullLayout);
    FConfig.DisplayPaused = FFullLayout;
    FFullLayout = !FFullLayout;
}

void TFSViewer::Refresh() {
    const Snapshot s(FStore);
    ShowStatusTexts(s);
    ShowSatellites(s);
}

void TFSViewer::ShowStatusTexts(const Snapshot& s) {
    if (s.FixModeText == "NON Fix" || s.FixModeText == "0") {
        fixModeLabel->setFont(SizedFont(font(), SmallFontSize));
        SetColors(fixModeLabel, NonFixRed, true);
        fixModeLabel->move(NonFixLeft, FixModeTop);
        SetAutoText(fixModeLabel, "NON Fix");
    } else {
        fixModeLabel->setFont(SizedFont(font(), BigFontSize));
        SetColors(fixModeLabel, Qt::white, true);
        fixModeLabel->move(FixModeLeft, FixModeTop);
        SetAutoText(fixModeLabel, QString::fromStdString(s.FixModeText));
    }
    SetAutoText(dateLabel, QString::fromStdString(s.DateText));
    SetAutoText(localTimeLabel, QString::fromStdString(s.LocalTimeText));
    SetAutoText(gmtLabel, QString::fromStdString(s.GmtText));
}

void TFSViewer::ShowSatellites(const Snapshot& s) {
    if (s.Sky.Extended) {
        ShowAllSystems(s);
        return;
    }
    HideFrom(0);
    skyImage->setToolTip(QString());
    for (int j = 0; j < MarkCount; ++j) {
        const GsvSatellite& sat = s.Satellites[j];
        if (sat.Prn == 0) {
            satMarks[j]->hide();
            satLabels[j]->hide();
            continue;
        }
        const SkyPixel p = SkyToPixel(sat.Elevation, sat.Azimuth);
        if (p.Ok) PlaceSatellite(j, p.Top, p.Left, s.Used(sat.Prn), SnrColor(sat.Snr), sat.Prn);
    }
}

void TFSViewer::PlaceSatellite(int slot, int top, int left, bool used, const QColor& color,
                               int prn) {
    QLabel* label = satLabels[slot];
    TCircleShape* mark = satMarks[slot];
    label->setText(QString::number(prn));
    label->move(left, top + LabelDrop);
    mark->SetPen(QPen(color, MarkPenWidth));
    mark->move(left, top);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, used ? Qt::black : Silver);
    label->setPalette(palette);
    mark->SetBrush(used ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
    mark->show();
    label->show();
}

void TFSViewer::ShowAllSystems(const Snapshot& s) {
    for (int j = 0; j < MarkCount; ++j) {
        satMarks[j]->hide();
        satLabels[j]->hide();
    }
    skyImage->setToolTip(SystemLegend());
    MakeSkyMarks(s.Sky.InView.size());
    size_t shown = 0;
    for (size_t i = 0; i < s.Sky.InView.size(); ++i)
        if (s.Sky.InView[i].Placed) PlaceSkyMark(shown++, s.Sky.InView[i], s.Sky.Used[i]);
    HideFrom(shown);
}

void TFSViewer::MakeSkyMarks(size_t count) {
    const QFont skyFont = SizedFont(font(), SkyFontSize, true);
    while (skyMarks.size() < count) {
        // Below the compass and corner texts, as the table's marks are.
        auto* mark = new TCircleShape(this);
        mark->resize(SkyMarkSize, SkyMarkSize);
        mark->hide();
        mark->stackUnder(compassLabels[0]);
        skyMarks.push_back(mark);
        auto* label = new QLabel(this);
        label->resize(MarkSize, SkyMarkSize);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(skyFont);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->hide();
        label->stackUnder(compassLabels[0]);
        skyLabels.push_back(label);
    }
}

void TFSViewer::PlaceSkyMark(size_t i, const SkySatellite& sat, bool used) {
    const SkyPixel p = SkyToPixel(sat.Elevation, sat.Azimuth);
    QLabel* label = skyLabels[i];
    TCircleShape* mark = skyMarks[i];
    label->setText(SystemPrnText(sat.System, sat.Prn));
    label->move(p.Left, p.Top + SkyMarkInset);
    mark->SetPen(QPen(SnrColor(sat.Snr), MarkPenWidth));
    mark->SetBrush(used ? QBrush(SystemFill(sat.System)) : QBrush(Qt::NoBrush));
    mark->move(p.Left + SkyMarkInset, p.Top + SkyMarkInset);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, used ? Qt::black : Silver);
    label->setPalette(palette);
    mark->show();
    label->show();
}

void TFSViewer::HideFrom(size_t first) {
    for (size_t i = first; i < skyMarks.size(); ++i) {
        skyMarks[i]->hide();
        skyLabels[i]->hide();
    }
}

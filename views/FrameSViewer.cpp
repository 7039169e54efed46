#include "views/FrameSViewer.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QPainter>
#include <algorithm>
#include <mutex>

#include "views/AutoLabel.h"
#include "views/Config.h"
#include "views/SkyLabels.h"
#include "views/SkySnapshot.h"
#include "views/SnrColors.h"
#include "views/SystemColors.h"

using namespace Sky;

// Lengths and font sizes are those of the default 210-pixel plot; Px()
// scales them to the plot's side.
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
constexpr int FixModeInset = 2 * BigFontSize;        // 30 from the right and bottom
constexpr int NonFixInset = 2 * SmallFontSize + 30;  // 46 from the right
constexpr int GmtFromMiddle = 25;
constexpr int SkyMarkSize = 21;  // marks of several systems: smaller, as there are more
constexpr int SkyFontSize = 7;
constexpr qreal MinLeaderLength = 3;  // numbers nearer their marks need none
const QColor Silver{192, 192, 192};
const QColor NonFixRed{255, 0, 0};

// The systems the context menu offers, after "All systems".
constexpr Constellation FilterSystems[] = {Constellation::Gps,     Constellation::Glonass,
                                           Constellation::Galileo, Constellation::BeiDou,
                                           Constellation::Qzss,    Constellation::Sbas};

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

// From a mark's rim towards its moved number, ending at the number's text.
QLineF Leader(const QRect& mark, const QRect& text) {
    const QPointF centre = QRectF(mark).center();
    const QPointF end(std::clamp(centre.x(), qreal(text.left()), qreal(text.right() + 1)),
                      std::clamp(centre.y(), qreal(text.top()), qreal(text.bottom() + 1)));
    QLineF line(centre, end);
    const qreal rim = mark.width() / 2.0;
    if (line.length() <= rim) return QLineF(end, end);
    line.setP1(line.pointAt(rim / line.length()));
    return line;
}

void SetTextColor(QLabel* label, const QColor& text) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
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
    resize(Side, Side);
    BuildWidgets();
}

TFSViewer::~TFSViewer() = default;

QSize TFSViewer::sizeHint() const {
    return QSize(Side, Side);
}

QRect TFSViewer::PlotRect() const {
    return QRect(FOrigin, QSize(FSide, FSide));
}

QFont TFSViewer::ScaledFont(int points, bool bold) const {
    return SizedFont(font(), Px(points), bold);
}

void TFSViewer::BuildWidgets() {
    skyImage = new TSkyImage(this, Side);
    skyImage->setGeometry(0, 0, Side, Side);
    connect(skyImage, &TSkyImage::ClickedAt, this, &TFSViewer::SkyClickAt);
    connect(skyImage, &TSkyImage::DoubleClicked, this, &TFSViewer::SkyDblClick);
    connect(skyImage, &TSkyImage::CanvasStale, this, &TFSViewer::RedrawCanvas);
    DrawBackground();
    BuildMarks();
    BuildCompass();
    BuildCornerLabels();
    staleVeil = new TStaleVeil(this);
    FLaidOut = size();
}

void TFSViewer::BuildMarks() {
    for (int j = 0; j < MarkCount; ++j) {
        auto* mark = new TCircleShape(this);
        mark->SetPen(QPen(Qt::black, MarkPenWidth));
        mark->hide();
        satMarks[j] = mark;
        auto* label = new QLabel(this);
        label->setAlignment(Qt::AlignCenter);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->hide();
        satLabels[j] = label;
    }
    ScaleMarks();
}

// Sizes of the marks and their numbers' fonts for the plot's side.
void TFSViewer::ScaleMarks() {
    const QFont satFont = ScaledFont(SatFontSize, true);
    const int labelHeight = QFontMetrics(satFont).height();
    for (int j = 0; j < MarkCount; ++j) {
        satMarks[j]->resize(Px(MarkSize), Px(MarkSize));
        satLabels[j]->setFont(satFont);
        satLabels[j]->resize(Px(MarkSize), labelHeight);
    }
    const QFont skyFont = ScaledFont(SkyFontSize, true);
    for (size_t i = 0; i < skyMarks.size(); ++i) {
        skyMarks[i]->resize(Px(SkyMarkSize), Px(SkyMarkSize));
        skyLabels[i]->setFont(skyFont);
        skyLabels[i]->resize(Px(MarkSize), Px(SkyMarkSize));
    }
}

void TFSViewer::BuildCompass() {
    for (size_t i = 0; i < compassLabels.size(); ++i) {
        auto* label = new QLabel(this);
        SetColors(label, Qt::white, false);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->hide();
        compassLabels[i] = label;
    }
    PlaceCompass();
}

void TFSViewer::PlaceCompass() {
    const QFont compassFont = ScaledFont(CompassFontSize);
    for (size_t i = 0; i < compassLabels.size(); ++i) {
        QLabel* label = compassLabels[i];
        label->setFont(compassFont);
        label->setGeometry(FOrigin.x() + Px(CompassPlaces[i].Left),
                           FOrigin.y() + Px(CompassPlaces[i].Top), Px(CompassWidth),
                           LabelHeight(label));
        SetAutoText(label, CompassPlaces[i].Text);
    }
}

void TFSViewer::BuildCornerLabels() {
    auto corner = [this]() {
        auto* label = new QLabel(this);
        SetColors(label, Qt::white, true);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        return label;
    };
    dateLabel = corner();
    fixModeLabel = corner();
    fixModeLabel->setFont(ScaledFont(BigFontSize));
    localTimeLabel = corner();
    gmtLabel = corner();
    PlaceCornerLabels();
}

// The corner texts sit in the frame's corners, the clock's GMT half right of
// the middle; the fix mode keeps the size of the state it shows.
void TFSViewer::PlaceCornerLabels() {
    const QFont plain = font().pointSize() > 0 ? ScaledFont(font().pointSize()) : font();
    for (QLabel* label : {dateLabel, localTimeLabel, gmtLabel}) {
        label->setFont(plain);
        label->adjustSize();
    }
    dateLabel->move(0, height() - LabelHeight(dateLabel) - Px(DateBottomGap));
    localTimeLabel->move(0, 0);
    gmtLabel->move(width() / 2 + Px(GmtFromMiddle), 0);
    const bool nonFix = fixModeLabel->text() == "NON Fix";
    fixModeLabel->setFont(ScaledFont(nonFix ? SmallFontSize : BigFontSize));
    fixModeLabel->adjustSize();
    fixModeLabel->move(width() - Px(nonFix ? NonFixInset : FixModeInset),
                       height() - Px(FixModeInset));
}

void TFSViewer::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    Relayout();
}

// Lays the plot out anew for the frame's size: the largest square it holds,
// centred, everything scaled to that square's side.
void TFSViewer::Relayout() {
    FLaidOut = size();
    FSide = std::max(1, std::min(width(), height()));
    FOrigin = QPoint((width() - FSide) / 2, (height() - FSide) / 2);
    skyImage->setGeometry(rect());
    RedrawCanvas();
    ScaleMarks();
    PlaceCompass();
    PlaceCornerLabels();
    if (FLast) {
        ShowStatusTexts(*FLast);
        ShowSatellites(*FLast);
    }
}

void TFSViewer::RedrawCanvas() {
    skyImage->ResizeCanvas(size());
    DrawBackground();
    if (FAxesShown) DrawAxes(Qt::white);
}

void TFSViewer::DrawBackground() {
    QPainter painter(&skyImage->Canvas());
    painter.translate(FOrigin);
    painter.setBrush(Qt::black);
    painter.setPen(Qt::white);
    const int outer = Px(OuterRingInset), inner = Px(InnerRingInset);
    const int centre = FSide / 2, dot = std::max(DotRadius, Px(DotRadius));
    painter.drawEllipse(CircleBox(outer, outer, FSide - outer, FSide - outer));
    painter.drawEllipse(CircleBox(inner, inner, FSide - inner, FSide - inner));
    painter.setBrush(Qt::white);
    painter.drawEllipse(CircleBox(centre - dot, centre - dot, centre + dot, centre + dot));
    skyImage->update();
}

void TFSViewer::DrawAxes(const QColor& color) {
    QPainter painter(&skyImage->Canvas());
    painter.translate(FOrigin);
    painter.setPen(color);
    // End points excluded, as a line drawn from one point to another is.
    const int near = Px(OuterRingInset), far = FSide - near - 1, centre = FSide / 2;
    painter.drawLine(near, centre, far, centre);
    painter.drawLine(centre, near, centre, far);
    skyImage->update();
}

// A click on a satellite's mark names the satellite; anywhere else it
// toggles the axes.
void TFSViewer::SkyClickAt(QPoint at) {
    const int markSide = FLast && FLast->Sky.Extended ? Px(SkyMarkSize) : Px(MarkSize);
    const int inset = FLast && FLast->Sky.Extended ? (Px(MarkSize) - markSide) / 2 : 0;
    for (auto it = FShown.rbegin(); it != FShown.rend(); ++it) {
        const QRect mark(FOrigin + QPoint(it->Place.Left + inset, it->Place.Top + inset),
                         QSize(markSide, markSide));
        if (mark.contains(at)) {
            emit SatelliteClicked(it->System, it->Prn);
            return;
        }
    }
    SkyClick();
}

void TFSViewer::SkyClick() {
    FAxesShown = !FAxesShown;
    for (QLabel* label : compassLabels) label->setVisible(FAxesShown);
    DrawAxes(FAxesShown ? Qt::white : Qt::black);
    if (!FAxesShown) DrawBackground();
    if (FLast && FLast->Sky.Extended) ShowSatellites(*FLast);  // numbers clear of the letters
}

void TFSViewer::SkyDblClick() {
    if (FHost) FHost->SetCompactLayout(FFullLayout);
    FConfig.DisplayPaused = FFullLayout;
    FFullLayout = !FFullLayout;
}

void TFSViewer::Refresh() {
    if (size() != FLaidOut) Relayout();  // resized while hidden
    if (FLast)
        *FLast = Snapshot(FStore);
    else
        FLast = std::make_unique<Snapshot>(FStore);
    ShowStatusTexts(*FLast);
    ShowSatellites(*FLast);
}

void TFSViewer::ShowStatusTexts(const Snapshot& s) {
    const bool nonFix = s.FixModeText == "NON Fix" || s.FixModeText == "0";
    fixModeLabel->setFont(ScaledFont(nonFix ? SmallFontSize : BigFontSize));
    SetColors(fixModeLabel, nonFix ? NonFixRed : QColor(Qt::white), true);
    fixModeLabel->move(width() - Px(nonFix ? NonFixInset : FixModeInset),
                       height() - Px(FixModeInset));
    SetAutoText(fixModeLabel, nonFix ? QString("NON Fix") : QString::fromStdString(s.FixModeText));
    SetAutoText(dateLabel, QString::fromStdString(s.DateText));
    SetAutoText(localTimeLabel, QString::fromStdString(s.LocalTimeText));
    SetAutoText(gmtLabel, QString::fromStdString(s.GmtText));
}

bool TFSViewer::Shows(Constellation system) const {
    return !FFilter || *FFilter == system;
}

void TFSViewer::SetSystemFilter(std::optional<Constellation> system) {
    FFilter = system;
    if (FLast) ShowSatellites(*FLast);
}

QMenu* TFSViewer::MakeFilterMenu(QWidget* parent) {
    auto* menu = new QMenu(tr("Systems"), parent);
    auto* group = new QActionGroup(menu);
    const auto add = [&](const QString& text, std::optional<Constellation> system) {
        QAction* action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(FFilter == system);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, system] { SetSystemFilter(system); });
    };
    add(tr("All systems"), std::nullopt);
    for (Constellation system : FilterSystems) add(ConstellationName(system), system);
    return menu;
}

void TFSViewer::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = MakeFilterMenu(this);
    menu->exec(event->globalPos());
    delete menu;
}

void TFSViewer::ShowSatellites(const Snapshot& s) {
    FShown.clear();
    if (s.Sky.Extended) {
        ShowAllSystems(s);
        return;
    }
    HideFrom(0);
    skyImage->setToolTip(QString());
    skyImage->SetLeaders({});
    for (int j = 0; j < MarkCount; ++j) {
        const GsvSatellite& sat = s.Satellites[j];
        const Constellation system = PrnConstellation(sat.Prn);
        if (sat.Prn == 0 || !Shows(system)) {
            satMarks[j]->hide();
            satLabels[j]->hide();
            continue;
        }
        const SkyPixel p = SkyToPixel(sat.Elevation, sat.Azimuth, FSide);
        if (!p.Ok) continue;
        PlaceSatellite(j, p, s.Used(sat.Prn), SnrColor(sat.Snr), sat.Prn);
        FShown.push_back({system, sat.Prn, p});
    }
}

void TFSViewer::PlaceSatellite(int slot, SkyPixel p, bool used, const QColor& color, int prn) {
    QLabel* label = satLabels[slot];
    TCircleShape* mark = satMarks[slot];
    label->setText(QString::number(prn));
    label->move(FOrigin + QPoint(p.Left, p.Top + Px(LabelDrop)));
    mark->SetPen(QPen(color, Px(MarkPenWidth)));
    mark->move(FOrigin + QPoint(p.Left, p.Top));
    SetTextColor(label, used ? Qt::black : Silver);
    mark->SetBrush(used ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
    mark->show();
    label->show();
}

QRect TFSViewer::LabelTextRect(const QLabel* label) {
    const QFontMetrics metrics(label->font());
    const QSize text(metrics.horizontalAdvance(label->text()), metrics.height());
    const QRect box = label->geometry();
    return QRect(box.left() + (box.width() - text.width()) / 2,
                 box.top() + (box.height() - text.height()) / 2, text.width(), text.height());
}

// Moves each number that would hide another satellite or number, a corner
// text or a compass letter beside its mark, in the colour it has off the
// mark, with a leader line when it stands apart; one without a free place is
// left out.
void TFSViewer::PlaceLabels(const std::vector<QLabel*>& labels, const std::vector<QWidget*>& marks,
                            const std::vector<QColor>& offMark) {
    std::vector<SkyLabelRequest> requests;
    requests.reserve(labels.size());
    for (size_t i = 0; i < labels.size(); ++i)
        requests.push_back({marks[i]->geometry(), LabelTextRect(labels[i])});
    std::vector<QRect> fixed;
    for (const QLabel* corner : {localTimeLabel, gmtLabel, dateLabel, fixModeLabel})
        if (!corner->text().isEmpty()) fixed.push_back(corner->geometry());
    if (FAxesShown)
        for (const QLabel* letter : compassLabels) fixed.push_back(letter->geometry());
    const std::vector<QRect> placed = PlaceSkyLabels(requests, rect(), fixed);
    std::vector<QLineF> leaders;
    for (size_t i = 0; i < labels.size(); ++i) {
        if (placed[i].isNull()) {
            labels[i]->hide();
            continue;
        }
        if (placed[i] == requests[i].Preferred) continue;
        labels[i]->move(labels[i]->pos() + placed[i].topLeft() - requests[i].Preferred.topLeft());
        SetTextColor(labels[i], offMark[i]);
        const QLineF leader = Leader(requests[i].Mark, placed[i]);
        if (leader.length() >= MinLeaderLength) leaders.push_back(leader);
    }
    skyImage->SetLeaders(std::move(leaders));
}

void TFSViewer::ShowAllSystems(const Snapshot& s) {
    for (int j = 0; j < MarkCount; ++j) {
        satMarks[j]->hide();
        satLabels[j]->hide();
    }
    skyImage->setToolTip(SystemLegend());
    MakeSkyMarks(s.Sky.InView.size());
    size_t shown = 0;
    std::vector<QColor> offMark;
    for (size_t i = 0; i < s.Sky.InView.size(); ++i) {
        const SkySatellite& sat = s.Sky.InView[i];
        if (!sat.Placed || !Shows(sat.System)) continue;
        const SkyPixel p = SkyToPixel(sat.Elevation, sat.Azimuth, FSide);
        if (!p.Ok) continue;
        PlaceSkyMark(shown++, sat, p, s.Sky.Used[i]);
        FShown.push_back({sat.System, sat.Prn, p});
        offMark.push_back(s.Sky.Used[i] ? SystemFill(sat.System) : Silver);
    }
    HideFrom(shown);
    PlaceLabels(std::vector<QLabel*>(skyLabels.begin(), skyLabels.begin() + shown),
                std::vector<QWidget*>(skyMarks.begin(), skyMarks.begin() + shown), offMark);
}

void TFSViewer::MakeSkyMarks(size_t count) {
    const QFont skyFont = ScaledFont(SkyFontSize, true);
    while (skyMarks.size() < count) {
        // Below the compass and corner texts, as the table's marks are.
        auto* mark = new TCircleShape(this);
        mark->resize(Px(SkyMarkSize), Px(SkyMarkSize));
        mark->hide();
        mark->stackUnder(compassLabels[0]);
        skyMarks.push_back(mark);
        auto* label = new QLabel(this);
        label->resize(Px(MarkSize), Px(SkyMarkSize));
        label->setAlignment(Qt::AlignCenter);
        label->setFont(skyFont);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->hide();
        label->stackUnder(compassLabels[0]);
        skyLabels.push_back(label);
    }
}

void TFSViewer::PlaceSkyMark(size_t i, const SkySatellite& sat, SkyPixel p, bool used) {
    QLabel* label = skyLabels[i];
    TCircleShape* mark = skyMarks[i];
    const int inset = (Px(MarkSize) - Px(SkyMarkSize)) / 2;
    label->setText(SystemPrnText(sat.System, sat.Prn));
    label->move(FOrigin + QPoint(p.Left, p.Top + inset));
    mark->SetPen(QPen(SnrColor(sat.Snr), Px(MarkPenWidth)));
    mark->SetBrush(used ? QBrush(SystemFill(sat.System)) : QBrush(Qt::NoBrush));
    mark->move(FOrigin + QPoint(p.Left + inset, p.Top + inset));
    SetTextColor(label, used ? Qt::black : Silver);
    mark->show();
    label->show();
}

void TFSViewer::HideFrom(size_t first) {
    for (size_t i = first; i < skyMarks.size(); ++i) {
        skyMarks[i]->hide();
        skyLabels[i]->hide();
    }
}

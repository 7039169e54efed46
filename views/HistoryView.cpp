#include "views/HistoryView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <sstream>

#include "views/SystemColors.h"

namespace {
constexpr double MaxSnr = 60;                    // dB-Hz at the top
constexpr double MinDopTop = 2, MaxDopTop = 20;  // the dilution strip's top, as the values need
constexpr int Margin = 24;
constexpr int StripGap = 6;
constexpr double SignalShare = 0.55, DopShare = 0.2;  // of the height; motion has the rest
constexpr uint32_t KeyPerSystem = 1000;
constexpr double MsPerSecond = 1000.0;
constexpr double NoValue = std::numeric_limits<double>::quiet_NaN();
constexpr int LegendColumnWidth = 40, LegendRowHeight = 13;
constexpr double HitPixels = 5;        // how near the pointer a line counts as under it
constexpr double HitColumnPixels = 8;  // how far beside a point its value holds
constexpr int DimmedAlpha = 70;        // lines other than the highlighted one
constexpr double HighlightWidth = 3;

const QColor GridColour(70, 70, 90);
const QColor HdopColour(120, 200, 255), PdopColour(255, 160, 80);
const QColor AltitudeColour(140, 230, 140), SpeedColour(230, 140, 230);

double Y(double v, double bottom, double top, const QRectF& plot) {
    const double span = top > bottom ? top - bottom : 1;
    return plot.bottom() - (std::clamp(v, bottom, top) - bottom) / span * plot.height();
}

// A legend written over the lines, on the plot's own background.
void Label(QPainter& p, QPointF at, const QColor& colour, const QString& text) {
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(QColor(20, 20, 30));
    p.setPen(colour);
    p.drawText(at, text);
    p.setBackgroundMode(Qt::TransparentMode);
}

// A line through the points with a gap at each NaN (or, for C/N0, below 0),
// drawn as polylines: the painter draws those without building a path.
template <class At>
void DrawLine(QPainter& p, const std::vector<QPointF>& points, At at) {
    static thread_local std::vector<QPointF> run;
    run.clear();
    const auto flush = [&p] {
        if (run.size() > 1) p.drawPolyline(run.data(), static_cast<int>(run.size()));
        run.clear();
    };
    for (const QPointF& pt : points) {
        if (std::isnan(pt.y()) || pt.y() < 0)
            flush();
        else
            run.push_back(at(pt));
    }
    flush();
}

// The lowest and highest value of a series, widened to a span of at least 1.
void RangeOf(const std::vector<QPointF>& points, double& low, double& high) {
    low = std::numeric_limits<double>::max();
    high = std::numeric_limits<double>::lowest();
    for (const QPointF& pt : points) {
        if (std::isnan(pt.y())) continue;
        low = std::min(low, pt.y());
        high = std::max(high, pt.y());
    }
    if (low > high) low = high = 0;
    if (high - low < 1) high = low + 1;
}

uint32_t KeyOf(Constellation system, int prn) {
    return static_cast<uint32_t>(system) * KeyPerSystem + static_cast<uint32_t>(prn);
}

THistoryView::SatelliteKey SatelliteOf(uint32_t key) {
    return {static_cast<Constellation>(key / KeyPerSystem),
            static_cast<uint16_t>(key % KeyPerSystem)};
}
}  // namespace

THistoryView::THistoryView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(320, 300);
    setAutoFillBackground(true);
    setPalette(QPalette(QColor(20, 20, 30)));
}

bool THistoryView::SatellitesFromText(const std::string& text, std::vector<SatelliteKey>& out,
                                      std::string& wrong) {
    out.clear();
    std::string word;
    std::istringstream words(text);
    while (words >> word) {
        if (word.back() == ',') word.pop_back();
        if (word.empty()) continue;
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
        int system = 0;
        while (system < ConstellationCount &&
               ConstellationLetter(static_cast<Constellation>(system)) != letter)
            ++system;
        const std::string digits = word.substr(1);
        const bool number = !digits.empty() && digits.size() <= 3 &&
                            digits.find_first_not_of("0123456789") == std::string::npos;
        if (system == ConstellationCount || !number) {
            wrong = word;
            return false;
        }
        out.push_back(
            {static_cast<Constellation>(system), static_cast<uint16_t>(std::stoi(digits))});
    }
    return true;
}

void THistoryView::Show(const std::vector<Epoch>& epochs, double from, double to,
                        const std::vector<Constellation>& systems,
                        const std::vector<SatelliteKey>& satellites) {
    FLines.clear();
    FTrack = Solution{};
    FFrom = from;
    FTo = std::max(to, from + 1);
    // One point per pixel column and line: more would draw over each other.
    const double columns = std::max(1, width());
    int lastColumn = -1;
    for (const Epoch& e : epochs) {
        const double t = e.HostMs / MsPerSecond;
        const int column = static_cast<int>((t - FFrom) / (FTo - FFrom) * columns);
        if (column == lastColumn) continue;
        lastColumn = column;
        AddSolution(e, t);
        for (const EpochSatellite& s : e.Satellites) {
            if (!systems.empty() &&
                std::find(systems.begin(), systems.end(), s.System) == systems.end())
                continue;
            if (!satellites.empty() && std::find(satellites.begin(), satellites.end(),
                                                 SatelliteKey{s.System, s.Prn}) == satellites.end())
                continue;
            Series& line = FLines[KeyOf(s.System, s.Prn)];
            line.System = s.System;
            line.Points.emplace_back(t, s.Snr > 0 ? s.Snr : -1);
        }
    }
    update();
}

void THistoryView::AddSolution(const Epoch& e, double t) {
    FTrack.Used.emplace_back(t, e.UsedCount);
    FTrack.InView.emplace_back(t, e.InViewCount);
    FTrack.Hdop.emplace_back(t, e.Hdop > 0 ? e.Hdop : NoValue);
    FTrack.Pdop.emplace_back(t, e.Pdop > 0 ? e.Pdop : NoValue);
    const bool fix = e.HasFix();
    FTrack.Altitude.emplace_back(t, fix && e.HasAltitude ? e.Altitude : NoValue);
    FTrack.Speed.emplace_back(t, fix ? e.SpeedMs : NoValue);
}

double THistoryView::X(double t, const QRectF& plot) const {
    return plot.left() + (t - FFrom) / (FTo - FFrom) * plot.width();
}

int THistoryView::LegendColumns() const {
    const int rows = std::max(1, (height() - Margin) / LegendRowHeight);
    return (static_cast<int>(FLines.size()) + rows - 1) / rows;
}

std::vector<std::pair<THistoryView::SatelliteKey, QRect>> THistoryView::LegendEntries() const {
    const int rows = std::max(1, (height() - Margin) / LegendRowHeight);
    const int left = width() - Margin / 2 - LegendColumns() * LegendColumnWidth;
    std::vector<std::pair<SatelliteKey, QRect>> entries;
    int k = 0;
    for (const auto& [key, line] : FLines) {
        entries.emplace_back(SatelliteOf(key), QRect(left + k / rows * LegendColumnWidth,
                                                     Margin / 2 + k % rows * LegendRowHeight,
                                                     LegendColumnWidth, LegendRowHeight));
        ++k;
    }
    return entries;
}

THistoryView::Plots THistoryView::Layout() const {
    const double left = Margin;
    const double width = this->width() - 2.0 * Margin - LegendColumns() * LegendColumnWidth;
    const double top = Margin / 2.0, height = this->height() - 1.5 * Margin - 2 * StripGap;
    Plots plots;
    plots.Signal = QRectF(left, top, width, height * SignalShare);
    plots.Dop = QRectF(left, plots.Signal.bottom() + StripGap, width, height * DopShare);
    plots.Motion =
        QRectF(left, plots.Dop.bottom() + StripGap, width, height * (1 - SignalShare - DopShare));
    return plots;
}

QRectF THistoryView::SignalPlot() const {
    return Layout().Signal;
}

void THistoryView::paintEvent(QPaintEvent*) {
    // Every line zigzags from point to point (C/N0 in whole dB-Hz, a static
    // receiver's altitude): drawn without smoothing they cost a fraction.
    QPainter p(this);
    const Plots plots = Layout();
    PaintSignals(p, plots.Signal);
    PaintDops(p, plots.Dop);
    PaintMotion(p, plots.Motion);
    PaintLegend(p);
    p.setPen(Qt::lightGray);
    p.drawText(
        QPointF(Margin, this->height() - 4),
        QString("%1 s shown; C/N0 dB-Hz by satellite; satellites used (dashed) and in view (grey)")
            .arg(FTo - FFrom, 0, 'f', 0));
}

// Each satellite in its system's colour, the highlighted one framed.
void THistoryView::PaintLegend(QPainter& p) const {
    for (const auto& [satellite, box] : LegendEntries()) {
        QColor colour = SystemFill(satellite.System);
        const bool chosen = FHighlighted && *FHighlighted == satellite;
        if (FHighlighted && !chosen) colour.setAlpha(DimmedAlpha * 2);
        p.setPen(colour);
        p.drawText(box.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   SystemPrnText(satellite.System, satellite.Prn));
        if (chosen) p.drawRect(box.adjusted(0, 0, -2, -1));
    }
}

std::optional<THistoryView::Hit> THistoryView::LineAt(QPointF at) const {
    const QRectF plot = SignalPlot();
    if (!plot.adjusted(-HitPixels, -HitPixels, HitPixels, HitPixels).contains(at)) return {};
    const double t = FFrom + (at.x() - plot.left()) / plot.width() * (FTo - FFrom);
    std::optional<Hit> best;
    double bestDistance = HitPixels;
    for (const auto& [key, line] : FLines) {
        const std::vector<QPointF>& points = line.Points;
        const auto after = std::lower_bound(points.begin(), points.end(), t,
                                            [](const QPointF& pt, double v) { return pt.x() < v; });
        for (auto it : {after - (after != points.begin()), after}) {
            if (it == points.end() || it->y() < 0) continue;
            if (std::abs(X(it->x(), plot) - at.x()) > HitColumnPixels) continue;
            const double distance = std::abs(Y(it->y(), 0, MaxSnr, plot) - at.y());
            if (distance <= bestDistance) {
                bestDistance = distance;
                best = Hit{SatelliteOf(key), it->x(), it->y()};
            }
        }
    }
    return best;
}

QString THistoryView::HitText(const Hit& hit) const {
    return QString("%1: %2 dB-Hz at %3 s")
        .arg(SystemPrnText(hit.Satellite.System, hit.Satellite.Prn))
        .arg(hit.Snr, 0, 'f', 0)
        .arg(hit.Seconds - FFrom, 0, 'f', 1);
}

void THistoryView::Highlight(std::optional<SatelliteKey> satellite) {
    FHighlighted = satellite;
    update();
}

void THistoryView::mouseMoveEvent(QMouseEvent* event) {
    const std::optional<Hit> hit = LineAt(event->position());
    if (hit)
        QToolTip::showText(event->globalPosition().toPoint(), HitText(*hit), this);
    else
        QToolTip::hideText();
}

// A legend entry or a line: highlighted, or back to all alike when it already was.
void THistoryView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    std::optional<SatelliteKey> chosen;
    for (const auto& [satellite, box] : LegendEntries())
        if (box.contains(event->position().toPoint())) chosen = satellite;
    if (!chosen)
        if (const std::optional<Hit> hit = LineAt(event->position())) chosen = hit->Satellite;
    if (!chosen) return;
    Highlight(FHighlighted == chosen ? std::nullopt : chosen);
    emit SatelliteChosen(chosen->System, chosen->Prn);
}

void THistoryView::PaintSignals(QPainter& p, const QRectF& plot) const {
    p.setPen(GridColour);
    for (int db = 0; db <= MaxSnr; db += 10) {
        const double y = Y(db, 0, MaxSnr, plot);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.drawText(QPointF(2, y + 4), QString::number(db));
    }
    const auto snrAt = [&](QPointF pt) {
        return QPointF(X(pt.x(), plot), Y(pt.y(), 0, MaxSnr, plot));
    };
    const Series* highlighted = nullptr;
    for (const auto& [key, line] : FLines) {
        QColor colour = SystemFill(line.System);
        if (FHighlighted) {
            if (SatelliteOf(key) == *FHighlighted) {
                highlighted = &line;
                continue;
            }
            colour.setAlpha(DimmedAlpha);
        }
        p.setPen(QPen(colour, 1));
        DrawLine(p, line.Points, snrAt);
    }
    if (highlighted) {  // over the others
        p.setPen(QPen(SystemFill(highlighted->System), HighlightWidth));
        DrawLine(p, highlighted->Points, snrAt);
    }
    // Satellite counts read on the same axis as dB-Hz.
    p.setPen(QPen(Qt::yellow, 1.5, Qt::DashLine));
    DrawLine(p, FTrack.Used, snrAt);
    p.setPen(QPen(QColor(255, 255, 255, 140), 1));
    DrawLine(p, FTrack.InView, snrAt);
}

void THistoryView::PaintDops(QPainter& p, const QRectF& plot) const {
    p.setPen(GridColour);
    p.drawRect(plot);
    double low = 0, high = 0, hdopLow = 0, hdopHigh = 0;
    RangeOf(FTrack.Pdop, low, high);
    RangeOf(FTrack.Hdop, hdopLow, hdopHigh);
    const double top = std::clamp(std::ceil(std::max(high, hdopHigh)), MinDopTop, MaxDopTop);
    const auto at = [&](QPointF pt) { return QPointF(X(pt.x(), plot), Y(pt.y(), 0, top, plot)); };
    p.setPen(QPen(HdopColour, 1));
    DrawLine(p, FTrack.Hdop, at);
    p.setPen(QPen(PdopColour, 1));
    DrawLine(p, FTrack.Pdop, at);
    Label(p, QPointF(plot.left() + 4, plot.top() + 12), HdopColour, "HDOP");
    Label(p, QPointF(plot.left() + 44, plot.top() + 12), PdopColour,
          QString("PDOP (0-%1)").arg(top));
}

void THistoryView::PaintMotion(QPainter& p, const QRectF& plot) const {
    p.setPen(GridColour);
    p.drawRect(plot);
    double altLow = 0, altHigh = 0, speedLow = 0, speedHigh = 0;
    RangeOf(FTrack.Altitude, altLow, altHigh);
    RangeOf(FTrack.Speed, speedLow, speedHigh);
    speedLow = std::min(speedLow, 0.0);
    const auto altitudeAt = [&](QPointF pt) {
        return QPointF(X(pt.x(), plot), Y(pt.y(), altLow, altHigh, plot));
    };
    const auto speedAt = [&](QPointF pt) {
        return QPointF(X(pt.x(), plot), Y(pt.y(), speedLow, speedHigh, plot));
    };
    p.setPen(QPen(AltitudeColour, 1));
    DrawLine(p, FTrack.Altitude, altitudeAt);
    p.setPen(QPen(SpeedColour, 1));
    DrawLine(p, FTrack.Speed, speedAt);
    Label(p, QPointF(plot.left() + 4, plot.top() + 12), AltitudeColour,
          QString("altitude %1-%2 m").arg(altLow, 0, 'f', 1).arg(altHigh, 0, 'f', 1));
    Label(p, QPointF(plot.center().x(), plot.top() + 12), SpeedColour,
          QString("speed %1-%2 m/s").arg(speedLow, 0, 'f', 1).arg(speedHigh, 0, 'f', 1));
}

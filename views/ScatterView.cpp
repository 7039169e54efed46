#include "views/ScatterView.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr int Margin = 8;
constexpr double MinRange = 1.0;  // metres
constexpr double RangeOverCep95 = 1.5;
constexpr int PointSize = 2;
const QColor Cep50Colour(0, 130, 0), Cep95Colour(200, 120, 0), DrmsColour(200, 0, 0);
const QColor PlainColour(30, 60, 160);

// The points' colours by the receiver's solution; any other fix is plain.
struct SolutionStyle {
    RtkFix Solution;
    QColor Colour;
};
const SolutionStyle SolutionStyles[] = {{RtkFix::Fixed, QColor(140, 0, 170)},
                                        {RtkFix::Float, QColor(0, 160, 170)},
                                        {RtkFix::Dgnss, QColor(130, 130, 0)},
                                        {RtkFix::DeadReckoning, QColor(128, 128, 128)}};

QColor ColourOf(RtkFix solution) {
    for (const SolutionStyle& s : SolutionStyles)
        if (s.Solution == solution) return s.Colour;
    return PlainColour;
}
}  // namespace

TScatterView::TScatterView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(240, 240);
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::white));
}

void TScatterView::Show(AccuracyReport report) {
    FReport = std::move(report);
    update();
}

double TScatterView::Range() const {
    return std::max({MinRange, FReport.Cep95 * RangeOverCep95, FReport.Drms2 * 1.1});
}

std::vector<RtkFix> TScatterView::SolutionsShown() const {
    std::vector<RtkFix> shown;
    for (const SolutionStyle& s : SolutionStyles)
        for (const ScatterPoint& pt : FReport.Points)
            if (pt.Solution == s.Solution) {
                shown.push_back(s.Solution);
                break;
            }
    return shown;
}

// At the top right, one line per solution the points show, and the plain
// fixes beside them; nothing while every point is a plain fix.
void TScatterView::DrawLegend(QPainter& p) const {
    const std::vector<RtkFix> shown = SolutionsShown();
    if (shown.empty()) return;
    const int lineHeight = fontMetrics().height();
    const int right = width() - Margin;
    int line = 0;
    const auto entry = [&](const QColor& colour, const QString& name) {
        const int baseline = Margin + lineHeight * ++line;
        const int textLeft = right - fontMetrics().horizontalAdvance(name);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(QPointF(textLeft - 2 * PointSize - 4, baseline - lineHeight / 3.0),
                      2 * PointSize, 2 * PointSize);
        p.setBrush(Qt::NoBrush);
        p.setPen(Qt::black);
        p.drawText(textLeft, baseline, name);
    };
    for (RtkFix solution : shown) entry(ColourOf(solution), RtkFixText(solution));
    entry(PlainColour, "other fixes");
}

void TScatterView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 2 * Margin;
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double scale = side / (2 * Range());  // pixels per metre
    p.setPen(QColor(220, 220, 220));
    p.drawLine(QPointF(centre.x() - side / 2.0, centre.y()),
               QPointF(centre.x() + side / 2.0, centre.y()));
    p.drawLine(QPointF(centre.x(), centre.y() - side / 2.0),
               QPointF(centre.x(), centre.y() + side / 2.0));
    p.setPen(Qt::NoPen);
    for (const ScatterPoint& pt : FReport.Points) {
        p.setBrush(ColourOf(pt.Solution));
        p.drawEllipse(QPointF(centre.x() + pt.East * scale, centre.y() - pt.North * scale),
                      PointSize, PointSize);
    }
    p.setBrush(Qt::NoBrush);
    DrawLegend(p);
    const struct {
        double Radius;
        QColor Colour;
        const char* Name;
    } circles[] = {{FReport.Cep50, Cep50Colour, "CEP50"},
                   {FReport.Cep95, Cep95Colour, "CEP95"},
                   {FReport.Drms2, DrmsColour, "2DRMS"}};
    int line = 0;
    const int lineHeight = fontMetrics().height();
    for (const auto& c : circles) {
        p.setPen(QPen(c.Colour, 1.5));
        p.drawEllipse(centre, c.Radius * scale, c.Radius * scale);
        p.drawText(Margin, Margin + lineHeight * ++line,
                   QString("%1 %2 m").arg(c.Name).arg(c.Radius, 0, 'f', 2));
    }
    p.setPen(Qt::black);
    p.drawText(Margin, Margin + lineHeight * ++line,
               QString("vertical 95% %1 m").arg(FReport.Vertical95, 0, 'f', 2));
    p.drawText(Margin, height() - Margin,
               QString("%1 fixes, %2 s; scale: %3 m to the edge")
                   .arg(FReport.Samples)
                   .arg(FReport.DurationSeconds, 0, 'f', 0)
                   .arg(Range(), 0, 'f', 1));
}

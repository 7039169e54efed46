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
    p.setBrush(QColor(30, 60, 160));
    for (const ScatterPoint& pt : FReport.Points)
        p.drawEllipse(QPointF(centre.x() + pt.East * scale, centre.y() - pt.North * scale),
                      PointSize, PointSize);
    p.setBrush(Qt::NoBrush);
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

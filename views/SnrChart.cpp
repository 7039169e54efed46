#include "views/SnrChart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

TSnrChart::TSnrChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    FBars.reserve(16);
}

void TSnrChart::Clear() {
    if (FBars.empty() && FGroups.empty()) return;
    FBars.clear();
    FGroups.clear();
    update();
}

void TSnrChart::SetGroups(std::vector<SnrGroup> groups) {
    FGroups = std::move(groups);
    update();
}

bool TSnrChart::Fits(const QString& text) const {
    return FGroups.empty() || fontMetrics().horizontalAdvance(text) <= CurrentScale().Step;
}

bool TSnrChart::LabelsFit() const {
    return std::all_of(FBars.begin(), FBars.end(),
                       [this](const SnrBar& bar) { return Fits(bar.Label); });
}

bool TSnrChart::ValuesFit() const {
    return std::all_of(FBars.begin(), FBars.end(),
                       [this](const SnrBar& bar) { return Fits(QString::number(bar.Y)); });
}

void TSnrChart::Add(double x, int y, const QString& label, const QColor& color) {
    FBars.push_back({x, y, label, color});
    update();
}

TSnrChart::Scale TSnrChart::CurrentScale() const {
    const int line = fontMetrics().height();
    Scale s{0, 1, double(height() - line), 0};
    if (FBars.empty()) return s;
    const auto [lo, hi] = std::minmax_element(
        FBars.begin(), FBars.end(), [](const SnrBar& a, const SnrBar& b) { return a.X < b.X; });
    const int maxY =
        std::max_element(FBars.begin(), FBars.end(), [](const SnrBar& a, const SnrBar& b) {
            return a.Y < b.Y;
        })->Y;
    s.MinX = lo->X;
    s.Step = width() / (hi->X - lo->X + 1);
    s.PixelsPerUnit = maxY > 0 ? (s.Bottom - line) / maxY : 0;
    return s;
}

QRect TSnrChart::BarRect(size_t i) const {
    const Scale s = CurrentScale();
    const SnrBar& bar = FBars.at(i);
    const double centre = (bar.X - s.MinX + 0.5) * s.Step;
    const double half = s.Step * BarWidthShare / 2;
    const int top = static_cast<int>(std::lround(s.Bottom - bar.Y * s.PixelsPerUnit));
    return QRect(
        QPoint(static_cast<int>(std::lround(centre - half)), top),
        QPoint(static_cast<int>(std::lround(centre + half)) - 1, static_cast<int>(s.Bottom) - 1));
}

void TSnrChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const Scale s = CurrentScale();
    const int line = fontMetrics().height();
    painter.setPen(Qt::black);
    painter.drawLine(0, static_cast<int>(s.Bottom), width() - 1, static_cast<int>(s.Bottom));
    const bool labelsFit = LabelsFit();
    const bool valuesFit = ValuesFit();
    for (size_t i = 0; i < FBars.size(); ++i) {
        const QRect bar = BarRect(i);
        const int slotLeft = static_cast<int>((FBars[i].X - s.MinX) * s.Step);
        const QRect column(slotLeft, 0, static_cast<int>(s.Step), height());
        painter.setPen(Qt::black);
        painter.setBrush(FBars[i].Color);
        painter.drawRect(bar.adjusted(0, 0, -1, 0));
        if (valuesFit)
            painter.drawText(QRect(column.left(), bar.top() - line, column.width(), line),
                             Qt::AlignHCenter | Qt::AlignBottom, QString::number(FBars[i].Y));
        if (labelsFit)
            painter.drawText(
                QRect(column.left(), static_cast<int>(s.Bottom) + 1, column.width(), line),
                Qt::AlignHCenter | Qt::AlignTop, FBars[i].Label);
    }
    if (!labelsFit) PaintGroups(painter, s);
}

// Each group's caption centred under its bars, between two ticks.
void TSnrChart::PaintGroups(QPainter& painter, const Scale& s) {
    const int line = fontMetrics().height();
    const int axis = static_cast<int>(s.Bottom);
    painter.setPen(Qt::black);
    for (const SnrGroup& g : FGroups) {
        const int left = static_cast<int>((g.FirstX - s.MinX) * s.Step);
        const int right = static_cast<int>((g.LastX - s.MinX + 1) * s.Step) - 1;
        painter.drawLine(left, axis, left, axis + line / 2);
        painter.drawLine(right, axis, right, axis + line / 2);
        const bool wide = fontMetrics().horizontalAdvance(g.Caption) <= right - left - 1;
        painter.drawText(QRect(left, axis + 1, right - left + 1, line),
                         Qt::AlignHCenter | Qt::AlignTop, wide ? g.Caption : g.ShortCaption);
    }
}

#include "views/HistoryView.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "views/SystemColors.h"

namespace {
constexpr double MaxSnr = 60;   // dB-Hz at the top
constexpr double MaxUsed = 40;  // satellites at the top of the used line
constexpr int Margin = 24;
constexpr uint32_t KeyPerSystem = 1000;
constexpr double MsPerSecond = 1000.0;
}  // namespace

THistoryView::THistoryView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 200);
    setAutoFillBackground(true);
    setPalette(QPalette(QColor(20, 20, 30)));
}

void THistoryView::Show(const std::vector<Epoch>& epochs, double from, double to,
                        const std::vector<Constellation>& systems) {
    FLines.clear();
    FUsed.clear();
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
        FUsed.emplace_back(t, e.UsedCount);
        for (const EpochSatellite& s : e.Satellites) {
            if (!systems.empty() &&
                std::find(systems.begin(), systems.end(), s.System) == systems.end())
                continue;
            Series& line = FLines[static_cast<uint32_t>(s.System) * KeyPerSystem + s.Prn];
            line.System = s.System;
            line.Points.emplace_back(t, s.Snr > 0 ? s.Snr : -1);
        }
    }
    update();
}

void THistoryView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plot(Margin, Margin / 2.0, width() - 1.5 * Margin, height() - 1.5 * Margin);
    auto x = [&](double t) { return plot.left() + (t - FFrom) / (FTo - FFrom) * plot.width(); };
    auto y = [&](double v, double top) { return plot.bottom() - v / top * plot.height(); };
    p.setPen(QColor(70, 70, 90));
    for (int db = 0; db <= MaxSnr; db += 10) {
        p.drawLine(QPointF(plot.left(), y(db, MaxSnr)), QPointF(plot.right(), y(db, MaxSnr)));
        p.drawText(QPointF(2, y(db, MaxSnr) + 4), QString::number(db));
    }
    for (const auto& [key, line] : FLines) {
        QPainterPath path;
        bool pen = false;
        for (const QPointF& pt : line.Points) {
            if (pt.y() < 0) {
                pen = false;
                continue;
            }
            const QPointF at(x(pt.x()), y(std::min(pt.y(), MaxSnr), MaxSnr));
            pen ? path.lineTo(at) : path.moveTo(at);
            pen = true;
        }
        p.setPen(QPen(SystemFill(line.System), 1));
        p.drawPath(path);
    }
    QPainterPath used;
    for (size_t i = 0; i < FUsed.size(); ++i) {
        const QPointF at(x(FUsed[i].x()), y(std::min(FUsed[i].y(), MaxUsed), MaxUsed));
        i == 0 ? used.moveTo(at) : used.lineTo(at);
    }
    p.setPen(QPen(Qt::yellow, 1.5, Qt::DashLine));
    p.drawPath(used);
    p.setPen(Qt::lightGray);
    p.drawText(QPointF(plot.left(), height() - 4),
               QString("C/N0 dB-Hz by satellite; dashed: satellites used (0-%1); %2 s shown")
                   .arg(MaxUsed)
                   .arg(FTo - FFrom, 0, 'f', 0));
}

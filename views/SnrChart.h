// A bar chart of signal-to-noise ratios: one bar per point at its X position,
// the value printed above the bar and the point's label below it. Both axes
// scale to the bars present; no legend, no grid, no left axis.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

struct SnrBar {
    double X;
    int Y;
    QString Label;
    QColor Color;
};

class TSnrChart : public QWidget {
    Q_OBJECT
  public:
    static constexpr double BarWidthShare = 0.6;  // of the space per X step

    explicit TSnrChart(QWidget* parent);

    void Clear();
    void Add(double x, int y, const QString& label, const QColor& color);
    // The bars as they stand (the series).
    const std::vector<SnrBar>& Bars() const { return FBars; }
    // Rectangle of bar i in widget coordinates, as painted.
    QRect BarRect(size_t i) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Scale {
        double MinX, Step, Bottom, PixelsPerUnit;
    };
    Scale CurrentScale() const;

    std::vector<SnrBar> FBars;
};

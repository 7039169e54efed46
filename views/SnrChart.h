// A bar chart of signal-to-noise ratios: one bar per point at its X position,
// the value printed above the bar and the point's label below it. Both axes
// scale to the bars present; no legend, no grid, no left axis.
#pragma once

#include <QColor>
#include <QPainter>
#include <QString>
#include <QWidget>
#include <vector>

struct SnrBar {
    double X;
    int Y;
    QString Label;
    QColor Color;
};

// A run of bars under one caption (the bars of one satellite system).
struct SnrGroup {
    double FirstX, LastX;
    QString Caption;       // drawn when it fits under the group
    QString ShortCaption;  // otherwise
};

class TSnrChart : public QWidget {
    Q_OBJECT
  public:
    static constexpr double BarWidthShare = 0.6;  // of the space per X step

    explicit TSnrChart(QWidget* parent);

    void Clear();
    void Add(double x, int y, const QString& label, const QColor& color);
    // With groups, the values are drawn above every bar or, when one is too
    // wide for its bar, above none; so are the labels below, and when they
    // are left out the group captions stand under the axis.
    void SetGroups(std::vector<SnrGroup> groups);
    const std::vector<SnrGroup>& Groups() const { return FGroups; }
    // Whether the bar labels are drawn (always without groups).
    bool LabelsFit() const;
    // Whether the values are drawn above the bars (always without groups).
    bool ValuesFit() const;
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
    bool Fits(const QString& text) const;
    void PaintGroups(QPainter& painter, const Scale& s);

    std::vector<SnrBar> FBars;
    std::vector<SnrGroup> FGroups;
};

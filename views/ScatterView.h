// The scatter of horizontal positions, in metres east and north of the
// centre, with the CEP50, CEP95 and 2DRMS circles and their figures.
#pragma once

#include <QWidget>
#include <vector>

#include "eval/Accuracy.h"

class QPainter;

class TScatterView : public QWidget {
    Q_OBJECT

  public:
    explicit TScatterView(QWidget* parent = nullptr);
    void Show(AccuracyReport report);
    const AccuracyReport& Report() const { return FReport; }
    // Metres from the centre to the edge of the plot.
    double Range() const;
    // The receiver's solutions (RTK fixed, float, DGNSS, DR) among the
    // points, each with its colour in the legend; empty when all are plain.
    std::vector<RtkFix> SolutionsShown() const;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    void DrawLegend(QPainter& p) const;

    AccuracyReport FReport;
};

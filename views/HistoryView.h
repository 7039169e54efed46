// Signal history for a window of the recording (the last 10 minutes unless
// scrolled back), in three strips over one time axis: the C/N0 of each
// satellite (one line per satellite, in its system's colour) with the counts
// of satellites used and in view; HDOP and PDOP; altitude and speed. A legend
// beside the strips names each satellite's line. Hovering a line names its
// satellite and C/N0 at that time; a click on a line or a legend entry (or a
// satellite chosen in another view) highlights its line.
#pragma once

#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "eval/Epoch.h"

class THistoryView : public QWidget {
    Q_OBJECT

  public:
    // The epochs drawn: their times (seconds) and satellites' C/N0.
    struct Series {
        std::vector<QPointF> Points;  // (seconds, dB-Hz); a gap where y < 0
        Constellation System = Constellation::Unknown;
    };
    // The solution over time: (seconds, value); a gap where y is NaN (no
    // dilution given, no position for altitude and speed).
    struct Solution {
        std::vector<QPointF> Used, InView, Hdop, Pdop, Altitude, Speed;
    };

    // A satellite chosen by system and number.
    struct SatelliteKey {
        Constellation System;
        uint16_t Prn;
        bool operator==(const SatelliteKey& o) const { return System == o.System && Prn == o.Prn; }
    };

    explicit THistoryView(QWidget* parent = nullptr);
    // Shows 'epochs' (oldest first), covering [from, to] seconds; only
    // satellites of the systems in 'systems' and, when 'satellites' names
    // any, only those (all when both are empty).
    void Show(const std::vector<Epoch>& epochs, double from, double to,
              const std::vector<Constellation>& systems = {},
              const std::vector<SatelliteKey>& satellites = {});
    // Satellites typed as system letter and number ("G5 R70, E11"); false
    // with the first word that is not one in 'wrong'.
    static bool SatellitesFromText(const std::string& text, std::vector<SatelliteKey>& out,
                                   std::string& wrong);
    const std::map<uint32_t, Series>& Lines() const { return FLines; }
    const Solution& Track() const { return FTrack; }

    // A satellite's value under a point of the widget.
    struct Hit {
        SatelliteKey Satellite;
        double Seconds;
        double Snr;
    };
    // The line within a few pixels of 'at' in the C/N0 strip, the nearest.
    std::optional<Hit> LineAt(QPointF at) const;
    // "G5: 42 dB-Hz at 12.0 s": what the tooltip over a line says.
    QString HitText(const Hit& hit) const;
    // Draws one satellite's line over the others, wider, the rest dimmed;
    // no value: every line alike.
    void Highlight(std::optional<SatelliteKey> satellite);
    std::optional<SatelliteKey> Highlighted() const { return FHighlighted; }
    // The legend's entries, one per line, in the order of Lines().
    std::vector<std::pair<SatelliteKey, QRect>> LegendEntries() const;
    // The C/N0 strip.
    QRectF SignalPlot() const;

  signals:
    // A satellite clicked in the legend or on its line.
    void SatelliteChosen(Constellation system, int prn);

  protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    struct Plots {
        QRectF Signal, Dop, Motion;
    };
    Plots Layout() const;
    int LegendColumns() const;
    void PaintLegend(QPainter& p) const;
    void AddSolution(const Epoch& e, double t);
    void PaintSignals(QPainter& p, const QRectF& plot) const;
    void PaintDops(QPainter& p, const QRectF& plot) const;
    void PaintMotion(QPainter& p, const QRectF& plot) const;
    double X(double t, const QRectF& plot) const;

    std::map<uint32_t, Series> FLines;  // by system * 1000 + number
    std::optional<SatelliteKey> FHighlighted;
    Solution FTrack;
    double FFrom = 0, FTo = 1;
};

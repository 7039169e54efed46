// Signal history for a window of the recording (the last 10 minutes unless
// scrolled back), in three strips over one time axis: the C/N0 of each
// satellite (one line per satellite, in its system's colour) with the counts
// of satellites used and in view; HDOP and PDOP; altitude and speed.
#pragma once

#include <QWidget>
#include <map>
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

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    void AddSolution(const Epoch& e, double t);
    void PaintSignals(QPainter& p, const QRectF& plot) const;
    void PaintDops(QPainter& p, const QRectF& plot) const;
    void PaintMotion(QPainter& p, const QRectF& plot) const;
    double X(double t, const QRectF& plot) const;

    std::map<uint32_t, Series> FLines;  // by system * 1000 + number
    Solution FTrack;
    double FFrom = 0, FTo = 1;
};

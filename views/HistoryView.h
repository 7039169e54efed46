// Signal history: the C/N0 of each satellite over time (one line per
// satellite, in its system's colour), with the count of satellites used, for
// a window of the recording (the last 10 minutes unless scrolled back).
#pragma once

#include <QWidget>
#include <map>
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

    explicit THistoryView(QWidget* parent = nullptr);
    // Shows 'epochs' (oldest first), covering [from, to] seconds; only
    // satellites of the systems in 'systems' (all when empty).
    void Show(const std::vector<Epoch>& epochs, double from, double to,
              const std::vector<Constellation>& systems = {});
    const std::map<uint32_t, Series>& Lines() const { return FLines; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    std::map<uint32_t, Series> FLines;  // by system * 1000 + number
    std::vector<QPointF> FUsed;         // (seconds, satellites used)
    double FFrom = 0, FTo = 1;
};

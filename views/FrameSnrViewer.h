// The signal chart: one bar per tracked satellite by table slot, its height
// the SNR, coloured by band, value above and PRN below.
#pragma once

#include <QFrame>
#include <cstdint>
#include <vector>

#include "nmea/NmeaManager.h"
#include "views/SnrChart.h"
#include "views/StaleVeil.h"

class TFSnrViewer : public QFrame {
    Q_OBJECT
  public:
    static constexpr unsigned MaxShownSnr = 60;

    TFSnrViewer(QWidget* parent, NMEA_Manager& store);

    void PlaceChart();
    void ClearBars();
    void AddSnrBar(uint32_t slot, uint8_t prn, uint8_t snr);
    void Refresh();
    // The bars of a receiver of several systems: grouped by system, each
    // labelled with its system letter and number.
    void ShowAllSystems(const std::vector<SkySatellite>& inView);
    // Marks the shown data old (link down, receiver silent) or fresh again.
    void SetStale(bool stale) { staleVeil->SetStale(stale); }
    bool Stale() const { return staleVeil->Stale(); }

    TSnrChart* snrChart;
    TStaleVeil* staleVeil;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    NMEA_Manager& FStore;
};

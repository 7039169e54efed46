#include "views/FrameSnrViewer.h"

#include <algorithm>
#include <mutex>

#include "shell/Config.h"
#include "views/SnrColors.h"

TFSnrViewer::TFSnrViewer(QWidget* parent, NMEA_Manager& store) : QFrame(parent), FStore(store) {
    snrChart = new TSnrChart(this);
    PlaceChart();
    ClearBars();
}

void TFSnrViewer::PlaceChart() {
    snrChart->setGeometry(0, 0, Config.UnitSize, Config.ChartHeight);
}

void TFSnrViewer::ClearBars() {
    snrChart->Clear();
}

void TFSnrViewer::AddSnrBar(uint32_t slot, uint8_t prn, uint8_t snr) {
    snrChart->Add(static_cast<double>(slot), snr, QString::number(prn), SnrBandColor(snr));
}

void TFSnrViewer::Refresh() {
    GsvSatellite satellites[GsvMaxSatellites];
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        std::copy(std::begin(FStore.Gsv.Satellites), std::end(FStore.Gsv.Satellites), satellites);
    }
    ClearBars();
    for (uint32_t j = 0; j < GsvMaxSatellites; ++j) {
        const GsvSatellite& sat = satellites[j];
        if (sat.Prn != 0 && sat.Snr >= 1 && sat.Snr <= MaxShownSnr) AddSnrBar(j, sat.Prn, sat.Snr);
    }
}

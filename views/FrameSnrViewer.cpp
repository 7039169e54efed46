#include "views/FrameSnrViewer.h"

#include <QResizeEvent>
#include <algorithm>
#include <mutex>

#include "views/Config.h"
#include "views/SkySnapshot.h"
#include "views/SnrColors.h"
#include "views/SystemColors.h"

TFSnrViewer::TFSnrViewer(QWidget* parent, NMEA_Manager& store) : QFrame(parent), FStore(store) {
    resize(Config.UnitSize, Config.ChartHeight);
    snrChart = new TSnrChart(this);
    PlaceChart();
    ClearBars();
    staleVeil = new TStaleVeil(this);
}

// The chart fills the view, whatever its size.
void TFSnrViewer::PlaceChart() {
    snrChart->setGeometry(rect());
}

void TFSnrViewer::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    PlaceChart();
}

void TFSnrViewer::ClearBars() {
    snrChart->Clear();
}

void TFSnrViewer::AddSnrBar(uint32_t slot, uint8_t prn, uint8_t snr) {
    snrChart->Add(static_cast<double>(slot), snr, QString::number(prn), SnrBandColor(snr));
}

void TFSnrViewer::Refresh() {
    GsvSatellite satellites[GsvMaxSatellites];
    SkySnapshot sky;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        std::copy(std::begin(FStore.Gsv.Satellites), std::end(FStore.Gsv.Satellites), satellites);
        sky.Take(FStore.Sky);
    }
    ClearBars();
    if (sky.Extended) {
        ShowAllSystems(sky.InView);
        return;
    }
    snrChart->setToolTip(QString());
    for (uint32_t j = 0; j < GsvMaxSatellites; ++j) {
        const GsvSatellite& sat = satellites[j];
        if (sat.Prn != 0 && sat.Snr >= 1 && sat.Snr <= MaxShownSnr) AddSnrBar(j, sat.Prn, sat.Snr);
    }
}

void TFSnrViewer::ShowAllSystems(const std::vector<SkySatellite>& inView) {
    std::vector<SnrGroup> groups;
    double x = 0;
    for (const SkySatellite& sat : inView) {
        if (sat.Snr < 1 || sat.Snr > MaxShownSnr) continue;
        const QString letter(QChar(ConstellationLetter(sat.System)));
        if (groups.empty() || groups.back().ShortCaption != letter) {
            if (!groups.empty()) x += 1;  // a gap between systems
            groups.push_back({x, x, ConstellationName(sat.System), letter});
        }
        groups.back().LastX = x;
        snrChart->Add(x, sat.Snr, SystemPrnText(sat.System, sat.Prn), SnrBandColor(sat.Snr));
        x += 1;
    }
    snrChart->SetGroups(std::move(groups));
    snrChart->setToolTip(SystemLegend());
}

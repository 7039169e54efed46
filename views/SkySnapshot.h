// The satellites of every system in view and used, copied from the store for
// one refresh of a view.
#pragma once

#include <vector>

#include "nmea/NmeaManager.h"

struct SkySnapshot {
    bool Extended = false;
    std::vector<SkySatellite> InView;
    std::vector<bool> Used;  // per satellite in view
    std::vector<UsedSatellite> UsedList;

    // Copies the extended table; the caller holds the store's lock.
    void Take(const SatelliteSky& sky) {
        Extended = sky.Extended();
        if (!Extended) return;
        InView.resize(SkyMaxSatellites);
        InView.resize(sky.Satellites(InView.data(), SkyMaxSatellites));
        Used.resize(InView.size());
        for (size_t i = 0; i < InView.size(); ++i)
            Used[i] = sky.Used(InView[i].System, InView[i].Prn);
        UsedList.resize(SkyMaxUsed);
        UsedList.resize(sky.UsedSatellites(UsedList.data(), SkyMaxUsed));
    }
};

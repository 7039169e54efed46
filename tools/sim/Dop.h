// Dilution of precision from the directions of the satellites used in a fix.
#pragma once

#include <vector>

struct DopValues {
    double Pdop = 99.99, Hdop = 99.99, Vdop = 99.99;
};

struct Direction {
    double Elevation = 0, Azimuth = 0;  // degrees
};

// The usual least-squares geometry (east, north, up, clock); 99.99 for each
// value when fewer than four satellites or a degenerate geometry.
DopValues ComputeDop(const std::vector<Direction>& used);

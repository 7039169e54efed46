// Placement of a satellite on the sky plot from its elevation and azimuth.
#pragma once

#include <cstdint>

namespace Sky {
constexpr int Side = 210;                  // plot side S
constexpr int Centre = Side / 2;           // C
constexpr int RingRadius = Side / 2 - 20;  // R
constexpr int MarkSize = 25;
constexpr int MarkOffset = 10;
constexpr int MarkLimit = Side - MarkSize;                // largest accepted left or top
constexpr int TopClampBelow = 25;                         // tops above this snap to the plot's edge
constexpr double DegreesToRadians = 0.01745277777777778;  // 3.1415 / 180
}  // namespace Sky

struct SkyPixel {
    int Left = 0;
    int Top = 0;
    bool Ok = false;
};

// Top-left corner of a satellite's mark. The radius shrinks with the cosine
// of the elevation (a projection onto the ground plane); north is up.
SkyPixel SkyToPixel(int elevation, int azimuth);

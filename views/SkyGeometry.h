// Placement of a satellite on the sky plot from its elevation and azimuth,
// for the plot's default side and for any other side it is drawn at.
#pragma once

#include <cstdint>

namespace Sky {
constexpr int Side = 210;                  // plot side S
constexpr int Centre = Side / 2;           // C
constexpr int RingRadius = Side / 2 - 20;  // R
constexpr int MarkSize = 25;
constexpr int MarkOffset = 10;
constexpr int MarkLimit = Side - MarkSize;                // largest accepted left or top
constexpr double DegreesToRadians = 0.01745277777777778;  // 3.1415 / 180

// A length of the default plot at a plot of 'side' pixels; exact at Side.
constexpr int Scaled(int length, int side) {
    return length * side / Side;
}
}  // namespace Sky

struct SkyPixel {
    int Left = 0;
    int Top = 0;
    bool Ok = false;
};

// Top-left corner of a satellite's mark on a plot of 'side' pixels. The
// radius shrinks with the cosine of the elevation (a projection onto the
// ground plane); north is up. Every satellite stands at its own place, low
// northern ones too (their marks reach up to the plot's edge).
SkyPixel SkyToPixel(int elevation, int azimuth, int side = Sky::Side);

#include "views/SkyGeometry.h"

#include <cmath>

SkyPixel SkyToPixel(int elevation, int azimuth, int side) {
    using namespace Sky;
    const int radius = Scaled(RingRadius, side);
    const int offset = Scaled(MarkOffset, side);
    const int limit = side - Scaled(MarkSize, side);
    const double rc = std::cos(elevation * DegreesToRadians) * radius;
    SkyPixel p;
    p.Left =
        radius + static_cast<int>(std::trunc(rc * std::sin(azimuth * DegreesToRadians))) + offset;
    p.Top =
        radius - static_cast<int>(std::trunc(rc * std::cos(azimuth * DegreesToRadians))) + offset;
    p.Ok = static_cast<unsigned>(p.Left) <= static_cast<unsigned>(limit) &&
           static_cast<unsigned>(p.Top) <= static_cast<unsigned>(limit);
    return p;
}

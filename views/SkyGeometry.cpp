#include "views/SkyGeometry.h"

#include <cmath>

SkyPixel SkyToPixel(int elevation, int azimuth) {
    using namespace Sky;
    const double rc = std::cos(elevation * DegreesToRadians) * RingRadius;
    SkyPixel p;
    p.Left = RingRadius + static_cast<int>(std::trunc(rc * std::sin(azimuth * DegreesToRadians))) +
             MarkOffset;
    p.Top = RingRadius - static_cast<int>(std::trunc(rc * std::cos(azimuth * DegreesToRadians))) +
            MarkOffset;
    if (static_cast<unsigned>(p.Left) > static_cast<unsigned>(MarkLimit) ||
        static_cast<unsigned>(p.Top) > static_cast<unsigned>(MarkLimit))
        return p;
    if (p.Top < TopClampBelow) p.Top = 0;
    p.Ok = true;
    return p;
}

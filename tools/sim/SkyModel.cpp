#include "tools/sim/SkyModel.h"

#include <cmath>

namespace {

constexpr double Pi = 3.141592653589793;
constexpr double TwoPi = 2 * Pi;
constexpr double DegToRad = Pi / 180;
constexpr double EarthRadiusKm = 6371.0;
constexpr double EarthRotation = 7.2921159e-5;  // rad/s
constexpr double ObstructedShare = 0.12;
constexpr double SnrSpread = 3.0;

struct Vec3 {
    double X, Y, Z;
};

Vec3 SatellitePosition(const SatelliteOrbit& o, double t) {
    const double u = o.Phase + TwoPi * std::fmod(t / o.PeriodS, 1.0);
    const double node = o.Node - EarthRotation * std::fmod(t, 86164.0905);
    const double xo = o.RadiusKm * std::cos(u);
    const double yo = o.RadiusKm * std::sin(u);
    const double ci = std::cos(o.Inclination), si = std::sin(o.Inclination);
    return {xo * std::cos(node) - yo * ci * std::sin(node),
            xo * std::sin(node) + yo * ci * std::cos(node), yo * si};
}

}  // namespace

SkyModel::SkyModel(SimRandom& random, bool multi) {
    AddConstellation(random, Gnss::Gps, 6, 5, 1, 26560, 43082, 55);
    if (!multi) return;
    AddConstellation(random, Gnss::Glonass, 3, 8, 65, 25510, 40544, 64.8);
    AddConstellation(random, Gnss::Galileo, 3, 8, 1, 29600, 50680, 56);
    AddConstellation(random, Gnss::BeiDou, 3, 8, 19, 27906, 46400, 55);
}

void SkyModel::AddConstellation(SimRandom& random, Gnss system, int planes, int perPlane,
                                int firstPrn, double radiusKm, double periodS,
                                double inclinationDeg) {
    const double nodeOffset = random.Between(0, TwoPi);
    int prn = firstPrn;
    for (int p = 0; p < planes; ++p) {
        const double planePhase = random.Between(0, TwoPi);
        for (int k = 0; k < perPlane; ++k) {
            SatelliteOrbit o;
            o.System = system;
            o.Prn = prn++;
            o.RadiusKm = radiusKm;
            o.PeriodS = periodS;
            o.Inclination = inclinationDeg * DegToRad;
            o.Node = nodeOffset + TwoPi * p / planes;
            o.Phase = planePhase + TwoPi * k / perPlane + random.Between(-0.15, 0.15);
            o.SnrOffset = random.Between(-SnrSpread, SnrSpread);
            o.Obstructed = random.Chance(ObstructedShare);
            FOrbits.push_back(o);
        }
    }
}

std::vector<SatelliteDirection> SkyModel::Visible(double t, double latDeg, double lonDeg,
                                                  double altM) const {
    const double lat = latDeg * DegToRad, lon = lonDeg * DegToRad;
    const double r = EarthRadiusKm + altM / 1000.0;
    const double sl = std::sin(lat), cl = std::cos(lat), so = std::sin(lon), co = std::cos(lon);
    const Vec3 me{r * cl * co, r * cl * so, r * sl};
    std::vector<SatelliteDirection> visible;
    for (size_t i = 0; i < FOrbits.size(); ++i) {
        const Vec3 s = SatellitePosition(FOrbits[i], t);
        const double dx = s.X - me.X, dy = s.Y - me.Y, dz = s.Z - me.Z;
        const double east = -so * dx + co * dy;
        const double north = -sl * co * dx - sl * so * dy + cl * dz;
        const double up = cl * co * dx + cl * so * dy + sl * dz;
        const double elevation = std::atan2(up, std::hypot(east, north)) / DegToRad;
        if (elevation <= 0) continue;
        double azimuth = std::atan2(east, north) / DegToRad;
        if (azimuth < 0) azimuth += 360;
        visible.push_back({static_cast<int>(i), elevation, azimuth});
    }
    return visible;
}

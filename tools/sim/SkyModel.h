// The satellites: circular orbits of the GPS, GLONASS, Galileo and BeiDou
// (medium orbit) constellations, and their elevation and azimuth seen from a
// place on the earth at a time. They rise and set as real ones do.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/sim/SimRandom.h"

enum class Gnss : uint8_t { Gps, Glonass, Galileo, BeiDou };
constexpr int GnssCount = 4;

struct SatelliteOrbit {
    Gnss System = Gnss::Gps;
    int Prn = 0;  // as the receiver numbers it in NMEA
    double RadiusKm = 0;
    double PeriodS = 0;
    double Inclination = 0;   // radians
    double Node = 0;          // right ascension of the ascending node at time 0, radians
    double Phase = 0;         // argument of latitude at time 0, radians
    double SnrOffset = 0;     // this satellite's signal, dB above or below the usual
    bool Obstructed = false;  // hidden behind something: seen in the almanac, never tracked
};

struct SatelliteDirection {
    int Index = 0;         // into Orbits()
    double Elevation = 0;  // degrees
    double Azimuth = 0;    // degrees, 0 to 360
};

class SkyModel {
  public:
    // The GPS constellation, and with `multi` the other three as well.
    SkyModel(SimRandom& random, bool multi);

    const std::vector<SatelliteOrbit>& Orbits() const { return FOrbits; }
    // Satellites above the horizon, in orbit order (constellation, then PRN).
    std::vector<SatelliteDirection> Visible(double unixSeconds, double latDeg, double lonDeg,
                                            double altM) const;

  private:
    void AddConstellation(SimRandom& random, Gnss system, int planes, int perPlane, int firstPrn,
                          double radiusKm, double periodS, double inclinationDeg);

    std::vector<SatelliteOrbit> FOrbits;
};

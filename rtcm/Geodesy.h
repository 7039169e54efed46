// WGS-84 geodesy for the reference station: earth-centred, earth-fixed
// coordinates to latitude, longitude and ellipsoidal height and back, and the
// straight-line distance between two points (the baseline).
#pragma once

struct Ecef {
    double X = 0, Y = 0, Z = 0;  // metres
};

struct Geodetic {
    double Latitude = 0;   // degrees, north positive
    double Longitude = 0;  // degrees, east positive
    double Height = 0;     // metres above the ellipsoid
};

// Exact to well under a millimetre anywhere near the earth's surface (a few
// fixed-point steps on the latitude).
Geodetic GeodeticOf(const Ecef& point);
Ecef EcefOf(const Geodetic& point);
double Distance(const Ecef& a, const Ecef& b);

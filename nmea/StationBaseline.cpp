#include "nmea/StationBaseline.h"

#include "nmea/NmeaManager.h"

Ecef StationEcef(const RtcmStation& station) {
    return {station.X * RtcmStationUnit, station.Y * RtcmStationUnit, station.Z * RtcmStationUnit};
}

bool ReceiverPosition(const NMEA_Manager& store, Geodetic& out) {
    const NMEA_GGA_Object& gga = store.Gga;
    // A store that never had a GGA holds zero coordinates with quality 1.
    const bool heard = gga.Exact.Latitude.MinuteUnits != 0 || gga.Exact.Longitude.MinuteUnits != 0;
    if (gga.Message.Spc.FixQuality == 0 || !heard) return false;
    out.Latitude = ToDouble(gga.Exact.Latitude);
    out.Longitude = ToDouble(gga.Exact.Longitude);
    out.Height = ToDouble(gga.Exact.Altitude) + ToDouble(gga.Exact.GeoidSeparation);
    return true;
}

bool StationBaseline(const NMEA_Manager& store, double& metres) {
    Geodetic receiver;
    if (!store.Rtcm.Latest.HasStation || !ReceiverPosition(store, receiver)) return false;
    metres = Distance(StationEcef(store.Rtcm.Latest.Station), EcefOf(receiver));
    return true;
}

#include "nmea/GPSUtils.h"

void ClearSatellites(NMEA_GSV_Object& gsv) {
    gsv = NMEA_GSV_Object{};
}

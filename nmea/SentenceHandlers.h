// Sentence handlers: each decodes the current sentence field by field into its
// record, overwriting members in place. A member is written only after its
// decoder succeeded; a failure leaves the members decoded so far stored.
#pragma once

#include <string_view>

#include "nmea/GPSUtils.h"

bool ParseGGA(std::string_view sentence, NMEA_GGA_Object& gga);
bool ParseGLL(std::string_view sentence, NMEA_GLL_Object& gll);
bool ParseGSA(std::string_view sentence, NMEA_GSA_Object& gsa);
bool ParseRMC(std::string_view sentence, NMEA_RMC_Object& rmc);
bool ParseVTG(std::string_view sentence, NMEA_VTG_Object& vtg);
// True exactly when this page completed a set of satellites in view.
bool ParseGSV(std::string_view sentence, NMEA_GSV_Object& gsv);

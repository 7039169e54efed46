#include "link/GpsConfig.h"

GPSConfig* GpsConfig = nullptr;

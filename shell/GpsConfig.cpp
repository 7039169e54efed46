#include "shell/GpsConfig.h"

GPSConfig* GpsConfig = nullptr;

// The monitor's long-lived parts, made once at start in main() (and by each
// window test for itself) and handed to the window, the panels and the tools
// through their constructors: the receiver-state store, the shared
// configuration, the port (or the link opened in its place) and the
// connection, which runs the detection, close, reader and command threads
// over them. The connection is declared last, so it ends its threads before
// the port and the store go.
#pragma once

#include "link/Connection.h"
#include "link/GpsConfig.h"
#include "nmea/NmeaManager.h"
#include "serial/YComPort.h"

class Monitor {
  public:
    Monitor() = default;
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    NMEA_Manager NmeaManager;
    GPSConfig GpsConfig;
    YComPort ComPort;
    Connection Link{GpsConfig, &ComPort};
};

// The RTCM 3 corrections a link carried: a table of the messages (number,
// name, count, frames per second, seconds since the last one), the
// reference station (its position, antenna and receiver, and the baseline
// to the receiver's own position) and, per system, the satellites the
// latest MSM corrects. It copies what it shows from the store under the
// store's lock and fills its widgets after releasing it.
#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;
class NMEA_Manager;

class TRtcmView : public QWidget {
    Q_OBJECT

  public:
    explicit TRtcmView(NMEA_Manager& store, QWidget* parent = nullptr);

    // Shows the store as it is; ages are taken at 'nowS' on the clock the
    // reader times the frames by (TNmeaFetch::ArrivalClockS).
    void Refresh(double nowS);
    void Refresh();

    QTableWidget* messageTable = nullptr;    // number, name, count, rate, last
    QLabel* stationLabel = nullptr;          // position and baseline
    QLabel* descriptorLabel = nullptr;       // antenna and receiver
    QTableWidget* satelliteTable = nullptr;  // system, message, satellites, signals, cells
    QLabel* summaryLabel = nullptr;          // frames, unknown, proprietary, short, bad CRC

  private:
    NMEA_Manager& FStore;
};

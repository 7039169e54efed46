// Told when the receiver's cycle ends: the first sentence of a new UTC time
// has arrived, and the store still holds the finished cycle (that sentence is
// not yet handled). Called by whoever dispatches, under the store lock.
#pragma once

class NMEA_Manager;

class EpochSink {
  public:
    virtual ~EpochSink() = default;
    virtual void CycleEnded(const NMEA_Manager& store) = 0;
};

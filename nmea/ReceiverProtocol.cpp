#include "nmea/ReceiverProtocol.h"

ReceiverProtocol KnownProtocol(const NMEA_Manager& store) {
    if (store.Ubx.Frames > 0) return ReceiverProtocol::Ubx;
    const uint64_t own = store.ValidSentences - store.Ubx.FedSentences;
    return own >= NmeaOnlySentences ? ReceiverProtocol::Nmea : ReceiverProtocol::Unknown;
}

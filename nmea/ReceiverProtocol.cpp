#include "nmea/ReceiverProtocol.h"

ReceiverProtocol KnownProtocol(const NMEA_Manager& store) {
    if (store.Ubx.Frames > 0) return ReceiverProtocol::Ubx;
    return store.ValidSentences >= NmeaOnlySentences ? ReceiverProtocol::Nmea
                                                     : ReceiverProtocol::Unknown;
}

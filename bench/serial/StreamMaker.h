// The receiver's side of the intake benchmark: a stream of valid NMEA
// sentences, epoch after epoch, with where each sentence's CR lies.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct NmeaStream {
    std::string Bytes;               // every sentence followed by CR LF
    std::vector<std::string> Texts;  // each sentence with its CR, as the reader frames it
    std::vector<size_t> CrOffsets;   // offset of each sentence's CR in Bytes
};

// Epochs of GGA, GLL, GSA, three GSV pages, RMC and VTG, 10 per second of
// receiver time, until at least `size` bytes.
NmeaStream MakeNmeaStream(size_t size);

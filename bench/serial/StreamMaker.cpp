#include "bench/serial/StreamMaker.h"

#include <cstdio>

namespace {

std::string WithChecksum(const std::string& body) {
    unsigned sum = 0;
    for (unsigned char c : body) sum ^= c;
    char digits[4];
    std::snprintf(digits, sizeof digits, "*%02X", sum & 0xFF);
    return "$" + body + digits;
}

// hhmmss.ss of epoch `n` at 10 epochs per second.
std::string EpochTime(size_t n) {
    const size_t tenths = n % (24 * 3600 * 10);
    char text[16];
    std::snprintf(text, sizeof text, "%02zu%02zu%02zu.%02zu", tenths / 36000, tenths / 600 % 60,
                  tenths / 10 % 60, tenths % 10 * 10);
    return text;
}

std::vector<std::string> Epoch(size_t n) {
    const std::string t = EpochTime(n);
    char lat[16], lon[16];
    std::snprintf(lat, sizeof lat, "4807.%04zu", n % 10000);
    std::snprintf(lon, sizeof lon, "01131.%04zu", (n * 7) % 10000);
    return {
        WithChecksum("GPGGA," + t + "," + lat + ",N," + lon + ",E,1,08,0.9,545.4,M,46.9,M,,"),
        WithChecksum("GPGLL," + std::string(lat) + ",N," + lon + ",E," + t + ",A"),
        WithChecksum("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1"),
        WithChecksum("GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00"),
        WithChecksum("GPGSV,3,2,11,14,25,170,00,16,57,208,39,18,67,296,40,19,40,246,00"),
        WithChecksum("GPGSV,3,3,11,22,42,067,42,24,14,311,43,27,05,244,00"),
        WithChecksum("GPRMC," + t + ",A," + lat + ",N," + lon + ",E,22.4,84.4,230394,003.1,W"),
        WithChecksum("GPVTG,84.4,T,,M,22.4,N,41.5,K"),
    };
}

}  // namespace

NmeaStream MakeNmeaStream(size_t size) {
    NmeaStream stream;
    for (size_t n = 0; stream.Bytes.size() < size; ++n) {
        for (const std::string& sentence : Epoch(n)) {
            if (sentence.compare(sentence.size() - 3, 3, "*00") == 0) continue;  // taken as invalid
            stream.Bytes += sentence;
            stream.CrOffsets.push_back(stream.Bytes.size());
            stream.Bytes += "\r\n";
            stream.Texts.push_back(sentence + "\r");
        }
    }
    return stream;
}

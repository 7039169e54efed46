// Fuzzes what the links read from outside: the capture player cutting a
// file into pieces (every byte must go out as it stands) and the gpsd
// stream split into the receiver's bytes and the daemon's JSON objects (the
// same split wherever the reads cut it).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "serial/CapturePlayer.h"
#include "serial/LinkDeviceGpsd.h"

namespace {

void PlaysEveryByte(const std::string& capture) {
    CapturePlayer player(capture);
    player.Playback()->SetSpeed(PlaybackControl::AsFastAsPossible);
    std::string sent;
    uint8_t buffer[512];
    while (!capture.empty() && !player.Playback()->Snapshot().Ended) {
        const int n = player.Read(buffer, sizeof buffer, 0);
        if (n > 0) sent.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
    }
    if (sent != capture) __builtin_trap();
}

void SplitsTheSameAnywhere(const uint8_t* data, size_t size, size_t cut) {
    std::string whole, parts;
    std::vector<std::string> wholeObjects, partObjects;
    GpsdStreamSplitter once, twice;
    once.Split(data, size, whole, wholeObjects);
    twice.Split(data, cut, parts, partObjects);
    twice.Split(data + cut, size - cut, parts, partObjects);
    if (whole != parts || wholeObjects != partObjects || whole.size() > size) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PlaysEveryByte(std::string(reinterpret_cast<const char*>(data), size));
    if (size > 0) SplitsTheSameAnywhere(data + 1, size - 1, data[0] % size);
    return 0;
}

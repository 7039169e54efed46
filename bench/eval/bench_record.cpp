// The recording's cost: memory for 24 hours at 10 Hz with 40 satellites in
// view, and the time the reader spends per epoch (taking the finished cycle
// from the store and packing it).
//   bench_record [EPOCHS]   (default 864000: 24 hours at 10 Hz)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "eval/EpochRecorder.h"
#include "nmea/Dispatch.h"
#include "nmea/NmeaManager.h"

namespace {

constexpr int SatellitesPerSystem = 10;
const char* const SystemTalkers[] = {"GP", "GL", "GA", "GB"};  // 4 x 10 = 40 in view

std::string WithChecksum(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

// A store holding one cycle of a receiver of four systems: GGA, RMC, a GSA
// per system and 40 satellites in view.
void FillStore(NMEA_Manager& store) {
    auto send = [&](const std::string& body) {
        DispatchSentence(WithChecksum(body), store, nullptr);
    };
    send("GNGGA,120000.00,4807.0380123,N,01131.0001234,E,1,32,0.8,545.4,M,46.9,M,,");
    send("GNRMC,120000.00,A,4807.0380123,N,01131.0001234,E,0.02,12.3,091226,,,A");
    for (int s = 0; s < 4; ++s) {
        const int base = s == 0 ? 1 : s == 1 ? 65 : 1;
        std::string gsa = "GNGSA,A,3";
        for (int i = 0; i < 12; ++i)
            gsa += i < 8 ? "," + std::to_string(base + i) : std::string(",");
        send(gsa + ",1.5,0.8,1.2," + std::to_string(s + 1));
        for (int page = 0; page < 3; ++page) {
            std::string gsv = std::string(SystemTalkers[s]) + "GSV,3," + std::to_string(page + 1) +
                              "," + std::to_string(SatellitesPerSystem);
            for (int k = 0; k < 4 && page * 4 + k < SatellitesPerSystem; ++k) {
                const int n = page * 4 + k;
                gsv += "," + std::to_string(base + n) + "," + std::to_string(10 + n * 7) + "," +
                       std::to_string(n * 33 % 360) + "," + std::to_string(25 + n);
            }
            send(gsv);
        }
    }
    send("GNGGA,120000.10,4807.0380123,N,01131.0001234,E,1,32,0.8,545.4,M,46.9,M,,");
}

}  // namespace

int main(int argc, char** argv) {
    const size_t epochs = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 864000;
    NMEA_Manager store;
    FillStore(store);
    uint32_t hostMs = 0;
    EpochRecorder recorder(epochs, [&] { return hostMs; });
    const Epoch sample = EpochOfStore(store);
    const auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < epochs; ++i) {
        hostMs += 100;
        recorder.CycleEnded(store);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double mb = recorder.MemoryBytes() / 1e6;
    std::printf("epochs recorded        %zu (satellites in view each: %d)\n", recorder.Size(),
                sample.InViewCount);
    std::printf("memory                 %.1f MB (%.1f bytes per epoch)\n", mb,
                recorder.MemoryBytes() / static_cast<double>(recorder.Size()));
    std::printf("recording per epoch    %.3f us (store to packed epoch)\n",
                seconds * 1e6 / static_cast<double>(epochs));
    size_t visited = 0;
    const auto read = std::chrono::steady_clock::now();
    recorder.ForEach(0, recorder.Size(), [&](const Epoch&) { ++visited; });
    const double readSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - read).count();
    std::printf("reading every epoch    %.3f us per epoch (%zu)\n",
                readSeconds * 1e6 / static_cast<double>(visited), visited);
    return sample.InViewCount == 40 ? 0 : 1;
}

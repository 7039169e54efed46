// The evaluation window with 24 hours at 10 Hz recorded (40 satellites each):
// how long one refresh of the signal history and of the accuracy scatter
// takes, each followed by the paint it causes, while a second of new epochs
// arrives between refreshes.
//   QT_QPA_PLATFORM=offscreen bench_evaluation [EPOCHS] [REFRESHES]
#include <QApplication>
#include <QTabWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "control/EvaluationWindow.h"
#include "eval/Accuracy.h"
#include "eval/EpochRecorder.h"
#include "nmea/NmeaManager.h"

namespace {

constexpr int Satellites = 40;
constexpr uint32_t EpochMs = 100;

Epoch Synthetic(uint32_t i, std::mt19937& random) {
    std::normal_distribution<double> metres(0, 2);
    Epoch e;
    e.HostMs = i * EpochMs;
    e.UtcMs = e.HostMs % 86400000;
    e.Date = (26u << 16) | (12u << 8) | 9u;
    e.Fix = EpochFix::Fix3D;
    e.HasPosition = e.HasAltitude = true;
    e.Latitude = 48.1 + metres(random) / 111200;
    e.Longitude = 11.5 + metres(random) / 74000;
    e.Altitude = 520 + metres(random);
    e.UsedCount = 24;
    e.InViewCount = Satellites;
    for (int s = 0; s < Satellites; ++s)
        e.Satellites.push_back(
            {static_cast<Constellation>(s / 10 * 2 % 8), static_cast<uint16_t>(s % 10 + 1),
             static_cast<uint8_t>(30 + (i / 600 + s) % 20), static_cast<int8_t>(10 + s),
             static_cast<int16_t>(s * 9), true, s % 2 == 0});
    return e;
}


}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const uint32_t epochs = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 864000;
    const int refreshes = argc > 2 ? std::atoi(argv[2]) : 100;
    NMEA_Manager store;
    EpochRecorder recording;
    std::mt19937 random(3);
    for (uint32_t i = 0; i < epochs; ++i) recording.Record(Synthetic(i, random));
    TEvaluationWindow window(store, recording, [](RestartKind) { return false; });
    window.resize(640, 560);
    window.show();
    app.processEvents();

    auto time = [&](int tab) {
        std::vector<double> ms;
        window.tabs->setCurrentIndex(tab);
        window.Refresh();  // the first refresh reads what was recorded before
        app.processEvents();
        uint32_t next = epochs + 1;
        for (int k = 0; k < refreshes; ++k) {
            {
                std::lock_guard<std::mutex> hold(store.Lock());
                for (int i = 0; i < 10; ++i) recording.Record(Synthetic(next++, random));
            }
            const auto start = std::chrono::steady_clock::now();
            window.Refresh();
            window.repaint();
            app.processEvents();
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
        return ms;
    };
    const auto history = time(2);
    const auto scatter = time(1);
    std::printf("epochs recorded            %zu (%.1f MB)\n", recording.Size(),
                recording.MemoryBytes() / 1e6);
    std::printf("signal history refresh     p50 %.2f ms, p99 %.2f ms (%d refreshes)\n",
                Percentile(history, 0.5), Percentile(history, 0.99), refreshes);
    std::printf("accuracy scatter refresh   p50 %.2f ms, p99 %.2f ms (%d refreshes)\n",
                Percentile(scatter, 0.5), Percentile(scatter, 0.99), refreshes);
    return 0;
}

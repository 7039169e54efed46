// Times one RefreshViews of the main window (position panel, signal chart,
// sky view) as the reader thread would request it while a real receiver
// capture is played into the store, and the repaint that follows it.
//
//   bench_refresh [CAPTURE] [PASSES]
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "link/GpsConfig.h"
#include "link/Monitor.h"
#include "nmea/Dispatch.h"
#include "shell/CaptureReplay.h"
#include "shell/MainForm.h"

namespace {

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

void Report(const char* what, const std::vector<double>& us) {
    std::printf("%-28s n=%zu  p50 %.3f ms  p99 %.3f ms  max %.3f ms\n", what, us.size(),
                Percentile(us, 0.5) / 1000, Percentile(us, 0.99) / 1000,
                Percentile(us, 1.0) / 1000);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    const std::string capture = argc > 1 ? argv[1] : LUMAROKUB_CORPUS_DIR "/mt3339.log";
    const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    QApplication app(argc, argv);
    QApplication::setFont(MonitorFont());
    Monitor parts;
    TMainForm window(parts);
    // As on a live link: the views are fresh, not washed as old.
    parts.GpsConfig.SetPortOpen(true);
    window.show();
    QApplication::processEvents();

    NMEA_Manager scratch;
    const ReplayResult replay = ReplayCapture(capture, scratch);
    if (!replay.Opened || replay.Sentences.empty()) {
        std::fprintf(stderr, "bench_refresh: cannot read %s\n", capture.c_str());
        return 2;
    }
    std::vector<double> refresh, repaint;
    QElapsedTimer clock;
    for (int pass = 0; pass < passes; ++pass) {
        for (const std::string& sentence : replay.Sentences) {
            DispatchResult result;
            {
                std::lock_guard<std::mutex> hold(parts.NmeaManager.Lock());
                result = DispatchSentence(sentence, parts.NmeaManager, nullptr);
            }
            if (!result.Refresh) continue;
            clock.start();
            window.RefreshViews();
            refresh.push_back(clock.nsecsElapsed() / 1000.0);
            QApplication::processEvents();
            repaint.push_back(clock.nsecsElapsed() / 1000.0);
        }
    }
    std::printf("capture %s, %zu sentences x %d passes\n", capture.c_str(), replay.Sentences.size(),
                passes);
    Report("RefreshViews", refresh);
    Report("RefreshViews + repaint", repaint);
    return 0;
}

// The monitor on a live link: the receiver simulator at 115200 baud and 10
// epochs a second on a pseudo-terminal, the real reader thread handing its
// console lines and refresh requests to the GUI thread of a real main window
// as the window wires it. Prints sentences sent and taken in (a
// pseudo-terminal never drops bytes, so loss shows as the simulator's line
// falling behind its schedule), the time of each hand-off (console append
// and RefreshViews) and how late a 10 ms GUI timer fires (responsiveness).
//
//   bench_gui_intake [SECONDS]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/GpsConfig.h"
#include "link/Monitor.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/Source.h"
#include "serial/YComPort.h"
#include "shell/MainForm.h"
#include "shell/QtUiDispatcher.h"
#include "tools/sim/ReceiverSimulator.h"
#include "views/FrameConsole.h"

namespace {

constexpr unsigned long LineRate = 115200;
constexpr double EpochsPerSecond = 10;
constexpr int ProbeIntervalMs = 10;
constexpr int SettleMs = 1500;

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

void Report(const char* what, const std::vector<double>& ms) {
    std::printf("%-30s n=%zu  p50 %.3f ms  p99 %.3f ms  max %.3f ms\n", what, ms.size(),
                Percentile(ms, 0.5), Percentile(ms, 0.99), Percentile(ms, 1.0));
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    return std::string(text);
}

void RunFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    QApplication app(argc, argv);
    QApplication::setFont(MonitorFont());
    QtUiDispatcher dispatcher;
    YThread::SetMainDispatcher(&dispatcher);
    Monitor parts;
    TMainForm window(parts);
    window.show();

    SimOptions options;
    options.Baud = LineRate;
    options.TimeScale = EpochsPerSecond;  // a 100 ms measurement period, real content
    ReceiverSimulator sim(options);
    std::string error;
    if (!sim.Open(error)) {
        std::fprintf(stderr, "bench_gui_intake: %s\n", error.c_str());
        return 2;
    }
    const Source port = Source::Device(sim.SlavePath());
    if (!parts.ComPort.OpenPort(port, LineRate)) {
        std::fprintf(stderr, "bench_gui_intake: cannot open %s\n", sim.SlavePath().c_str());
        return 2;
    }
    parts.GpsConfig.SetPort(port);
    parts.GpsConfig.BaudRate = static_cast<int32_t>(LineRate);
    parts.GpsConfig.SetPortOpen(true);

    std::vector<double> refreshMs;
    std::vector<std::string> takenText;  // reader thread only, read after it ended
    long valid = 0;
    // The window's own reader; its hand-offs to the GUI thread are timed.
    TNmeaFetch* reader = window.MakeNmeaFetch(false);
    reader->SetDisplayPacer([&](std::function<void()> handOff) {
        window.PaceDisplay([&refreshMs, handOff = std::move(handOff)] {
            QElapsedTimer clock;
            clock.start();
            handOff();
            refreshMs.push_back(clock.nsecsElapsed() / 1e6);
        });
    });
    reader->SetSentenceHook([&](std::string_view sentence, const DispatchResult& r) {
        takenText.emplace_back(Trimmed(sentence));
        if (r.Valid) ++valid;
    });
    reader->Start();
    reader->Resume();
    if (!sim.Start(error)) {
        std::fprintf(stderr, "bench_gui_intake: %s\n", error.c_str());
        return 2;
    }

    std::vector<double> lateMs;
    QElapsedTimer probeClock;
    QTimer probe;
    probe.setInterval(ProbeIntervalMs);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (probeClock.isValid())
            lateMs.push_back(probeClock.nsecsElapsed() / 1e6 - ProbeIntervalMs);
        probeClock.start();
    });
    probe.start();
    RunFor(seconds * 1000);
    sim.Stop();
    RunFor(SettleMs);  // the last sentences on the line
    probe.stop();

    reader->Terminate();
    while (!reader->Finished()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    reader->WaitFor();
    delete reader;
    parts.ComPort.ClosePort();
    YThread::SetMainDispatcher(nullptr);

    std::vector<std::string> sentText;
    for (const SentItem& item : sim.Sent())
        if (item.Type == SentItem::Sentence && !item.Garbled)
            sentText.emplace_back(Trimmed(item.Bytes));
    const long sent = static_cast<long>(sentText.size());
    const long taken = static_cast<long>(takenText.size());
    long intact = 0;
    for (size_t i = 0; i < std::min(sentText.size(), takenText.size()); ++i)
        intact += sentText[i] == takenText[i];
    const SimStatus status = sim.Status();
    std::printf("%d s at %lu baud, %.0f epochs/s: %lld epochs (%lld skipped, %lld dropped)\n",
                seconds, LineRate, EpochsPerSecond, static_cast<long long>(status.Epochs),
                static_cast<long long>(status.EpochsSkipped),
                static_cast<long long>(status.EpochsDropped));
    std::printf(
        "sentences sent %ld, taken in %ld, intact and in order %ld, lost %ld "
        "(checksum valid %ld: 00 counts as invalid); line at most %.1f ms behind its "
        "schedule\n",
        sent, taken, intact, sent - intact, valid, status.MaxLatenessMs);
    Report("hand-off (console and RefreshViews)", refreshMs);
    Report("GUI timer lateness (10 ms)", lateMs);
    return intact == sent && taken == sent ? 0 : 1;
}

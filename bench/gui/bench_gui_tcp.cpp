// The monitor on a fast tcp:// link: a server on 127.0.0.1 sends valid NMEA
// as fast as the socket takes it into the real reader thread of a real main
// window, wired as the window wires it: console lines and refresh requests
// handed to the GUI thread at most once a display frame. Prints the intake
// rate, the sentences lost or corrupted (as the reader saw them and as the
// store counted them), the hand-offs with the lines shown and not shown and
// their time on the GUI thread (console append and RefreshViews), and how
// late a 10 ms GUI timer fires (responsiveness).
//
//   bench_gui_tcp [MEGABYTES]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/link/LoopbackSender.h"
#include "bench/serial/StreamMaker.h"
#include "link/GpsConfig.h"
#include "link/Monitor.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/Source.h"
#include "serial/YComPort.h"
#include "shell/MainForm.h"
#include "shell/QtUiDispatcher.h"
#include "views/FrameConsole.h"

namespace {

constexpr size_t DefaultMegabytes = 20;
constexpr int ProbeIntervalMs = 10;
constexpr double Mega = 1e6;

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    const size_t megabytes =
        argc > 1 ? std::max(1ul, std::strtoul(argv[1], nullptr, 10)) : DefaultMegabytes;
    QApplication app(argc, argv);
    QApplication::setFont(MonitorFont());
    QtUiDispatcher dispatcher;
    YThread::SetMainDispatcher(&dispatcher);
    Monitor parts;
    TMainForm window(parts);
    window.show();

    const NmeaStream stream = MakeNmeaStream(megabytes * 1000000);
    Sender sender(stream.Bytes);
    const std::string url = "tcp://127.0.0.1:" + std::to_string(sender.Port());
    const Source port = Source::Link(url);
    if (!parts.ComPort.OpenPort(port, 0)) {
        std::fprintf(stderr, "bench_gui_tcp: %s\n", parts.ComPort.LastError().c_str());
        return 2;
    }
    parts.GpsConfig.SetPort(port);
    parts.GpsConfig.SetPortOpen(true);

    size_t next = 0, lost = 0, corrupted = 0;  // reader thread only until it ended
    std::atomic<bool> done{false};
    std::chrono::steady_clock::time_point last;
    uint64_t validBefore = 0;
    {
        std::lock_guard<std::mutex> hold(parts.NmeaManager.Lock());
        validBefore = parts.NmeaManager.ValidSentences;
    }
    // The window's own reader; the console and the pacer are wrapped to be
    // counted and timed, and pass everything on as the window does.
    TNmeaFetch* reader = window.MakeNmeaFetch(false);
    uint64_t linesShown = 0, linesNotShown = 0;
    std::vector<double> handOffMs;
    reader->SetConsole(
        [&](const std::vector<std::string>& lines, uint64_t notShown) {
            linesShown += lines.size();
            linesNotShown += notShown;
            window.FConsole->AppendSentences(lines, notShown);
        },
        TFConsole::LineLimit - 1);
    reader->SetDisplayPacer([&](std::function<void()> handOff) {
        window.PaceDisplay([&handOffMs, handOff = std::move(handOff)] {
            QElapsedTimer clock;
            clock.start();
            handOff();
            handOffMs.push_back(clock.nsecsElapsed() / 1e6);
        });
    });
    reader->SetSentenceHook([&](std::string_view sentence, const DispatchResult&) {
        size_t at = next;
        while (at < stream.Texts.size() && stream.Texts[at] != sentence) ++at;
        if (at == stream.Texts.size()) {
            ++corrupted;
            return;
        }
        lost += at - next;
        next = at + 1;
        if (next == stream.Texts.size()) {
            last = std::chrono::steady_clock::now();
            done = true;
        }
    });
    reader->Start();
    reader->Resume();

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
    while (!done && !parts.ComPort.DeviceGone())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    probe.stop();
    if (!done) last = std::chrono::steady_clock::now();

    reader->Terminate();
    while (!reader->Finished()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    reader->WaitFor();
    delete reader;
    parts.ComPort.ClosePort();
    YThread::SetMainDispatcher(nullptr);

    lost += stream.Texts.size() - next;
    uint64_t stored = 0;
    {
        std::lock_guard<std::mutex> hold(parts.NmeaManager.Lock());
        stored = parts.NmeaManager.ValidSentences - validBefore;
    }
    const double seconds = std::chrono::duration<double>(last - sender.Started()).count();
    std::printf(
        "%.1f MB, %zu sentences in %.2f s: %.2f MB/s, %.0f sentences/s; lost %zu, "
        "corrupted %zu\n",
        stream.Bytes.size() / Mega, stream.Texts.size(), seconds,
        stream.Bytes.size() / Mega / seconds, stream.Texts.size() / seconds, lost, corrupted);
    std::printf("store: %llu sound sentences counted of %zu sent\n",
                static_cast<unsigned long long>(stored), stream.Texts.size());
    std::printf(
        "display hand-offs: %zu, console lines shown %llu, not shown %llu; time on the GUI "
        "thread p50 %.3f ms p99 %.3f ms max %.3f ms\n",
        handOffMs.size(), static_cast<unsigned long long>(linesShown),
        static_cast<unsigned long long>(linesNotShown), Percentile(handOffMs, 0.5),
        Percentile(handOffMs, 0.99), Percentile(handOffMs, 1.0));
    std::printf("GUI timer lateness (10 ms): n=%zu p50 %.3f ms p99 %.3f ms max %.3f ms\n",
                lateMs.size(), Percentile(lateMs, 0.5), Percentile(lateMs, 0.99),
                Percentile(lateMs, 1.0));
    return lost == 0 && corrupted == 0 && stored == stream.Texts.size() ? 0 : 1;
}

// TCP intake benchmark: a server on 127.0.0.1 sends a stream of valid NMEA as
// fast as the socket takes it; the real reader thread reads it through a
// tcp:// link into the real store. Prints the rate from the first byte sent
// to the last sentence stored, and the sentences lost or corrupted.
//
// usage: bench_link_intake [--megabytes N] [--runs N]

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "bench/link/LoopbackSender.h"
#include "bench/serial/StreamMaker.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/Source.h"
#include "serial/YComPort.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t DefaultMegabytes = 200;
constexpr int DefaultRuns = 3;
constexpr double Mega = 1e6;

struct Figures {
    size_t Received = 0, Lost = 0, Corrupted = 0;
    double Seconds = 0;
};

Figures Run(const NmeaStream& stream) {
    Sender sender(stream.Bytes);
    YComPort port;
    const std::string url = "tcp://127.0.0.1:" + std::to_string(sender.Port());
    if (!port.OpenPort(Source::Link(url), 0)) {
        std::fprintf(stderr, "cannot open %s: %s\n", url.c_str(), port.LastError().c_str());
        std::exit(1);
    }
    NMEA_Manager store;
    Figures figures;
    std::atomic<bool> done{false};
    Clock::time_point last;
    size_t next = 0;
    TNmeaFetch reader(false, nullptr);
    reader.SetPort(&port);
    reader.SetStore(&store);
    reader.SetSentenceHook([&](std::string_view sentence, const DispatchResult&) {
        ++figures.Received;
        // The stream's next sentence, or a later one when some were lost.
        size_t at = next;
        while (at < stream.Texts.size() &&
               stream.Texts[at].compare(0, stream.Texts[at].size() - 1, sentence) != 0 &&
               stream.Texts[at] != sentence)
            ++at;
        if (at == stream.Texts.size()) {
            ++figures.Corrupted;
        } else {
            figures.Lost += at - next;
            next = at + 1;
        }
        if (next == stream.Texts.size()) {
            last = Clock::now();
            done = true;
        }
    });
    reader.Start();
    while (!done && !port.DeviceGone()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    reader.Terminate();
    reader.WaitFor();
    port.ClosePort();
    figures.Lost += stream.Texts.size() - next;
    if (!done) last = Clock::now();
    figures.Seconds = std::chrono::duration<double>(last - sender.Started()).count();
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    size_t megabytes = DefaultMegabytes;
    int runs = DefaultRuns;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--megabytes") == 0)
            megabytes = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    }
    const NmeaStream stream = MakeNmeaStream(megabytes * 1000000);
    std::printf("tcp:// intake, %zu sentences, %.1f MB per run\n", stream.Texts.size(),
                stream.Bytes.size() / Mega);
    for (int run = 1; run <= runs; ++run) {
        const Figures f = Run(stream);
        std::printf("run %d: %.1f MB/s, %.0f sentences/s, received %zu, lost %zu, corrupted %zu\n",
                    run, stream.Bytes.size() / Mega / f.Seconds, f.Received / f.Seconds, f.Received,
                    f.Lost, f.Corrupted);
    }
    return 0;
}

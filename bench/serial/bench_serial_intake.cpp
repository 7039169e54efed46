// Intake benchmark: a pseudo-terminal fed at a paced byte rate stands in for
// a receiver; the real reader thread reads it into the real store. Prints the
// sentences lost or corrupted, the latency from the write of each sentence's
// CR to the store holding its values, how late the paced writer fell behind
// its schedule (on a pseudo-terminal lateness is what a real adapter would
// lose), and the reader thread's CPU while the port is open and silent.
//
// usage: bench_serial_intake [--seconds N] [--silent-seconds N] [--baud N]...
#include <fcntl.h>
#include <pthread.h>
#include <pty.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/serial/StreamMaker.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/Source.h"
#include "serial/YComPort.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int DefaultSeconds = 60;
constexpr int DefaultSilentSeconds = 10;
constexpr uint32_t DefaultRates[] = {115200, 921600};
constexpr int BitsPerByte = 10;  // start, 8 data, stop
constexpr auto WriteTick = 1ms;  // the writer hands over what is due every millisecond
constexpr int LostSearchWindow = 64;

struct Options {
    int Seconds = DefaultSeconds;
    int SilentSeconds = DefaultSilentSeconds;
    std::vector<uint32_t> Rates;
};

struct Received {
    int64_t AtNs;
    std::string Text;
    bool Valid;
};

struct Figures {
    size_t Sent = 0, Received = 0, Lost = 0, Corrupted = 0, Invalid = 0;
    double P50Us = 0, P99Us = 0, MaxUs = 0;
    double MaxLagMs = 0;
    double MaxBlockedMs = 0;  // longest write(): the reader had let the line's buffer fill
    double LoadCpuPercent = 0, SilentCpuPercent = 0;
};

int64_t NowNs(Clock::time_point origin) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - origin).count();
}

double ThreadCpuMs(pthread_t thread) {
    clockid_t clock;
    timespec t{};
    if (pthread_getcpuclockid(thread, &clock) != 0 || clock_gettime(clock, &t) != 0) return 0;
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Percentile(std::vector<int64_t> values, double p) {
    if (values.empty()) return 0;
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(p * values.size()));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(index), values.end());
    return static_cast<double>(values[index]);
}

// Writes the stream at `bytesPerSecond`, noting when each CR was written and
// how far behind its schedule the writer ever was.
void PacedWrite(int master, const NmeaStream& stream, double bytesPerSecond,
                Clock::time_point origin, std::vector<int64_t>& crWrittenNs, Figures& f) {
    const Clock::time_point start = Clock::now();
    size_t sent = 0, nextCr = 0;
    auto tick = start;
    while (sent < stream.Bytes.size()) {
        tick += WriteTick;
        std::this_thread::sleep_until(tick);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const size_t due =
            std::min(stream.Bytes.size(), static_cast<size_t>(elapsed * bytesPerSecond));
        if (due <= sent) continue;
        const Clock::time_point before = Clock::now();
        const ssize_t n = write(master, stream.Bytes.data() + sent, due - sent);
        if (n <= 0) break;
        f.MaxBlockedMs =
            std::max(f.MaxBlockedMs,
                     std::chrono::duration<double, std::milli>(Clock::now() - before).count());
        sent += static_cast<size_t>(n);
        const int64_t at = NowNs(origin);
        while (nextCr < stream.CrOffsets.size() && stream.CrOffsets[nextCr] < sent)
            crWrittenNs[nextCr++] = at;
        // The last byte written was due at sent / rate after the start.
        const double lagMs =
            std::chrono::duration<double, std::milli>(Clock::now() - start).count() -
            1e3 * static_cast<double>(sent) / bytesPerSecond;
        f.MaxLagMs = std::max(f.MaxLagMs, lagMs);
    }
}

// Matches what the reader delivered against what was sent, in order.
void Compare(const NmeaStream& stream, const std::vector<Received>& received,
             const std::vector<int64_t>& crWrittenNs, Figures& f) {
    std::vector<int64_t> latencies;
    latencies.reserve(received.size());
    size_t next = 0;
    for (const Received& r : received) {
        f.Invalid += !r.Valid;
        size_t match = next;
        const size_t end = std::min(stream.Texts.size(), next + LostSearchWindow);
        while (match < end && stream.Texts[match] != r.Text) ++match;
        if (match == end) {
            ++f.Corrupted;
            continue;
        }
        f.Lost += match - next;
        latencies.push_back(r.AtNs - crWrittenNs[match]);
        next = match + 1;
    }
    f.Lost += stream.Texts.size() - next;
    f.P50Us = Percentile(latencies, 0.50) / 1e3;
    f.P99Us = Percentile(latencies, 0.99) / 1e3;
    f.MaxUs = latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end()) / 1e3;
}

bool RunRate(uint32_t baud, const Options& options, Figures& f) {
    int master = -1, slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return false;
    }
    close(slave);  // the port opens the slave path itself
    YComPort port;
    if (!port.OpenPort(Source::Device(name), baud)) {
        std::fprintf(stderr, "cannot open %s: %s\n", name, port.LastError().c_str());
        return false;
    }
    const double bytesPerSecond = static_cast<double>(baud) / BitsPerByte;
    const NmeaStream stream = MakeNmeaStream(static_cast<size_t>(bytesPerSecond * options.Seconds));
    f.Sent = stream.Texts.size();

    const Clock::time_point origin = Clock::now();
    NMEA_Manager store;
    std::vector<Received> received;
    received.reserve(stream.Texts.size());
    std::atomic<size_t> count{0};
    TNmeaFetch reader(false, nullptr);
    reader.SetPort(&port);
    reader.SetStore(&store);
    // Runs after the dispatch has released the store: its values are in.
    reader.SetSentenceHook([&](std::string_view text, const DispatchResult& result) {
        received.push_back({NowNs(origin), std::string(text), result.Valid});
        count.store(received.size(), std::memory_order_release);
    });
    reader.Start();

    std::vector<int64_t> crWrittenNs(stream.Texts.size(), 0);
    const double cpuStart = ThreadCpuMs(reader.NativeHandle());
    const Clock::time_point loadStart = Clock::now();
    PacedWrite(master, stream, bytesPerSecond, origin, crWrittenNs, f);
    const Clock::time_point drainLimit = Clock::now() + 2s;
    while (count.load(std::memory_order_acquire) < stream.Texts.size() && Clock::now() < drainLimit)
        std::this_thread::sleep_for(1ms);
    const double loadMs =
        std::chrono::duration<double, std::milli>(Clock::now() - loadStart).count();
    const double cpuLoaded = ThreadCpuMs(reader.NativeHandle());
    f.LoadCpuPercent = 100.0 * (cpuLoaded - cpuStart) / loadMs;

    std::this_thread::sleep_for(std::chrono::seconds(options.SilentSeconds));
    f.SilentCpuPercent =
        100.0 * (ThreadCpuMs(reader.NativeHandle()) - cpuLoaded) / (options.SilentSeconds * 1e3);

    reader.Terminate();
    reader.WaitFor();
    port.ClosePort();
    close(master);
    f.Received = received.size();
    Compare(stream, received, crWrittenNs, f);
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        const int value = std::atoi(argv[++i]);
        if (value <= 0) return false;
        if (arg == "--seconds")
            options.Seconds = value;
        else if (arg == "--silent-seconds")
            options.SilentSeconds = value;
        else if (arg == "--baud")
            options.Rates.push_back(static_cast<uint32_t>(value));
        else
            return false;
    }
    if (options.Rates.empty())
        options.Rates.assign(std::begin(DefaultRates), std::end(DefaultRates));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--seconds N] [--silent-seconds N] [--baud N]...\n",
                     argv[0]);
        return 2;
    }
    bool clean = true;
    for (uint32_t baud : options.Rates) {
        Figures f;
        if (!RunRate(baud, options, f)) return 1;
        std::printf(
            "%u baud line rate (%u bytes/s), %d s: sent %zu, received %zu, lost %zu, "
            "corrupted %zu, checksum failures %zu\n"
            "  latency CR written -> store updated: p50 %.0f us, p99 %.0f us, max %.0f us\n"
            "  writer behind schedule at most %.1f ms; longest blocked write %.2f ms\n"
            "  reader CPU: %.2f %% of a core under load, %.3f %% while silent (%d s)\n",
            baud, baud / BitsPerByte, options.Seconds, f.Sent, f.Received, f.Lost, f.Corrupted,
            f.Invalid, f.P50Us, f.P99Us, f.MaxUs, f.MaxLagMs, f.MaxBlockedMs, f.LoadCpuPercent,
            f.SilentCpuPercent, options.SilentSeconds);
        std::fflush(stdout);
        clean = clean && f.Lost == 0 && f.Corrupted == 0 && f.Invalid == 0;
    }
    return clean ? 0 : 1;
}

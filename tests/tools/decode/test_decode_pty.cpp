// lumarokub-decode --port on a pseudo-terminal delivering a megabyte of
// random bytes, the noise of a port opened at the wrong rate: every line it
// writes is valid JSON, sound sentences behind the noise are still decoded,
// and it ends normally.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "JsonLines.h"
#include "tests/serial/DecoderProcess.h"
#include "tests/serial/PtyPair.h"

namespace {

using namespace std::chrono_literals;
using nlohmann::json;

const std::string Marker = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
constexpr auto Limit = 60s;

// A megabyte of seeded noise, then more sound sentences than the longest
// UBX frame the noise may have begun can swallow.
std::string NoiseThenSentences() {
    std::mt19937 random(9600);
    std::string bytes(1 << 20, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    bytes += "\r\n";
    for (int i = 0; i < 300; ++i) bytes += Marker + "\r\n";
    return bytes;
}

// Writes `bytes` to the master side from its own thread, never blocking for
// longer than the limit, so a decoder that died cannot hold the test up.
class PtyWriter {
  public:
    PtyWriter(const PtyPair& pty, std::string bytes)
        : FThread([this, fd = pty.Master(), bytes = std::move(bytes)] { Write(fd, bytes); }) {}
    ~PtyWriter() { FThread.join(); }
    bool Done() const { return FDone; }
    bool Failed() const { return FFailed; }

  private:
    void Write(int fd, const std::string& bytes) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        size_t done = 0;
        while (done < bytes.size()) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, static_cast<int>(std::chrono::milliseconds(Limit).count())) <= 0) break;
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno != EAGAIN) break;
            if (n > 0) done += static_cast<size_t>(n);
        }
        FFailed = done < bytes.size();
        FDone = true;
    }
    std::atomic<bool> FDone{false};
    std::atomic<bool> FFailed{false};
    std::thread FThread;
};

// Waits for an event with a generous limit.
template <class Condition>
bool WaitUntil(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + Limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

size_t UnreadOnPort(const PtyPair& pty) {
    int count = 0;
    ioctl(pty.Slave(), FIONREAD, &count);
    return static_cast<size_t>(count);
}

TEST(DecodePtyNoise, EveryLineIsValidJsonAndSentencesBehindTheNoiseAreDecoded) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    Decoder decoder({"--port", pty.Path(), "--baud", "9600"});
    ASSERT_TRUE(WaitUntil([&] { return pty.Speed() == static_cast<speed_t>(B9600); }));
    PtyWriter writer(pty, NoiseThenSentences());
    size_t lines = 0;
    for (;;) {
        const std::string line = decoder.Line(Limit);
        ASSERT_NE(line, "") << "no marker after " << lines << " lines";
        ++lines;
        const std::vector<json> parsed = ParsedLines(line);
        ASSERT_EQ(parsed.size(), 1u);
        if (parsed[0].value("sentence", "") == Marker) break;
    }
    EXPECT_GT(lines, 10u);  // the noise gave lines of its own
    decoder.Signal(SIGTERM);
    EXPECT_EQ(decoder.Wait(Limit), 0) << decoder.Errors();
    ParsedLines(decoder.Rest());
    EXPECT_FALSE(writer.Failed());
}

TEST(DecodePtyNoise, TheFinalStateFollowsTheNoise) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    Decoder decoder({"--final", "--port", pty.Path(), "--baud", "9600"});
    ASSERT_TRUE(WaitUntil([&] { return pty.Speed() == static_cast<speed_t>(B9600); }));
    {
        PtyWriter writer(pty, NoiseThenSentences());
        ASSERT_TRUE(WaitUntil([&] { return writer.Done(); }));
        ASSERT_FALSE(writer.Failed());
    }
    // Everything has been read off the port once its queue is empty.
    ASSERT_TRUE(WaitUntil([&] { return UnreadOnPort(pty) == 0; }));
    decoder.Signal(SIGTERM);
    ASSERT_EQ(decoder.Wait(Limit), 0) << decoder.Errors();
    const std::vector<json> state = ParsedLines(decoder.Rest());
    ASSERT_EQ(state.size(), 1u) << decoder.Rest();
    EXPECT_GE(state[0]["counts"]["valid"].get<int>(), 100);
}

}  // namespace

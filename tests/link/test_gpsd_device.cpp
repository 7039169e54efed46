// gpsd:// against the real daemon on the simulator's pseudo-terminal, the
// receiver speaking UBX only: its frames reach the store through the link,
// and the daemon's word that the device went away is the device gone.
// Skipped without gpsd.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "link/ThreadNMEAFetch.h"
#include "nmea/NmeaManager.h"
#include "serial/Source.h"
#include "serial/YComPort.h"
#include "tests/link/GpsdDaemon.h"
#include "tests/serial/LoopbackServer.h"
#include "tools/sim/ReceiverSimulator.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A new pseudo-terminal's rate, which gpsd tries first.
constexpr unsigned long SimBaud = 38400;
constexpr uint64_t FramesEnough = 10;

template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(GpsdDevice, AUbloxBinaryStreamIsReadWholeAndTheDeviceGoingIsSeen) {
    if (GpsdDaemon::Program().empty()) GTEST_SKIP() << "gpsd is not installed";
    SimOptions options;
    options.Protocol = SimProtocol::Ubx;
    options.Baud = SimBaud;
    ReceiverSimulator sim(options);
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    const uint16_t tcpPort = FreeLoopbackPort();
    GpsdDaemon daemon(tcpPort, sim.SlavePath());
    ASSERT_TRUE(daemon.Running());

    YComPort port;
    const Source gpsd = Source::Link("gpsd://127.0.0.1:" + std::to_string(tcpPort));
    ASSERT_TRUE(WaitUntil([&] { return port.OpenPort(gpsd, SimBaud); }, 15s))
        << port.LastError();  // opens once the daemon listens
    NMEA_Manager store;
    TNmeaFetch reader(false, nullptr);
    reader.SetPort(&port);
    reader.SetStore(&store);
    reader.Start();
    const auto showsTheReceiver = [&] {
        std::lock_guard<std::mutex> hold(store.Lock());
        return store.Ubx.Frames >= FramesEnough &&
               store.Display().LatText.find("25") != std::string::npos;
    };
    EXPECT_TRUE(WaitUntil(showsTheReceiver, 20s));
    EXPECT_FALSE(port.DeviceGone());

    ASSERT_TRUE(daemon.RemoveDevice(sim.SlavePath()));
    EXPECT_TRUE(WaitUntil([&] { return port.DeviceGone(); }, 5s));
    reader.Terminate();
    reader.WaitFor();
    port.ClosePort();
    EXPECT_EQ(port.Framer().UbxBadChecksums, 0u);
}

}  // namespace

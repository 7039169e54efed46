// The lumarokub-sim program: the slave path on the first line, the link,
// --duration, the signals, the verbose log and the exit codes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <thread>

#include "ProgramRunner.h"
#include "SimTestSupport.h"

using namespace std::chrono;

namespace {

std::vector<std::string> Sim(std::vector<std::string> args) {
    args.insert(args.begin(), LUMAROKUB_SIM_PROGRAM);
    return args;
}

TEST(SimProgram, PrintsThePathLinksItAndEndsAfterTheDuration) {
    const std::string link = "/tmp/lumarokub-sim-test-link-" + std::to_string(getpid());
    Program p(Sim({"--baud", "115200", "--link", link, "--duration", "1.5", "--seed", "5"}));
    const std::string path = p.FirstLine(seconds(5));
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    char target[PATH_MAX] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(path, target);
    MonitorPort port;
    ASSERT_TRUE(port.Open(link, 115200));  // through the link, as a user would
    std::string all;
    EXPECT_TRUE(port.ReadUntil([](const std::string& b) { return SentencesOf(b).size() >= 3; },
                               seconds(3), all));
    EXPECT_EQ(p.Wait(seconds(5)), 0);
    EXPECT_TRUE(port.WaitForHangup(seconds(2)));
    EXPECT_NE(access(link.c_str(), F_OK), 0);  // the link goes with the line
}

TEST(SimProgram, EndsOnSigtermAndLogsCommandsWhenVerbose) {
    Program p(Sim({"--baud", "115200", "--verbose"}));
    const std::string path = p.FirstLine(seconds(5));
    MonitorPort port;
    ASSERT_TRUE(port.Open(path, 115200));
    ASSERT_TRUE(port.Write(FromHex("B56206040400FF07020016790D0A")));
    ASSERT_TRUE(port.Write("$PSRF104,0,0,0,96000,237759,922,12,1*$PSRF103,01,00,02,01*27\r\n"));
    const auto deadline = steady_clock::now() + seconds(3);
    while (p.Err().find("PSRF103") == std::string::npos && steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(10));
    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(seconds(3)), 0);
    const std::string err = p.Err();
    EXPECT_NE(err.find("CFG-RST navBbrMask 0x07FF"), std::string::npos) << err;
    EXPECT_NE(err.find("cold start"), std::string::npos) << err;
    EXPECT_NE(err.find("$PSRF103,01,00,02,01: GLL every 2 s"), std::string::npos) << err;
    EXPECT_NE(err.find("$PSRF104,0,0,0,96000,237759,922,12,1 without its checksum and CR LF: "
                       "ignored"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("hot start"), std::string::npos) << err;
}

TEST(SimProgram, HelpAndBadOptions) {
    Program help(Sim({"--help"}));
    EXPECT_EQ(help.Wait(seconds(3)), 0);
    EXPECT_NE(help.Out().find("--replay FILE"), std::string::npos);
    Program bad(Sim({"--baud", "12345"}));
    EXPECT_EQ(bad.Wait(seconds(3)), 2);
    EXPECT_NE(bad.Err().find("bad value for --baud"), std::string::npos);
    Program missing(Sim({"--replay", "/nonexistent/file.log"}));
    EXPECT_EQ(missing.Wait(seconds(3)), 1);
    EXPECT_TRUE(missing.Out().empty());  // no path printed for a receiver that never ran
}

TEST(SimProgram, HangsUpAndExits) {
    Program p(Sim({"--baud", "115200", "--hangup-after", "0.5"}));
    const std::string path = p.FirstLine(seconds(5));
    MonitorPort port;
    ASSERT_TRUE(port.Open(path, 115200));
    EXPECT_TRUE(port.WaitForHangup(seconds(5)));
    EXPECT_EQ(p.Wait(seconds(3)), 0);
}

}  // namespace

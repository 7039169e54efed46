// The lumarokub-sim program: the slave path on the first line, the link,
// --duration, the signals, the verbose log and the exit codes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cctype>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "ProgramRunner.h"
#include "SimTestSupport.h"
#include "tools/sim/SimCommandLine.h"

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

// A record that cannot be written is said on standard error and in the
// exit status; the line goes on meanwhile.
TEST(SimProgram, ARecordThatCannotBeWrittenIsAFailure) {
    const std::string good = "/tmp/lumarokub-sim-record-ok-" + std::to_string(getpid());
    const struct {
        std::string record;
        int status;
        const char* says;
    } cases[] = {
        {"/dev/full", 1, "cannot write the record /dev/full: No space left on device"},
        {good, 0, ""},
    };
    for (const auto& c : cases) {
        Program p(Sim({"--baud", "115200", "--record", c.record, "--duration", "1"}));
        EXPECT_EQ(p.Wait(seconds(10)), c.status) << c.record << ": " << p.Err();
        if (*c.says)
            EXPECT_NE(p.Err().find(c.says), std::string::npos) << p.Err();
        else
            EXPECT_EQ(p.Err(), "");
    }
    std::ifstream recorded(good, std::ios::binary | std::ios::ate);
    EXPECT_GT(recorded.tellg(), 0) << "the line's bytes (noise: nobody set the rate)";
    unlink(good.c_str());
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

// Every option the usage text names is one the parser knows: an option listed
// with a value takes one, a bare one is a flag.
TEST(SimProgram, EveryOptionInTheUsageIsKnown) {
    std::istringstream usage(SimUsage);
    int checked = 0;
    for (std::string line; std::getline(usage, line);) {
        if (line.rfind("  --", 0) != 0) continue;
        std::istringstream words(line);
        std::string name, value;
        words >> name >> value;
        std::vector<std::string> args = {"lumarokub-sim", name};
        const bool choices = value.find('|') != std::string::npos;
        const bool takesValue =
            choices || (!value.empty() && std::isupper(static_cast<unsigned char>(value[0])));
        if (takesValue) args.push_back(choices ? value.substr(0, value.find('|')) : "1");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        SimCommandLine parsed;
        std::string error;
        ParseSimCommandLine(static_cast<int>(argv.size()), argv.data(), parsed, error);
        EXPECT_EQ(error.find("unknown option"), std::string::npos) << line << ": " << error;
        ++checked;
    }
    EXPECT_GT(checked, 20);

    std::string refuse[] = {"lumarokub-sim", "--refuse", "06-04"};
    char* argv[] = {refuse[0].data(), refuse[1].data(), refuse[2].data()};
    SimCommandLine parsed;
    std::string error;
    ASSERT_TRUE(ParseSimCommandLine(3, argv, parsed, error)) << error;
    EXPECT_EQ(parsed.Options.RefusedUbx, 0x0604);
}

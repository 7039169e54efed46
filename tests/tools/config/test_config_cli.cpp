// lumarokub-config against the simulator as a generation 10 receiver: what it
// reads is the receiver's, what it writes lands in the layers named and, in
// RAM, changes the receiver's output; a file saved loads back; the exit
// status tells a refusal from a link or usage error.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <unistd.h>
#include <fstream>
#include <set>

#include "tests/tools/sim/ProgramRunner.h"
#include "tests/tools/sim/SimTestSupport.h"
#include "tools/sim/ReceiverSimulator.h"

using namespace std::chrono_literals;
using nlohmann::json;

namespace {

constexpr auto ProgramLimit = 60s;

std::unique_ptr<ReceiverSimulator> StartReceiver(unsigned long baud = 115200) {
    SimOptions o;
    o.Generation = 10;
    o.Baud = baud;
    o.TimeScale = 4;
    auto sim = std::make_unique<ReceiverSimulator>(o);
    std::string error;
    EXPECT_TRUE(sim->Start(error)) << error;
    return sim;
}

struct Outcome {
    int Status;
    json Out;
    std::string Err;
};

Outcome Config(const ReceiverSimulator& sim, std::vector<std::string> args,
               const std::string& baud = "115200") {
    args.insert(args.begin(),
                {LUMAROKUB_CONFIG_PROGRAM, "--port", sim.SlavePath(), "--baud", baud});
    Program program(args);
    Outcome r;
    r.Status = program.Wait(ProgramLimit);
    r.Err = program.Err();
    const std::string out = program.Out();
    r.Out = json::parse(out, nullptr, false);
    EXPECT_FALSE(r.Out.is_discarded()) << out << r.Err;
    return r;
}

// The values of a --get result by key name.
std::map<std::string, json> ByKey(const json& result) {
    std::map<std::string, json> values;
    for (const json& v : result["values"]) values[v["key"].get<std::string>()] = v["value"];
    return values;
}

// The sentence types sent in whole epochs that began after `after`.
std::set<std::string> TypesSentAfter(const ReceiverSimulator& sim, int64_t after) {
    std::set<std::string> types;
    WaitFor(
        [&] {
            types.clear();
            std::set<int64_t> epochs;
            for (const SentItem& item : sim.Sent())
                if (item.Type == SentItem::Sentence && item.Epoch > after) {
                    epochs.insert(item.Epoch);
                    types.insert(TypeOf(item.Bytes));
                }
            return epochs.size() >= 3;
        },
        20s);
    return types;
}

std::string TempFile(const char* name) {
    return testing::TempDir() + name + std::to_string(getpid()) + ".txt";
}

}  // namespace

TEST(ConfigProgram, SetsRamAndBbrAndTheOutputFollows) {
    auto sim = StartReceiver();
    Outcome get = Config(
        *sim, {"--get", "CFG-RATE-MEAS", "CFG-MSGOUT-NMEA_ID_GSV_UART1", "CFG-UART1-BAUDRATE"});
    ASSERT_EQ(get.Status, 0) << get.Err;
    EXPECT_EQ(get.Out["layer"], "ram");
    auto values = ByKey(get.Out);
    EXPECT_EQ(values["CFG-RATE-MEAS"], 1000);
    EXPECT_EQ(values["CFG-MSGOUT-NMEA_ID_GSV_UART1"], 1);
    EXPECT_EQ(values["CFG-UART1-BAUDRATE"], 115200);
    EXPECT_TRUE(TypesSentAfter(*sim, 0).count("GPGSV"));

    Outcome set = Config(*sim, {"--set", "CFG-RATE-MEAS=500", "CFG-MSGOUT-NMEA_ID_GSV_UART1=0",
                                "--layers", "ram,bbr"});
    ASSERT_EQ(set.Status, 0) << set.Err;
    EXPECT_EQ(set.Out["set"], 2);
    EXPECT_EQ(set.Out["layers"], json({"ram", "bbr"}));
    EXPECT_EQ(sim->Status().PeriodMs, 500u);
    const std::set<std::string> types = TypesSentAfter(*sim, sim->Status().Epochs);
    EXPECT_FALSE(types.count("GPGSV"));
    EXPECT_TRUE(types.count("GPGGA"));

    for (const char* layer : {"ram", "bbr"}) {
        Outcome back = Config(*sim, {"--get", "CFG-RATE-MEAS", "--layer", layer});
        ASSERT_EQ(back.Status, 0) << back.Err;
        EXPECT_EQ(ByKey(back.Out)["CFG-RATE-MEAS"], 500) << layer;
    }
    // Flash was not written: the receiver has nothing there and says so.
    Outcome flash = Config(*sim, {"--get", "CFG-RATE-MEAS", "--layer", "flash"});
    EXPECT_EQ(flash.Status, 1);
    EXPECT_EQ(flash.Out["refused"], "CFG-VALGET");

    Outcome diff = Config(*sim, {"--diff"});
    ASSERT_EQ(diff.Status, 0) << diff.Err;
    std::map<std::string, std::pair<json, json>> differences;
    for (const json& d : diff.Out["differences"])
        differences[d["key"].get<std::string>()] = {d["value"], d["default"]};
    EXPECT_EQ(differences.size(), 2u) << diff.Out.dump();
    EXPECT_EQ(differences["CFG-RATE-MEAS"], std::make_pair(json(500), json(1000)));
    EXPECT_EQ(differences["CFG-MSGOUT-NMEA_ID_GSV_UART1"], std::make_pair(json(0), json(1)));

    // BBR cleared again.
    Outcome del = Config(*sim, {"--delete", "CFG-RATE-MEAS", "--layers", "bbr"});
    ASSERT_EQ(del.Status, 0) << del.Err;
    EXPECT_EQ(Config(*sim, {"--get", "CFG-RATE-MEAS", "--layer", "bbr"}).Status, 1);
}

// A saved file holds every key the receiver has in the table's groups (its
// own keys by id); loaded into flash it goes as one transaction of several
// messages and flash then reads as RAM did.
TEST(ConfigProgram, SavedFileLoadsBackAsOneTransaction) {
    auto sim = StartReceiver();
    const std::string file = TempFile("config-save-");
    ASSERT_EQ(Config(*sim, {"--set", "CFG-NAVSPG-DYNMODEL=4"}).Status, 0);
    Outcome save = Config(*sim, {"--save", file});
    ASSERT_EQ(save.Status, 0) << save.Err;
    const size_t keys = save.Out["keys"].get<size_t>();
    EXPECT_GT(keys, 128u);
    std::ifstream in(file);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("CFG-NAVSPG-DYNMODEL = 4\n"), std::string::npos);
    EXPECT_NE(text.find("\n0x10110025 = 1\n"), std::string::npos) << "a key the table lacks";

    const int acksBefore = sim->Status().Acks;
    Outcome load = Config(*sim, {"--load", file, "--layers", "flash"});
    ASSERT_EQ(load.Status, 0) << load.Err;
    EXPECT_EQ(load.Out["set"], keys);
    EXPECT_EQ(load.Out["messages"], (keys + 63) / 64);
    EXPECT_EQ(sim->Status().Acks - acksBefore, static_cast<int>((keys + 63) / 64));

    Outcome flash = Config(*sim, {"--save", file + ".flash", "--layer", "flash"});
    ASSERT_EQ(flash.Status, 0) << flash.Err;
    EXPECT_EQ(flash.Out["keys"], keys);
    std::remove(file.c_str());
    std::remove((file + ".flash").c_str());
}

TEST(ConfigProgram, RefusalsLinkAndUsageErrors) {
    auto sim = StartReceiver();
    Outcome refused = Config(*sim, {"--set", "CFG-RATE-MEAS=10"});  // under the receiver's 25 ms
    EXPECT_EQ(refused.Status, 1);
    EXPECT_EQ(refused.Out["refused"], "CFG-VALSET");
    EXPECT_NE(refused.Err.find("refused CFG-VALSET (ACK-NAK)"), std::string::npos) << refused.Err;
    EXPECT_EQ(sim->Status().PeriodMs, 1000u);

    struct Usage {
        std::vector<std::string> Args;
        const char* Error;
    } usage[] = {
        {{"--get"}, "--get needs at least one key"},
        {{"--get", "CFG-NO-SUCH"}, "unknown key CFG-NO-SUCH"},
        {{"--set", "CFG-RATE-MEAS=abc"}, "'abc' is no value of CFG-RATE-MEAS (U2)"},
        {{"--diff", "--get", "CFG-RATE-MEAS"}, "give one action"},
        {{"--set", "CFG-RATE-MEAS=1000", "--layers", "ram,default"}, "bad value for --layers"},
        {{"--delete", "CFG-RATE-MEAS", "--layers", "ram"}, "--delete clears bbr and flash only"},
    };
    for (const Usage& u : usage) {
        std::vector<std::string> args = {LUMAROKUB_CONFIG_PROGRAM, "--port", sim->SlavePath()};
        args.insert(args.end(), u.Args.begin(), u.Args.end());
        Program program(args);
        EXPECT_EQ(program.Wait(ProgramLimit), 2) << u.Error;
        EXPECT_NE(program.Err().find(u.Error), std::string::npos) << program.Err();
    }
    // A receiver at another rate hears noise and answers nothing.
    Program silent({LUMAROKUB_CONFIG_PROGRAM, "--port", sim->SlavePath(), "--baud", "9600",
                    "--timeout", "500", "--get", "CFG-RATE-MEAS"});
    EXPECT_EQ(silent.Wait(ProgramLimit), 2);
    EXPECT_NE(silent.Err().find("no answer from the receiver"), std::string::npos) << silent.Err();
}

// A new UART1 rate: the answer comes at the old rate, then the receiver talks
// at the new one.
TEST(ConfigProgram, Uart1RateChangeMovesTheReceiver) {
    auto sim = StartReceiver(38400);
    Outcome set = Config(*sim, {"--set", "CFG-UART1-BAUDRATE=115200"}, "38400");
    ASSERT_EQ(set.Status, 0) << set.Err;
    ASSERT_EQ(set.Out["cuts"].size(), 1u) << set.Out.dump();
    EXPECT_EQ(set.Out["cuts"][0]["key"], "CFG-UART1-BAUDRATE");
    EXPECT_EQ(set.Out["following"], 115200);
    ASSERT_TRUE(WaitFor([&] { return sim->Status().Baud == 115200; }, 20s));
    Outcome get = Config(*sim, {"--get", "CFG-UART1-BAUDRATE"}, "115200");
    ASSERT_EQ(get.Status, 0) << get.Err;
    EXPECT_EQ(ByKey(get.Out)["CFG-UART1-BAUDRATE"], 115200);
    // Reached through USB, UART1's output off cuts nothing, through UART1 it
    // does; the rate it already has cuts nothing and is not followed.
    for (const auto& [via, cut] : {std::pair{"usb", false}, std::pair{"uart1", true}}) {
        Outcome off = Config(
            *sim, {"--set", "CFG-UART1OUTPROT-UBX=0", "CFG-UART1-BAUDRATE=115200", "--via", via},
            "115200");
        ASSERT_EQ(off.Status, 0) << off.Err;
        EXPECT_EQ(off.Out.contains("cuts"), cut) << via << off.Out.dump();
        EXPECT_FALSE(off.Out.contains("following"));
    }
}

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "ubx/UbxGeneration.h"
#include "ubx/UbxKeyCodec.h"
#include "ubx/UbxKeyFile.h"
#include "ubx/UbxKeys.h"

using namespace ubxcfg;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<uint8_t> out;
    for (int b : list) out.push_back(static_cast<uint8_t>(b));
    return out;
}

}  // namespace

TEST(UbxKeys, TableIsConsistent) {
    std::set<uint32_t> ids;
    std::set<std::string> names;
    for (const KeyInfo& k : KeyTable()) {
        EXPECT_TRUE(ids.insert(k.Id).second) << k.Name;
        EXPECT_TRUE(names.insert(k.Name).second) << k.Name;
        // The type's size agrees with the size the id carries.
        const std::string type = KeyTypeName(k.Type);
        const size_t size = type == "L" ? 1 : static_cast<size_t>(type[1] - '0');
        EXPECT_EQ(KeyValueSize(k.Id), size) << k.Name;
        EXPECT_EQ(type == "L", (k.Id >> 28) == 1) << k.Name;
        EXPECT_EQ(FindKey(k.Name), &k);
    }
    for (const char* group : {"MSGOUT", "RATE", "NAVSPG", "SIGNAL", "UART1", "UART2", "USB", "TP",
                              "ITFM", "SBAS", "QZSS"}) {
        const auto groups = KeyGroups();
        EXPECT_NE(std::find(groups.begin(), groups.end(), group), groups.end()) << group;
    }
}

TEST(UbxKeys, NamesAndIds) {
    struct Case {
        const char* Text;
        uint32_t Id;
    } cases[] = {
        {"CFG-RATE-MEAS", 0x30210001},
        {"rate-meas", 0x30210001},
        {"CFG-MSGOUT-NMEA_ID_GGA_UART1", 0x209100bb},
        {"CFG-MSGOUT-NMEA_ID_GGA_USB", 0x209100bd},
        {"CFG-MSGOUT-UBX_MON_RF_UART1", 0x2091035a},
        {"CFG-UART1-BAUDRATE", 0x40520001},
        {"0x10110013", 0x10110013},
        {"0x7fffffff0", 0},
        {"CFG-NO-SUCH", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(KeyIdOf(c.Text), c.Id) << c.Text;
    EXPECT_EQ(MsgOutKey("NMEA_ID_ZDA", KeyPort::Uart1), 0x209100d9u);
    EXPECT_EQ(MsgOutKey("NMEA_ID_RMC", KeyPort::Usb), 0x209100aeu);
}

// Each type written as the receiver reads it: the value's bytes after the key,
// little-endian, as many as the id's size says.
TEST(UbxKeyCodec, ValSetEncodesEachType) {
    double duty = 12.5;
    uint64_t dutyBits;
    std::memcpy(&dutyBits, &duty, sizeof duty);
    struct Case {
        const char* Key;
        const char* Text;
        std::vector<uint8_t> Value;
    } cases[] = {
        {"CFG-NAVSPG-INIFIX3D", "1", Bytes({0x01})},
        {"CFG-NAVSPG-DYNMODEL", "4", Bytes({0x04})},
        {"CFG-NAVSPG-INFIL_MINELEV", "-5", Bytes({0xFB})},
        {"CFG-RATE-MEAS", "250", Bytes({0xFA, 0x00})},
        {"CFG-TP-ANT_CABLEDELAY", "-2", Bytes({0xFE, 0xFF})},
        {"CFG-UART1-BAUDRATE", "115200", Bytes({0x00, 0xC2, 0x01, 0x00})},
        {"CFG-NAVSPG-CONSTR_ALT", "-100", Bytes({0x9C, 0xFF, 0xFF, 0xFF})},
        {"CFG-SBAS-PRNSCANMASK", "0x0000000000000101", Bytes({1, 1, 0, 0, 0, 0, 0, 0})},
        {"CFG-TP-DUTY_TP1", "12.5",
         Bytes({int(dutyBits & 0xFF), int((dutyBits >> 8) & 0xFF), int((dutyBits >> 16) & 0xFF),
                int((dutyBits >> 24) & 0xFF), int((dutyBits >> 32) & 0xFF),
                int((dutyBits >> 40) & 0xFF), int((dutyBits >> 48) & 0xFF), int(dutyBits >> 56)})},
    };
    for (const Case& c : cases) {
        const uint32_t id = KeyIdOf(c.Key);
        uint64_t raw = 0;
        ASSERT_TRUE(ParseKeyValue(id, c.Text, raw)) << c.Key;
        const auto payloads = EncodeValSet({{id, raw}}, LayerBitRam | LayerBitBbr);
        ASSERT_EQ(payloads.size(), 1u);
        std::vector<uint8_t> expected = {0,
                                         LayerBitRam | LayerBitBbr,
                                         0,
                                         0,
                                         uint8_t(id),
                                         uint8_t(id >> 8),
                                         uint8_t(id >> 16),
                                         uint8_t(id >> 24)};
        expected.insert(expected.end(), c.Value.begin(), c.Value.end());
        EXPECT_EQ(payloads[0], expected) << c.Key;
        // Read back as the receiver does, and as text again.
        ValChange change;
        ASSERT_TRUE(DecodeValSet(payloads[0].data(), payloads[0].size(), change));
        ASSERT_EQ(change.Values.size(), 1u);
        EXPECT_EQ(KeyValueText(id, change.Values[0].Raw), c.Text) << c.Key;
    }
}

TEST(UbxKeyCodec, ValuesOutsideTheirTypeAreRefused) {
    struct Case {
        const char* Key;
        const char* Text;
    } cases[] = {
        {"CFG-NAVSPG-INIFIX3D", "2"},
        {"CFG-NAVSPG-DYNMODEL", "256"},
        {"CFG-NAVSPG-DYNMODEL", "-1"},
        {"CFG-NAVSPG-INFIL_MINELEV", "128"},
        {"CFG-NAVSPG-INFIL_MINELEV", "-129"},
        {"CFG-RATE-MEAS", "65536"},
        {"CFG-RATE-MEAS", "1000ms"},
        {"CFG-RATE-MEAS", ""},
        {"CFG-RATE-MEAS", " 5"},
        {"CFG-UART1-BAUDRATE", "4294967296"},
        {"CFG-TP-DUTY_TP1", "nan"},
    };
    for (const Case& c : cases) {
        uint64_t raw = 0;
        EXPECT_FALSE(ParseKeyValue(KeyIdOf(c.Key), c.Text, raw)) << c.Key << " = " << c.Text;
    }
}

// More than 64 keys go as one transaction: begin, continue..., end; each
// message at most 64 keys, every key once in order.
TEST(UbxKeyCodec, LargeChangesGoAsOneTransaction) {
    struct Case {
        size_t Keys;
        std::vector<Transaction> Steps;
    } cases[] = {
        {1, {Transaction::None}},
        {64, {Transaction::None}},
        {65, {Transaction::Begin, Transaction::End}},
        {128, {Transaction::Begin, Transaction::End}},
        {200, {Transaction::Begin, Transaction::Continue, Transaction::Continue, Transaction::End}},
    };
    for (const Case& c : cases) {
        std::vector<KeyValue> values;
        std::vector<uint32_t> keys;
        for (size_t i = 0; i < c.Keys; ++i) {
            values.push_back({0x20910000u + static_cast<uint32_t>(i), i % 256});
            keys.push_back(values.back().Id);
        }
        for (bool del : {false, true}) {
            const auto payloads =
                del ? EncodeValDel(keys, LayerBitBbr) : EncodeValSet(values, LayerBitRam);
            ASSERT_EQ(payloads.size(), c.Steps.size()) << c.Keys;
            std::vector<KeyValue> got;
            std::vector<uint32_t> gotKeys;
            for (size_t m = 0; m < payloads.size(); ++m) {
                ValChange change;
                const auto& p = payloads[m];
                ASSERT_TRUE(del ? DecodeValDel(p.data(), p.size(), change)
                                : DecodeValSet(p.data(), p.size(), change));
                EXPECT_EQ(change.Step, c.Steps[m]);
                EXPECT_EQ(p[0], c.Steps[m] == Transaction::None ? 0 : 1);
                EXPECT_EQ(change.Layers, del ? LayerBitBbr : LayerBitRam);
                EXPECT_LE(change.Values.size() + change.Keys.size(), MaxKeysPerMessage);
                got.insert(got.end(), change.Values.begin(), change.Values.end());
                gotKeys.insert(gotKeys.end(), change.Keys.begin(), change.Keys.end());
            }
            if (del)
                EXPECT_EQ(gotKeys, keys);
            else
                EXPECT_EQ(got, values);
        }
    }
}

TEST(UbxKeyCodec, ValGetPollAndAnswer) {
    const auto poll = EncodeValGetPoll(KeyLayer::Flash, 64, {0x30210001, 0x0fffffff});
    EXPECT_EQ(poll, Bytes({0, 2, 64, 0, 0x01, 0x00, 0x21, 0x30, 0xff, 0xff, 0xff, 0x0f}));
    ValGetPoll decoded;
    ASSERT_TRUE(DecodeValGetPoll(poll.data(), poll.size(), decoded));
    EXPECT_EQ(decoded.Layer, KeyLayer::Flash);
    EXPECT_EQ(decoded.Position, 64);
    EXPECT_EQ(decoded.Keys, (std::vector<uint32_t>{0x30210001, 0x0fffffff}));

    // An answer with a key the table lacks (group 0x99): kept by its id and size.
    const std::vector<KeyValue> values = {
        {0x30210001, 1000}, {0x40990007, 0xdeadbeef}, {0x10110013, 1}};
    const auto answer = EncodeValGetAnswer(KeyLayer::Default, 3, values);
    ValGetAnswer a;
    ASSERT_TRUE(DecodeValGetAnswer(answer.data(), answer.size(), a));
    EXPECT_EQ(a.Layer, KeyLayer::Default);
    EXPECT_EQ(a.Position, 3);
    EXPECT_EQ(a.Values, values);
    EXPECT_EQ(KeyValueText(0x40990007, 0xdeadbeef), "3735928559");

    // Cut anywhere inside a pair, or a key without a valid size: no answer.
    for (size_t cut = 5; cut < answer.size(); ++cut) {
        if (cut == 10 || cut == 18) continue;  // whole pairs
        EXPECT_FALSE(DecodeValGetAnswer(answer.data(), cut, a)) << cut;
    }
    auto bad = answer;
    bad[7] = 0x60;  // size bits 6: none
    EXPECT_FALSE(DecodeValGetAnswer(bad.data(), bad.size(), a));
    bad = answer;
    bad[0] = 0;  // a poll, not an answer
    EXPECT_FALSE(DecodeValGetAnswer(bad.data(), bad.size(), a));
}

TEST(UbxKeyCodec, LayerNames) {
    EXPECT_EQ(LayerBitsOfNames("ram"), LayerBitRam);
    EXPECT_EQ(LayerBitsOfNames("RAM,bbr,flash"), LayerBitRam | LayerBitBbr | LayerBitFlash);
    for (const char* bad : {"", "rom", "ram,", "default", "ram,,bbr"})
        EXPECT_EQ(LayerBitsOfNames(bad), 0) << bad;
}

TEST(UbxGeneration, FromMonVer) {
    struct Case {
        const char* Software;
        std::vector<const char*> Extensions;
        int Generation;
    } cases[] = {
        {"ROM CORE 3.01 (107888)", {"FWVER=SPG 3.01", "PROTVER=18.00"}, 8},
        {"EXT CORE 1.00 (61b2dd)", {"FWVER=HPG 1.32", "PROTVER=27.31", "MOD=ZED-F9P"}, 9},
        {"EXT CORE 1.00 (3fda8e)", {"PROTVER=32.01"}, 9},
        {"ROM SPG 5.10 (7b202e)", {"FWVER=SPG 5.10", "PROTVER=34.10", "MOD=MIA-M10Q"}, 10},
        {"ROM CORE 1.00 (59842)", {"PROTVER 14.00"}, 8},
        {"1.00 (59842)", {}, 0},
    };
    for (const Case& c : cases) {
        UbxVersionRecord v;
        std::strncpy(v.Software, c.Software, sizeof v.Software - 1);
        for (const char* e : c.Extensions)
            std::strncpy(v.Extensions[v.ExtensionCount++], e, sizeof v.Extensions[0] - 1);
        EXPECT_EQ(ReceiverGeneration(v), c.Generation) << c.Software;
        EXPECT_EQ(ConfiguredByKeys(v), c.Generation >= 9) << c.Software;
    }
}

// A saved file loads back to the same values, unknown keys by id; comments
// and blank lines are skipped; a bad line is named.
TEST(UbxKeyFile, SavedValuesLoadBack) {
    const std::vector<KeyValue> values = {
        {0x30210001, 500}, {0x20110021, 4}, {0x201100a4, 0xF6}, {0x40990007, 7}};
    const std::string text = KeyFileText(values);
    EXPECT_NE(text.find("CFG-RATE-MEAS = 500\n"), std::string::npos);
    EXPECT_NE(text.find("CFG-NAVSPG-INFIL_MINELEV = -10\n"), std::string::npos);
    EXPECT_NE(text.find("0x40990007 = 7\n"), std::string::npos);
    std::vector<KeyValue> loaded;
    std::string error;
    ASSERT_TRUE(ParseKeyFile("# saved\n\n" + text + "  # end\r\n", loaded, error)) << error;
    EXPECT_EQ(loaded, values);

    struct Bad {
        const char* Text;
        const char* Error;
    } bad[] = {
        {"CFG-RATE-MEAS = 1000\nCFG-RATE-MEAS 1000\n", "line 2: no '='"},
        {"# x\nCFG-RATE-NOPE = 1\n", "line 2: unknown key"},
        {"CFG-NAVSPG-INIFIX3D = 3", "line 1: '3' is no value of CFG-NAVSPG-INIFIX3D (L)"},
    };
    for (const Bad& b : bad) {
        loaded.clear();
        EXPECT_FALSE(ParseKeyFile(b.Text, loaded, error)) << b.Text;
        EXPECT_EQ(error.rfind(b.Error, 0), 0u) << error;
    }
}

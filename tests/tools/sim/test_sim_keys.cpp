// The simulator as a receiver configured by keys: what each generation
// answers, what the key layers hold after VALSET and VALDEL, transactions
// applied whole or not at all, and the RAM values that change its output.
#include <gtest/gtest.h>

#include "tools/sim/ReceiverControl.h"
#include "ubx/UbxKeyCodec.h"

using namespace ubxcfg;

namespace {

ReceivedCommand Ubx(uint8_t cls, uint8_t id, std::vector<uint8_t> payload) {
    ReceivedCommand c;
    c.Type = ReceivedCommand::Ubx;
    c.Message.Class = cls;
    c.Message.Id = id;
    c.Message.Payload = std::move(payload);
    return c;
}

ReceivedCommand Key(uint8_t id, std::vector<uint8_t> payload) {
    return Ubx(UbxClassCfgKeys, id, std::move(payload));
}

// The values a VALGET answer holds, or nullopt when it was refused.
std::optional<std::vector<KeyValue>> Read(ReceiverControl& control, KeyLayer layer,
                                          std::vector<uint32_t> keys, uint16_t position = 0) {
    const ControlOutcome out =
        control.Apply(Key(UbxIdValGet, EncodeValGetPoll(layer, position, keys)));
    if (!out.Acked) return std::nullopt;
    UbxMessage m;
    EXPECT_EQ(out.Replies.size(), 2u);
    EXPECT_TRUE(ParseUbxFrame(out.Replies.at(0), m));
    ValGetAnswer answer;
    EXPECT_TRUE(DecodeValGetAnswer(m.Payload.data(), m.Payload.size(), answer));
    EXPECT_EQ(answer.Layer, layer);
    return answer.Values;
}

uint64_t ReadOne(ReceiverControl& control, KeyLayer layer, uint32_t key) {
    const auto values = Read(control, layer, {key});
    return values && values->size() == 1 ? values->at(0).Raw : ~0ULL;
}

bool Set(ReceiverControl& control, std::vector<KeyValue> values, uint8_t layers) {
    bool acked = true;
    for (const auto& payload : EncodeValSet(values, layers))
        acked = control.Apply(Key(UbxIdValSet, payload)).Acked && acked;
    return acked;
}

const uint32_t GsvUart1 = MsgOutKey("NMEA_ID_GSV", KeyPort::Uart1);

}  // namespace

TEST(SimKeys, EachGenerationAnswersItsOwnMessages) {
    const auto cfgMsg = Ubx(UbxClassCfg, UbxCfgMsg, {0xF0, 0x03, 0});
    const auto cfgRate = Ubx(UbxClassCfg, UbxCfgRate, {0xF4, 0x01, 1, 0, 1, 0});
    const auto valGet = Key(UbxIdValGet, EncodeValGetPoll(KeyLayer::Ram, 0, {KeyRateMeas}));
    struct Case {
        int Generation;
        bool OldAcked;
        bool KeysAcked;
    } cases[] = {{8, true, false}, {9, true, true}, {10, false, true}};
    for (const Case& c : cases) {
        ReceiverControl control(false);
        control.SetGeneration(c.Generation, 9600);
        EXPECT_EQ(control.Apply(cfgMsg).Acked, c.OldAcked) << c.Generation;
        EXPECT_EQ(control.Apply(cfgRate).Acked, c.OldAcked) << c.Generation;
        EXPECT_EQ(control.Apply(valGet).Acked, c.KeysAcked) << c.Generation;
    }
}

// RAM runs the receiver; BBR and Flash only keep; the default layer stays.
TEST(SimKeys, LayersKeepWhatWasWrittenToThem) {
    ReceiverControl control(false);
    control.SetGeneration(10, 9600);
    ASSERT_TRUE(Set(control, {{KeyRateMeas, 500}, {GsvUart1, 0}}, LayerBitRam | LayerBitBbr));
    ASSERT_TRUE(Set(control, {{KeyRateMeas, 2000}}, LayerBitFlash));
    EXPECT_EQ(ReadOne(control, KeyLayer::Ram, KeyRateMeas), 500u);
    EXPECT_EQ(ReadOne(control, KeyLayer::Bbr, KeyRateMeas), 500u);
    EXPECT_EQ(ReadOne(control, KeyLayer::Flash, KeyRateMeas), 2000u);
    EXPECT_EQ(ReadOne(control, KeyLayer::Default, KeyRateMeas), 1000u);
    EXPECT_EQ(control.PeriodMs(), 500u);
    EXPECT_FALSE(control.Schedule().Enabled(SentenceKind::GSV));
    EXPECT_TRUE(control.Schedule().Enabled(SentenceKind::GGA));

    // VALDEL clears BBR only; RAM is no layer to delete from.
    const auto del = EncodeValDel({KeyRateMeas}, LayerBitBbr);
    EXPECT_TRUE(control.Apply(Key(UbxIdValDel, del[0])).Acked);
    EXPECT_FALSE(Read(control, KeyLayer::Bbr, {KeyRateMeas}).has_value());
    EXPECT_EQ(ReadOne(control, KeyLayer::Flash, KeyRateMeas), 2000u);
    EXPECT_FALSE(
        control.Apply(Key(UbxIdValDel, EncodeValDel({KeyRateMeas}, LayerBitRam)[0])).Acked);

    // What the receiver cannot run by is refused whole: nothing of it applies.
    EXPECT_FALSE(Set(control, {{GsvUart1, 1}, {KeyRateMeas, 10}}, LayerBitRam));
    EXPECT_FALSE(Set(control, {{GsvUart1, 1}, {KeyUart1Baud, 12345}}, LayerBitRam));
    EXPECT_FALSE(Set(control, {{GsvUart1, 1}, {0x209100ff, 1}}, LayerBitRam));  // unknown key
    EXPECT_FALSE(control.Schedule().Enabled(SentenceKind::GSV));
    EXPECT_EQ(control.PeriodMs(), 500u);
}

// A transaction applies at its end; a message out of order drops it all.
TEST(SimKeys, TransactionsApplyWholeOrNotAtAll) {
    std::vector<KeyValue> many;
    for (const KeyInfo& k : KeyTable())
        if (k.Name.find("CFG-MSGOUT-") == 0 && many.size() < 100) many.push_back({k.Id, 0});
    many.push_back({KeyRateMeas, 250});
    const auto payloads = EncodeValSet(many, LayerBitRam);
    ASSERT_EQ(payloads.size(), 2u);

    ReceiverControl control(false);
    control.SetGeneration(10, 9600);
    EXPECT_TRUE(control.Apply(Key(UbxIdValSet, payloads[0])).Acked);
    EXPECT_EQ(control.PeriodMs(), 1000u) << "nothing applies before the end";
    EXPECT_TRUE(control.Schedule().Enabled(SentenceKind::GGA));
    EXPECT_TRUE(control.Apply(Key(UbxIdValSet, payloads[1])).Acked);
    EXPECT_EQ(control.PeriodMs(), 250u);
    EXPECT_FALSE(control.Schedule().Enabled(SentenceKind::GGA));

    ReceiverControl fresh(false);
    fresh.SetGeneration(10, 9600);
    EXPECT_FALSE(fresh.Apply(Key(UbxIdValSet, payloads[1])).Acked) << "an end without a begin";
    EXPECT_EQ(fresh.PeriodMs(), 1000u);
}

// A group read pages by 64 values; the firmware's own keys come by id.
TEST(SimKeys, GroupsReadPageByPage) {
    ReceiverControl control(false);
    control.SetGeneration(10, 38400);
    const uint32_t msgOut = 0x00910FFF, navspg = 0x00110FFF;
    const auto first = Read(control, KeyLayer::Ram, {msgOut}, 0);
    const auto second = Read(control, KeyLayer::Ram, {msgOut}, 64);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->size(), 64u);
    size_t tableMsgOut = 0;
    for (const KeyInfo& k : KeyTable()) tableMsgOut += k.Name.find("CFG-MSGOUT-") == 0;
    EXPECT_EQ(first->size() + second->size(), tableMsgOut);
    EXPECT_NE(first->front().Id, second->front().Id);
    const auto spg = Read(control, KeyLayer::Ram, {navspg});
    ASSERT_TRUE(spg);
    EXPECT_TRUE(
        std::any_of(spg->begin(), spg->end(), [](const KeyValue& v) { return !FindKey(v.Id); }));
    EXPECT_EQ(ReadOne(control, KeyLayer::Ram, KeyUart1Baud), 38400u);
}

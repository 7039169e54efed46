#include "tools/sim/KeyControl.h"

#include "tools/sim/PtyLine.h"

using namespace ubxcfg;

namespace {

constexpr unsigned MinPeriodMs = 25;

KeyOutcome Answered(bool ack, const UbxMessage& m, std::string log) {
    KeyOutcome out;
    out.Replies.push_back(BuildUbxAck(ack, m.Class, m.Id));
    out.Acked = ack;
    out.Log = std::move(log) + (ack ? " -> ACK-ACK" : " -> ACK-NAK");
    return out;
}

std::string LayerText(uint8_t layers) {
    std::string text;
    for (KeyLayer layer : {KeyLayer::Ram, KeyLayer::Bbr, KeyLayer::Flash})
        if (layers & (1u << static_cast<unsigned>(layer)))
            text += std::string(text.empty() ? "" : ",") + LayerName(layer);
    return text.empty() ? "no layer" : text;
}

}  // namespace

bool KeyControl::Handles(const UbxMessage& m) {
    return m.Class == UbxClassCfgKeys &&
           (m.Id == UbxIdValGet || m.Id == UbxIdValSet || m.Id == UbxIdValDel);
}

bool KeyControl::Runnable(const KeyValue& value) {
    switch (value.Id) {
        case KeyUart1Baud:
            return BaudConstant(static_cast<unsigned long>(value.Raw)) != 0;
        case KeyRateMeas:
            return value.Raw >= MinPeriodMs;
        case KeyRateNav:
            return value.Raw >= 1;
        default:
            return true;
    }
}

KeyOutcome KeyControl::Apply(const UbxMessage& m, OutputSchedule& schedule, unsigned& periodMs) {
    if (m.Id == UbxIdValGet) return Get(m);
    if (m.Id == UbxIdValSet) return Set(m, schedule, periodMs);
    return Delete(m);
}

KeyOutcome KeyControl::Get(const UbxMessage& m) {
    ValGetPoll poll;
    if (!DecodeValGetPoll(m.Payload.data(), m.Payload.size(), poll))
        return Answered(false, m, "UBX CFG-VALGET malformed");
    const std::string what = "UBX CFG-VALGET " + std::to_string(poll.Keys.size()) +
                             " key(s) from " + LayerName(poll.Layer);
    std::vector<KeyValue> values;
    if (!FKeys.Get(poll, values)) return Answered(false, m, what + " (none there)");
    KeyOutcome out = Answered(true, m, what + ": " + std::to_string(values.size()) + " value(s)");
    out.Replies.insert(out.Replies.begin(),
                       BuildUbxFrame(UbxClassCfgKeys, UbxIdValGet,
                                     EncodeValGetAnswer(poll.Layer, poll.Position, values)));
    return out;
}

KeyOutcome KeyControl::Set(const UbxMessage& m, OutputSchedule& schedule, unsigned& periodMs) {
    ValChange change;
    if (!DecodeValSet(m.Payload.data(), m.Payload.size(), change))
        return Answered(false, m, "UBX CFG-VALSET malformed");
    const std::string what = "UBX CFG-VALSET " + std::to_string(change.Values.size()) +
                             " key(s) to " + LayerText(change.Layers);
    std::vector<KeyValue> changed;
    if (!FKeys.Set(change, changed)) return Answered(false, m, what + " (refused)");
    KeyOutcome out = Answered(true, m, what);
    for (int k = 0; k < SentenceKindCount; ++k) {
        const auto kind = static_cast<SentenceKind>(k);
        const uint32_t key =
            MsgOutKey(std::string("NMEA_ID_") + SentenceKindName(kind), KeyPort::Uart1);
        for (const KeyValue& v : changed)
            if (v.Id == key) schedule.SetEpochRate(kind, static_cast<unsigned>(v.Raw));
    }
    periodMs = static_cast<unsigned>(FKeys.Ram(KeyRateMeas) * FKeys.Ram(KeyRateNav));
    for (const KeyValue& v : changed)
        if (v.Id == KeyUart1Baud) out.NewBaud = static_cast<unsigned long>(v.Raw);
    return out;
}

KeyOutcome KeyControl::Delete(const UbxMessage& m) {
    ValChange change;
    if (!DecodeValDel(m.Payload.data(), m.Payload.size(), change))
        return Answered(false, m, "UBX CFG-VALDEL malformed");
    const std::string what = "UBX CFG-VALDEL " + std::to_string(change.Keys.size()) +
                             " key(s) from " + LayerText(change.Layers);
    return Answered(FKeys.Delete(change), m, what);
}

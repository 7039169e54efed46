#include "control/NmeaKeyChoices.h"

#include "ubx/UbxKeyCodec.h"
#include "ubx/UbxRecords.h"

using namespace ubxcfg;

namespace {

const char* const SentenceKeys[NmeaKeyChoices::SentenceCount] = {
    "NMEA_ID_GGA", "NMEA_ID_GLL", "NMEA_ID_GSA", "NMEA_ID_GSV",
    "NMEA_ID_RMC", "NMEA_ID_VTG", "NMEA_ID_ZDA"};

Command Frame(uint8_t id, std::vector<uint8_t> payload, bool awaitAnswer) {
    Command c;
    c.Value = UbxFrame{UbxClassCfgKeys, id, std::move(payload)};
    c.AwaitAnswer = awaitAnswer;
    return c;
}

}  // namespace

Command NmeaKeyChoices::Poll() {
    std::vector<uint32_t> keys;
    for (const char* s : SentenceKeys) {
        keys.push_back(MsgOutKey(s, KeyPort::Uart1));
        keys.push_back(MsgOutKey(s, KeyPort::Usb));
    }
    keys.push_back(KeyRateMeas);
    // A poll is answered by its values, as the CFG-MSG polls are: not awaited.
    return Frame(UbxIdValGet, EncodeValGetPoll(KeyLayer::Ram, 0, keys), false);
}

std::vector<Command> NmeaKeyChoices::Set(const std::array<bool, SentenceCount>& ticked, bool uart,
                                         bool usb, uint16_t periodMs, uint8_t layers) {
    std::vector<KeyValue> values;
    for (int i = 0; i < SentenceCount; ++i) {
        values.push_back({MsgOutKey(SentenceKeys[i], KeyPort::Uart1), ticked[i] && uart ? 1u : 0u});
        values.push_back({MsgOutKey(SentenceKeys[i], KeyPort::Usb), ticked[i] && usb ? 1u : 0u});
    }
    values.push_back({KeyRateMeas, periodMs});
    std::vector<Command> commands;
    for (auto& payload : EncodeValSet(values, layers))
        commands.push_back(Frame(UbxIdValSet, std::move(payload), true));
    return commands;
}

bool NmeaKeyChoices::Take(const UbxKeyValuesRecord& answer) {
    if (!answer.Sound || answer.Layer != static_cast<uint8_t>(KeyLayer::Ram)) return false;
    for (int n = 0; n < answer.Count && n < UbxMaxKeyValues; ++n) {
        const uint32_t id = answer.Ids[n];
        const uint64_t value = answer.Values[n];
        if (id == KeyRateMeas) PeriodMs = static_cast<int>(value);
        for (int i = 0; i < SentenceCount; ++i) {
            if (id == MsgOutKey(SentenceKeys[i], KeyPort::Uart1)) OnUart[i] = value != 0;
            if (id == MsgOutKey(SentenceKeys[i], KeyPort::Usb)) OnUsb[i] = value != 0;
            if (id == MsgOutKey(SentenceKeys[i], KeyPort::Uart1) ||
                id == MsgOutKey(SentenceKeys[i], KeyPort::Usb))
                Answered[i] = true;
        }
    }
    return true;
}

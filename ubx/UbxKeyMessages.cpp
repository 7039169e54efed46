#include "ubx/UbxKeyMessages.h"

#include "ubx/UbxKeyCodec.h"
#include "ubx/UbxRecords.h"

void DecodeUbxValGet(const uint8_t* payload, size_t length, UbxState& ubx) {
    UbxKeyValuesRecord& r = ubx.KeyValues;
    ubxcfg::ValGetAnswer answer;
    r.Sound = ubxcfg::DecodeValGetAnswer(payload, length, answer);
    r.Layer = static_cast<uint8_t>(answer.Layer);
    r.Position = answer.Position;
    r.Count = 0;
    for (const ubxcfg::KeyValue& v : answer.Values) {
        if (r.Count == UbxMaxKeyValues) break;
        r.Ids[r.Count] = v.Id;
        r.Values[r.Count] = v.Raw;
        ++r.Count;
    }
    ++r.Answers;
}

void UbxValGetSummary(const UbxState& ubx, std::string& line) {
    const UbxKeyValuesRecord& r = ubx.KeyValues;
    line += r.Sound ? " " + std::string(ubxcfg::LayerName(static_cast<ubxcfg::KeyLayer>(r.Layer))) +
                          " " + std::to_string(r.Count) + " value(s)"
                    : " malformed";
}

#include "tools/decode/UbxJson.h"

#include <vector>

using nlohmann::json;

namespace {

// Collects the fields a message tells into a JSON object; lists nest.
template <class json>
class JsonFieldSink : public UbxFieldSink {
  public:
    explicit JsonFieldSink(json& target) : FStack{&target} {}
    void Integer(const char* name, int64_t value) override { Set(name, value); }
    void Real(const char* name, double value) override { Set(name, value); }
    void Text(const char* name, const char* value) override { Set(name, value); }
    void BeginList(const char* name) override {
        json& list = (*FStack.back())[name] = json::array();
        FStack.push_back(&list);
    }
    void BeginItem() override {
        FStack.back()->push_back(json::object());
        FStack.push_back(&FStack.back()->back());
    }
    void EndItem() override { FStack.pop_back(); }
    void EndList() override { FStack.pop_back(); }

  private:
    template <class T>
    void Set(const char* name, const T& value) {
        (*FStack.back())[name] = value;
    }
    std::vector<json*> FStack;
};

json ReceiverJson(const UbxVersionRecord& v) {
    json extensions = json::array();
    for (int i = 0; i < v.ExtensionCount; ++i) extensions.push_back(v.Extensions[i]);
    return {{"software", v.Software}, {"hardware", v.Hardware}, {"extensions", extensions}};
}

}  // namespace

nlohmann::ordered_json UbxFrameJson(const UbxDispatchResult& result, const NMEA_Manager& store) {
    nlohmann::ordered_json frame = {{"ubx", result.Type ? std::string(result.Type->Name)
                                                        : UbxMessageName(result.Class, result.Id)},
                                    {"class", result.Class},
                                    {"id", result.Id},
                                    {"valid", result.Valid}};
    if (result.Decoded && result.Type->Fields) {
        JsonFieldSink<nlohmann::ordered_json> sink(frame);
        result.Type->Fields(store.Ubx, sink);
    }
    return frame;
}

json UbxStateJson(const UbxState& ubx, const framing::FramerState& framer) {
    json counts = json::array();
    json records = json::object();
    for (int i = 0; i < ubx.CountKinds; ++i) {
        const UbxCount& c = ubx.Counts[i];
        counts.push_back({{"ubx", UbxMessageName(c.Class, c.Id)},
                          {"class", c.Class},
                          {"id", c.Id},
                          {"frames", c.Frames}});
        const UbxMessageType* type = FindUbxMessage(c.Class, c.Id);
        if (!type || !type->Fields) continue;
        JsonFieldSink<json> sink(records[type->Name]);
        type->Fields(ubx, sink);
    }
    json state = {{"frames", ubx.Frames},
                  {"unknown", ubx.UnknownFrames},
                  {"short", ubx.ShortFrames},
                  {"badChecksums", framer.UbxBadChecksums},
                  {"oversized", framer.UbxOversized},
                  {"counts", counts},
                  {"records", records}};
    state["receiver"] = ubx.VersionKnown ? ReceiverJson(ubx.Version) : json(nullptr);
    return state;
}

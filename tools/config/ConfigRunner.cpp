#include "tools/config/ConfigRunner.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "serial/YComPort.h"
#include "tools/config/KeyLink.h"
#include "ubx/UbxKeyFile.h"
#include "ubx/UbxLinkCut.h"

using namespace ubxcfg;
using nlohmann::json;

namespace {

const char* MessageName(ConfigAction action) {
    switch (action) {
        case ConfigAction::Set:
        case ConfigAction::Load:
            return "CFG-VALSET";
        case ConfigAction::Delete:
            return "CFG-VALDEL";
        default:
            return "CFG-VALGET";
    }
}

json LayerList(uint8_t layers) {
    json list = json::array();
    for (KeyLayer layer : {KeyLayer::Ram, KeyLayer::Bbr, KeyLayer::Flash})
        if (layers & (1u << static_cast<unsigned>(layer))) list.push_back(LayerName(layer));
    return list;
}

// The value as a JSON number of its type (the text parsed back).
json ValueJson(const KeyValue& v) {
    const std::string text = KeyValueText(v.Id, v.Raw);
    const KeyInfo* k = FindKey(v.Id);
    const KeyType type = k ? k->Type : TypeOfSize(v.Id);
    if (type == KeyType::R4 || type == KeyType::R8) return std::stod(text);
    if (text[0] == '-') return std::stoll(text);
    if (text.rfind("0x", 0) == 0) return text;  // bit fields read best in hexadecimal
    return std::stoull(text);
}

json Entry(const KeyValue& v) {
    json e = {{"key", KeyNameOf(v.Id)}, {"id", KeyIdText(v.Id)}, {"value", ValueJson(v)}};
    if (const KeyInfo* k = FindKey(v.Id)) {
        e["type"] = KeyTypeName(k->Type);
        if (k->Scale != 1) e["scale"] = k->Scale;  // value times scale is in unit
        if (*k->Unit) e["unit"] = k->Unit;
    }
    return e;
}

class Action {
  public:
    Action(const ConfigOptions& o, KeyLink& link, std::ostream& out, std::ostream& err)
        : O(o), Link(link), Out(out), Err(err) {}

    int Run() {
        switch (O.Action) {
            case ConfigAction::Get:
                return Get();
            case ConfigAction::Set:
                return Written(Link.Set(O.Values, O.Layers), O.Values.size());
            case ConfigAction::Save:
                return Save();
            case ConfigAction::Load:
                return Load();
            case ConfigAction::Diff:
                return Diff();
            case ConfigAction::Delete:
                return Deleted(Link.Delete(O.Keys, O.Layers));
            case ConfigAction::None:
                break;
        }
        return ConfigExitCannotUse;
    }

  private:
    // The status for an answer that is not an acknowledgement.
    int Failure(KeyAnswer a) {
        if (a == KeyAnswer::Nak) {
            Err << "lumarokub-config: the receiver refused " << MessageName(O.Action)
                << " (ACK-NAK)\n";
            Out << json{{"refused", MessageName(O.Action)}}.dump() << '\n';
            return ConfigExitRefused;
        }
        Err << "lumarokub-config: " << O.Port << ": " << Link.Problem() << '\n';
        return ConfigExitCannotUse;
    }

    int Print(const json& result) {
        Out << result.dump() << '\n';
        return Out ? 0 : ConfigExitCannotUse;
    }

    int Get() {
        std::vector<KeyValue> values;
        const KeyAnswer a = Link.GetAll(O.Layer, O.Keys, values);
        if (a != KeyAnswer::Ack) return Failure(a);
        json list = json::array();
        for (const KeyValue& v : values) list.push_back(Entry(v));
        return Print({{"layer", LayerName(O.Layer)}, {"values", list}});
    }

    int Written(KeyAnswer a, size_t count) {
        if (a != KeyAnswer::Ack) return Failure(a);
        const size_t messages = EncodeValSet(O.Values, O.Layers).size();
        json result = {{"set", count}, {"layers", LayerList(O.Layers)}, {"messages", messages}};
        if (!O.File.empty()) result["file"] = O.File;
        NameLinkCuts(result);
        return Print(result);
    }

    // The changes written that cut the link on the port it reaches; a new
    // rate of that port in RAM is followed for the rest of the run.
    void NameLinkCuts(json& result) {
        const LinkPort via{O.Via, static_cast<uint32_t>(O.Baud)};
        json cuts = json::array();
        for (const LinkCut& c : LinkCuts(O.Values, via))
            cuts.push_back({{"key", KeyNameOf(c.Id)}, {"reason", c.Reason}});
        if (cuts.empty()) return;
        result["cuts"] = cuts;
        const uint32_t baud = O.Layers & LayerBitRam ? NewLinkBaud(O.Values, via) : 0;
        if (baud != 0 && Link.FollowRate(baud)) result["following"] = baud;
    }

    int Deleted(KeyAnswer a) {
        if (a != KeyAnswer::Ack) return Failure(a);
        return Print({{"deleted", O.Keys.size()}, {"layers", LayerList(O.Layers)}});
    }

    // Every key of the table's groups in one layer (none is an empty list).
    KeyAnswer ReadTable(KeyLayer layer, std::vector<KeyValue>& values) {
        const KeyAnswer a = Link.GetAll(layer, TableGroupWildcards(), values);
        return a == KeyAnswer::Nak ? KeyAnswer::Ack : a;
    }

    int Save() {
        std::vector<KeyValue> values;
        const KeyAnswer a = ReadTable(O.Layer, values);
        if (a != KeyAnswer::Ack) return Failure(a);
        std::ofstream file(O.File, std::ios::trunc);
        file << "# " << LayerName(O.Layer) << " layer, read by lumarokub-config\n"
             << KeyFileText(values);
        file.close();
        if (!file) {
            Err << "lumarokub-config: cannot write " << O.File << ": " << std::strerror(errno)
                << '\n';
            return ConfigExitCannotUse;
        }
        return Print({{"saved", O.File}, {"layer", LayerName(O.Layer)}, {"keys", values.size()}});
    }

    int Load() {
        std::ifstream file(O.File);
        std::stringstream text;
        text << file.rdbuf();
        if (!file) {
            Err << "lumarokub-config: cannot read " << O.File << '\n';
            return ConfigExitCannotUse;
        }
        std::string error;
        std::vector<KeyValue> values;
        if (!ParseKeyFile(text.str(), values, error)) {
            Err << "lumarokub-config: " << O.File << ": " << error << '\n';
            return ConfigExitCannotUse;
        }
        ConfigOptions withValues = O;
        withValues.Values = values;
        Action load(withValues, Link, Out, Err);
        return load.Written(Link.Set(values, O.Layers), values.size());
    }

    int Diff() {
        std::vector<KeyValue> values, defaults;
        KeyAnswer a = ReadTable(O.Layer, values);
        if (a == KeyAnswer::Ack) a = ReadTable(KeyLayer::Default, defaults);
        if (a != KeyAnswer::Ack) return Failure(a);
        std::map<uint32_t, uint64_t> byId;
        for (const KeyValue& d : defaults) byId[d.Id] = d.Raw;
        json list = json::array();
        for (const KeyValue& v : values) {
            const auto it = byId.find(v.Id);
            if (it != byId.end() && it->second == v.Raw) continue;
            json e = Entry(v);
            if (it != byId.end()) e["default"] = ValueJson({v.Id, it->second});
            list.push_back(e);
        }
        return Print({{"layer", LayerName(O.Layer)}, {"differences", list}});
    }

    const ConfigOptions& O;
    KeyLink& Link;
    std::ostream& Out;
    std::ostream& Err;
};

}  // namespace

int RunConfig(const ConfigOptions& options, std::ostream& out, std::ostream& err) {
    const Source source = Source::FromEntry(options.Port);
    YComPort port;
    if (source.IsNone() || !port.OpenPort(source, static_cast<uint32_t>(options.Baud))) {
        err << "lumarokub-config: "
            << (source.IsNone() ? options.Port + ": not a port" : port.LastError()) << '\n';
        return ConfigExitCannotUse;
    }
    KeyLink link(port, options.AnswerMs);
    const int status = Action(options, link, out, err).Run();
    port.ClosePort();
    return status;
}

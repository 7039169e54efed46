#include "tools/config/ConfigOptions.h"

#include <cstdlib>
#include <utility>

#include "ubx/UbxKeyFile.h"

using namespace ubxcfg;

const char* const ConfigUsage =
    "Usage: lumarokub-config --port PORT ACTION [options]\n"
    "Reads and writes the configuration keys of a u-blox receiver that takes\n"
    "them (CFG-VALGET, CFG-VALSET, CFG-VALDEL) and prints the result as JSON.\n"
    "\n"
    "Actions (one):\n"
    "  --get KEY...          the values of the keys (names or ids such as 0x30210001)\n"
    "  --set KEY=VALUE...    write the values (more than 64 in one transaction)\n"
    "  --save FILE           every key of the key table, as KEY = VALUE lines\n"
    "  --load FILE           write the values of a file of KEY = VALUE lines\n"
    "  --diff                the keys whose value differs from the default layer\n"
    "  --delete KEY...       clear the keys from BBR or flash (--layers bbr,flash)\n"
    "\n"
    "Options:\n"
    "  --port PORT           serial port, pseudo-terminal or link URL (required)\n"
    "  --baud N              line rate (default 9600)\n"
    "  --layer L             layer read: ram (default), bbr, flash or default\n"
    "  --layers L,L          layers written: ram (default), bbr, flash\n"
    "  --timeout MS          wait for each answer (default 1500)\n"
    "  --via P               the receiver's port PORT reaches: uart1 (default), uart2, usb\n"
    "  --help                this text\n"
    "  --version             the version\n"
    "\n"
    "Exit status: 0 done, 1 the receiver refused (the message is named),\n"
    "2 a link or usage error.\n";

namespace {

bool IsOption(const std::string& text) {
    return text.rfind("--", 0) == 0;
}

bool SetAction(ConfigOptions& o, ConfigAction action, std::string& error) {
    if (o.Action != ConfigAction::None) {
        error = "give one action";
        return false;
    }
    o.Action = action;
    return true;
}

// The words after a list option, up to the next option.
std::vector<std::string> Words(int argc, char** argv, int& i) {
    std::vector<std::string> words;
    while (i + 1 < argc && !IsOption(argv[i + 1])) words.emplace_back(argv[++i]);
    return words;
}

bool Number(const std::string& text, unsigned long& value) {
    if (text.empty() || text[0] == '-') return false;
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, 10);
    return *end == '\0';
}

bool TakeList(const std::string& name, const std::vector<std::string>& words, ConfigOptions& o,
              std::string& error) {
    if (words.empty()) {
        error = name + " needs at least one key";
        return false;
    }
    for (const std::string& w : words) {
        if (name == "--set") {
            KeyValue value;
            if (!ParseKeyAssignment(w, value, error)) return false;
            o.Values.push_back(value);
            continue;
        }
        const uint32_t id = KeyIdOf(w);
        if (id == 0 || (KeyValueSize(id) == 0 && !IsGroupWildcard(id))) {
            error = "unknown key " + w;
            return false;
        }
        o.Keys.push_back(id);
    }
    return true;
}

bool TakeValue(const std::string& name, const std::string& v, ConfigOptions& o,
               std::string& error) {
    unsigned long n = 0;
    if (name == "--port") return !(o.Port = v).empty();
    if (name == "--baud") return Number(v, o.Baud) && o.Baud > 0;
    if (name == "--timeout")
        return Number(v, n) && n > 0 && n < 600000 && ((o.AnswerMs = int(n)), true);
    if (name == "--layer") {
        const auto layer = LayerOfName(v);
        if (layer) o.Layer = *layer;
        return layer.has_value();
    }
    if (name == "--layers") {
        o.Layers = LayerBitsOfNames(v);
        o.LayersGiven = true;
        return o.Layers != 0;
    }
    if (name == "--via") {
        const std::pair<const char*, KeyPort> ports[] = {
            {"uart1", KeyPort::Uart1}, {"uart2", KeyPort::Uart2}, {"usb", KeyPort::Usb}};
        for (const auto& [portName, port] : ports)
            if (v == portName) return (o.Via = port), true;
        return false;
    }
    if (name == "--save" || name == "--load") {
        if (!SetAction(o, name == "--save" ? ConfigAction::Save : ConfigAction::Load, error))
            return false;
        return !(o.File = v).empty();
    }
    error = "unknown option " + name;
    return false;
}

}  // namespace

bool ParseConfigOptions(int argc, char** argv, ConfigOptions& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            o.Help = true;
        } else if (name == "--version") {
            o.Version = true;
        } else if (name == "--diff") {
            if (!SetAction(o, ConfigAction::Diff, error)) return false;
        } else if (name == "--get" || name == "--set" || name == "--delete") {
            const ConfigAction action = name == "--get"   ? ConfigAction::Get
                                        : name == "--set" ? ConfigAction::Set
                                                          : ConfigAction::Delete;
            if (!SetAction(o, action, error) || !TakeList(name, Words(argc, argv, i), o, error))
                return false;
        } else {
            if (i + 1 >= argc) {
                error = IsOption(name) ? name + " needs a value" : "unexpected " + name;
                return false;
            }
            const std::string value = argv[++i];
            error.clear();
            if (!TakeValue(name, value, o, error)) {
                if (error.empty()) error = "bad value for " + name + ": " + value;
                return false;
            }
        }
    }
    if (o.Help || o.Version) return true;
    if (o.Port.empty()) {
        error = "--port is required";
        return false;
    }
    if (o.Action == ConfigAction::None) {
        error = "give an action: --get, --set, --save, --load, --diff or --delete";
        return false;
    }
    if (o.Action == ConfigAction::Delete) {
        if (!o.LayersGiven) o.Layers = LayerBitBbr | LayerBitFlash;
        if (o.Layers & LayerBitRam) {
            error = "--delete clears bbr and flash only";
            return false;
        }
    }
    return true;
}

#include "ubx/UbxKeyFile.h"

namespace ubxcfg {

namespace {

std::string_view Trim(std::string_view text) {
    const char* blanks = " \t\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::string KeyNameOf(uint32_t id) {
    const KeyInfo* k = FindKey(id);
    return k ? k->Name : KeyIdText(id);
}

bool ParseKeyAssignment(std::string_view text, KeyValue& out, std::string& error) {
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        error = "no '=' between key and value";
        return false;
    }
    const std::string_view name = Trim(text.substr(0, equals));
    const std::string_view value = Trim(text.substr(equals + 1));
    out.Id = KeyIdOf(name);
    if (out.Id == 0 || KeyValueSize(out.Id) == 0) {
        error = "unknown key " + std::string(name);
        return false;
    }
    if (!ParseKeyValue(out.Id, value, out.Raw)) {
        error = "'" + std::string(value) + "' is no value of " + std::string(name) + " (" +
                KeyTypeName(FindKey(out.Id) ? FindKey(out.Id)->Type : TypeOfSize(out.Id)) + ")";
        return false;
    }
    return true;
}

bool ParseKeyFile(std::string_view text, std::vector<KeyValue>& out, std::string& error) {
    size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        KeyValue value;
        if (!ParseKeyAssignment(line, value, error)) {
            error = "line " + std::to_string(lineNumber) + ": " + error;
            return false;
        }
        out.push_back(value);
    }
    return true;
}

std::string KeyFileText(const std::vector<KeyValue>& values) {
    std::string text;
    for (const KeyValue& v : values)
        text += KeyNameOf(v.Id) + " = " + KeyValueText(v.Id, v.Raw) + "\n";
    return text;
}

}  // namespace ubxcfg

#include "control/ConfigurationValues.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ubx/UbxKeyCodec.h"
#include "ubx/UbxKeys.h"

namespace ubxcfg {

namespace {

constexpr uint32_t GroupMask = 0x00FF0000;
constexpr uint32_t WildcardItem = 0x0FFF;
constexpr const char* ProtocolSuffixes[] = {"INPROT", "OUTPROT"};
constexpr char On[] = "on";
constexpr char Off[] = "off";

bool IsEnumeration(KeyType type) {
    return type == KeyType::E1 || type == KeyType::E2 || type == KeyType::E4;
}

bool IsScaled(const KeyInfo* key) {
    return key && key->Scale != 1 && key->Type != KeyType::R4 && key->Type != KeyType::R8;
}

std::string Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// The name an enumeration's meaning gives `value`: "(0 portable, 2 stationary)".
std::string EnumerationName(const KeyInfo& key, long long value) {
    const std::string meaning = key.Meaning;
    const size_t open = meaning.find('(');
    if (open == std::string::npos) return {};
    const std::string prefix = std::to_string(value) + ' ';
    size_t at = open + 1;
    while (at < meaning.size()) {
        const size_t end = std::min(meaning.find(',', at), meaning.find(')', at));
        const std::string item = Trimmed(std::string_view(meaning).substr(at, end - at));
        if (item.rfind(prefix, 0) == 0) return item.substr(prefix.size());
        if (end == std::string::npos || meaning[end] == ')') break;
        at = end + 1;
    }
    return {};
}

}  // namespace

std::string ShownValue(uint32_t id, uint64_t raw) {
    const KeyInfo* key = FindKey(id);
    const std::string text = KeyValueText(id, raw);
    if (key && key->Type == KeyType::L) return raw ? On : Off;
    if (key && IsEnumeration(key->Type)) {
        const std::string name = EnumerationName(*key, std::atoll(text.c_str()));
        return name.empty() ? text : text + ' ' + name;
    }
    if (!IsScaled(key)) return text;
    char scaled[32];
    std::snprintf(scaled, sizeof scaled, "%.10g", std::strtod(text.c_str(), nullptr) * key->Scale);
    return scaled;
}

bool ParseShownValue(uint32_t id, std::string_view typed, uint64_t& raw) {
    const KeyInfo* key = FindKey(id);
    std::string text = Trimmed(typed);
    if (key && key->Type == KeyType::L && (text == On || text == Off))
        text = text == On ? "1" : "0";
    if (key && IsEnumeration(key->Type)) text = text.substr(0, text.find(' '));
    if (IsScaled(key)) {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !std::isfinite(value)) return false;
        const double stored = value / key->Scale;
        if (std::fabs(stored - std::round(stored)) > 1e-6 * std::max(1.0, std::fabs(stored)))
            return false;  // between two values the key can hold
        text = std::to_string(std::llround(stored));
    }
    return ParseKeyValue(id, text, raw);
}

std::string WindowGroupOf(uint32_t id) {
    const KeyInfo* key = FindKey(id);
    // A key the table lacks belongs where the table's keys of its group number are.
    for (const KeyInfo& k : KeyTable())
        if (!key && (k.Id & GroupMask) == (id & GroupMask)) key = &k;
    if (!key) {
        char text[8];
        std::snprintf(text, sizeof text, "0x%02X", (id & GroupMask) >> 16);
        return text;
    }
    std::string group = KeyGroupName(*key);
    for (const char* suffix : ProtocolSuffixes) {
        const size_t at = group.rfind(suffix);
        if (at != std::string::npos && at > 0 && at + std::string(suffix).size() == group.size())
            group.erase(at);
    }
    return group;
}

bool IsBitKey(uint32_t id) {
    const KeyInfo* key = FindKey(id);
    return (key ? key->Type : TypeOfSize(id)) == KeyType::L;
}

std::vector<std::string> WindowGroups() {
    std::vector<std::string> groups;
    for (const KeyInfo& k : KeyTable()) {
        const std::string g = WindowGroupOf(k.Id);
        if (std::find(groups.begin(), groups.end(), g) == groups.end()) groups.push_back(g);
    }
    return groups;
}

std::vector<uint32_t> GroupWildcards(std::string_view group) {
    std::vector<uint32_t> out;
    for (const KeyInfo& k : KeyTable()) {
        const uint32_t wildcard = (k.Id & GroupMask) | WildcardItem;
        if (WindowGroupOf(k.Id) == group &&
            std::find(out.begin(), out.end(), wildcard) == out.end())
            out.push_back(wildcard);
    }
    return out;
}

std::vector<uint32_t> AllGroupWildcards() {
    std::vector<uint32_t> out;
    for (const std::string& g : WindowGroups())
        for (uint32_t w : GroupWildcards(g)) out.push_back(w);
    return out;
}

}  // namespace ubxcfg

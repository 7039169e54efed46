#include "ubx/UbxGeneration.h"

#include <cstdlib>
#include <cstring>

namespace ubxcfg {

namespace {

constexpr int OldestKnownGeneration = 8;
constexpr int KeyGeneration = 9;
constexpr int CurrentGeneration = 10;

// Firmware and module names that only generation 10 receivers carry.
const char* const Gen10Marks[] = {"SPG 5.", "M10", "X20", "HPG 2."};
// ... and generation 9 ones.
const char* const Gen9Marks[] = {"SPG 4.", "HPG 1.", "TIM 2.", "LAP 1.", "F9", "M9", "HPS 1."};

bool Mentions(const UbxVersionRecord& v, const char* mark) {
    if (std::strstr(v.Software, mark) || std::strstr(v.Hardware, mark)) return true;
    for (int i = 0; i < v.ExtensionCount && i < UbxMaxExtensions; ++i)
        if (std::strstr(v.Extensions[i], mark)) return true;
    return false;
}

template <size_t N>
bool MentionsAny(const UbxVersionRecord& v, const char* const (&marks)[N]) {
    for (const char* mark : marks)
        if (Mentions(v, mark)) return true;
    return false;
}

}  // namespace

int ProtocolVersion(const UbxVersionRecord& v) {
    static const char Prefix[] = "PROTVER";
    for (int i = 0; i < v.ExtensionCount && i < UbxMaxExtensions; ++i) {
        const char* e = v.Extensions[i];
        if (std::strncmp(e, Prefix, sizeof Prefix - 1) != 0) continue;
        const char* at = e + sizeof Prefix - 1;
        while (*at == '=' || *at == ' ') ++at;
        char* end = nullptr;
        const long value = std::strtol(at, &end, 10);
        if (end != at && value >= 0 && value < 1000) return static_cast<int>(value);
    }
    return -1;
}

int ReceiverGeneration(const UbxVersionRecord& v) {
    if (MentionsAny(v, Gen10Marks)) return CurrentGeneration;
    if (MentionsAny(v, Gen9Marks)) return KeyGeneration;
    const int protocol = ProtocolVersion(v);
    if (protocol >= FirstKeyProtocol) return KeyGeneration;
    return protocol >= 0 ? OldestKnownGeneration : GenerationUnknown;
}

bool ConfiguredByKeys(const UbxVersionRecord& v) {
    return ReceiverGeneration(v) >= KeyGeneration;
}

}  // namespace ubxcfg

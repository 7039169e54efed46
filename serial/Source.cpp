#include "serial/Source.h"

#include <string_view>

#include "serial/LinkUrl.h"

namespace {

constexpr std::string_view ComPrefix = "COM";
constexpr uint32_t HighestCom = 255;
constexpr std::string_view DevFolder = "/dev/";

// n of "COMn" (1 to 255); 0 for any other text.
uint32_t ComNumber(std::string_view text) {
    if (text.size() <= ComPrefix.size() || text.substr(0, ComPrefix.size()) != ComPrefix) return 0;
    uint32_t n = 0;
    for (const char c : text.substr(ComPrefix.size())) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<uint32_t>(c - '0');
        if (n > HighestCom) return 0;
    }
    return n;
}

}  // namespace

Source Source::FromEntry(const std::string& entry) {
    if (LooksLikeLinkUrl(entry)) return Link(entry);
    if (!entry.empty() && entry[0] == '/') return Device(entry);
    if (ComNumber(entry) > 0) return Device(entry);
    return {};
}

std::string Source::ShortName() const {
    if (FKind != Kind::Device) return FText;
    if (const uint32_t n = ComNumber(FText)) return std::to_string(n);
    // Devices in a folder of /dev keep it: /dev/pts/3 is "pts/3", not "3".
    if (FText.compare(0, DevFolder.size(), DevFolder) == 0) return FText.substr(DevFolder.size());
    const size_t slash = FText.rfind('/');
    return slash == std::string::npos ? FText : FText.substr(slash + 1);
}

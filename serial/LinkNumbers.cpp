#include "serial/LinkNumbers.h"

#include <mutex>
#include <string_view>
#include <vector>

#include "serial/LinkUrl.h"
#include "serial/PortTable.h"

namespace {

std::mutex& TableLock() {
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& Table() {
    static std::vector<std::string> urls;
    return urls;
}

}  // namespace

int32_t LinkNumberForUrl(const std::string& url) {
    std::lock_guard<std::mutex> guard(TableLock());
    std::vector<std::string>& urls = Table();
    for (size_t i = 0; i < urls.size(); ++i)
        if (urls[i] == url) return LinkNumberBase + static_cast<int32_t>(i);
    urls.push_back(url);
    return LinkNumberBase + static_cast<int32_t>(urls.size() - 1);
}

std::string LinkUrlForNumber(int32_t number) {
    std::lock_guard<std::mutex> guard(TableLock());
    const std::vector<std::string>& urls = Table();
    if (number < LinkNumberBase) return {};
    const size_t index = static_cast<size_t>(number - LinkNumberBase);
    return index < urls.size() ? urls[index] : std::string();
}

bool IsLinkNumber(int32_t number) {
    return !LinkUrlForNumber(number).empty();
}

std::string PortNameForNumber(int32_t number) {
    const std::string url = LinkUrlForNumber(number);
    return url.empty() ? PortTable::NameForNumber(number) : url;
}

int32_t PortNumberOfEntry(const std::string& entry) {
    constexpr std::string_view ComPrefix = "COM";
    constexpr uint32_t HighestCom = 255;
    if (LooksLikeLinkUrl(entry) || (!entry.empty() && entry[0] == '/'))
        return NumberOfPathOrUrl(entry);
    if (entry.size() <= ComPrefix.size() || entry.compare(0, ComPrefix.size(), ComPrefix) != 0)
        return -1;
    uint32_t n = 0;
    for (size_t i = ComPrefix.size(); i < entry.size(); ++i) {
        if (entry[i] < '0' || entry[i] > '9') return -1;
        n = n * 10 + static_cast<uint32_t>(entry[i] - '0');
        if (n > HighestCom) return -1;
    }
    return static_cast<int32_t>(n);
}

int32_t NumberOfPathOrUrl(const std::string& entry) {
    if (LooksLikeLinkUrl(entry)) return LinkNumberForUrl(entry);
    if (!entry.empty() && entry[0] == '/') return PortTable::NumberForPath(entry);
    return -1;
}

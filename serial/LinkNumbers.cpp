#include "serial/LinkNumbers.h"

#include <mutex>
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

int32_t NumberOfPathOrUrl(const std::string& entry) {
    if (LooksLikeLinkUrl(entry)) return LinkNumberForUrl(entry);
    if (!entry.empty() && entry[0] == '/') return PortTable::NumberForPath(entry);
    return -1;
}

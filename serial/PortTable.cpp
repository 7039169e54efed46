#include "serial/PortTable.h"

#include <mutex>

namespace PortTable {
namespace {

std::mutex& TableLock() {
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& Table() {
    static std::vector<std::string> paths;
    return paths;
}

}  // namespace

int32_t NumberForPath(const std::string& path) {
    std::lock_guard<std::mutex> guard(TableLock());
    std::vector<std::string>& paths = Table();
    for (size_t i = 0; i < paths.size(); ++i)
        if (paths[i] == path) return static_cast<int32_t>(i + 1);
    paths.push_back(path);
    return static_cast<int32_t>(paths.size());
}

std::string PathForNumber(int32_t number) {
    std::lock_guard<std::mutex> guard(TableLock());
    const std::vector<std::string>& paths = Table();
    if (number < 1 || static_cast<size_t>(number) > paths.size()) return {};
    return paths[static_cast<size_t>(number) - 1];
}

std::string NameForNumber(int32_t number) {
    // Devices in a folder of /dev keep it: /dev/pts/3 is "pts/3", not "3".
    static const std::string DevFolder = "/dev/";
    const std::string path = PathForNumber(number);
    if (path.compare(0, DevFolder.size(), DevFolder) == 0) return path.substr(DevFolder.size());
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> Paths() {
    std::lock_guard<std::mutex> guard(TableLock());
    return Table();
}

}  // namespace PortTable

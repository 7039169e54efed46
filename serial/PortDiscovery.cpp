#include "serial/PortDiscovery.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr int MaxAncestorsToVendor = 6;  // tty -> interface -> USB device, with room to spare
constexpr const char* UnknownUartType = "0";

std::string FirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

PortDiscovery::PortDiscovery(std::string sysfsRoot, std::string devRoot)
    : FSysfsRoot(std::move(sysfsRoot)), FDevRoot(std::move(devRoot)) {}

bool PortDiscovery::IsHardwarePort(const std::string& name) const {
    const fs::path entry = fs::path(FSysfsRoot) / "class" / "tty" / name;
    std::error_code error;
    if (!fs::exists(entry / "device", error)) return false;
    const fs::path type = entry / "type";
    return !fs::exists(type, error) || FirstLine(type) != UnknownUartType;
}

std::vector<std::string> PortDiscovery::ListPorts() const {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(FSysfsRoot) / "class" / "tty", error), end;
         !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (IsHardwarePort(name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back((fs::path(FDevRoot) / name).string());
    return paths;
}

std::string PortDiscovery::UsbVendorOf(const std::string& name) const {
    std::error_code error;
    fs::path device =
        fs::canonical(fs::path(FSysfsRoot) / "class" / "tty" / name / "device", error);
    for (int i = 0; !error && i < MaxAncestorsToVendor && !device.empty(); ++i) {
        if (fs::exists(device / "idVendor", error)) return FirstLine(device / "idVendor");
        if (device == device.parent_path()) break;
        device = device.parent_path();
    }
    return {};
}

std::string PortDiscovery::FindProlificPort() const {
    std::string found;
    for (const std::string& path : ListPorts())
        if (UsbVendorOf(fs::path(path).filename().string()) == ProlificVendorId) found = path;
    return found;
}

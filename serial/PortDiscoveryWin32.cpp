// Port discovery from the Windows registry. Built on Windows only.
#include <windows.h>

#include <vector>

#include "serial/PortDiscovery.h"

namespace {

constexpr REGSAM RegistryReadAccess = 0x20019;  // KEY_READ
constexpr const char* SerialDeviceMapKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr const char* ProlificServiceEnumKey =
    "SYSTEM\\CurrentControlSet\\Services\\Ser2pl\\Enum\\";
constexpr const char* DeviceEnumKey = "SYSTEM\\CurrentControlSet\\Enum\\";
constexpr const char* DeviceParametersSubKey = "\\Device Parameters\\";
constexpr const char* InstanceCountValue = "Count";
constexpr const char* PortNameValue = "PortName";
constexpr DWORD MaxInstancePathBytes = 40;  // terminator included
constexpr DWORD MaxPortNameBytes = 16;      // 15 characters and the terminator
constexpr DWORD MaxValueNameChars = 16383;  // the registry's own limit

// An open registry key, closed when it goes out of scope.
class RegistryKey {
  public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (FKey) RegCloseKey(FKey);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool Open(const std::string& path) {
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, RegistryReadAccess, &FKey) ==
               ERROR_SUCCESS;
    }
    bool OpenOrCreate(const std::string& path) {
        return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                               RegistryReadAccess, nullptr, &FKey, nullptr) == ERROR_SUCCESS;
    }

    std::vector<std::string> ValueNames() const {
        std::vector<std::string> names;
        std::vector<char> name(MaxValueNameChars + 1);
        for (DWORD i = 0;; ++i) {
            DWORD length = static_cast<DWORD>(name.size());
            if (RegEnumValueA(FKey, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.emplace_back(name.data(), length);
        }
        return names;
    }

    bool ReadNumber(const char* name, DWORD& number) const {
        DWORD type = 0;
        DWORD size = sizeof number;
        return RegQueryValueExA(FKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&number),
                                &size) == ERROR_SUCCESS &&
               type == REG_DWORD;
    }

    // A string value of at most `maxBytes` bytes, terminator included; a
    // longer one fails.
    bool ReadString(const std::string& name, DWORD maxBytes, std::string& text) const {
        std::vector<char> data(maxBytes + 1, 0);
        DWORD type = 0;
        DWORD size = maxBytes;
        if (RegQueryValueExA(FKey, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
            return false;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
        text.assign(data.data());  // stops at the terminator, or at the zero after the data
        return true;
    }

    // A string value of any length; empty when it cannot be read.
    std::string ReadString(const std::string& name) const {
        DWORD size = 0;
        if (RegQueryValueExA(FKey, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
            return {};
        std::string text;
        return ReadString(name, size, text) ? text : std::string();
    }

  private:
    HKEY FKey = nullptr;
};

}  // namespace

PortDiscovery::PortDiscovery(std::string sysfsRoot, std::string devRoot)
    : FSysfsRoot(std::move(sysfsRoot)), FDevRoot(std::move(devRoot)) {}

std::vector<std::string> PortDiscovery::ListPorts() const {
    RegistryKey map;
    if (!map.OpenOrCreate(SerialDeviceMapKey)) return {};
    std::vector<std::string> ports = map.ValueNames();
    for (std::string& entry : ports) entry = map.ReadString(entry);
    return ports;
}

std::string PortDiscovery::FindProlificPort() const {
    RegistryKey service;
    DWORD count = 0;
    if (!service.Open(ProlificServiceEnumKey) || !service.ReadNumber(InstanceCountValue, count))
        return {};
    // The last instance the service lists; a count of 0 names "-1", which is never there.
    const std::string lastInstance = std::to_string(static_cast<int32_t>(count) - 1);
    std::string instancePath;
    if (!service.ReadString(lastInstance, MaxInstancePathBytes, instancePath)) return {};
    RegistryKey parameters;
    std::string portName;
    if (!parameters.Open(DeviceEnumKey + instancePath + DeviceParametersSubKey) ||
        !parameters.ReadString(PortNameValue, MaxPortNameBytes, portName))
        return {};
    return portName;
}

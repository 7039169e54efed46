// Port discovery from wine's registry: the COM ports the test session
// declared, and a Prolific driver service written by each test.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "serial/PortDiscovery.h"

namespace {

const std::string PtyCom = "COM" + std::to_string(LUMAROKUB_PTY_COM_NUMBER);
const std::string SpareCom = "COM" + std::to_string(LUMAROKUB_SPARE_COM_NUMBER);

constexpr const char* SerialMap = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr const char* ServiceKey = "SYSTEM\\CurrentControlSet\\Services\\Ser2pl";
constexpr const char* DeviceEnum = "SYSTEM\\CurrentControlSet\\Enum\\";
constexpr const char* AdapterRoot = "USB\\VID_067B&PID_2303";
const std::string FirstInstance = std::string(AdapterRoot) + "\\5&1A2B3C&0&1";
const std::string LastInstance = std::string(AdapterRoot) + "\\5&1A2B3C&0&2";

bool SetString(const std::string& key, const std::string& name, const std::string& text) {
    HKEY handle;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result =
        RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool SetNumber(const std::string& key, const std::string& name, DWORD number) {
    HKEY handle;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExA(handle, name.c_str(), 0, REG_DWORD,
                                       reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

void DeleteTree(const std::string& key) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

bool KeyExists(const std::string& key) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

// --- the serial device map ---------------------------------------------------

TEST(Win32ListPorts, ListsTheDeclaredPortsInRegistryOrder) {
    const PortDiscovery discovery;
    EXPECT_EQ(discovery.ListPorts(), (std::vector<std::string>{PtyCom, SpareCom}));

    // Registry order, not name order: COM10 enumerates last.
    const std::string extra = "\\Device\\Serial9";
    ASSERT_TRUE(SetString(SerialMap, extra, "COM10"));
    EXPECT_EQ(discovery.ListPorts(), (std::vector<std::string>{PtyCom, SpareCom, "COM10"}));
    HKEY map;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, SerialMap, 0, KEY_ALL_ACCESS, &map), ERROR_SUCCESS);
    RegDeleteValueA(map, extra.c_str());
    RegCloseKey(map);
    EXPECT_EQ(discovery.ListPorts().size(), 2u);
}

TEST(Win32ListPorts, AMissingDeviceMapIsCreatedAndListsNothing) {
    const PortDiscovery discovery;
    const std::vector<std::string> before = discovery.ListPorts();
    ASSERT_FALSE(before.empty());
    // Keep the value names to put the map back afterwards.
    std::vector<std::pair<std::string, std::string>> saved;
    HKEY map;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, SerialMap, 0, KEY_READ, &map), ERROR_SUCCESS);
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumValueA(map, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        saved.emplace_back(name, before.at(i));
    }
    RegCloseKey(map);
    DeleteTree(SerialMap);
    ASSERT_FALSE(KeyExists(SerialMap));

    EXPECT_TRUE(discovery.ListPorts().empty());
    EXPECT_TRUE(KeyExists(SerialMap));

    for (const auto& [value, port] : saved) ASSERT_TRUE(SetString(SerialMap, value, port));
    EXPECT_EQ(discovery.ListPorts(), before);
}

// --- the Prolific driver service ---------------------------------------------

class Win32ProlificTest : public ::testing::Test {
  protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        DeleteTree(ServiceKey);
        DeleteTree(std::string(DeviceEnum) + AdapterRoot);
    }
    // The service lists `count` instances; `instance` is the last one.
    static void Install(DWORD count, const std::string& instance, const std::string& portName) {
        const std::string enumKey = std::string(ServiceKey) + "\\Enum";
        ASSERT_TRUE(SetNumber(enumKey, "Count", count));
        if (count > 0) {
            ASSERT_TRUE(SetString(enumKey, std::to_string(count - 1), instance));
        }
        ASSERT_TRUE(SetString(DeviceEnum + instance + "\\Device Parameters", "PortName", portName));
    }

    const PortDiscovery Discovery;
};

TEST_F(Win32ProlificTest, TheLastInstanceGivesThePortName) {
    Install(1, FirstInstance, "COM3");
    EXPECT_EQ(Discovery.FindProlificPort(), "COM3");
    Install(2, LastInstance, PtyCom);
    EXPECT_EQ(Discovery.FindProlificPort(), PtyCom);
    const std::vector<std::string> ports = Discovery.ListPorts();
    EXPECT_NE(std::find(ports.begin(), ports.end(), Discovery.FindProlificPort()), ports.end());
}

TEST_F(Win32ProlificTest, NoServiceOrMissingStepsFindNothing) {
    EXPECT_EQ(Discovery.FindProlificPort(), "");
    // Count 0 names the value "-1", which is not there.
    Install(0, FirstInstance, "COM3");
    ASSERT_TRUE(SetString(std::string(ServiceKey) + "\\Enum", "0", FirstInstance));
    EXPECT_EQ(Discovery.FindProlificPort(), "");
    // An instance without device parameters.
    Clean();
    ASSERT_TRUE(SetNumber(std::string(ServiceKey) + "\\Enum", "Count", 1));
    ASSERT_TRUE(SetString(std::string(ServiceKey) + "\\Enum", "0", LastInstance));
    EXPECT_EQ(Discovery.FindProlificPort(), "");
}

TEST_F(Win32ProlificTest, TheInstancePathHoldsAtMost39Characters) {
    const std::string path39 = std::string(AdapterRoot) + "\\5&2C1A8F3B&0&1234";
    ASSERT_EQ(path39.size(), 39u);
    Install(1, path39, "COM4");
    EXPECT_EQ(Discovery.FindProlificPort(), "COM4");
    Clean();
    Install(1, path39 + "5", "COM4");
    EXPECT_EQ(Discovery.FindProlificPort(), "");
}

TEST_F(Win32ProlificTest, ThePortNameHoldsAtMost15Characters) {
    Install(1, FirstInstance, "COM123456789012");
    EXPECT_EQ(Discovery.FindProlificPort(), "COM123456789012");
    Install(1, FirstInstance, "COM1234567890123");
    EXPECT_EQ(Discovery.FindProlificPort(), "");
}

// The name is kept as the registry spells it, so matching it against the
// port list is exact: com5 is not COM5.
TEST_F(Win32ProlificTest, ThePortNameIsTakenAsSpelled) {
    std::string lower = PtyCom;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    Install(1, FirstInstance, lower);
    EXPECT_EQ(Discovery.FindProlificPort(), lower);
    const std::vector<std::string> ports = Discovery.ListPorts();
    EXPECT_EQ(std::find(ports.begin(), ports.end(), lower), ports.end());
}

}  // namespace

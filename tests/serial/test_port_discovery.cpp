// Port discovery over fake sysfs trees.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "serial/PortDiscovery.h"

namespace fs = std::filesystem;

namespace {

// A small sysfs tree: tty class entries linking to devices, as the kernel lays them out.
class FakeSysfs {
public:
    FakeSysfs() : Root(fs::temp_directory_path() / ("lumarokub_sysfs_" + std::to_string(getpid()))) {
        fs::remove_all(Root);
        fs::create_directories(Root / "class" / "tty");
    }
    ~FakeSysfs() { fs::remove_all(Root); }

    // A virtual tty (no device link), like ptys and consoles.
    void AddVirtual(const std::string& name) { fs::create_directories(Tty(name)); }

    // A legacy UART; type 0 means no hardware behind it.
    void AddUart(const std::string& name, int type) {
        const fs::path device = Root / "devices" / "platform" / "serial8250" / name;
        fs::create_directories(device);
        fs::create_directories(Tty(name));
        fs::create_directory_symlink(device, Tty(name) / "device");
        std::ofstream(Tty(name) / "type") << type << "\n";
    }

    // A USB adapter: tty -> interface -> USB device holding idVendor.
    void AddUsb(const std::string& name, const std::string& vendor, int bus) {
        const fs::path usb = Root / "devices" / "pci0000:00" / ("usb" + std::to_string(bus)) /
                             (std::to_string(bus) + "-1");
        const fs::path interface = usb / (std::to_string(bus) + "-1:1.0");
        fs::create_directories(interface / name);
        std::ofstream(usb / "idVendor") << vendor << "\n";
        fs::create_directories(Tty(name));
        fs::create_directory_symlink(interface, Tty(name) / "device");
    }

    void Remove(const std::string& name) { fs::remove_all(Tty(name)); }

    fs::path Root;

private:
    fs::path Tty(const std::string& name) const { return Root / "class" / "tty" / name; }
};

TEST(PortDiscovery, ListsHardwarePortsSortedByName) {
    FakeSysfs sysfs;
    sysfs.AddVirtual("tty0");
    sysfs.AddVirtual("ptmx");
    sysfs.AddUart("ttyS0", 4);
    sysfs.AddUart("ttyS1", 0);  // no hardware
    sysfs.AddUsb("ttyUSB1", "0403", 1);
    sysfs.AddUsb("ttyACM0", "1546", 2);
    const PortDiscovery discovery(sysfs.Root.string(), "/dev");
    EXPECT_EQ(discovery.ListPorts(),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB1"}));
    EXPECT_EQ(discovery.FindProlificPort(), "");
}

TEST(PortDiscovery, ProlificAdapterIsTheLastMatchingPort) {
    FakeSysfs sysfs;
    sysfs.AddUsb("ttyUSB0", "067b", 1);
    sysfs.AddUsb("ttyUSB1", "0403", 2);
    const PortDiscovery discovery(sysfs.Root.string(), "/dev");
    EXPECT_EQ(discovery.FindProlificPort(), "/dev/ttyUSB0");
    sysfs.AddUsb("ttyUSB2", "067b", 3);
    EXPECT_EQ(discovery.FindProlificPort(), "/dev/ttyUSB2");
    sysfs.AddUsb("ttyUSB3", "067B", 4);  // vendor ids are compared exactly
    EXPECT_EQ(discovery.FindProlificPort(), "/dev/ttyUSB2");
}

TEST(PortDiscovery, PortsComeAndGo) {
    FakeSysfs sysfs;
    const PortDiscovery discovery(sysfs.Root.string(), "/dev");
    EXPECT_TRUE(discovery.ListPorts().empty());
    sysfs.AddUsb("ttyUSB0", "067b", 1);
    EXPECT_EQ(discovery.ListPorts().size(), 1u);
    sysfs.Remove("ttyUSB0");
    EXPECT_TRUE(discovery.ListPorts().empty());
    EXPECT_EQ(discovery.FindProlificPort(), "");
}

TEST(PortDiscovery, MissingTreeGivesNoPorts) {
    const PortDiscovery discovery("/nonexistent-sysfs", "/dev");
    EXPECT_TRUE(discovery.ListPorts().empty());
}

}  // namespace

// Port discovery: the serial ports present on the machine, in a stable order,
// and the port of a Prolific USB-to-serial adapter.
//
// On Windows the ports are the names (COM5) listed under the registry's
// serial device map, in the registry's enumeration order, and the Prolific
// adapter's port is the "PortName" of the last device instance of the
// adapter's driver service; the constructor's arguments are not used there
// (PortDiscoveryWin32.cpp).
//
// On Linux the ports are the tty devices under <sysfs>/class/tty that have a
// `device` link (real hardware), leaving out legacy UARTs that report no
// hardware (`type` 0); they are listed as /dev paths sorted by name. The
// Prolific adapter is the port whose USB device has vendor id 067b.
#pragma once

#include <string>
#include <vector>

constexpr const char* DefaultSysfsRoot = "/sys";
constexpr const char* ProlificVendorId = "067b";

class PortDiscovery {
  public:
    explicit PortDiscovery(std::string sysfsRoot = DefaultSysfsRoot, std::string devRoot = "/dev");

    // The port paths present now, sorted by name (Windows: the port names in
    // registry order).
    std::vector<std::string> ListPorts() const;
    // The path of the Prolific adapter's port (the last in list order when
    // several match), or empty (Windows: its port name as the registry spells
    // it, or empty).
    std::string FindProlificPort() const;

  private:
    bool IsHardwarePort(const std::string& name) const;
    std::string UsbVendorOf(const std::string& name) const;

    std::string FSysfsRoot;
    std::string FDevRoot;
};

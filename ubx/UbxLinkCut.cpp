#include "ubx/UbxLinkCut.h"

#include "ubx/UbxKeyFile.h"

namespace ubxcfg {

namespace {

// The keys of one port that the link depends on; 0 where the port has none.
struct PortKeys {
    KeyPort Port;
    const char* Name;
    uint32_t Baud;
    uint32_t Enabled;
    uint32_t InUbx, InNmea, OutUbx, OutNmea;
};

constexpr PortKeys PortTable[] = {
    {KeyPort::Uart1, "UART1", KeyUart1Baud, 0x10520005, KeyUart1InUbx, KeyUart1InNmea,
     KeyUart1OutUbx, KeyUart1OutNmea},
    {KeyPort::Uart2, "UART2", KeyUart2Baud, 0x10530005, 0x10750001, 0x10750002, 0x10760001,
     0x10760002},
    {KeyPort::Usb, "USB", 0, 0x10650001, KeyUsbInUbx, KeyUsbInNmea, KeyUsbOutUbx, KeyUsbOutNmea},
};

const PortKeys* KeysOf(KeyPort port) {
    for (const PortKeys& p : PortTable)
        if (p.Port == port) return &p;
    return nullptr;
}

std::string Named(uint32_t id, const std::string& what) {
    return KeyNameOf(id) + ": " + what;
}

}  // namespace

const char* KeyPortName(KeyPort port) {
    const PortKeys* p = KeysOf(port);
    return p ? p->Name : "?";
}

uint32_t NewLinkBaud(const std::vector<KeyValue>& changes, const LinkPort& port) {
    const PortKeys* p = KeysOf(port.Port);
    uint32_t baud = 0;
    if (!p || p->Baud == 0) return 0;
    for (const KeyValue& v : changes)
        if (v.Id == p->Baud) baud = v.Raw == port.Baud ? 0 : static_cast<uint32_t>(v.Raw);
    return baud;
}

std::vector<LinkCut> LinkCuts(const std::vector<KeyValue>& changes, const LinkPort& port) {
    std::vector<LinkCut> cuts;
    const PortKeys* p = KeysOf(port.Port);
    if (!p) return cuts;
    const std::string name = p->Name;
    for (const KeyValue& v : changes) {
        if (p->Baud != 0 && v.Id == p->Baud && v.Raw != port.Baud) {
            cuts.push_back({v.Id, CutKind::Baud,
                            Named(v.Id, name + " changes from " + std::to_string(port.Baud) +
                                            " to " + std::to_string(v.Raw) + " Bd")});
            continue;
        }
        if (v.Raw != 0) continue;  // only switching something off cuts the link
        if (v.Id == p->Enabled)
            cuts.push_back({v.Id, CutKind::PortOff, Named(v.Id, name + " is switched off")});
        else if (v.Id == p->InUbx || v.Id == p->InNmea)
            cuts.push_back({v.Id, CutKind::InputOff,
                            Named(v.Id, name + " stops taking the monitor's commands")});
        else if (v.Id == p->OutUbx || v.Id == p->OutNmea)
            cuts.push_back(
                {v.Id, CutKind::OutputOff, Named(v.Id, name + " stops sending to the monitor")});
    }
    return cuts;
}

}  // namespace ubxcfg

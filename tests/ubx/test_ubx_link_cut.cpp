// Which key changes cut the monitor's link: the port in use only, and only
// what changes its rate or switches its input, output or itself off.
#include <gtest/gtest.h>

#include "ubx/UbxLinkCut.h"

using namespace ubxcfg;

namespace {
constexpr uint32_t Uart2InUbx = 0x10750001;
constexpr uint32_t Uart1Enabled = 0x10520005;
constexpr uint32_t UsbEnabled = 0x10650001;
}  // namespace

TEST(UbxLinkCut, NamesTheChangesThatCutThePortInUse) {
    struct Case {
        const char* Name;
        LinkPort Port;
        std::vector<KeyValue> Changes;
        std::vector<CutKind> Cuts;  // in the changes' order
        uint32_t NewBaud;
    };
    const LinkPort uart1{KeyPort::Uart1, 115200};
    const LinkPort usb{KeyPort::Usb, 0};
    const Case cases[] = {
        {"new rate on the port in use", uart1, {{KeyUart1Baud, 9600}}, {CutKind::Baud}, 9600},
        {"the same rate again", uart1, {{KeyUart1Baud, 115200}}, {}, 0},
        {"another port's rate", uart1, {{KeyUart2Baud, 9600}}, {}, 0},
        {"USB has no rate: UART1's does not matter", usb, {{KeyUart1Baud, 9600}}, {}, 0},
        {"UBX input off", uart1, {{KeyUart1InUbx, 0}}, {CutKind::InputOff}, 0},
        {"NMEA input off", uart1, {{KeyUart1InNmea, 0}}, {CutKind::InputOff}, 0},
        {"input switched on", uart1, {{KeyUart1InUbx, 1}}, {}, 0},
        {"another port's input off", uart1, {{Uart2InUbx, 0}}, {}, 0},
        {"USB output off",
         usb,
         {{KeyUsbOutNmea, 0}, {KeyUsbOutUbx, 0}},
         {CutKind::OutputOff, CutKind::OutputOff},
         0},
        {"UART1 output off while on USB", usb, {{KeyUart1OutNmea, 0}}, {}, 0},
        {"port switched off", uart1, {{Uart1Enabled, 0}}, {CutKind::PortOff}, 0},
        {"USB switched off", usb, {{UsbEnabled, 0}}, {CutKind::PortOff}, 0},
        {"harmless among cutting ones",
         uart1,
         {{KeyRateMeas, 200}, {KeyUart1OutUbx, 0}, {KeyUart1Baud, 38400}},
         {CutKind::OutputOff, CutKind::Baud},
         38400},
        {"nothing", uart1, {}, {}, 0},
    };
    for (const Case& c : cases) {
        const std::vector<LinkCut> cuts = LinkCuts(c.Changes, c.Port);
        ASSERT_EQ(cuts.size(), c.Cuts.size()) << c.Name;
        for (size_t i = 0; i < cuts.size(); ++i) {
            EXPECT_EQ(cuts[i].Kind, c.Cuts[i]) << c.Name;
            EXPECT_EQ(cuts[i].Reason.rfind("CFG-", 0), 0u) << c.Name << ": " << cuts[i].Reason;
        }
        EXPECT_EQ(NewLinkBaud(c.Changes, c.Port), c.NewBaud) << c.Name;
    }
    EXPECT_EQ(LinkCuts({{KeyUart1Baud, 9600}}, uart1)[0].Reason,
              "CFG-UART1-BAUDRATE: UART1 changes from 115200 to 9600 Bd");
}

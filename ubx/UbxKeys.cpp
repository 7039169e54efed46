#include "ubx/UbxKeys.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace ubxcfg {

namespace {

using T = KeyType;

struct Row {
    uint32_t Id;
    const char* Name;
    KeyType Type;
    double Scale;
    const char* Unit;
    const char* Meaning;
};

// Keys outside MSGOUT, group by group.
constexpr Row Rows[] = {
    {0x30210001, "CFG-RATE-MEAS", T::U2, 0.001, "s", "time between two measurements"},
    {0x30210002, "CFG-RATE-NAV", T::U2, 1, "", "measurements per navigation solution"},
    {0x20210003, "CFG-RATE-TIMEREF", T::E1, 1, "",
     "time system the measurements align to (0 UTC, 1 GPS, 2 GLONASS, 3 BeiDou, 4 Galileo)"},

    {0x20110011, "CFG-NAVSPG-FIXMODE", T::E1, 1, "",
     "position fix mode (1 2D only, 2 3D only, 3 auto)"},
    {0x10110013, "CFG-NAVSPG-INIFIX3D", T::L, 1, "", "the first fix must be 3D"},
    {0x2011001c, "CFG-NAVSPG-UTCSTANDARD", T::E1, 1, "",
     "UTC standard the receiver follows (0 auto)"},
    {0x20110021, "CFG-NAVSPG-DYNMODEL", T::E1, 1, "",
     "dynamic platform model (0 portable, 2 stationary, 3 pedestrian, 4 automotive, 5 sea, "
     "6 airborne <1g, 7 <2g, 8 <4g, 9 wrist, 10 bike)"},
    {0x201100a1, "CFG-NAVSPG-INFIL_MINSVS", T::U1, 1, "", "fewest satellites for a fix"},
    {0x201100a2, "CFG-NAVSPG-INFIL_MAXSVS", T::U1, 1, "", "most satellites used in a fix"},
    {0x201100a3, "CFG-NAVSPG-INFIL_MINCNO", T::U1, 1, "dBHz", "weakest signal used in a fix"},
    {0x201100a4, "CFG-NAVSPG-INFIL_MINELEV", T::I1, 1, "deg",
     "elevation mask: lowest satellite used"},
    {0x301100b1, "CFG-NAVSPG-OUTFIL_PDOP", T::U2, 0.1, "", "largest position DOP of an output fix"},
    {0x301100b2, "CFG-NAVSPG-OUTFIL_TDOP", T::U2, 0.1, "", "largest time DOP of an output fix"},
    {0x301100b3, "CFG-NAVSPG-OUTFIL_PACC", T::U2, 1, "m",
     "largest position accuracy of an output fix"},
    {0x301100b4, "CFG-NAVSPG-OUTFIL_TACC", T::U2, 1, "m", "largest time accuracy of an output fix"},
    {0x401100c1, "CFG-NAVSPG-CONSTR_ALT", T::I4, 0.01, "m", "altitude held in 2D fixes"},
    {0x401100c2, "CFG-NAVSPG-CONSTR_ALTVAR", T::U4, 0.0001, "m^2", "variance of the held altitude"},

    {0x1031001f, "CFG-SIGNAL-GPS_ENA", T::L, 1, "", "GPS used"},
    {0x10310001, "CFG-SIGNAL-GPS_L1CA_ENA", T::L, 1, "", "GPS L1 C/A tracked"},
    {0x10310003, "CFG-SIGNAL-GPS_L2C_ENA", T::L, 1, "", "GPS L2C tracked"},
    {0x10310004, "CFG-SIGNAL-GPS_L5_ENA", T::L, 1, "", "GPS L5 tracked"},
    {0x10310020, "CFG-SIGNAL-SBAS_ENA", T::L, 1, "", "SBAS used"},
    {0x10310005, "CFG-SIGNAL-SBAS_L1CA_ENA", T::L, 1, "", "SBAS L1 C/A tracked"},
    {0x10310021, "CFG-SIGNAL-GAL_ENA", T::L, 1, "", "Galileo used"},
    {0x10310007, "CFG-SIGNAL-GAL_E1_ENA", T::L, 1, "", "Galileo E1 tracked"},
    {0x10310009, "CFG-SIGNAL-GAL_E5A_ENA", T::L, 1, "", "Galileo E5a tracked"},
    {0x1031000a, "CFG-SIGNAL-GAL_E5B_ENA", T::L, 1, "", "Galileo E5b tracked"},
    {0x10310022, "CFG-SIGNAL-BDS_ENA", T::L, 1, "", "BeiDou used"},
    {0x1031000d, "CFG-SIGNAL-BDS_B1_ENA", T::L, 1, "", "BeiDou B1I tracked"},
    {0x1031000e, "CFG-SIGNAL-BDS_B2_ENA", T::L, 1, "", "BeiDou B2I tracked"},
    {0x1031000f, "CFG-SIGNAL-BDS_B1C_ENA", T::L, 1, "", "BeiDou B1C tracked"},
    {0x10310028, "CFG-SIGNAL-BDS_B2A_ENA", T::L, 1, "", "BeiDou B2a tracked"},
    {0x10310024, "CFG-SIGNAL-QZSS_ENA", T::L, 1, "", "QZSS used"},
    {0x10310012, "CFG-SIGNAL-QZSS_L1CA_ENA", T::L, 1, "", "QZSS L1 C/A tracked"},
    {0x10310014, "CFG-SIGNAL-QZSS_L1S_ENA", T::L, 1, "", "QZSS L1S (SLAS) tracked"},
    {0x10310015, "CFG-SIGNAL-QZSS_L2C_ENA", T::L, 1, "", "QZSS L2C tracked"},
    {0x10310017, "CFG-SIGNAL-QZSS_L5_ENA", T::L, 1, "", "QZSS L5 tracked"},
    {0x10310025, "CFG-SIGNAL-GLO_ENA", T::L, 1, "", "GLONASS used"},
    {0x10310018, "CFG-SIGNAL-GLO_L1_ENA", T::L, 1, "", "GLONASS L1 tracked"},
    {0x1031001a, "CFG-SIGNAL-GLO_L2_ENA", T::L, 1, "", "GLONASS L2 tracked"},
    {0x10310026, "CFG-SIGNAL-NAVIC_ENA", T::L, 1, "", "NavIC used"},
    {0x1031001d, "CFG-SIGNAL-NAVIC_L5_ENA", T::L, 1, "", "NavIC L5 tracked"},

    {0x40520001, "CFG-UART1-BAUDRATE", T::U4, 1, "Bd", "UART1 line rate"},
    {0x20520002, "CFG-UART1-STOPBITS", T::E1, 1, "",
     "UART1 stop bits (1 one, 2 one and a half, 3 two)"},
    {0x20520003, "CFG-UART1-DATABITS", T::E1, 1, "", "UART1 data bits (0 eight, 1 seven)"},
    {0x20520004, "CFG-UART1-PARITY", T::E1, 1, "", "UART1 parity (0 none, 1 odd, 2 even)"},
    {0x10520005, "CFG-UART1-ENABLED", T::L, 1, "", "UART1 on"},
    {0x10730001, "CFG-UART1INPROT-UBX", T::L, 1, "", "UART1 accepts UBX"},
    {0x10730002, "CFG-UART1INPROT-NMEA", T::L, 1, "", "UART1 accepts NMEA"},
    {0x10730004, "CFG-UART1INPROT-RTCM3X", T::L, 1, "", "UART1 accepts RTCM 3"},
    {0x10740001, "CFG-UART1OUTPROT-UBX", T::L, 1, "", "UART1 sends UBX"},
    {0x10740002, "CFG-UART1OUTPROT-NMEA", T::L, 1, "", "UART1 sends NMEA"},
    {0x10740004, "CFG-UART1OUTPROT-RTCM3X", T::L, 1, "", "UART1 sends RTCM 3"},
    {0x40530001, "CFG-UART2-BAUDRATE", T::U4, 1, "Bd", "UART2 line rate"},
    {0x20530002, "CFG-UART2-STOPBITS", T::E1, 1, "",
     "UART2 stop bits (1 one, 2 one and a half, 3 two)"},
    {0x20530003, "CFG-UART2-DATABITS", T::E1, 1, "", "UART2 data bits (0 eight, 1 seven)"},
    {0x20530004, "CFG-UART2-PARITY", T::E1, 1, "", "UART2 parity (0 none, 1 odd, 2 even)"},
    {0x10530005, "CFG-UART2-ENABLED", T::L, 1, "", "UART2 on"},
    {0x10750001, "CFG-UART2INPROT-UBX", T::L, 1, "", "UART2 accepts UBX"},
    {0x10750002, "CFG-UART2INPROT-NMEA", T::L, 1, "", "UART2 accepts NMEA"},
    {0x10750004, "CFG-UART2INPROT-RTCM3X", T::L, 1, "", "UART2 accepts RTCM 3"},
    {0x10760001, "CFG-UART2OUTPROT-UBX", T::L, 1, "", "UART2 sends UBX"},
    {0x10760002, "CFG-UART2OUTPROT-NMEA", T::L, 1, "", "UART2 sends NMEA"},
    {0x10760004, "CFG-UART2OUTPROT-RTCM3X", T::L, 1, "", "UART2 sends RTCM 3"},
    {0x10650001, "CFG-USB-ENABLED", T::L, 1, "", "USB on"},
    {0x10650002, "CFG-USB-SELFPOW", T::L, 1, "", "the device powers itself (not from the bus)"},
    {0x3065000a, "CFG-USB-VENDOR_ID", T::U2, 1, "", "USB vendor id"},
    {0x3065000b, "CFG-USB-PRODUCT_ID", T::U2, 1, "", "USB product id"},
    {0x3065000c, "CFG-USB-POWER", T::U2, 1, "mA", "current drawn from the bus"},
    {0x10770001, "CFG-USBINPROT-UBX", T::L, 1, "", "USB accepts UBX"},
    {0x10770002, "CFG-USBINPROT-NMEA", T::L, 1, "", "USB accepts NMEA"},
    {0x10770004, "CFG-USBINPROT-RTCM3X", T::L, 1, "", "USB accepts RTCM 3"},
    {0x10780001, "CFG-USBOUTPROT-UBX", T::L, 1, "", "USB sends UBX"},
    {0x10780002, "CFG-USBOUTPROT-NMEA", T::L, 1, "", "USB sends NMEA"},
    {0x10780004, "CFG-USBOUTPROT-RTCM3X", T::L, 1, "", "USB sends RTCM 3"},

    {0x20050023, "CFG-TP-PULSE_DEF", T::E1, 1, "", "time pulse given by 0 period or 1 frequency"},
    {0x20050030, "CFG-TP-PULSE_LENGTH_DEF", T::E1, 1, "",
     "pulse given by 0 duty ratio or 1 length"},
    {0x30050001, "CFG-TP-ANT_CABLEDELAY", T::I2, 1e-9, "s", "antenna cable delay"},
    {0x40050002, "CFG-TP-PERIOD_TP1", T::U4, 1e-6, "s", "pulse period without a fix"},
    {0x40050003, "CFG-TP-PERIOD_LOCK_TP1", T::U4, 1e-6, "s", "pulse period with a fix"},
    {0x40050024, "CFG-TP-FREQ_TP1", T::U4, 1, "Hz", "pulse frequency without a fix"},
    {0x40050025, "CFG-TP-FREQ_LOCK_TP1", T::U4, 1, "Hz", "pulse frequency with a fix"},
    {0x40050004, "CFG-TP-LEN_TP1", T::U4, 1e-6, "s", "pulse length without a fix"},
    {0x40050005, "CFG-TP-LEN_LOCK_TP1", T::U4, 1e-6, "s", "pulse length with a fix"},
    {0x5005002a, "CFG-TP-DUTY_TP1", T::R8, 1, "%", "duty ratio without a fix"},
    {0x5005002b, "CFG-TP-DUTY_LOCK_TP1", T::R8, 1, "%", "duty ratio with a fix"},
    {0x40050006, "CFG-TP-USER_DELAY_TP1", T::I4, 1e-9, "s", "user delay added to the pulse"},
    {0x10050007, "CFG-TP-TP1_ENA", T::L, 1, "", "time pulse on"},
    {0x10050008, "CFG-TP-SYNC_GNSS_TP1", T::L, 1, "",
     "pulse follows GNSS time, not the local clock"},
    {0x10050009, "CFG-TP-USE_LOCKED_TP1", T::L, 1, "", "the with-a-fix settings apply once locked"},
    {0x1005000a, "CFG-TP-ALIGN_TO_TOW_TP1", T::L, 1, "", "pulse aligned to the top of a second"},
    {0x1005000b, "CFG-TP-POL_TP1", T::L, 1, "", "pulse edge on the second (0 falling, 1 rising)"},
    {0x2005000c, "CFG-TP-TIMEGRID_TP1", T::E1, 1, "",
     "time grid of the pulse (0 UTC, 1 GPS, 2 GLONASS, 3 BeiDou, 4 Galileo)"},

    {0x20410001, "CFG-ITFM-BBTHRESHOLD", T::U1, 1, "", "broadband jamming detection threshold"},
    {0x20410002, "CFG-ITFM-CWTHRESHOLD", T::U1, 1, "",
     "continuous-wave jamming detection threshold"},
    {0x1041000d, "CFG-ITFM-ENABLE", T::L, 1, "", "interference detection on"},
    {0x20410010, "CFG-ITFM-ANTSETTING", T::E1, 1, "",
     "antenna kind (0 unknown, 1 passive, 2 active)"},
    {0x10410013, "CFG-ITFM-ENABLE_AUX", T::L, 1, "",
     "interference detection on the second band too"},

    {0x10360002, "CFG-SBAS-USE_TESTMODE", T::L, 1, "", "use SBAS data flagged as test"},
    {0x10360003, "CFG-SBAS-USE_RANGING", T::L, 1, "", "use SBAS satellites for ranging"},
    {0x10360004, "CFG-SBAS-USE_DIFFCORR", T::L, 1, "", "apply SBAS corrections"},
    {0x10360005, "CFG-SBAS-USE_INTEGRITY", T::L, 1, "", "apply SBAS integrity data"},
    {0x50360006, "CFG-SBAS-PRNSCANMASK", T::X8, 1, "", "SBAS satellites searched (bit 0 PRN 120)"},

    {0x10370005, "CFG-QZSS-USE_SLAS_DGNSS", T::L, 1, "", "apply QZSS SLAS corrections"},
    {0x10370006, "CFG-QZSS-USE_SLAS_TESTMODE", T::L, 1, "", "use SLAS data flagged as test"},
    {0x10370007, "CFG-QZSS-USE_SLAS_RAIM_UNCORR", T::L, 1, "",
     "integrity checks on uncorrected measurements"},
    {0x30370008, "CFG-QZSS-SLAS_MAX_BASELINE", T::U2, 1000, "m",
     "farthest SLAS ground station used"},
};

// MSGOUT: the output rate of a message on a port, in navigation solutions
// (0 off). The ids of one message run I2C, UART1, UART2, USB, SPI from the
// first.
struct OutMessage {
    const char* Name;
    uint16_t FirstItem;  // the I2C key's item number
};

constexpr OutMessage OutMessages[] = {
    {"NMEA_ID_GGA", 0x0ba},     {"NMEA_ID_GLL", 0x0c9},   {"NMEA_ID_GSA", 0x0bf},
    {"NMEA_ID_GSV", 0x0c4},     {"NMEA_ID_RMC", 0x0ab},   {"NMEA_ID_VTG", 0x0b0},
    {"NMEA_ID_ZDA", 0x0d8},     {"NMEA_ID_GNS", 0x0b5},   {"NMEA_ID_GST", 0x0d3},
    {"NMEA_ID_GRS", 0x0ce},     {"NMEA_ID_GBS", 0x0dd},   {"NMEA_ID_DTM", 0x0a6},
    {"UBX_NAV_PVT", 0x006},     {"UBX_NAV_SAT", 0x015},   {"UBX_NAV_SIG", 0x345},
    {"UBX_NAV_STATUS", 0x01a},  {"UBX_NAV_DOP", 0x038},   {"UBX_NAV_POSLLH", 0x029},
    {"UBX_NAV_TIMEUTC", 0x05b}, {"UBX_NAV_CLOCK", 0x065}, {"UBX_NAV_RELPOSNED", 0x08d},
    {"UBX_RXM_SFRBX", 0x231},   {"UBX_MON_RF", 0x359},    {"UBX_MON_SPAN", 0x38b},
    {"UBX_MON_HW", 0x1b4},      {"UBX_SEC_SIG", 0x634},
};

constexpr uint32_t MsgOutBase = 0x20910000;  // size U1, group 0x91

struct PortName {
    KeyPort Port;
    const char* Name;
};
// The ports a user sets outputs for; I2C and SPI keys are still known by id.
constexpr PortName TablePorts[] = {
    {KeyPort::Uart1, "UART1"}, {KeyPort::Uart2, "UART2"}, {KeyPort::Usb, "USB"}};

constexpr uint32_t SizeShift = 28;
constexpr uint32_t SizeMask = 0x7;
constexpr uint32_t GroupMask = 0x00FF0000;
constexpr uint32_t ItemMask = 0x00000FFF;
constexpr uint32_t AllKeys = 0x0FFFFFFF;

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::vector<KeyInfo> BuildTable() {
    std::vector<KeyInfo> table;
    for (const OutMessage& m : OutMessages) {
        for (const PortName& p : TablePorts) {
            KeyInfo k;
            k.Id = MsgOutBase + m.FirstItem + static_cast<uint32_t>(p.Port);
            k.Name = std::string("CFG-MSGOUT-") + m.Name + "_" + p.Name;
            k.Type = KeyType::U1;
            k.Unit = "";
            k.Meaning = "output rate on this port, in navigation solutions (0 off)";
            table.push_back(std::move(k));
        }
    }
    for (const Row& r : Rows) table.push_back({r.Id, r.Name, r.Type, r.Scale, r.Unit, r.Meaning});
    return table;
}

}  // namespace

const std::vector<KeyInfo>& KeyTable() {
    static const std::vector<KeyInfo> table = BuildTable();
    return table;
}

const KeyInfo* FindKey(uint32_t id) {
    for (const KeyInfo& k : KeyTable())
        if (k.Id == id) return &k;
    return nullptr;
}

const KeyInfo* FindKey(std::string_view name) {
    std::string wanted = Upper(name);
    if (wanted.rfind("CFG-", 0) != 0) wanted = "CFG-" + wanted;
    for (const KeyInfo& k : KeyTable())
        if (k.Name == wanted) return &k;
    return nullptr;
}

size_t KeyValueSize(uint32_t id) {
    switch ((id >> SizeShift) & SizeMask) {
        case 1:
        case 2:
            return 1;
        case 3:
            return 2;
        case 4:
            return 4;
        case 5:
            return 8;
        default:
            return 0;
    }
}

KeyType TypeOfSize(uint32_t id) {
    switch ((id >> SizeShift) & SizeMask) {
        case 1:
            return KeyType::L;
        case 3:
            return KeyType::U2;
        case 4:
            return KeyType::U4;
        case 5:
            return KeyType::U8;
        default:
            return KeyType::U1;
    }
}

const char* KeyTypeName(KeyType type) {
    static const char* const names[] = {"L",  "U1", "I1", "X1", "E1", "U2", "I2", "X2", "E2",
                                        "U4", "I4", "X4", "E4", "R4", "U8", "I8", "X8", "R8"};
    return names[static_cast<size_t>(type)];
}

std::string KeyGroupName(const KeyInfo& key) {
    const size_t start = key.Name.find('-') + 1;
    return key.Name.substr(start, key.Name.find('-', start) - start);
}

std::vector<std::string> KeyGroups() {
    std::vector<std::string> groups;
    for (const KeyInfo& k : KeyTable()) {
        std::string g = KeyGroupName(k);
        if (std::find(groups.begin(), groups.end(), g) == groups.end()) groups.push_back(g);
    }
    return groups;
}

std::string KeyIdText(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", id);
    return text;
}

uint32_t KeyIdOf(std::string_view nameOrId) {
    if (const KeyInfo* k = FindKey(nameOrId)) return k->Id;
    const std::string text(nameOrId);
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return 0;
    char* end = nullptr;
    const unsigned long id = std::strtoul(text.c_str() + 2, &end, 16);
    return *end == '\0' ? static_cast<uint32_t>(id) : 0;
}

bool IsGroupWildcard(uint32_t id) {
    return (id & ItemMask) == ItemMask;
}

bool KeyInWildcard(uint32_t id, uint32_t wildcard) {
    if ((wildcard & AllKeys) == AllKeys) return true;
    return (id & GroupMask) == (wildcard & GroupMask);
}

uint32_t MsgOutKey(std::string_view message, KeyPort port) {
    for (const OutMessage& m : OutMessages)
        if (message == m.Name) return MsgOutBase + m.FirstItem + static_cast<uint32_t>(port);
    return 0;
}

}  // namespace ubxcfg

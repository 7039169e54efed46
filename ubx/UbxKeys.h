// The configuration keys of u-blox receivers that take their settings as
// key-value pairs (CFG-VALGET/VALSET/VALDEL): each key's 32-bit id, name,
// type, scale, unit and meaning. A key id carries its value's size in bits
// 28-30 and its group in bits 16-23, so a key not in the table is still read
// and written by id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ubxcfg {

// The value types of the interface description: L is one bit kept in a byte,
// E an enumeration, X a bit field, R a floating-point number.
enum class KeyType : uint8_t {
    L,
    U1,
    I1,
    X1,
    E1,
    U2,
    I2,
    X2,
    E2,
    U4,
    I4,
    X4,
    E4,
    R4,
    U8,
    I8,
    X8,
    R8
};

struct KeyInfo {
    uint32_t Id = 0;
    std::string Name;  // "CFG-RATE-MEAS"
    KeyType Type = KeyType::U1;
    double Scale = 1;  // the value in Unit is the stored integer times Scale
    const char* Unit = "";
    const char* Meaning = "";
};

// Every key the table knows, group by group.
const std::vector<KeyInfo>& KeyTable();
const KeyInfo* FindKey(uint32_t id);
// By name, letter case ignored, "CFG-" optional.
const KeyInfo* FindKey(std::string_view name);

// The value's size in bytes from the id's size bits; 0 for an id without a
// valid size.
size_t KeyValueSize(uint32_t id);
// The type of a key the table lacks: unsigned of the id's size (L for a bit).
KeyType TypeOfSize(uint32_t id);
const char* KeyTypeName(KeyType type);
// "RATE" for CFG-RATE-MEAS; the group part of a name.
std::string KeyGroupName(const KeyInfo& key);
// The group names in table order, each once.
std::vector<std::string> KeyGroups();
// The id of a key the table lacks, as written in place of its name: "0x30210001".
std::string KeyIdText(uint32_t id);
// A name or an id text; 0 when neither.
uint32_t KeyIdOf(std::string_view nameOrId);
// Whether the id asks for every key of its group (item 0xFFF) or of all groups.
bool IsGroupWildcard(uint32_t id);
bool KeyInWildcard(uint32_t id, uint32_t wildcard);

// The message output rate key of a message on a port, 0 when the table has none.
enum class KeyPort : uint8_t { I2c, Uart1, Uart2, Usb, Spi };
uint32_t MsgOutKey(std::string_view message,
                   KeyPort port);  // message: "NMEA_ID_GGA", "UBX_NAV_PVT"

// Well-known keys the monitor uses by name.
constexpr uint32_t KeyRateMeas = 0x30210001;
constexpr uint32_t KeyRateNav = 0x30210002;
constexpr uint32_t KeyUart1Baud = 0x40520001;
constexpr uint32_t KeyUart2Baud = 0x40530001;
constexpr uint32_t KeyUart1InUbx = 0x10730001;
constexpr uint32_t KeyUart1InNmea = 0x10730002;
constexpr uint32_t KeyUart1OutUbx = 0x10740001;
constexpr uint32_t KeyUart1OutNmea = 0x10740002;
constexpr uint32_t KeyUsbInUbx = 0x10770001;
constexpr uint32_t KeyUsbInNmea = 0x10770002;
constexpr uint32_t KeyUsbOutUbx = 0x10780001;
constexpr uint32_t KeyUsbOutNmea = 0x10780002;

}  // namespace ubxcfg

// The key-value configuration messages: CFG-VALGET (poll and answer),
// CFG-VALSET (with the transaction flags when the keys fill more than one
// message) and CFG-VALDEL, both ways (the monitor's and the receiver's), and
// a key value as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ubx/UbxKeys.h"

namespace ubxcfg {

constexpr uint8_t UbxClassCfgKeys = 0x06;
constexpr uint8_t UbxIdValSet = 0x8A;
constexpr uint8_t UbxIdValGet = 0x8B;
constexpr uint8_t UbxIdValDel = 0x8C;
constexpr size_t MaxKeysPerMessage = 64;

// The layer a VALGET reads.
enum class KeyLayer : uint8_t { Ram = 0, Bbr = 1, Flash = 2, Default = 7 };
// The layers a VALSET writes or a VALDEL clears, as bits.
constexpr uint8_t LayerBitRam = 0x01;
constexpr uint8_t LayerBitBbr = 0x02;
constexpr uint8_t LayerBitFlash = 0x04;

enum class Transaction : uint8_t { None = 0, Begin = 1, Continue = 2, End = 3 };

struct KeyValue {
    uint32_t Id = 0;
    uint64_t Raw = 0;  // the value's bytes, little-endian, in the low bytes
    bool operator==(const KeyValue& o) const { return Id == o.Id && Raw == o.Raw; }
};

// "ram", "bbr", "flash", "default" (any letter case); nullopt for anything else.
std::optional<KeyLayer> LayerOfName(std::string_view name);
const char* LayerName(KeyLayer layer);
// "ram,bbr,flash" to the layer bits; 0 for an unknown or empty name.
uint8_t LayerBitsOfNames(std::string_view names);

// --- the monitor's side ---
std::vector<uint8_t> EncodeValGetPoll(KeyLayer layer, uint16_t position,
                                      const std::vector<uint32_t>& keys);
struct ValGetAnswer {
    KeyLayer Layer = KeyLayer::Ram;
    uint16_t Position = 0;
    std::vector<KeyValue> Values;  // unknown keys too, by id
};
// False for a payload that is no answer: a wrong version, a key without a
// valid size, or a value cut short.
bool DecodeValGetAnswer(const uint8_t* payload, size_t length, ValGetAnswer& out);
// One payload when the values fit one message; else a transaction: the first
// message begins it, the last ends and applies it.
std::vector<std::vector<uint8_t>> EncodeValSet(const std::vector<KeyValue>& values, uint8_t layers);
std::vector<std::vector<uint8_t>> EncodeValDel(const std::vector<uint32_t>& keys, uint8_t layers);

// --- the receiver's side ---
struct ValGetPoll {
    KeyLayer Layer = KeyLayer::Ram;
    uint16_t Position = 0;
    std::vector<uint32_t> Keys;
};
bool DecodeValGetPoll(const uint8_t* payload, size_t length, ValGetPoll& out);
std::vector<uint8_t> EncodeValGetAnswer(KeyLayer layer, uint16_t position,
                                        const std::vector<KeyValue>& values);
struct ValChange {
    uint8_t Layers = 0;
    Transaction Step = Transaction::None;
    std::vector<KeyValue> Values;  // VALSET
    std::vector<uint32_t> Keys;    // VALDEL
};
bool DecodeValSet(const uint8_t* payload, size_t length, ValChange& out);
bool DecodeValDel(const uint8_t* payload, size_t length, ValChange& out);

// --- values as text ---
// The value in its type: a bit 0/1, integers in decimal (X types in
// hexadecimal), R types as a decimal fraction; a key the table lacks by its size.
std::string KeyValueText(uint32_t id, uint64_t raw);
// The text back to the value's bytes; false when it is no value of the key's
// type or does not fit its size.
bool ParseKeyValue(uint32_t id, std::string_view text, uint64_t& raw);

}  // namespace ubxcfg

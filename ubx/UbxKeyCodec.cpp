#include "ubx/UbxKeyCodec.h"

#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ubxcfg {

namespace {

constexpr uint8_t PollVersion = 0;
constexpr uint8_t AnswerVersion = 1;
constexpr uint8_t PlainVersion = 0;        // VALSET/VALDEL without a transaction
constexpr uint8_t TransactionVersion = 1;  // VALSET/VALDEL with the transaction byte
constexpr size_t HeaderSize = 4;
constexpr size_t KeySize = 4;

void PutLe(std::vector<uint8_t>& out, uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint64_t GetLe(const uint8_t* p, size_t size) {
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i) value |= static_cast<uint64_t>(p[i]) << (8 * i);
    return value;
}

// Key-value pairs from 'at' to 'length'; false on an invalid size or a cut value.
bool ReadValues(const uint8_t* p, size_t at, size_t length, std::vector<KeyValue>& out) {
    while (at < length) {
        if (length - at < KeySize) return false;
        const auto id = static_cast<uint32_t>(GetLe(p + at, KeySize));
        const size_t size = KeyValueSize(id);
        at += KeySize;
        if (size == 0 || length - at < size) return false;
        out.push_back({id, GetLe(p + at, size)});
        at += size;
    }
    return true;
}

bool ReadKeys(const uint8_t* p, size_t at, size_t length, std::vector<uint32_t>& out) {
    if ((length - at) % KeySize != 0) return false;
    for (; at < length; at += KeySize) out.push_back(static_cast<uint32_t>(GetLe(p + at, KeySize)));
    return true;
}

std::vector<uint8_t> Header(uint8_t version, uint8_t layers, Transaction step) {
    return {version, layers, static_cast<uint8_t>(step), 0};
}

Transaction StepOf(size_t chunk, size_t chunks) {
    if (chunks == 1) return Transaction::None;
    if (chunk == 0) return Transaction::Begin;
    return chunk + 1 == chunks ? Transaction::End : Transaction::Continue;
}

template <class Item, class Write>
std::vector<std::vector<uint8_t>> Chunked(const std::vector<Item>& items, uint8_t layers,
                                          Write write) {
    const size_t chunks =
        items.empty() ? 1 : (items.size() + MaxKeysPerMessage - 1) / MaxKeysPerMessage;
    std::vector<std::vector<uint8_t>> out;
    for (size_t c = 0; c < chunks; ++c) {
        const Transaction step = StepOf(c, chunks);
        std::vector<uint8_t> payload =
            Header(step == Transaction::None ? PlainVersion : TransactionVersion, layers, step);
        const size_t end = std::min(items.size(), (c + 1) * MaxKeysPerMessage);
        for (size_t i = c * MaxKeysPerMessage; i < end; ++i) write(payload, items[i]);
        out.push_back(std::move(payload));
    }
    return out;
}

bool DecodeChange(const uint8_t* p, size_t length, ValChange& out) {
    if (length < HeaderSize || (p[0] != PlainVersion && p[0] != TransactionVersion)) return false;
    out.Layers = p[1];
    out.Step = Transaction::None;
    if (p[0] == TransactionVersion) {
        if (p[2] > static_cast<uint8_t>(Transaction::End)) return false;
        out.Step = static_cast<Transaction>(p[2]);
    }
    return true;
}

bool IsSigned(KeyType t) {
    return t == KeyType::I1 || t == KeyType::I2 || t == KeyType::I4 || t == KeyType::I8;
}
bool IsHex(KeyType t) {
    return t == KeyType::X1 || t == KeyType::X2 || t == KeyType::X4 || t == KeyType::X8;
}
bool IsReal(KeyType t) {
    return t == KeyType::R4 || t == KeyType::R8;
}

KeyType TypeOf(uint32_t id) {
    const KeyInfo* k = FindKey(id);
    return k ? k->Type : TypeOfSize(id);
}

uint64_t SizeMaskOf(size_t size) {
    return size >= 8 ? ~0ULL : (1ULL << (8 * size)) - 1;
}

// Decimal, or hexadecimal after "0x" (a sign before it allowed).
int BaseOf(const std::string& text) {
    const size_t at = text[0] == '-' || text[0] == '+' ? 1 : 0;
    return text.compare(at, 2, "0x") == 0 || text.compare(at, 2, "0X") == 0 ? 16 : 10;
}

}  // namespace

std::optional<KeyLayer> LayerOfName(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "ram") return KeyLayer::Ram;
    if (lower == "bbr") return KeyLayer::Bbr;
    if (lower == "flash") return KeyLayer::Flash;
    if (lower == "default") return KeyLayer::Default;
    return std::nullopt;
}

const char* LayerName(KeyLayer layer) {
    switch (layer) {
        case KeyLayer::Ram:
            return "ram";
        case KeyLayer::Bbr:
            return "bbr";
        case KeyLayer::Flash:
            return "flash";
        case KeyLayer::Default:
            return "default";
    }
    return "?";
}

uint8_t LayerBitsOfNames(std::string_view names) {
    uint8_t bits = 0;
    while (!names.empty()) {
        const size_t comma = names.find(',');
        const std::optional<KeyLayer> layer = LayerOfName(names.substr(0, comma));
        if (!layer || *layer == KeyLayer::Default) return 0;
        bits |= static_cast<uint8_t>(1u << static_cast<unsigned>(*layer));
        if (comma == std::string_view::npos) break;
        names.remove_prefix(comma + 1);
        if (names.empty()) return 0;
    }
    return bits;
}

std::vector<uint8_t> EncodeValGetPoll(KeyLayer layer, uint16_t position,
                                      const std::vector<uint32_t>& keys) {
    std::vector<uint8_t> out = {PollVersion, static_cast<uint8_t>(layer)};
    PutLe(out, position, 2);
    for (uint32_t key : keys) PutLe(out, key, KeySize);
    return out;
}

bool DecodeValGetAnswer(const uint8_t* p, size_t length, ValGetAnswer& out) {
    if (length < HeaderSize || p[0] != AnswerVersion) return false;
    out.Layer = static_cast<KeyLayer>(p[1]);
    out.Position = static_cast<uint16_t>(GetLe(p + 2, 2));
    out.Values.clear();
    return ReadValues(p, HeaderSize, length, out.Values);
}

std::vector<std::vector<uint8_t>> EncodeValSet(const std::vector<KeyValue>& values,
                                               uint8_t layers) {
    return Chunked(values, layers, [](std::vector<uint8_t>& out, const KeyValue& v) {
        PutLe(out, v.Id, KeySize);
        PutLe(out, v.Raw, KeyValueSize(v.Id));
    });
}

std::vector<std::vector<uint8_t>> EncodeValDel(const std::vector<uint32_t>& keys, uint8_t layers) {
    return Chunked(keys, layers,
                   [](std::vector<uint8_t>& out, uint32_t key) { PutLe(out, key, KeySize); });
}

bool DecodeValGetPoll(const uint8_t* p, size_t length, ValGetPoll& out) {
    if (length < HeaderSize || p[0] != PollVersion) return false;
    out.Layer = static_cast<KeyLayer>(p[1]);
    out.Position = static_cast<uint16_t>(GetLe(p + 2, 2));
    out.Keys.clear();
    return ReadKeys(p, HeaderSize, length, out.Keys);
}

std::vector<uint8_t> EncodeValGetAnswer(KeyLayer layer, uint16_t position,
                                        const std::vector<KeyValue>& values) {
    std::vector<uint8_t> out = {AnswerVersion, static_cast<uint8_t>(layer)};
    PutLe(out, position, 2);
    for (const KeyValue& v : values) {
        PutLe(out, v.Id, KeySize);
        PutLe(out, v.Raw, KeyValueSize(v.Id));
    }
    return out;
}

bool DecodeValSet(const uint8_t* p, size_t length, ValChange& out) {
    out.Values.clear();
    return DecodeChange(p, length, out) && ReadValues(p, HeaderSize, length, out.Values);
}

bool DecodeValDel(const uint8_t* p, size_t length, ValChange& out) {
    out.Keys.clear();
    return DecodeChange(p, length, out) && ReadKeys(p, HeaderSize, length, out.Keys);
}

std::string KeyValueText(uint32_t id, uint64_t raw) {
    const KeyType type = TypeOf(id);
    const size_t size = KeyValueSize(id);
    char text[40];
    if (type == KeyType::R8) {
        double d;
        std::memcpy(&d, &raw, sizeof d);
        std::snprintf(text, sizeof text, "%.17g", d);
    } else if (type == KeyType::R4) {
        const auto bits = static_cast<uint32_t>(raw);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(f));
    } else if (IsHex(type)) {
        std::snprintf(text, sizeof text, "0x%0*" PRIx64, static_cast<int>(2 * size), raw);
    } else if (IsSigned(type)) {
        const unsigned shift = static_cast<unsigned>(64 - 8 * size);
        const auto value = static_cast<int64_t>(raw << shift) >> shift;
        std::snprintf(text, sizeof text, "%" PRId64, value);
    } else {
        std::snprintf(text, sizeof text, "%" PRIu64, raw);
    }
    return text;
}

bool ParseKeyValue(uint32_t id, std::string_view view, uint64_t& raw) {
    const KeyType type = TypeOf(id);
    const size_t size = KeyValueSize(id);
    const std::string text(view);
    if (size == 0 || text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    if (IsReal(type)) {
        const double d = std::strtod(text.c_str(), &end);
        if (*end != '\0' || errno != 0 || !std::isfinite(d)) return false;
        if (type == KeyType::R8) {
            std::memcpy(&raw, &d, sizeof d);
        } else {
            const auto f = static_cast<float>(d);
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            raw = bits;
        }
        return true;
    }
    if (type == KeyType::L) {
        if (text != "0" && text != "1" && text != "true" && text != "false") return false;
        raw = text == "1" || text == "true" ? 1 : 0;
        return true;
    }
    if (IsSigned(type)) {
        const long long v = std::strtoll(text.c_str(), &end, BaseOf(text));
        const long long limit = static_cast<long long>(SizeMaskOf(size) >> 1);
        if (*end != '\0' || errno != 0 || v > limit || v < -limit - 1) return false;
        raw = static_cast<uint64_t>(v) & SizeMaskOf(size);
        return true;
    }
    if (text[0] == '-') return false;
    const unsigned long long v = std::strtoull(text.c_str(), &end, BaseOf(text));
    if (*end != '\0' || errno != 0 || v > SizeMaskOf(size)) return false;
    raw = v;
    return true;
}

}  // namespace ubxcfg

#include "nmea/SentenceTally.h"

#include <algorithm>

namespace {

constexpr size_t MaxAddressLength = 7;  // "GPGSV", "PUBX", "PSRF104"
constexpr uint64_t HashMultiplier = 0x9E3779B97F4A7C15ull;

bool AddressCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The address (the letters and digits from the '$' to the first comma or
// '*') packed into a number; 0 when the text holds none.
uint64_t AddressKey(std::string_view sentence) {
    if (sentence.empty() || sentence[0] != '$') return 0;
    uint64_t key = 0;
    size_t i = 1;
    for (; i < sentence.size() && sentence[i] != ',' && sentence[i] != '*'; ++i) {
        const char c = sentence[i];
        if (i > MaxAddressLength || !AddressCharacter(c)) return 0;
        key = key << 8 | static_cast<uint8_t>(c);
    }
    return i > 1 && i < sentence.size() ? key : 0;
}

std::string AddressOfKey(uint64_t key) {
    std::string address;
    for (; key != 0; key >>= 8) address.insert(address.begin(), static_cast<char>(key & 0xFF));
    return address;
}

}  // namespace

SentenceTally::Slot* SentenceTally::Find(uint64_t key) {
    size_t i = static_cast<size_t>((key * HashMultiplier) >> 58) % Capacity;
    for (int probes = 0; probes < Capacity; ++probes, i = (i + 1) % Capacity) {
        Slot& s = FSlots[i];
        if (s.Key == key) return &s;
        if (s.Key == 0) {
            s.Key = key;
            return &s;
        }
    }
    return &FOther;  // every slot taken
}

void SentenceTally::Count(std::string_view sentence, bool sound) {
    const uint64_t key = AddressKey(sentence);
    Slot& s = key == 0 ? FNoise : *Find(key);
    ++(sound ? s.Sound : s.Failed);
}

uint64_t SentenceTally::SoundOfType(uint8_t type) const {
    uint64_t sound = 0;
    for (const auto& talker : FKnown) sound += talker[type];
    return sound;
}

std::vector<SentenceTally::Row> SentenceTally::Rows() const {
    std::vector<Row> rows;
    for (const Slot& s : FSlots)
        if (s.Key != 0) rows.push_back({AddressOfKey(s.Key), s.Sound, s.Failed});
    for (int t = 0; t < TalkerCount; ++t)
        for (uint8_t type = 0; type < SentenceTypeCount; ++type) {
            const uint64_t sound = FKnown[static_cast<size_t>(t)][type];
            if (sound == 0) continue;
            const std::string address =
                std::string(TalkerText(static_cast<Talker>(t))) + SentenceTypeName(type);
            const auto same = std::find_if(rows.begin(), rows.end(),
                                           [&](const Row& r) { return r.Address == address; });
            if (same != rows.end())
                same->Sound += sound;
            else
                rows.push_back({address, sound, 0});
        }
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return a.Address < b.Address; });
    for (const auto& [slot, name] : {std::pair{&FNoise, NoiseName}, std::pair{&FOther, OtherName}})
        if (slot->Sound + slot->Failed > 0) rows.push_back({name, slot->Sound, slot->Failed});
    return rows;
}

#include "tools/sim/FaultInjector.h"

#include "tools/sim/NmeaText.h"

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

// Position of the '*' of a finished sentence with two checksum digits, or npos.
size_t ChecksumStar(const std::string& s) {
    const size_t star = s.rfind('*');
    if (star == std::string::npos || star + 3 > s.size()) return std::string::npos;
    return star;
}

}  // namespace

std::string FaultInjector::Garbage() {
    if (!FRandom.Chance(FSettings.Garbage)) return {};
    std::string burst(static_cast<size_t>(FRandom.Range(GarbageMin, GarbageMax)), '\0');
    for (char& c : burst) {
        uint8_t b;
        do {
            b = static_cast<uint8_t>(FRandom.Below(256));
        } while (b == '$');
        c = static_cast<char>(b);
    }
    return burst;
}

bool FaultInjector::Corrupt(std::string& sentence) {
    bool changed = false;
    if (FRandom.Chance(FSettings.LongLines)) {
        Stretch(sentence);
        changed = true;
    }
    if (FRandom.Chance(FSettings.BadChecksum)) {
        BreakChecksum(sentence);
        changed = true;
    }
    return changed;
}

void FaultInjector::Stretch(std::string& sentence) {
    const bool withChecksum = ChecksumStar(sentence) != std::string::npos;
    std::string body(SentenceBody(sentence));
    const size_t target = static_cast<size_t>(
        FRandom.Range(static_cast<int>(LongLineMin), static_cast<int>(LongLineMax)));
    const size_t overhead = withChecksum ? 4 : 1;  // '$' and "*hh"
    while (body.size() + overhead < target) {
        body += ',';
        for (int k = FRandom.Range(1, 8); k > 0 && body.size() + overhead < target; --k)
            body += static_cast<char>('0' + FRandom.Below(10));
    }
    sentence = FinishSentence(body, withChecksum);
}

void FaultInjector::BreakChecksum(std::string& sentence) {
    const size_t star = ChecksumStar(sentence);
    const uint8_t right = NmeaChecksum(SentenceBody(sentence));
    const uint8_t wrong = static_cast<uint8_t>(right ^ FRandom.Range(1, 255));
    if (star == std::string::npos) return;
    sentence[star + 1] = HexDigits[wrong >> 4];
    sentence[star + 2] = HexDigits[wrong & 0xF];
}

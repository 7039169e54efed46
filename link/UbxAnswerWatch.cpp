#include "link/UbxAnswerWatch.h"

#include "nmea/UbxMessages.h"

namespace {

constexpr std::string_view SyncText = "B562";
constexpr size_t ClassAt = 4;  // hex digits of the class, then of the id
constexpr size_t IdAt = 6;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool HexByte(std::string_view text, size_t at, uint8_t& value) {
    if (text.size() < at + 2) return false;
    const int high = HexValue(text[at]), low = HexValue(text[at + 1]);
    if (high < 0 || low < 0) return false;
    value = static_cast<uint8_t>(high * 16 + low);
    return true;
}

}  // namespace

void UbxAnswerWatch::ExpectText(std::string_view text, Clock::time_point now) {
    uint8_t messageClass = 0, id = 0;
    if (text.substr(0, SyncText.size()) != SyncText || !HexByte(text, ClassAt, messageClass) ||
        !HexByte(text, IdAt, id))
        return;
    Expect(messageClass, id, now);
}

void UbxAnswerWatch::Expect(uint8_t messageClass, uint8_t id, Clock::time_point now) {
    FWaiting.push_back({messageClass, id, now + AnswerLimit});
}

void UbxAnswerWatch::Answered(bool acknowledged, uint8_t messageClass, uint8_t id) {
    for (auto it = FWaiting.begin(); it != FWaiting.end(); ++it) {
        if (it->Class != messageClass || it->Id != id) continue;
        FWaiting.erase(it);
        Tell(messageClass, id, acknowledged ? " acknowledged" : " refused");
        return;
    }
}

void UbxAnswerWatch::Tick(Clock::time_point now) {
    while (!FWaiting.empty() && FWaiting.front().Deadline <= now) {
        const Awaited late = FWaiting.front();
        FWaiting.pop_front();
        Tell(late.Class, late.Id, ": no answer");
    }
}

void UbxAnswerWatch::Tell(uint8_t messageClass, uint8_t id, const char* outcome) {
    if (FReport) FReport("UBX " + UbxMessageName(messageClass, id) + outcome);
}

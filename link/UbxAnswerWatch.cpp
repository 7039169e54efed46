#include "link/UbxAnswerWatch.h"

#include "ubx/UbxMessages.h"

void UbxAnswerWatch::Expect(uint8_t messageClass, uint8_t id, Clock::time_point now) {
    std::lock_guard<std::mutex> hold(FLock);
    FWaiting.push_back({messageClass, id, now + AnswerLimit});
}

void UbxAnswerWatch::Answered(bool acknowledged, uint8_t messageClass, uint8_t id) {
    std::vector<std::string> told;
    {
        std::lock_guard<std::mutex> hold(FLock);
        for (auto it = FWaiting.begin(); it != FWaiting.end(); ++it) {
            if (it->Class != messageClass || it->Id != id) continue;
            FWaiting.erase(it);
            told.push_back(Line(messageClass, id, acknowledged ? " acknowledged" : " refused"));
            break;
        }
    }
    Tell(told);
}

void UbxAnswerWatch::Tick(Clock::time_point now) {
    std::vector<std::string> told;
    {
        std::lock_guard<std::mutex> hold(FLock);
        while (!FWaiting.empty() && FWaiting.front().Deadline <= now) {
            told.push_back(Line(FWaiting.front().Class, FWaiting.front().Id, ": no answer"));
            FWaiting.pop_front();
        }
    }
    Tell(told);
}

size_t UbxAnswerWatch::Waiting() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FWaiting.size();
}

std::string UbxAnswerWatch::Line(uint8_t messageClass, uint8_t id, const char* outcome) {
    return "UBX " + UbxMessageName(messageClass, id) + outcome;
}

void UbxAnswerWatch::Tell(const std::vector<std::string>& lines) const {
    if (!FReport) return;
    for (const std::string& line : lines) FReport(line);
}

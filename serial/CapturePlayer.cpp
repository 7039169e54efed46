#include "serial/CapturePlayer.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#include "serial/PortDevice.h"

namespace {

constexpr double SecondsPerDay = 86400.0;
constexpr double HalfDay = SecondsPerDay / 2;
constexpr char CommentStart = '#';
constexpr const char* LineEnd = "\r\n";
constexpr const char* TimedTypes[] = {"GGA", "RMC", "ZDA"};
constexpr size_t TypeStart = 3;  // after "$" and the talker
constexpr size_t TypeLength = 3;
constexpr size_t TimeDigits = 6;  // hhmmss

bool Digits(const std::string& text, size_t from, size_t count) {
    if (from + count > text.size()) return false;
    for (size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

int TwoDigits(const std::string& text, size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// The UTC time of day of a GGA, RMC or ZDA sentence, in seconds; false for
// other lines and for a sentence without a time.
bool TimeOfDay(const std::string& line, double& seconds, std::string& utc) {
    if (line.size() < TypeStart + TypeLength + 1 || line[0] != '$') return false;
    const std::string type = line.substr(TypeStart, TypeLength);
    if (std::none_of(std::begin(TimedTypes), std::end(TimedTypes),
                     [&](const char* t) { return type == t; }))
        return false;
    const size_t field = line.find(',');
    if (field == std::string::npos || !Digits(line, field + 1, TimeDigits)) return false;
    const int h = TwoDigits(line, field + 1), m = TwoDigits(line, field + 3),
              s = TwoDigits(line, field + 5);
    if (h > 23 || m > 59 || s > 60) return false;
    double fraction = 0;
    if (line.size() > field + 7 && line[field + 7] == '.') {
        double scale = 0.1;
        for (size_t i = field + 8; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
            fraction += (line[i] - '0') * scale;
            scale /= 10;
        }
    }
    seconds = h * 3600.0 + m * 60.0 + s + fraction;
    utc = line.substr(field + 1, 2) + ":" + line.substr(field + 3, 2) + ":" +
          line.substr(field + 5, 2);
    return true;
}

}  // namespace

std::unique_ptr<CapturePlayer> CapturePlayer::Open(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the capture " + path;
        return nullptr;
    }
    std::ostringstream text;
    text << in.rdbuf();
    auto player = std::make_unique<CapturePlayer>(text.str());
    if (player->Lines() == 0) {
        error = "the capture " + path + " holds no line to play";
        return nullptr;
    }
    return player;
}

CapturePlayer::CapturePlayer(const std::string& text) {
    Load(text);
    FControl->Report(0, FLines.size(), false, FLines.empty() ? "" : FLines[0].Utc);
}

void CapturePlayer::Load(const std::string& text) {
    std::istringstream in(text);
    std::string raw;
    bool timed = false;
    double first = 0, previousDay = 0, dayOffset = 0, last = 0;
    std::string utc;
    while (std::getline(in, raw)) {
        while (!raw.empty() && (raw.back() == '\r' || raw.back() == '\n')) raw.pop_back();
        if (raw.empty() || raw[0] == CommentStart) continue;
        double ofDay = 0;
        if (TimeOfDay(raw, ofDay, utc)) {
            if (!timed) first = previousDay = ofDay;
            if (ofDay < previousDay - HalfDay) dayOffset += SecondsPerDay;  // past midnight
            previousDay = ofDay;
            last = std::max(last, ofDay + dayOffset - first);  // never backwards
            timed = true;
        }
        FLines.push_back({raw + LineEnd, last, utc});
    }
    if (timed) return;  // lines before the first time went with its epoch (time 0)
    for (size_t i = 0; i < FLines.size(); ++i)
        FLines[i].Time = static_cast<double>(i) / UntimedLinesPerSecond;
}

void CapturePlayer::Rewind() {
    FNext = 0;
    FTaken = 0;
    FPlayTime = FLines.empty() ? 0 : FLines[0].Time;
}

size_t CapturePlayer::EpochEnd(size_t from) const {
    size_t end = from;
    while (end < FLines.size() && FLines[end].Time <= FLines[from].Time) ++end;
    return end;
}

size_t CapturePlayer::DueEnd() const {
    size_t end = FNext;
    while (end < FLines.size() && FLines[end].Time <= FPlayTime) ++end;
    return end;
}

int CapturePlayer::Idle(unsigned waitMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    return PortDevice::ReadTimedOut;
}

int CapturePlayer::Copy(uint8_t* data, size_t size, size_t end) {
    size_t count = 0;
    while (FNext < end && count < size) {
        const std::string& text = FLines[FNext].Text;
        const size_t part = std::min(size - count, text.size() - FTaken);
        std::copy_n(text.data() + FTaken, part, data + count);
        count += part;
        FTaken += part;
        if (FTaken < text.size()) break;
        FTaken = 0;
        ++FNext;
    }
    FControl->Report(FNext, FLines.size(), false, FLines[FNext > 0 ? FNext - 1 : 0].Utc);
    return static_cast<int>(count);
}

int CapturePlayer::Read(uint8_t* data, size_t size, unsigned waitMs) {
    const PlaybackControl::Requests requests = FControl->TakeRequests();
    const PlaybackControl::State state = FControl->Snapshot();
    const Clock::time_point now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - FLastTick).count();
    FLastTick = now;
    if (requests.Seek) {
        Rewind();
        FNext = std::min(FLines.size(), static_cast<size_t>(requests.SeekFraction * FLines.size()));
        if (FNext < FLines.size()) FPlayTime = FLines[FNext].Time;
        FControl->Report(FNext, FLines.size(), false,
                         FNext < FLines.size() ? FLines[FNext].Utc : "");
    }
    if (FNext >= FLines.size()) {
        if (!state.Loop) {
            FControl->Report(FNext, FLines.size(), true, FLines.back().Utc);
            return Idle(waitMs);
        }
        Rewind();
    }
    if (requests.Step) {
        FPlayTime = FLines[FNext].Time;
        return Copy(data, size, EpochEnd(FNext));
    }
    if (state.Paused) return Idle(waitMs);
    if (state.Speed == PlaybackControl::AsFastAsPossible) return Copy(data, size, FLines.size());
    FPlayTime += elapsed * state.Speed;
    const size_t end = DueEnd();
    if (end > FNext) return Copy(data, size, end);
    // Nothing due yet: wait for the next line, within the caller's wait.
    const double untilNextMs = (FLines[FNext].Time - FPlayTime) / state.Speed * 1000.0;
    return Idle(static_cast<unsigned>(std::clamp(untilNextMs, 1.0, static_cast<double>(waitMs))));
}

int CapturePlayer::Write(const uint8_t*, size_t, unsigned) {
    return -1;
}

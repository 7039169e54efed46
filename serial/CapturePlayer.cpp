#include "serial/CapturePlayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string_view>
#include <thread>

#include "framing/UbxFrame.h"
#include "serial/PortDevice.h"

namespace {

constexpr double SecondsPerDay = 86400.0;
constexpr double SecondsPerWeek = 7 * SecondsPerDay;
constexpr double NoTime = std::numeric_limits<double>::quiet_NaN();
constexpr const char* TimedTypes[] = {"GGA", "RMC", "ZDA"};
constexpr size_t TypeStart = 3;  // after "$" and the talker
constexpr size_t TypeLength = 3;
constexpr size_t TimeDigits = 6;  // hhmmss
// The UBX navigation messages whose payload begins with the GPS time of
// week in milliseconds (iTOW): POSECEF, POSLLH, STATUS, DOP, SOL, PVT,
// VELECEF, VELNED, TIMEGPS, TIMEUTC, CLOCK, SVINFO, SAT, SIG, EOE.
constexpr uint8_t NavClass = 0x01;
constexpr uint8_t WeekTimedNavIds[] = {0x01, 0x02, 0x03, 0x04, 0x06, 0x07, 0x11, 0x12,
                                       0x20, 0x21, 0x22, 0x30, 0x35, 0x43, 0x61};
constexpr size_t TimeOfWeekBytes = 4;
constexpr double MsPerSecond = 1000.0;

uint8_t ByteAt(std::string_view bytes, size_t at) {
    return static_cast<uint8_t>(bytes[at]);
}

// The size of the UBX frame with a sound checksum that starts at `at`; 0
// when none does.
size_t UbxFrameAt(std::string_view bytes, size_t at) {
    if (at >= bytes.size()) return 0;
    return framing::UbxFrameSizeAt(reinterpret_cast<const uint8_t*>(bytes.data()) + at,
                                   bytes.size() - at);
}

// The end of the line that starts at `at`: after its LF, or where a UBX
// frame begins, or at the end of the capture.
size_t LineEndAt(std::string_view bytes, size_t at) {
    for (size_t i = at; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') return i + 1;
        if (i > at && ByteAt(bytes, i) == framing::UbxSync1 && UbxFrameAt(bytes, i) > 0) return i;
    }
    return bytes.size();
}

bool Digits(std::string_view text, size_t from, size_t count) {
    if (from + count > text.size()) return false;
    for (size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

int TwoDigits(std::string_view text, size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// The UTC time of day of a GGA, RMC or ZDA sentence, in seconds; NoTime for
// other lines and for a sentence without a time.
double TimeOfDay(std::string_view line, std::string& utc) {
    if (line.size() < TypeStart + TypeLength + 1 || line[0] != '$') return NoTime;
    const std::string_view type = line.substr(TypeStart, TypeLength);
    if (std::none_of(std::begin(TimedTypes), std::end(TimedTypes),
                     [&](const char* t) { return type == t; }))
        return NoTime;
    const size_t field = line.find(',');
    if (field == std::string_view::npos || !Digits(line, field + 1, TimeDigits)) return NoTime;
    const int h = TwoDigits(line, field + 1), m = TwoDigits(line, field + 3),
              s = TwoDigits(line, field + 5);
    if (h > 23 || m > 59 || s > 60) return NoTime;
    double fraction = 0;
    if (line.size() > field + 7 && line[field + 7] == '.') {
        double scale = 0.1;
        for (size_t i = field + 8; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
            fraction += (line[i] - '0') * scale;
            scale /= 10;
        }
    }
    utc = std::string(line.substr(field + 1, 2)) + ":" + std::string(line.substr(field + 3, 2)) +
          ":" + std::string(line.substr(field + 5, 2));
    return h * 3600.0 + m * 60.0 + s + fraction;
}

// The GPS time of week of a UBX navigation frame that tells it, in seconds;
// NoTime for other frames.
double TimeOfWeek(std::string_view frame) {
    if (ByteAt(frame, 2) != NavClass ||
        std::none_of(std::begin(WeekTimedNavIds), std::end(WeekTimedNavIds),
                     [&](uint8_t id) { return id == ByteAt(frame, 3); }) ||
        frame.size() < framing::UbxHeaderSize + TimeOfWeekBytes + framing::UbxChecksumSize)
        return NoTime;
    uint32_t ms = 0;
    for (size_t i = 0; i < TimeOfWeekBytes; ++i)
        ms |= static_cast<uint32_t>(ByteAt(frame, framing::UbxHeaderSize + i)) << (8 * i);
    return ms / MsPerSecond;
}

// The capture times from one clock's readings (NoTime where a piece has
// none), the clock going round every `period` seconds: seconds from the
// first reading, never backwards, pieces before the first reading at 0.
// False when no piece has a reading.
bool Timeline(const std::vector<double>& readings, double period, std::vector<double>& times) {
    bool timed = false;
    double first = 0, previous = 0, rounds = 0, last = 0;
    times.assign(readings.size(), 0);
    for (size_t i = 0; i < readings.size(); ++i) {
        const double reading = readings[i];
        if (!std::isnan(reading)) {
            if (!timed) first = previous = reading;
            if (reading < previous - period / 2) rounds += period;  // past midnight, a new week
            previous = reading;
            last = std::max(last, reading + rounds - first);
            timed = true;
        }
        times[i] = last;
    }
    return timed;
}

}  // namespace

std::unique_ptr<CapturePlayer> CapturePlayer::Open(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the capture " + path;
        return nullptr;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    auto player = std::make_unique<CapturePlayer>(bytes.str());
    if (player->Lines() == 0) {
        error = "the capture " + path + " is empty";
        return nullptr;
    }
    return player;
}

CapturePlayer::CapturePlayer(std::string bytes) : FBytes(std::move(bytes)) {
    Load();
    FControl->Report(0, FPieces.size(), false, FPieces.empty() ? "" : FPieces[0].Utc);
}

void CapturePlayer::Load() {
    const std::string_view bytes(FBytes);
    std::vector<double> ofDay, ofWeek;
    std::string utc;
    for (size_t at = 0; at < bytes.size();) {
        const size_t frame = UbxFrameAt(bytes, at);
        const size_t end = frame > 0 ? at + frame : LineEndAt(bytes, at);
        const std::string_view piece = bytes.substr(at, end - at);
        ofDay.push_back(frame > 0 ? NoTime : TimeOfDay(piece, utc));
        ofWeek.push_back(frame > 0 ? TimeOfWeek(piece) : NoTime);
        FPieces.push_back({at, end, 0, utc});
        at = end;
    }
    std::vector<double> times;
    if (!Timeline(ofDay, SecondsPerDay, times) && !Timeline(ofWeek, SecondsPerWeek, times))
        for (size_t i = 0; i < times.size(); ++i)
            times[i] = static_cast<double>(i) / UntimedLinesPerSecond;
    for (size_t i = 0; i < times.size(); ++i) FPieces[i].Time = times[i];
}

void CapturePlayer::Rewind() {
    FNext = 0;
    FTaken = 0;
    FPlayTime = FPieces.empty() ? 0 : FPieces[0].Time;
}

size_t CapturePlayer::EpochEnd(size_t from) const {
    size_t end = from;
    while (end < FPieces.size() && FPieces[end].Time <= FPieces[from].Time) ++end;
    return end;
}

size_t CapturePlayer::DueEnd() const {
    size_t end = FNext;
    while (end < FPieces.size() && FPieces[end].Time <= FPlayTime) ++end;
    return end;
}

int CapturePlayer::Idle(unsigned waitMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    return PortDevice::ReadTimedOut;
}

int CapturePlayer::Copy(uint8_t* data, size_t size, size_t end) {
    size_t count = 0;
    while (FNext < end && count < size) {
        const Piece& piece = FPieces[FNext];
        const size_t length = piece.End - piece.Begin;
        const size_t part = std::min(size - count, length - FTaken);
        std::memcpy(data + count, FBytes.data() + piece.Begin + FTaken, part);
        count += part;
        FTaken += part;
        if (FTaken < length) break;
        FTaken = 0;
        ++FNext;
    }
    FControl->Report(FNext, FPieces.size(), false, FPieces[FNext > 0 ? FNext - 1 : 0].Utc);
    return static_cast<int>(count);
}

int CapturePlayer::Read(uint8_t* data, size_t size, unsigned waitMs) {
    const PlaybackControl::Requests requests = FControl->TakeRequests();
    const PlaybackControl::State state = FControl->Snapshot();
    const Clock::time_point now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - FLastTick).count();
    FLastTick = now;
    if (FPieces.empty()) return Idle(waitMs);
    if (requests.Seek) {
        Rewind();
        FNext =
            std::min(FPieces.size(), static_cast<size_t>(requests.SeekFraction * FPieces.size()));
        if (FNext < FPieces.size()) FPlayTime = FPieces[FNext].Time;
        FControl->Report(FNext, FPieces.size(), false,
                         FNext < FPieces.size() ? FPieces[FNext].Utc : "");
    }
    if (FNext >= FPieces.size()) {
        if (!state.Loop) {
            FControl->Report(FNext, FPieces.size(), true, FPieces.back().Utc);
            return Idle(waitMs);
        }
        Rewind();
    }
    if (requests.Step) {
        FPlayTime = FPieces[FNext].Time;
        return Copy(data, size, EpochEnd(FNext));
    }
    if (state.Paused) return Idle(waitMs);
    if (state.Speed == PlaybackControl::AsFastAsPossible) return Copy(data, size, FPieces.size());
    FPlayTime += elapsed * state.Speed;
    const size_t end = DueEnd();
    if (end > FNext) return Copy(data, size, end);
    // Nothing due yet: wait for the next piece, within the caller's wait.
    const double untilNextMs = (FPieces[FNext].Time - FPlayTime) / state.Speed * 1000.0;
    return Idle(static_cast<unsigned>(std::clamp(untilNextMs, 1.0, static_cast<double>(waitMs))));
}

int CapturePlayer::Write(const uint8_t*, size_t, unsigned) {
    return -1;
}

#include "tools/sim/PacedOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

constexpr int64_t BitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr double NoiseHighShare = 0.9;

}  // namespace

PacedOutput::PacedOutput(PtyLine& line, unsigned long baud, uint32_t noiseSeed)
    : FLine(line),
      FByteNs(static_cast<int64_t>(BitsPerByte * 1'000'000'000LL / std::max(1UL, baud))),
      FSliceBytes(std::max<size_t>(1, static_cast<size_t>(SliceNs / FByteNs))),
      FNoise(noiseSeed) {}

void PacedOutput::SetBaud(unsigned long baud) {
    FByteNs = static_cast<int64_t>(BitsPerByte * 1'000'000'000LL / std::max(1UL, baud));
    FSliceBytes = std::max<size_t>(1, static_cast<size_t>(SliceNs / FByteNs));
}

void PacedOutput::Enqueue(SentItem item, bool urgent) {
    FQueuedBytes += item.Bytes.size();
    (urgent ? FUrgent : FQueue).push_back(std::move(item));
}

bool PacedOutput::NextItem() {
    std::deque<SentItem>& from = !FUrgent.empty() ? FUrgent : FQueue;
    if (from.empty()) return false;
    FCurrent = std::move(from.front());
    from.pop_front();
    FCurrentPos = 0;
    FHasCurrent = true;
    return true;
}

char PacedOutput::NoiseByte() {
    // A receiver's bytes sampled at the wrong rate: framing errors and high
    // bits mostly; never a '$' that could start a sentence.
    if (FNoise.Chance(NoiseHighShare)) return static_cast<char>(0x80 + FNoise.Below(0x80));
    char c;
    do {
        c = static_cast<char>(1 + FNoise.Below(0x7F));
    } while (c == '$');
    return c;
}

bool PacedOutput::Transmit(int64_t nowNs, bool mismatched,
                           const std::function<void(SentItem&&)>& done) {
    if (!HasData()) {
        FIdle = true;
        return true;
    }
    if (FIdle) {
        FLineFreeNs = std::max(FLineFreeNs, nowNs);
        FIdle = false;
    }
    FBlocked = false;
    while (FLineFreeNs <= nowNs && (FHasCurrent || NextItem())) {
        const int64_t late = nowNs - FLineFreeNs;
        FMaxLatenessNs = std::max(FMaxLatenessNs, late);
        if (late > CatchUpLimitNs) FLineFreeNs = nowNs - CatchUpLimitNs;

        const size_t count = std::min(FSliceBytes, FCurrent.Bytes.size() - FCurrentPos);
        std::string slice = FCurrent.Bytes.substr(FCurrentPos, count);
        if (mismatched) {
            for (char& c : slice) c = NoiseByte();
            FCurrent.Garbled = true;
        }
        const ssize_t written = FLine.Write(slice.data(), slice.size());
        if (written < 0) return false;
        if (written == 0) {  // the other side is not reading: wait for room
            FBlocked = true;
            return true;
        }
        const size_t n = static_cast<size_t>(written);
        if (FRecord &&
            (std::fwrite(slice.data(), 1, n, FRecord) != n || std::fflush(FRecord) != 0)) {
            FRecordError = std::strerror(errno);
            FRecord = nullptr;  // the owner closes it
        }
        FBytesSent += n;
        if (mismatched) FNoiseBytes += n;
        FLineFreeNs += static_cast<int64_t>(n) * FByteNs;
        FCurrentPos += n;
        FQueuedBytes -= n;
        if (FCurrentPos == FCurrent.Bytes.size()) {
            FHasCurrent = false;
            done(std::move(FCurrent));
            FCurrent = SentItem{};
        }
    }
    return true;
}

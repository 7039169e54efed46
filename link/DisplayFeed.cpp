#include "link/DisplayFeed.h"

DisplayFeed::DisplayFeed(size_t lineLimit) : FRing(lineLimit > 0 ? lineLimit : 1) {}

bool DisplayFeed::MarkPending() {
    const bool wasIdle = !FPending;
    FPending = true;
    return wasIdle;
}

bool DisplayFeed::AddLine(std::string_view line) {
    std::lock_guard<std::mutex> hold(FLock);
    size_t slot;
    if (FCount < FRing.size()) {
        slot = (FFirst + FCount) % FRing.size();
        ++FCount;
    } else {
        slot = FFirst;  // the oldest makes way
        FFirst = (FFirst + 1) % FRing.size();
        ++FNotShown;
    }
    FRing[slot].assign(line);
    return MarkPending();
}

bool DisplayFeed::RequestRefresh() {
    std::lock_guard<std::mutex> hold(FLock);
    FRefresh = true;
    return MarkPending();
}

DisplayFeed::Batch DisplayFeed::Take() {
    Batch batch;
    std::lock_guard<std::mutex> hold(FLock);
    batch.Lines.reserve(FCount);
    for (size_t i = 0; i < FCount; ++i) batch.Lines.push_back(FRing[(FFirst + i) % FRing.size()]);
    batch.NotShown = FNotShown;
    batch.Refresh = FRefresh;
    FFirst = FCount = 0;
    FNotShown = 0;
    FRefresh = false;
    FPending = false;
    return batch;
}

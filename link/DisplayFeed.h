// What the reader thread has for the display: the console lines since the
// last hand-off and whether the views want a refresh. The reader adds and
// the user-interface thread takes everything at once, when it has time, so
// the reader never waits for the display. The feed holds at most its line
// limit; at a rate the console cannot follow, older lines make way for newer
// ones and are counted instead (the console shows that count, then the
// latest lines). Refresh requests merge into one: the views read the store
// when they refresh, so the latest state wins.
//
// Add and RequestRefresh say when the feed turns from idle to pending: the
// reader then queues one wake-up for the user-interface thread, which stays
// the only one until Take makes the feed idle again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class DisplayFeed {
  public:
    struct Batch {
        std::vector<std::string> Lines;  // oldest first
        uint64_t NotShown = 0;           // older lines that made way for these
        bool Refresh = false;
    };

    explicit DisplayFeed(size_t lineLimit);

    // Reader side: true when the feed was idle until this call.
    bool AddLine(std::string_view line);
    bool RequestRefresh();

    // User-interface side: everything pending; the feed is idle afterwards.
    Batch Take();

  private:
    bool MarkPending();

    std::mutex FLock;
    // A ring of the latest lines; its strings keep their capacity, so the
    // reader allocates nothing once each slot has held a sentence.
    std::vector<std::string> FRing;
    size_t FFirst = 0;
    size_t FCount = 0;
    uint64_t FNotShown = 0;
    bool FRefresh = false;
    bool FPending = false;
};

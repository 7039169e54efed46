// One-shot u-blox restart requests: one raised makes the command sender send
// its next command text as the matching CFG-RST frame instead (hot before
// warm before cold). The restart panel raises none: it sends each restart in
// the receiver's own protocol, and only while connected.
#pragma once

#include <atomic>
#include <string_view>

struct UbxRestartRequests {
    std::atomic<bool> Hot{false};
    std::atomic<bool> Warm{false};
    std::atomic<bool> Cold{false};

    // The text to send in place of `text`: the frame of the first pending
    // request, which is consumed; `text` itself when none is pending.
    std::string_view Apply(std::string_view text);
    void Clear();
};

// The process-wide requests, handed to the restart panel and the command
// senders when the program starts.
extern UbxRestartRequests UbxRestarts;

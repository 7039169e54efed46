// One-shot u-blox restart requests. A restart button raises one; the command
// sender then sends its next command text as the matching CFG-RST frame
// instead (hot before warm before cold). So a restart pressed while no
// receiver is connected goes out in place of the next command sent.
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

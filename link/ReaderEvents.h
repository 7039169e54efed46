// What the reader thread tells the monitor's display, on the user-interface
// thread: console lines, refresh requests, the receiver's UBX answers, its
// identity and the settings it read back, and a capture file that failed.
// The window implements it; ListenToReader wires a reader to it. The device
// gone and the reconnection attempts belong to the connection, which hears
// them from the reader itself and tells its observer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TNmeaFetch;
struct UbxAckRecord;
struct UbxSettingAnswer;
struct UbxKeyValuesRecord;

class ReaderEvents {
  public:
    virtual ~ReaderEvents() = default;
    // Console lines in arrival order, after `notShown` older lines that did
    // not fit a hand-off.
    virtual void ConsoleLines(const std::vector<std::string>& lines, uint64_t notShown) = 0;
    // The store changed enough to redraw the views.
    virtual void RefreshViews() = 0;
    // Runs a hand-off of lines and refreshes now or at the display's pace.
    virtual void PaceDisplay(std::function<void()> handOff) = 0;
    virtual void UbxAnswered(const UbxAckRecord& answer) = 0;
    virtual void ReceiverIdentified(const std::string& identity) = 0;
    virtual void SettingRead(const UbxSettingAnswer& answer) = 0;
    // The key values a CFG-VALGET answered.
    virtual void KeysRead(const UbxKeyValuesRecord& answer) = 0;
    virtual void CaptureFailed() = 0;
};

// Where a reader's events go: the listener while it lives, nothing once it
// has cleared the gate (a hand-off may arrive after the window went).
// Written and read on the user-interface thread only.
using ReaderEventsGate = std::shared_ptr<ReaderEvents*>;

// Hands every event of `reader` to the listener behind `gate`. The console
// takes at most `lineLimit` lines a hand-off.
void ListenToReader(TNmeaFetch& reader, const ReaderEventsGate& gate, size_t lineLimit);

// Splits the bytes a receiver gets from the monitor into commands: UBX binary
// frames and NMEA-style text commands ("$PSRF104,...*"). Text commands are
// taken with or without checksum digits and line end: a '*' followed by
// anything but hexadecimal digits, or by silence (Flush), ends one.
#pragma once

#include <cstdint>
#include <string>

#include "tools/sim/UbxFrame.h"

struct ReceivedCommand {
    enum Kind { Ubx, UbxBadChecksum, Text, TextBadChecksum };
    Kind Type = Text;
    UbxMessage Message;        // Ubx
    std::string Body;          // Text: the characters between '$' and '*' (or the line end)
    bool HasChecksum = false;  // Text: checksum digits were present (and matched)
};

class CommandParser {
  public:
    // Feeds one byte; true when a command is complete in `command`.
    bool Feed(uint8_t byte, ReceivedCommand& command);
    // The line went quiet: completes a text command that waits for digits
    // that will not come. True when one was completed.
    bool Flush(ReceivedCommand& command);
    // Inside a command (waiting for more of it).
    bool Busy() const { return FState != State::Idle; }

  private:
    enum class State { Idle, UbxSync, UbxHeader, UbxRest, Text, TextDigits };
    static constexpr size_t MaxUbxPayload = 1024;
    static constexpr size_t MaxTextLength = 200;

    bool FeedUbx(uint8_t byte, ReceivedCommand& command);
    bool FeedText(uint8_t byte, ReceivedCommand& command);
    bool CompleteText(ReceivedCommand& command, bool digitsPresent);
    void Reset();

    State FState = State::Idle;
    std::string FBytes;  // UBX frame so far, or the text body
    size_t FUbxLength = 0;
    std::string FDigits;
};

// Splits the bytes a receiver gets from the monitor into commands: UBX binary
// frames and NMEA text commands ("$PSRF104,...*HH" CR LF). As on a real
// receiver, a text command counts only with its two checksum digits and its
// CR LF: one that lacks them (a '*' followed by anything else, a line end
// before the '*', a new '$', or silence) is reported as incomplete and not
// acted on. RTCM 3 frames (corrections) are split out beside them, their
// CRC-24Q checked.
#pragma once

#include <cstdint>
#include <string>

#include "tools/sim/UbxFrame.h"

struct ReceivedCommand {
    enum Kind { Ubx, UbxBadChecksum, Text, TextBadChecksum, TextIncomplete, Rtcm, RtcmBadCrc };
    Kind Type = Text;
    UbxMessage Message;       // Ubx
    std::string Body;         // Text: the characters between '$' and '*' (or where it stopped)
    uint16_t RtcmNumber = 0;  // Rtcm: the message number
};

class CommandParser {
  public:
    // Feeds one byte; true when a command is complete in `command`.
    bool Feed(uint8_t byte, ReceivedCommand& command);
    // The line went quiet: a text command still waiting for its checksum or
    // line end is reported as incomplete. True when there was one.
    bool Flush(ReceivedCommand& command);
    // Inside a command that silence ends (waiting for more of it). A
    // correction frame is not: its bytes may come in pieces as the network
    // delivers them.
    bool Busy() const { return FState != State::Idle && FState != State::Rtcm; }

  private:
    enum class State { Idle, UbxSync, UbxHeader, UbxRest, Text, TextDigits, TextCr, TextLf, Rtcm };
    static constexpr size_t MaxUbxPayload = 1024;
    static constexpr size_t MaxTextLength = 200;

    bool FeedUbx(uint8_t byte, ReceivedCommand& command);
    // RTCM 3 corrections (framing/RtcmFrame.h): told as a command once whole.
    bool FeedRtcm(uint8_t byte, ReceivedCommand& command);
    bool FeedText(uint8_t byte, ReceivedCommand& command);
    bool FeedTextEnd(uint8_t byte, ReceivedCommand& command);
    bool CompleteText(ReceivedCommand& command, ReceivedCommand::Kind kind);
    // Ends the text command under way as incomplete; `byte`, which did not
    // belong to it, is fed again from the start.
    bool EndIncomplete(uint8_t byte, ReceivedCommand& command);
    void Reset();

    State FState = State::Idle;
    std::string FBytes;  // UBX frame so far, or the text body
    size_t FUbxLength = 0;
    std::string FDigits;
};

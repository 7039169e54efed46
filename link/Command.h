// The commands the monitor sends to the receiver, as values: an NMEA text, a
// UBX frame, or raw bytes that go out as one unit (correction data). The
// panels and the console hand texts; CommandFromText turns each into its
// value, and WireBytes gives what goes on the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A text sent as its characters; one that starts with '$' is completed with
// its checksum and line end first (CommandText.h).
struct NmeaText {
    std::string Text;
};

// One UBX message; the frame (sync, length, checksum) is made when it goes out.
struct UbxFrame {
    uint8_t Class = 0;
    uint8_t Id = 0;
    std::vector<uint8_t> Payload;
};

// Bytes sent exactly as they are, in one write that no other command splits.
struct RawBytes {
    std::vector<uint8_t> Bytes;
};

using CommandValue = std::variant<NmeaText, UbxFrame, RawBytes>;

struct Command {
    CommandValue Value;
    // A UBX frame followed by CR LF, as the monitor's stored frame texts
    // end (a receiver skips bytes between frames).
    bool LineEnd = false;
    // A UBX frame whose answer (ACK-ACK or ACK-NAK) is watched once it is out.
    bool AwaitAnswer = false;
};

// The longest command text a user or a panel may hand over, in characters:
// an NMEA text before its checksum and line end are completed, or the
// hexadecimal text of a UBX frame. A longer text is refused whole.
constexpr size_t CommandTextLimit = 99;

// The value of a command text: "B562" and the hexadecimal pairs of one whole
// frame with a sound checksum (CR LF "0D0A" after it allowed) is a UbxFrame;
// any other text starting "B562" goes out as the bytes it spells; the rest
// is an NmeaText. Nothing for a text longer than CommandTextLimit.
std::optional<Command> CommandFromText(std::string_view text);

// The bytes of a UbxFrame or RawBytes command as they go out (an NmeaText
// is completed by CompleteCommandText instead). None for a UBX payload
// longer than a frame carries (framing::UbxMaxPayload).
std::vector<uint8_t> FrameWireBytes(const Command& command);

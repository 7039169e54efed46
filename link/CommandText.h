// What a command text becomes on the wire. A receiver acts on an NMEA input
// sentence only with its checksum and line end, so a text that starts with
// '$' gets whatever it lacks of "*HH" and CR LF (HH: the XOR of the
// characters between '$' and '*', two upper-case hexadecimal digits). Checksum
// digits already there are checked (either case; they go out upper-case), and
// a text whose digits are wrong is refused whole. Any other text (a UBX
// frame's hexadecimal text) goes out as it is. The command sender passes
// every line through here; the console uses the same completion for its echo.
#pragma once

#include <string>
#include <string_view>

struct CommandWireText {
    bool Ok = true;
    std::string Text;     // Ok: the bytes to send
    std::string Refusal;  // !Ok: the message telling the user why nothing goes out
};

CommandWireText CompleteCommandText(std::string_view command);

// `wire` without its line end, as the console shows what it sent.
std::string_view WithoutLineEnd(std::string_view wire);

extern const char* const CommandRefusedCaption;

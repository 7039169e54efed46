// Fuzzes both ends of a command: the monitor's completion of a command text
// and the simulator's parser of what a receiver gets. The input is fed to the
// parser as received bytes, and completed as a typed text; a completed NMEA
// text must end in its checksum and CR LF, and the parser must take it back
// as the same command.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/CommandText.h"
#include "tools/sim/CommandParser.h"

namespace {

constexpr size_t ParserTextLimit = 200;  // longer text commands are dropped by the parser

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// The body holds nothing the parser reads as the start or end of a command.
bool PlainBody(std::string_view body) {
    if (body.size() > ParserTextLimit) return false;
    for (char c : body)
        if (c == '$' || c == '*' || c == '\r' || c == '\n') return false;
    return true;
}

void CheckRoundTrip(std::string_view typed) {
    const CommandWireText wire = CompleteCommandText(typed);
    if (typed.empty() || typed.front() != '$') {
        Check(wire.Ok && wire.Text == typed);
        return;
    }
    if (!wire.Ok) {
        Check(!wire.Refusal.empty() && wire.Text.empty());
        return;
    }
    const std::string& text = wire.Text;
    Check(text.size() >= 6 && text.compare(text.size() - 2, 2, "\r\n") == 0);
    Check(text[text.size() - 5] == '*');
    Check(CompleteCommandText(text).Text == text);  // a completed text stays as it is
    const std::string_view body = std::string_view(text).substr(1, text.size() - 6);
    if (!PlainBody(body)) return;
    CommandParser parser;
    ReceivedCommand command;
    int taken = 0;
    for (char c : text)
        if (parser.Feed(static_cast<uint8_t>(c), command)) ++taken;
    Check(taken == 1 && command.Type == ReceivedCommand::Text && command.Body == body);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CommandParser parser;
    ReceivedCommand command;
    for (size_t i = 0; i < size; ++i) parser.Feed(data[i], command);
    parser.Flush(command);
    CheckRoundTrip(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}

// The address of an NTRIP caster and mountpoint:
// ntrip://[USER[:PASSWORD]@]HOST[:PORT]/[MOUNT]. An empty mountpoint asks for
// the caster's source table. The password appears in no text made from the
// address (Shown).
#pragma once

#include <cstdint>
#include <string>

struct NtripUrl {
    static constexpr uint16_t DefaultPort = 2101;

    std::string User;
    std::string Password;
    std::string Host;  // without brackets
    uint16_t Port = DefaultPort;
    std::string Mount;  // empty: the source table

    // "ntrip://USER@HOST:PORT/MOUNT", never the password.
    std::string Shown() const;
};

// True when the text starts with "ntrip://".
bool LooksLikeNtripUrl(const std::string& text);
// Parses `text`; on failure returns false with the reason in `error`.
bool ParseNtripUrl(const std::string& text, NtripUrl& url, std::string& error);

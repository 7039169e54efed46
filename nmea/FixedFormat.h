// Fast number-to-text conversions that give exactly what printf's "%.Nf",
// "%d" and "%02d" give, without printf's cost on the per-sentence path. The
// Write forms write at a pointer and return the end of what they wrote, so
// that a whole text can be built in a local array and stored at once.
#pragma once

#include <string>

constexpr int FixedFormatMaxDecimals = 6;
// Room a Write needs: a float's 39 integer digits, sign, point and decimals,
// or a 64-bit integer padded to at most this width.
constexpr int FixedFormatMaxChars = 64;

// Writes value as printf("%.<decimals>f") would; decimals 0 to 6.
char* WriteFixed(char* out, float value, int decimals);
// Writes n as printf("%0<width>d") would (width 0 for plain "%d"; widths
// beyond FixedFormatMaxChars - 1 are not used).
char* WriteInt(char* out, long long n, int width = 0);

void AppendFixed(std::string& out, float value, int decimals);
void AppendInt(std::string& out, long long n, int width = 0);

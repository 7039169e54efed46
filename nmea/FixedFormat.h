// Fast number-to-text conversions that give exactly what printf's "%.Nf",
// "%d" and "%02d" give, without printf's cost on the per-sentence path.
#pragma once

#include <string>

constexpr int FixedFormatMaxDecimals = 6;

// Appends value as printf("%.<decimals>f") would; decimals 0 to 6.
void AppendFixed(std::string& out, float value, int decimals);
// Appends n as printf("%0<width>d") would (width 0 for plain "%d").
void AppendInt(std::string& out, long long n, int width = 0);

// A password as the monitor keeps it in its settings file: not in clear, so
// that a glance at the file, a backup listing or a shared screen does not
// show it. This hides, it does not protect: anyone with the program can
// read it back.
#pragma once

#include <string>

// "obscured:" and the hexadecimal digits of the text mixed with a fixed key.
std::string ObscureText(const std::string& plain);
// The text back; false (and `plain` left alone) when `kept` is not of that form.
bool RevealText(const std::string& kept, std::string& plain);

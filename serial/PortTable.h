// Port numbers on systems where ports are device paths: a port's number is
// its position, from 1, in a process-wide table of the paths seen so far in
// this run. Numbers are never reused, so a number stays valid for the path it
// was given to even after the device goes away.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace PortTable {

// The number of the path, adding the path when it is new.
int32_t NumberForPath(const std::string& path);
// The path of a number, or an empty text when no path has that number.
std::string PathForNumber(int32_t number);
// The name shown to the user: the path without /dev/ (ttyUSB0, pts/3), or
// without its folders when it lies elsewhere.
std::string NameForNumber(int32_t number);
// Every path in number order (the path of number n at index n-1).
std::vector<std::string> Paths();

}  // namespace PortTable

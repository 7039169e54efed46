// Port numbers of link URLs. A link is opened by number like a port; its
// numbers lie above every port number (COM numbers on Windows, the port
// table's elsewhere), from LinkNumberBase on, in the order the URLs were
// first seen in this run. Numbers are never reused.
#pragma once

#include <cstdint>
#include <string>

constexpr int32_t LinkNumberBase = 1 << 20;

// The number of a URL, adding it when it is new.
int32_t LinkNumberForUrl(const std::string& url);
// The URL of a number, or "" when the number is no link's.
std::string LinkUrlForNumber(int32_t number);
bool IsLinkNumber(int32_t number);
// The name the status bar shows: a link's URL, a port's short name.
std::string PortNameForNumber(int32_t number);
// The number of a port list entry: a URL's link number, a device path's
// port-table number; -1 for any other text.
int32_t NumberOfPathOrUrl(const std::string& entry);
// The same, and for COMn the n (1 to 255): the one reading of an entry that
// the port panel and the detection thread share. -1 when it names no port.
int32_t PortNumberOfEntry(const std::string& entry);

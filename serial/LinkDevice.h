// The operating system's side of a link: a connected or listening socket, or
// a capture being played, read and written with the same bounded waits as a
// serial port (PortDevice), so YComPort frames and sends over it unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "serial/LinkUrl.h"

class PlaybackControl;

class LinkDevice {
  public:
    virtual ~LinkDevice() = default;
    // What has arrived, up to `size` bytes, waiting at most `waitMs` for the
    // first: the count, PortDevice::ReadTimedOut or PortDevice::ReadDeviceGone
    // (the peer ended or the network went away).
    virtual int Read(uint8_t* data, size_t size, unsigned waitMs) = 0;
    // Writes what fits within `waitMs`: the count, 0 when no room came in
    // time, -1 when the link failed or takes no commands.
    virtual int Write(const uint8_t* data, size_t size, unsigned waitMs) = 0;
    // The controls of a capture being played; null for other links.
    virtual std::shared_ptr<PlaybackControl> Playback() { return nullptr; }
};

// The longest a connection attempt waits for its peer.
constexpr unsigned LinkConnectLimitMs = 4000;

// Opens the link a URL names; null with the reason in `error`, which names
// the host and port and what the system answered.
std::unique_ptr<LinkDevice> OpenLinkDevice(const LinkUrl& url, std::string& error);

// The operating system's side of the serial port: open and configure a
// device by name, bounded waits for input and for room to write, purges. One
// implementation per platform (termios here, the Win32 communications calls
// on Windows); YComPort holds the logic that both share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace PortDevice {

#ifdef _WIN32
using Handle = void*;
constexpr Handle NoHandle = nullptr;
#else
using Handle = int;
constexpr Handle NoHandle = -1;
#endif

// Result of Read: bytes read, or one of these.
constexpr int ReadTimedOut = 0;
constexpr int ReadDeviceGone = -1;

// Opens the device `name` (a path, or COMn on Windows) for exclusive use at `baud` with 8 data
// bits, no parity, 1 stop bit, no flow control, raw bytes. Returns NoHandle on failure with the
// reason in `error`.
Handle Open(const std::string& name, uint32_t baud, uint16_t inQueue, uint16_t outQueue,
            std::string& error);
void Close(Handle handle);
void Purge(Handle handle, bool transmit, bool receive);
// Reads what has arrived, up to `size` bytes, waiting at most `waitMs` for
// the first byte. Returns the count, ReadTimedOut or ReadDeviceGone.
int Read(Handle handle, uint8_t* data, size_t size, unsigned waitMs);
// Writes what fits, waiting at most `waitMs` for room. Returns the count
// (0 when no room came in time) or -1 when the device failed.
int Write(Handle handle, const uint8_t* data, size_t size, unsigned waitMs);
// Waits at most `waitMs` until the written bytes have left the port.
bool Drain(Handle handle, unsigned waitMs);
// Sets an open port to `baud`: what was written goes out at the old rate
// first, and what arrived at the old rate is dropped. False with the reason.
bool SetRate(Handle handle, uint32_t baud, std::string& error);
// True for the rates the port can be set to.
bool IsSupportedBaudRate(uint32_t baud);

}  // namespace PortDevice

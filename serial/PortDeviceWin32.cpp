// Win32 communications backend: ports are "\\.\COMn". Built on Windows only.
#include <windows.h>

#include <string>

#include "serial/PortDevice.h"

namespace PortDevice {
namespace {

// Each ReadFile returns what has arrived or, when nothing has, after about
// 1 ms; Read repeats it until its own wait is used up. A write returns once
// the driver has taken every byte.
constexpr COMMTIMEOUTS PortTimeouts = {1, 0, 1, 0, 0};
constexpr DWORD PurgeAll = PURGE_TXABORT | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_RXCLEAR;
constexpr const char* PortNamePrefix = "\\\\.\\";  // COM10 and above need it
constexpr const char* FramingSuffix = ",n,8,1";
constexpr uint32_t MaxBaud = 921600;

bool ApplySettings(HANDLE handle, uint32_t baud, uint16_t inQueue, uint16_t outQueue) {
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    if (!GetCommState(handle, &dcb)) return false;
    dcb.DCBlength = sizeof dcb;
    const std::string mode = std::to_string(baud) + FramingSuffix;
    BuildCommDCBA(mode.c_str(), &dcb);  // also turns flow control off
    if (!SetCommState(handle, &dcb)) return false;
    PurgeComm(handle, PurgeAll);
    if (!SetupComm(handle, inQueue, outQueue)) return false;
    COMMTIMEOUTS timeouts = PortTimeouts;
    return SetCommTimeouts(handle, &timeouts) != 0;
}

// A removed adapter may go on giving empty reads; its state can no longer be read.
bool StillThere(HANDLE handle) {
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    return GetCommState(handle, &dcb) != 0;
}

std::string Failure(const std::string& name, const char* what) {
    return name + ": " + what + " (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace

bool IsSupportedBaudRate(uint32_t baud) {
    return baud > 0 && baud <= MaxBaud;
}

bool SetRate(Handle handle, uint32_t baud, std::string& error) {
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    const std::string mode = std::to_string(baud) + FramingSuffix;
    if (!IsSupportedBaudRate(baud) || !GetCommState(handle, &dcb) ||
        !BuildCommDCBA(mode.c_str(), &dcb) || !SetCommState(handle, &dcb)) {
        error = "cannot set the rate to " + std::to_string(baud) + " (error " +
                std::to_string(GetLastError()) + ")";
        return false;
    }
    PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR);
    return true;
}

Handle Open(const std::string& device, uint32_t baud, uint16_t inQueue, uint16_t outQueue,
            std::string& error) {
    const std::string name = PortNamePrefix + device;
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = Failure(name, "cannot open");
        return NoHandle;
    }
    if (!ApplySettings(handle, baud, inQueue, outQueue)) {
        error = Failure(name, "cannot configure");
        CloseHandle(handle);
        return NoHandle;
    }
    return handle;
}

void Close(Handle handle) {
    if (handle != NoHandle) CloseHandle(handle);
}

void Purge(Handle handle, bool transmit, bool receive) {
    const DWORD mask = (transmit ? PURGE_TXABORT | PURGE_TXCLEAR : 0) |
                       (receive ? PURGE_RXABORT | PURGE_RXCLEAR : 0);
    if (mask) PurgeComm(handle, mask);
}

int Read(Handle handle, uint8_t* data, size_t size, unsigned waitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(handle, data, static_cast<DWORD>(size), &count, nullptr))
            return ReadDeviceGone;  // the adapter was removed
        if (count > 0) return static_cast<int>(count);
        if (GetTickCount() - start >= waitMs)
            return StillThere(handle) ? ReadTimedOut : ReadDeviceGone;
    }
}

int Write(Handle handle, const uint8_t* data, size_t size, unsigned) {
    DWORD count = 0;
    if (!WriteFile(handle, data, static_cast<DWORD>(size), &count, nullptr)) return -1;
    return static_cast<int>(count);
}

// A synchronous write completes once the driver has taken the bytes.
bool Drain(Handle, unsigned) {
    return true;
}

}  // namespace PortDevice

// Win32 communications backend: ports are "\\.\COMn". Built on Windows only.
#include <windows.h>

#include <string>

#include "serial/PortDevice.h"

namespace PortDevice {
namespace {

// A read returns at once with what is queued, or waits up to this long for
// the first byte; so the reader's stop flag is seen within this time.
constexpr DWORD ReadWaitMs = 50;
constexpr DWORD WriteWaitMs = 500;
constexpr uint32_t MaxBaud = 921600;

bool ApplySettings(HANDLE handle, uint32_t baud, uint16_t inQueue, uint16_t outQueue) {
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    if (!GetCommState(handle, &dcb)) return false;
    dcb.DCBlength = sizeof dcb;
    const std::string mode = std::to_string(baud) + ",n,8,1";
    BuildCommDCBA(mode.c_str(), &dcb);
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    if (!SetCommState(handle, &dcb)) return false;
    PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_RXCLEAR);
    if (!SetupComm(handle, inQueue, outQueue)) return false;
    COMMTIMEOUTS timeouts;
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = ReadWaitMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = WriteWaitMs;
    return SetCommTimeouts(handle, &timeouts) != 0;
}

}  // namespace

bool IsSupportedBaudRate(uint32_t baud) {
    return baud > 0 && baud <= MaxBaud;
}

Handle Open(uint32_t number, uint32_t baud, uint16_t inQueue, uint16_t outQueue,
            std::string& error) {
    const std::string name = "\\\\.\\COM" + std::to_string(number);
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = name + ": cannot open (error " + std::to_string(GetLastError()) + ")";
        return NoHandle;
    }
    if (!ApplySettings(handle, baud, inQueue, outQueue)) {
        error = name + ": cannot configure (error " + std::to_string(GetLastError()) + ")";
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

int Read(Handle handle, uint8_t* data, size_t size, unsigned) {
    DWORD count = 0;
    if (!ReadFile(handle, data, static_cast<DWORD>(size), &count, nullptr))
        return ReadDeviceGone;  // the adapter was removed
    return static_cast<int>(count);
}

int Write(Handle handle, const uint8_t* data, size_t size, unsigned) {
    DWORD count = 0;
    if (!WriteFile(handle, data, static_cast<DWORD>(size), &count, nullptr)) return -1;
    return static_cast<int>(count);
}

// A synchronous write completes once the driver has sent the bytes.
bool Drain(Handle, unsigned) {
    return true;
}

}  // namespace PortDevice

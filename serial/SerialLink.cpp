// The serial link's module operations and its process-wide state.
#include "serial/YComPort.h"

#include <cstring>

#include "nmea/Framing.h"

YComPort* ComPort = nullptr;

std::atomic<bool> UbxHotStartPending{false};
std::atomic<bool> UbxWarmStartPending{false};
std::atomic<bool> UbxColdStartPending{false};

bool OpenPort(int32_t number, int32_t baud, int32_t dataBits, int32_t parity, int32_t stopBits) {
    if (!ComPort || number < 0 || baud <= 0) return false;
    return ComPort->OpenPort(static_cast<uint32_t>(number), static_cast<uint32_t>(baud), dataBits,
                             parity, stopBits);
}

bool ClosePort() {
    return ComPort ? ComPort->ClosePort() : true;
}

void PurgePort(uint8_t selector) {
    if (ComPort) ComPort->PurgePort(selector);
}

uint16_t ReadSentence(char* buffer, const std::atomic<bool>& stop) {
    if (ComPort) return ComPort->ReadSentence(buffer, stop);
    std::memset(buffer, 0, SentenceBufferSize);
    return 0;
}

uint16_t ReadSentence(char* buffer, bool stop) {
    const std::atomic<bool> flag{stop};
    return ReadSentence(buffer, flag);
}

int SendCommandText(std::string_view text) {
    return ComPort ? ComPort->SendCommandText(text) : SendPortClosed;
}

// The serial link's module operations on a given port.
#include "serial/YComPort.h"

#include <cstring>

#include "framing/Framing.h"

bool OpenPort(YComPort* port, const Source& source, int32_t baud, int32_t dataBits, int32_t parity,
              int32_t stopBits) {
    if (!port || source.IsNone() || baud <= 0) return false;
    return port->OpenPort(source, static_cast<uint32_t>(baud), dataBits, parity, stopBits);
}

bool ClosePort(YComPort* port) {
    return port ? port->ClosePort() : true;
}

void PurgePort(YComPort* port, uint8_t selector) {
    if (port) port->PurgePort(selector);
}

uint16_t ReadSentence(YComPort* port, char* buffer, const std::atomic<bool>& stop) {
    if (port) return port->ReadSentence(buffer, stop);
    std::memset(buffer, 0, SentenceBufferSize);
    return 0;
}

uint16_t ReadSentence(YComPort* port, char* buffer, bool stop) {
    const std::atomic<bool> flag{stop};
    return ReadSentence(port, buffer, flag);
}

int SendCommandText(YComPort* port, std::string_view text) {
    return port ? port->SendCommandText(text) : SendPortClosed;
}

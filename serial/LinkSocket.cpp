#include "serial/LinkSocket.h"

namespace LinkSocket {

std::string EndpointText(const std::string& host, uint16_t port) {
    return (host.empty() ? std::string("*") : host) + " port " + std::to_string(port);
}

std::string ConnectFailure(const std::string& host, uint16_t port) {
    return "cannot connect to " + EndpointText(host, port) + ": ";
}

std::string ListenFailure(const std::string& host, uint16_t port) {
    return "cannot listen on UDP " + EndpointText(host, port) + ": ";
}

std::string NameNotFound(const std::string& reason) {
    return "name not found (" + reason + ")";
}

}  // namespace LinkSocket

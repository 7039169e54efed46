#include "ntrip/NtripUrl.h"

#include <cstdlib>

namespace {

constexpr const char* Scheme = "ntrip://";
constexpr size_t SchemeLength = 8;
constexpr const char* Form = " (ntrip://[USER[:PASSWORD]@]HOST[:PORT]/[MOUNT])";

bool ParsePort(const std::string& text, uint16_t& port) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < 1 || value > 65535) return false;
    port = static_cast<uint16_t>(value);
    return true;
}

// HOST[:PORT], the host in brackets when it is an IPv6 address.
bool ParseEndpoint(const std::string& text, NtripUrl& url, std::string& error) {
    std::string port;
    if (!text.empty() && text[0] == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos) {
            error = "the address's ']' is missing";
            return false;
        }
        url.Host = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':') {
                error = "unexpected text after the address";
                return false;
            }
            port = text.substr(close + 2);
            if (port.empty()) port = "-";
        }
    } else {
        const size_t colon = text.find(':');
        url.Host = text.substr(0, colon);
        if (colon != std::string::npos) port = text.empty() ? "" : text.substr(colon + 1);
        if (colon != std::string::npos && port.empty()) port = "-";
    }
    if (url.Host.empty()) {
        error = "the caster's host is missing";
        return false;
    }
    if (!port.empty() && !ParsePort(port, url.Port)) {
        error = "the port must be a number from 1 to 65535";
        return false;
    }
    return true;
}

}  // namespace

std::string NtripUrl::Shown() const {
    std::string text = Scheme;
    if (!User.empty()) text += User + "@";
    text += Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
    text += ":" + std::to_string(Port) + "/" + Mount;
    return text;
}

bool LooksLikeNtripUrl(const std::string& text) {
    return text.compare(0, SchemeLength, Scheme) == 0;
}

bool ParseNtripUrl(const std::string& text, NtripUrl& url, std::string& error) {
    url = NtripUrl{};
    if (!LooksLikeNtripUrl(text)) {
        error = "not an NTRIP address" + std::string(Form);
        return false;
    }
    const std::string rest = text.substr(SchemeLength);
    const size_t slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    if (slash != std::string::npos) url.Mount = rest.substr(slash + 1);
    if (url.Mount.find_first_of("/ ?#") != std::string::npos) {
        error = "a mountpoint is one name without '/', ' ', '?' or '#'";
        return false;
    }
    // The password may itself hold '@' or ':': the last '@' ends it.
    const size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        const std::string login = authority.substr(0, at);
        const size_t colon = login.find(':');
        url.User = login.substr(0, colon);
        if (colon != std::string::npos) url.Password = login.substr(colon + 1);
        authority = authority.substr(at + 1);
        if (url.User.empty()) {
            error = "the user name before '@' is empty";
            return false;
        }
    }
    if (!ParseEndpoint(authority, url, error)) {
        error = text.substr(0, SchemeLength) + url.Host + ": " + error + Form;
        return false;
    }
    return true;
}

#include "serial/LinkUrl.h"

#include <cstdlib>

namespace {

constexpr std::string_view SchemeEnd = "://";
constexpr uint16_t GpsdPort = 2947;
constexpr unsigned long MaxPort = 65535;

constexpr LinkKindInfo KindTable[] = {
    {LinkKind::Tcp, "tcp", "tcp://HOST:PORT", 0, true, true,
     "a TCP server sending NMEA (ser2net, a receiver's Ethernet port); commands go to it"},
    {LinkKind::Udp, "udp", "udp://[ADDR]:PORT", 0, false, false,
     "listen for NMEA datagrams on PORT (on ADDR only when given); receive only"},
    {LinkKind::Gpsd, "gpsd", "gpsd://HOST[:PORT][/DEVICE]", GpsdPort, true, false,
     "the raw stream of a receiver gpsd owns (port 2947 when not given); receive only"},
    {LinkKind::File, "file", "file://PATH", 0, false, false,
     "play a capture at the pace of its UTC times; receive only"},
};

const LinkKindInfo* FindScheme(std::string_view scheme) {
    for (const LinkKindInfo& info : KindTable)
        if (scheme == info.Scheme) return &info;
    return nullptr;
}

std::string SchemeList() {
    std::string list;
    for (const LinkKindInfo& info : KindTable) {
        if (!list.empty()) list += ", ";
        list += std::string(info.Scheme) + "://";
    }
    return list;
}

bool ParsePort(std::string_view text, const std::string& url, uint16_t& port, std::string& error) {
    unsigned long value = 0;
    bool digits = !text.empty() && text.size() <= 5;
    for (char c : text) {
        if (c < '0' || c > '9') digits = false;
        if (digits) value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (!digits || value == 0 || value > MaxPort) {
        error = url + ": the port \"" + std::string(text) + "\" is not a number from 1 to 65535";
        return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

// HOST[:PORT] or [V6ADDR][:PORT]; the port text is empty when none is given.
bool SplitHostPort(std::string_view text, const std::string& url, std::string& host,
                   std::string_view& port, std::string& error) {
    size_t hostEnd = 0;
    if (!text.empty() && text[0] == '[') {
        const size_t close = text.find(']');
        if (close == std::string_view::npos) {
            error = url + ": the address lacks its closing \"]\"";
            return false;
        }
        host = std::string(text.substr(1, close - 1));
        hostEnd = close + 1;
        if (hostEnd < text.size() && text[hostEnd] != ':') {
            error = url + ": \":\" must follow the address in brackets";
            return false;
        }
    } else {
        hostEnd = text.rfind(':');
        if (hostEnd == std::string_view::npos) hostEnd = text.size();
        host = std::string(text.substr(0, hostEnd));
        if (host.find(':') != std::string::npos) {
            error = url + ": an IPv6 address goes in brackets, as [::1]:PORT";
            return false;
        }
    }
    port = hostEnd < text.size() ? text.substr(hostEnd + 1) : std::string_view();
    if (hostEnd < text.size() && port.empty()) {
        error = url + ": the port after \":\" is missing";
        return false;
    }
    return true;
}

bool ParseNetworkPart(const LinkKindInfo& info, std::string_view rest, LinkUrl& url,
                      std::string& error) {
    const size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    if (slash != std::string_view::npos) url.Path = std::string(rest.substr(slash));
    if (!url.Path.empty() && info.Kind != LinkKind::Gpsd) {
        error = url.Text + ": a " + info.Scheme + " link takes no path (\"" + url.Path + "\")";
        return false;
    }
    std::string_view port;
    if (!SplitHostPort(authority, url.Text, url.Host, port, error)) return false;
    if (url.Host.empty() && info.NeedsHost) {
        error = url.Text + ": the host is missing (" + info.Form + ")";
        return false;
    }
    if (port.empty()) {
        if (info.DefaultPort == 0) {
            error = url.Text + ": the port is missing (" + info.Form + ")";
            return false;
        }
        url.Port = info.DefaultPort;
        return true;
    }
    return ParsePort(port, url.Text, url.Port, error);
}

}  // namespace

const LinkKindInfo* LinkKinds(size_t& count) {
    count = sizeof KindTable / sizeof KindTable[0];
    return KindTable;
}

const LinkKindInfo& InfoOfKind(LinkKind kind) {
    for (const LinkKindInfo& info : KindTable)
        if (info.Kind == kind) return info;
    return KindTable[0];
}

bool LooksLikeLinkUrl(std::string_view text) {
    return text.find(SchemeEnd) != std::string_view::npos;
}

bool ParseLinkUrl(std::string_view text, LinkUrl& url, std::string& error) {
    url = LinkUrl{};
    url.Text = std::string(text);
    const size_t end = text.find(SchemeEnd);
    if (end == std::string_view::npos) {
        error = url.Text + ": not a link URL (" + SchemeList() + ")";
        return false;
    }
    const LinkKindInfo* info = FindScheme(text.substr(0, end));
    if (!info) {
        error = url.Text + ": unknown link kind \"" + std::string(text.substr(0, end)) +
                "\" (known: " + SchemeList() + ")";
        return false;
    }
    url.Kind = info->Kind;
    const std::string_view rest = text.substr(end + SchemeEnd.size());
    if (info->Kind == LinkKind::File) {
        if (rest.empty()) {
            error = url.Text + ": the file's path is missing (" + info->Form + ")";
            return false;
        }
        url.Path = std::string(rest);
        return true;
    }
    return ParseNetworkPart(*info, rest, url, error);
}

bool TextCanSend(std::string_view text) {
    if (!LooksLikeLinkUrl(text)) return true;
    LinkUrl url;
    std::string error;
    return ParseLinkUrl(text, url, error) && InfoOfKind(url.Kind).CanSend;
}

std::string LinkUsageText() {
    std::string text;
    for (const LinkKindInfo& info : KindTable)
        text += std::string("  ") + info.Form + "\n      " + info.Summary + "\n";
    return text;
}

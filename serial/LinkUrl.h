// Link URLs: receivers reached through something other than a local serial
// port, named by a URL typed where a port path goes. One table lists the link
// kinds; a URL is checked against it before anything opens, and a malformed
// one gets a message naming what is wrong.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class LinkKind { Tcp, Udp, Gpsd, File };

struct LinkKindInfo {
    LinkKind Kind;
    const char* Scheme;    // before "://"
    const char* Form;      // what a URL of this kind looks like
    uint16_t DefaultPort;  // 0: the port must be given
    bool NeedsHost;        // a UDP listener may leave the address out
    bool CanSend;          // commands go out over the link
    const char* Summary;   // a line of the usage texts
};

struct LinkUrl {
    LinkKind Kind = LinkKind::Tcp;
    std::string Host;  // without brackets
    uint16_t Port = 0;
    std::string Path;  // file:// path, or the gpsd device to watch ("" for all)
    std::string Text;  // the URL as given
};

// Every link kind, in the order of the usage texts.
const LinkKindInfo* LinkKinds(size_t& count);
const LinkKindInfo& InfoOfKind(LinkKind kind);

// True when the text is meant as a URL (it has "://"), well formed or not.
bool LooksLikeLinkUrl(std::string_view text);
// Reads a URL; false with the reason in `error` when it is malformed.
bool ParseLinkUrl(std::string_view text, LinkUrl& url, std::string& error);
// Whether commands can go out over the link a text names (true for a port).
bool TextCanSend(std::string_view text);
// The usage lines of the link kinds, each "  FORM  summary\n".
std::string LinkUsageText();

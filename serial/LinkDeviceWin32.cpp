// The links on Windows: the capture player; the network kinds are not
// supported on this platform yet, and opening one says so.
#include "serial/CapturePlayer.h"
#include "serial/LinkDevice.h"

std::unique_ptr<LinkDevice> OpenLinkDevice(const LinkUrl& url, std::string& error) {
    if (url.Kind == LinkKind::File) return CapturePlayer::Open(url.Path, error);
    error = url.Text + ": " + InfoOfKind(url.Kind).Scheme +
            ":// links are not supported on this platform";
    return nullptr;
}

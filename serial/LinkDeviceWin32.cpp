// The links on Windows: not supported on this platform yet; opening one says so.
#include "serial/LinkDevice.h"

std::unique_ptr<LinkDevice> OpenLinkDevice(const LinkUrl& url, std::string& error) {
    error = url.Text + ": " + InfoOfKind(url.Kind).Scheme +
            ":// links are not supported on this platform";
    return nullptr;
}

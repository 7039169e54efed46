// The links on POSIX systems: sockets for the network kinds, the capture
// player for files.
#include "serial/CapturePlayer.h"
#include "serial/LinkDevice.h"
#include "serial/LinkDeviceGpsd.h"
#include "serial/LinkDeviceUdp.h"
#include "serial/LinkSocketPosix.h"

std::unique_ptr<LinkDevice> OpenLinkDevice(const LinkUrl& url, std::string& error) {
    switch (url.Kind) {
        case LinkKind::Tcp: {
            const int fd = LinkSocket::ConnectTcp(url.Host, url.Port, LinkConnectLimitMs, error);
            if (fd < 0) return nullptr;
            return std::make_unique<LinkSocket::SocketLink>(fd);
        }
        case LinkKind::Udp: {
            const int fd = LinkSocket::BindUdp(url.Host, url.Port, error);
            if (fd < 0) return nullptr;
            return std::make_unique<UdpLink>(fd);
        }
        case LinkKind::Gpsd:
            return GpsdLink::Open(url, error);
        case LinkKind::File:
            return CapturePlayer::Open(url.Path, error);
    }
    error = url.Text + ": this kind of link cannot be opened here";
    return nullptr;
}

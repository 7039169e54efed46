// The links: sockets for the network kinds, the capture player for files.
#include "serial/CapturePlayer.h"
#include "serial/LinkDevice.h"
#include "serial/LinkDeviceGpsd.h"
#include "serial/LinkDeviceUdp.h"
#include "serial/LinkSocket.h"

std::unique_ptr<LinkDevice> OpenLinkDevice(const LinkUrl& url, std::string& error) {
    switch (url.Kind) {
        case LinkKind::Tcp: {
            const LinkSocket::SocketHandle socket =
                LinkSocket::ConnectTcp(url.Host, url.Port, LinkConnectLimitMs, error);
            if (socket == LinkSocket::NoSocket) return nullptr;
            return std::make_unique<LinkSocket::SocketLink>(socket);
        }
        case LinkKind::Udp: {
            const LinkSocket::SocketHandle socket = LinkSocket::BindUdp(url.Host, url.Port, error);
            if (socket == LinkSocket::NoSocket) return nullptr;
            return std::make_unique<UdpLink>(socket);
        }
        case LinkKind::Gpsd:
            return GpsdLink::Open(url, error);
        case LinkKind::File:
            return CapturePlayer::Open(url.Path, error);
    }
    error = url.Text + ": this kind of link cannot be opened here";
    return nullptr;
}

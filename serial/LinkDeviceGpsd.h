// The gpsd link: a client of the daemon that asks for the raw stream
// of its receiver and hands on the NMEA lines (those starting with "$" or
// "!"), leaving out the daemon's own JSON lines and its hexadecimal dumps of
// binary packets.
#pragma once

#include <memory>
#include <string>

#include "serial/LinkSocket.h"

class GpsdLink : public LinkSocket::SocketLink {
  public:
    // Connects, asks for the raw stream and waits for the daemon's list of
    // devices: null with a message when it cannot connect, answers with an
    // error, or has no receiver.
    static std::unique_ptr<GpsdLink> Open(const LinkUrl& url, std::string& error);

    explicit GpsdLink(LinkSocket::SocketHandle socket) : SocketLink(socket) {}
    int Read(uint8_t* data, size_t size, unsigned waitMs) override;
    int Write(const uint8_t* data, size_t size, unsigned waitMs) override;

  private:
    // Drops the JSON lines from `count` bytes at `data`: the count left.
    size_t Filter(uint8_t* data, size_t count);
    // Waits for the daemon's device list: "" when it names a device, else why not.
    std::string AwaitDevices(unsigned limitMs);

    bool FAtLineStart = true;
    bool FInJson = false;
    bool FDropping = false;  // a line that is neither NMEA nor JSON
    std::string FJson;       // the JSON line being dropped, its start
    bool FAwaiting = true;   // the daemon's answers are kept until the device list came
    std::string FAnswers;    // the whole JSON lines kept
    std::string FHeld;       // NMEA bytes read while waiting for the device list
};

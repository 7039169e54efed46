// The gpsd link: a client of the daemon that asks for its receiver's bytes
// exactly as they come ("raw":2: NMEA sentences and binary packets such as
// UBX frames alike) and for the daemon's JSON reports, which it keeps apart:
// the receiver's bytes are read like a port's, and the daemon's word that
// the receiver went away (a DEVICE report with "activated":0) reads as the
// device gone, as an unplugged adapter does.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "serial/LinkSocket.h"

// Splits the daemon's stream: its JSON objects ({"class":... up to the line
// end) come between the receiver's packets, which are passed on verbatim. A
// UBX frame is passed whole, its length read from its header, so nothing in
// its payload is taken for JSON; a JSON start split across reads is still
// recognised.
class GpsdStreamSplitter {
  public:
    // The receiver's bytes of `count` at `data` are appended to `receiver`,
    // each whole JSON object (without its line end) to `objects`.
    void Split(const uint8_t* data, size_t count, std::string& receiver,
               std::vector<std::string>& objects);

  private:
    // A byte outside JSON objects and UBX frames: it may start either.
    void Outside(uint8_t byte, std::string& receiver);

    std::string FCandidate;  // bytes that may begin a JSON object
    bool FInJson = false;
    std::string FJson;       // the JSON object being read, its start
    size_t FHeaderHave = 0;  // bytes of a UBX header read (0: none)
    uint8_t FHeader[6] = {};
    size_t FFrameLeft = 0;  // bytes of a UBX frame still to pass
};

class GpsdLink : public LinkSocket::SocketLink {
  public:
    // Connects, asks for the raw stream and waits for the daemon's list of
    // devices: null with a message when it cannot connect, answers with an
    // error, or has no receiver.
    static std::unique_ptr<GpsdLink> Open(const LinkUrl& url, std::string& error);

    // `device` is the path watched, "" for every device of the daemon.
    GpsdLink(LinkSocket::SocketHandle socket, std::string device);
    // The receiver's bytes; PortDevice::ReadDeviceGone once the connection
    // ended or the daemon reported every watched device gone.
    int Read(uint8_t* data, size_t size, unsigned waitMs) override;
    int Write(const uint8_t* data, size_t size, unsigned waitMs) override;

  private:
    // Reads from the daemon into FHeld; the socket's result.
    int Receive(uint8_t* chunk, size_t size, unsigned waitMs);
    // One JSON object of the daemon.
    void Answer(const std::string& json);
    // Waits for the daemon's device list: "" when it names a device, else why not.
    std::string AwaitDevices(unsigned limitMs);

    std::string FDevice;
    GpsdStreamSplitter FSplitter;
    std::vector<std::string> FObjects;
    std::string FHeld;  // the receiver's bytes not yet read
    size_t FHeldAt = 0;
    bool FAwaiting = true;          // until the device list came
    std::string FProblem;           // an ERROR answered while awaiting it
    bool FListed = false;           // the device list came
    std::set<std::string> FActive;  // the watched devices the daemon has open
    bool FGone = false;
};

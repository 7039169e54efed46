// The serial port and the module operations of the serial link.
//
// A link source (serial/Source.h) opens the link instead: a TCP, UDP or
// gpsd socket, or a capture played, read and written exactly like a
// device. A link has no line noise to throw away, so purges leave its stream
// alone, and a link that went away can be opened again in place
// (ReopenLink).
//
// One YComPort lives for the whole process (the monitor's ComPort, made at
// start-up); the link's threads are handed it and work on it through
// OpenPort, ClosePort, PurgePort, ReadSentence and SendCommandText. It is shared by the detection
// thread, the reader thread and the command senders: reads are buffered and wait for data with a
// bounded time-out, each write finishes before a transmit purge may run, and closing waits for the
// operation under way.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "framing/Framing.h"
#include "serial/LinkDevice.h"
#include "serial/PortDevice.h"
#include "serial/Source.h"
#include "serial/UbxText.h"

// Selector of PurgePort.
enum : uint8_t { PurgeTransmit = 0, PurgeReceive = 1, PurgeBoth = 2 };

// Results of SendCommandText besides the count of bytes written.
constexpr int SendTimedOut = -1;  // writing took longer than the write limit
constexpr int SendPortClosed = 0;

// Sees what the port does on the wire side (diagnostics and tests).
class PortObserver {
  public:
    virtual ~PortObserver() = default;
    virtual void PortPurged(bool transmit, bool receive) = 0;
    virtual void PortWrote(const uint8_t* data, size_t count) = 0;
};

class YComPort {
  public:
    static constexpr uint16_t DefaultQueueSize = 2048;
    static constexpr uint16_t DefaultWriteLimitMs = 500;
    static constexpr size_t ReadBufferSize = 2048;

    YComPort();
    ~YComPort();
    YComPort(const YComPort&) = delete;
    YComPort& operator=(const YComPort&) = delete;

    // Opens the device of `source` at `baud` (8N1 whatever the last three
    // arguments say), or its link (the rate does not apply); false when
    // already open or when the port cannot be opened or set up. A purge of
    // both directions follows in every case.
    bool OpenPort(const Source& source, uint32_t baud, int32_t dataBits = 8, int32_t parity = 0,
                  int32_t stopBits = 1);
    bool ClosePort();
    // Sets the open serial port to another rate (the receiver was told to
    // change its own); what has not been read yet is dropped. False for a
    // link, a closed port or a rate the port cannot run at.
    bool ChangeRate(uint32_t baud);
    void PurgePort(uint8_t selector);
    // One sentence from '$' up to and including its CR into `buffer` (at
    // least SentenceBufferSize bytes); 0 when none, with the buffer zeroed.
    // The framing and give-up rules are FrameSentence's: 298 bytes hunted
    // for '$' (the next is left for the next call), the seventh high byte
    // gives up, 100 characters at most.
    // There is no fixed wait: the call sleeps in bounded waits for data, and
    // returns 0 within about 50 ms once `stop` is raised (even from another
    // thread), the port is closed or the device has gone.
    // UBX and RTCM 3 frames in the stream are passed over whole, never taken as noise.
    uint16_t ReadSentence(char* buffer, const std::atomic<bool>& stop);
    uint16_t ReadSentence(char* buffer, bool stop);
    // The next sentence (as ReadSentence), UBX frame (into `ubx`, or
    // checked and passed over when null) or RTCM 3 frame (checked; the
    // framer state tells its number; kept whole in `rtcm` when given), under
    // the same rules.
    RecordKind ReadRecord(char* buffer, uint16_t& length, framing::UbxFrameBuffer* ubx,
                          const std::atomic<bool>& stop) {
        return ReadRecord(buffer, length, ubx, nullptr, stop);
    }
    RecordKind ReadRecord(char* buffer, uint16_t& length, framing::UbxFrameBuffer* ubx,
                          framing::RtcmFrameBuffer* rtcm, const std::atomic<bool>& stop);
    // Runs on the reading thread each time every byte read has been framed
    // and the port has no more at the moment, before it waits for more: the
    // moment to pass on what the records read so far gave. Set before reading.
    void SetIdleHook(std::function<void()> hook) { FIdleHook = std::move(hook); }
    // What the framing counted (UBX frames dropped for their checksum, say);
    // read only while no thread reads the port.
    // The framer's state as the last read left it: a copy, safe from any
    // thread while another reads (a reader ending while the next one starts).
    framing::FramerState Framer() const {
        std::lock_guard<std::mutex> guard(FFramerLock);
        return FFramerShown;
    }
    // Writes one command text: a text beginning "B562" is sent as the bytes
    // it spells, any other as its characters. Returns the bytes written or a
    // Send… result.
    int SendCommandText(std::string_view text);
    // Writes the bytes within the write limit: the count, -1 past the limit
    // or on failure, 0 when the port is closed.
    int WriteBytes(const uint8_t* data, size_t count);

    bool IsOpen() const;
    // True while a link, not a device, is open (gone or not).
    bool IsLink() const;
    // True while bytes read off the port wait to be framed.
    bool HasUnframedBytes();
    // The next record in what was read off the port, reading nothing more:
    // a record the bytes end inside is no record (RecordKind::None, length 0).
    RecordKind ReadUnframedRecord(char* buffer, uint16_t& length, framing::UbxFrameBuffer* ubx,
                                  framing::RtcmFrameBuffer* rtcm);
    // The controls of the capture being played, null unless one is.
    std::shared_ptr<PlaybackControl> Playback() const;
    // Opens the link again after it went away, unless the port was closed
    // or opened anew meanwhile: true once it is back. The link's connection
    // attempt runs without holding the port, so a close is never held up.
    bool ReopenLink();
    // True once a read found the device gone (unplugged); cleared by OpenPort.
    bool DeviceGone() const { return FDeviceGone.load(std::memory_order_acquire); }
    std::string LastError();
    // The source of the last open.
    Source PortSource() const;
    uint32_t BaudRate() const { return FBaudRate; }
    void SetObserver(PortObserver* observer) { FObserver.store(observer); }

  private:
    class SentenceSource;
    class Use;

    enum class FillResult { Data, TimedOut, Gone, Closed };

    RecordKind ReadRecord(char* buffer, uint16_t& length, framing::UbxFrameBuffer* ubx,
                          framing::RtcmFrameBuffer* rtcm, const std::atomic<bool>& stop,
                          bool bufferedOnly);

    void Purge(bool transmit, bool receive);
    FillResult Fill(unsigned waitMs);
    void DropIfPurged();
    // Waits until no operation uses the handle and keeps others out.
    std::unique_lock<std::mutex> Exclusive();

    bool OpenLink(std::unique_lock<std::mutex>& guard, std::string& error);

    PortDevice::Handle FHandle = PortDevice::NoHandle;
    std::unique_ptr<LinkDevice> FLink;  // in FHandle's place while a link is open
    uint32_t FOpenGeneration = 0;       // counts opens and closes, for ReopenLink
    Source FSource;                     // written while open and close are kept out (Exclusive)
    uint32_t FBaudRate = 0;
    uint16_t FInQueueSize = DefaultQueueSize;
    uint16_t FOutQueueSize = DefaultQueueSize;
    uint16_t FWriteLimitMs = DefaultWriteLimitMs;
    std::string FLastError;

    // Operations in progress on FHandle; open and close wait for none.
    mutable std::mutex FGateLock;
    std::condition_variable FGateChanged;
    int FUsers = 0;
    bool FExclusive = false;

    // Read side, owned by the thread inside ReadSentence.
    std::mutex FReadLock;
    std::unique_ptr<uint8_t[]> FReadBuffer;
    size_t FBytesRead = 0;
    size_t FReadPos = 0;
    uint32_t FSeenPurge = 0;
    uint64_t FTaken = 0;  // bytes the framer has taken, for its byte counts
    framing::FramerState FFramer;
    mutable std::mutex FFramerLock;     // guards FFramerShown
    framing::FramerState FFramerShown;  // FFramer as each read ended
    std::atomic<uint32_t> FPurgeGeneration{0};
    std::atomic<bool> FDeviceGone{false};

    // A write and its drain, and transmit purges, never overlap.
    std::mutex FWriteLock;
    std::atomic<PortObserver*> FObserver{nullptr};
    std::function<void()> FIdleHook;
};

// The module operations on a given port; a missing port acts as a closed one.
bool OpenPort(YComPort* port, const Source& source, int32_t baud, int32_t dataBits, int32_t parity,
              int32_t stopBits);
bool ClosePort(YComPort* port);
void PurgePort(YComPort* port, uint8_t selector);
uint16_t ReadSentence(YComPort* port, char* buffer, const std::atomic<bool>& stop);
uint16_t ReadSentence(YComPort* port, char* buffer, bool stop);
int SendCommandText(YComPort* port, std::string_view text);

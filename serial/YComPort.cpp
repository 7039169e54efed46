#include "serial/YComPort.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "framing/Framing.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest single wait for input: a raised stop flag is seen within it.
constexpr unsigned ReadWaitMs = 50;
// While the device is gone or the port closed, each read backs off this long
// instead of returning at once, so a caller looping on reads does not spin.
constexpr unsigned GoneBackOffMs = 50;
// Silence worth one empty read of the framer (the read time-out it was made for).
constexpr uint64_t ReadStepMs = 1;

uint64_t MsSince(Clock::time_point start) {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

}  // namespace

// Keeps the handle from being closed while an operation uses it.
class YComPort::Use {
  public:
    explicit Use(YComPort& port) : FPort(port) {
        std::unique_lock<std::mutex> guard(port.FGateLock);
        port.FGateChanged.wait(guard, [&] { return !port.FExclusive; });
        FHandle = port.FHandle;
        FLink = port.FLink.get();
        if (Open()) ++port.FUsers;
    }
    ~Use() {
        if (!Open()) return;
        {
            std::lock_guard<std::mutex> guard(FPort.FGateLock);
            --FPort.FUsers;
        }
        FPort.FGateChanged.notify_all();
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    PortDevice::Handle Handle() const { return FHandle; }
    LinkDevice* Link() const { return FLink; }
    bool Open() const { return FHandle != PortDevice::NoHandle || FLink; }

  private:
    YComPort& FPort;
    PortDevice::Handle FHandle;
    LinkDevice* FLink;
};

// The framer's byte source over the port.
//
// Bytes come from FReadBuffer, refilled with whatever has arrived. When
// nothing is there the source waits for data, at most ReadWaitMs at a time,
// and hands the framer one 0 for each millisecond of silence it observed, as
// the framer's 1 ms empty reads would have seen it. A back-off the framer
// asks for (Pause) is silence it expects before its next read, so it too is
// only waited for when no data is there. Silence is counted by waits that
// found nothing, never by the clock, so a thread held up by a busy machine
// does not count silence that was not there. The framer's give-up rules thus
// count the same bytes and the same silence as with 1 ms reads, while the
// thread sleeps in poll instead of waking every millisecond, and a receiver's stream
// is taken in as fast as it arrives.
//
// A raised stop flag, a closed port or a vanished device cut the call short:
// every further read returns 0 at once and ReadSentence returns 0.
class YComPort::SentenceSource {
  public:
    SentenceSource(YComPort& port, const std::atomic<bool>& stop, bool bufferedOnly = false)
        : FPort(port), FStop(stop), FBufferedOnly(bufferedOnly) {}

    uint8_t ReadByte() {
        if (FCutShort) return 0;
        FPort.DropIfPurged();
        if (FPort.FReadPos < FPort.FBytesRead) return TakeByte();
        if (FBufferedOnly) return CutShort();
        const uint64_t silence = FPauseMs + ReadStepMs;  // what this empty read stands for
        FPauseMs = 0;
        if (FSilenceMs < silence && FPort.FIdleHook) {  // about to wait: look once first
            if (FPort.Fill(0) == FillResult::Data) return TakeByte();
            FPort.FIdleHook();
        }
        while (FSilenceMs < silence) {
            if (FStop.load(std::memory_order_acquire)) return CutShort();
            switch (FPort.Fill(ReadWaitMs)) {
                case FillResult::Data:
                    return TakeByte();
                case FillResult::TimedOut:
                    FSilenceMs += ReadWaitMs;
                    break;
                case FillResult::Gone:
                case FillResult::Closed:
                    std::this_thread::sleep_for(std::chrono::milliseconds(GoneBackOffMs));
                    return CutShort();
            }
        }
        FSilenceMs -= silence;
        return 0;
    }
    void Pause(unsigned ms) { FPauseMs += ms; }
    void PurgeTransmit() { FPort.Purge(true, false); }
    // The byte just taken is still in the read buffer; a purge since then
    // drops it with the rest.
    void Unread() {
        if (FPort.FReadPos == 0) return;
        --FPort.FReadPos;
        --FPort.FTaken;
    }
    uint64_t Taken() const { return FPort.FTaken; }
    bool WasCutShort() const { return FCutShort; }

  private:
    uint8_t TakeByte() {
        FSilenceMs = 0;
        FPauseMs = 0;
        ++FPort.FTaken;
        return FPort.FReadBuffer[FPort.FReadPos++];
    }
    uint8_t CutShort() {
        FCutShort = true;
        return 0;
    }

    YComPort& FPort;
    const std::atomic<bool>& FStop;
    const bool FBufferedOnly;  // frames what was read, reads nothing more
    bool FCutShort = false;
    uint64_t FSilenceMs = 0;  // observed silence not yet handed to the framer
    uint64_t FPauseMs = 0;
};

YComPort::YComPort() : FReadBuffer(new uint8_t[ReadBufferSize]) {}

YComPort::~YComPort() {
    ClosePort();
}

std::unique_lock<std::mutex> YComPort::Exclusive() {
    std::unique_lock<std::mutex> guard(FGateLock);
    FGateChanged.wait(guard, [this] { return !FExclusive; });
    FExclusive = true;
    FGateChanged.wait(guard, [this] { return FUsers == 0; });
    return guard;
}

bool YComPort::OpenPort(const Source& source, uint32_t baud, int32_t, int32_t, int32_t) {
    bool opened = false;
    {
        std::unique_lock<std::mutex> guard = Exclusive();
        if (FHandle == PortDevice::NoHandle && !FLink) {
            FSource = source;
            FBaudRate = baud;
            ++FOpenGeneration;
            std::string error;
            if (source.IsLink()) {
                opened = OpenLink(guard, error);
            } else {
                guard.unlock();  // others wait on FExclusive, not on the lock
                const PortDevice::Handle handle =
                    PortDevice::Open(source.Text(), baud, FInQueueSize, FOutQueueSize, error);
                guard.lock();
                FHandle = handle;
                opened = handle != PortDevice::NoHandle;
            }
            FLastError = error;
            if (opened) FDeviceGone.store(false, std::memory_order_release);
        } else {
            FLastError = "port is already open";
        }
        FExclusive = false;
    }
    FGateChanged.notify_all();
    PurgePort(PurgeBoth);
    return opened;
}

bool YComPort::ChangeRate(uint32_t baud) {
    bool changed = false;
    {
        std::unique_lock<std::mutex> guard = Exclusive();
        std::string error = "no serial port is open";
        if (FHandle != PortDevice::NoHandle && !FLink) {
            error.clear();
            changed = PortDevice::SetRate(FHandle, baud, error);
            if (changed) FBaudRate = baud;
        }
        FLastError = error;
        FExclusive = false;
    }
    // What the reader already holds is left to the framer, as any line noise:
    // dropping it here would drop what the reader takes in next instead.
    FGateChanged.notify_all();
    return changed;
}

// Called holding the port exclusively through `guard`, which is let go while
// the link connects (others wait on FExclusive, not on the lock).
bool YComPort::OpenLink(std::unique_lock<std::mutex>& guard, std::string& error) {
    LinkUrl url;
    if (!ParseLinkUrl(FSource.Text(), url, error)) return false;
    guard.unlock();
    std::unique_ptr<LinkDevice> link = OpenLinkDevice(url, error);
    guard.lock();
    FLink = std::move(link);
    return FLink != nullptr;
}

bool YComPort::ReopenLink() {
    std::string text;
    uint32_t generation;
    {
        std::lock_guard<std::mutex> guard(FGateLock);
        if (!FLink || !FDeviceGone.load(std::memory_order_acquire)) return false;
        text = FSource.Text();
        generation = FOpenGeneration;
    }
    LinkUrl url;
    std::string error;
    std::unique_ptr<LinkDevice> link;
    if (ParseLinkUrl(text, url, error)) link = OpenLinkDevice(url, error);
    bool reopened = false;
    {
        std::unique_lock<std::mutex> guard = Exclusive();
        FLastError = error;
        if (link && FLink && FOpenGeneration == generation) {
            std::swap(FLink, link);  // the gone one is ended below, outside the gate
            FDeviceGone.store(false, std::memory_order_release);
            reopened = true;
        }
        FExclusive = false;
    }
    FGateChanged.notify_all();
    link.reset();
    if (reopened) FPurgeGeneration.fetch_add(1, std::memory_order_acq_rel);  // the cut sentence
    return reopened;
}

std::shared_ptr<PlaybackControl> YComPort::Playback() const {
    std::lock_guard<std::mutex> guard(FGateLock);
    return FLink ? FLink->Playback() : nullptr;
}

Source YComPort::PortSource() const {
    std::lock_guard<std::mutex> guard(FGateLock);
    return FSource;
}

bool YComPort::IsLink() const {
    std::lock_guard<std::mutex> guard(FGateLock);
    return FLink != nullptr;
}

bool YComPort::ClosePort() {
    PortDevice::Handle handle;
    std::unique_ptr<LinkDevice> link;
    {
        std::unique_lock<std::mutex> guard = Exclusive();
        handle = FHandle;
        FHandle = PortDevice::NoHandle;
        link = std::move(FLink);
        ++FOpenGeneration;
        FExclusive = false;
    }
    FGateChanged.notify_all();
    link.reset();
    PortDevice::Close(handle);
    FPurgeGeneration.fetch_add(1, std::memory_order_acq_rel);  // what was read is gone too
    return true;
}

bool YComPort::IsOpen() const {
    std::lock_guard<std::mutex> guard(FGateLock);
    return FHandle != PortDevice::NoHandle || FLink;
}

std::string YComPort::LastError() {
    std::lock_guard<std::mutex> guard(FGateLock);
    return FLastError;
}

void YComPort::PurgePort(uint8_t selector) {
    switch (selector) {
        case PurgeTransmit:
            Purge(true, false);
            break;
        case PurgeReceive:
            Purge(false, true);
            break;
        case PurgeBoth:
            Purge(true, true);
            break;
        default:
            break;
    }
}

void YComPort::Purge(bool transmit, bool receive) {
    Use use(*this);
    if (!use.Open() || use.Link()) return;
    {
        std::unique_lock<std::mutex> writing(FWriteLock, std::defer_lock);
        if (transmit) writing.lock();
        PortDevice::Purge(use.Handle(), transmit, receive);
    }
    // Bytes already taken into the read buffer were pending input too.
    if (receive) FPurgeGeneration.fetch_add(1, std::memory_order_acq_rel);
    if (PortObserver* observer = FObserver.load()) observer->PortPurged(transmit, receive);
}

void YComPort::DropIfPurged() {
    const uint32_t generation = FPurgeGeneration.load(std::memory_order_acquire);
    if (generation == FSeenPurge) return;
    FSeenPurge = generation;
    FReadPos = FBytesRead = 0;
    FFramer.DropCarried();
}

YComPort::FillResult YComPort::Fill(unsigned waitMs) {
    if (FDeviceGone.load(std::memory_order_acquire)) return FillResult::Gone;
    Use use(*this);
    if (!use.Open()) return FillResult::Closed;
    const int n = use.Link()
                      ? use.Link()->Read(FReadBuffer.get(), ReadBufferSize, waitMs)
                      : PortDevice::Read(use.Handle(), FReadBuffer.get(), ReadBufferSize, waitMs);
    if (n == PortDevice::ReadDeviceGone) {
        FDeviceGone.store(true, std::memory_order_release);
        return FillResult::Gone;
    }
    if (n == PortDevice::ReadTimedOut) return FillResult::TimedOut;
    FReadPos = 0;
    FBytesRead = static_cast<size_t>(n);
    return FillResult::Data;
}

RecordKind YComPort::ReadRecord(char* buffer, uint16_t& length, framing::UbxFrameBuffer* ubx,
                                framing::RtcmFrameBuffer* rtcm, const std::atomic<bool>& stop) {
    return ReadRecord(buffer, length, ubx, rtcm, stop, false);
}

RecordKind YComPort::ReadUnframedRecord(char* buffer, uint16_t& length,
                                        framing::UbxFrameBuffer* ubx,
                                        framing::RtcmFrameBuffer* rtcm) {
    static const std::atomic<bool> NoStop{false};
    return ReadRecord(buffer, length, ubx, rtcm, NoStop, true);
}

RecordKind YComPort::ReadRecord(char* buffer, uint16_t& length, framing::UbxFrameBuffer* ubx,
                                framing::RtcmFrameBuffer* rtcm, const std::atomic<bool>& stop,
                                bool bufferedOnly) {
    std::lock_guard<std::mutex> reading(FReadLock);
    SentenceSource source(*this, stop, bufferedOnly);
    const RecordKind kind = FrameRecord(source, buffer, length, FFramer, ubx, rtcm, [&] {
        return source.WasCutShort() || stop.load(std::memory_order_acquire);
    });
    {
        std::lock_guard<std::mutex> guard(FFramerLock);
        FFramerShown = FFramer;
    }
    if (!source.WasCutShort()) return kind;
    std::memset(buffer, 0, SentenceBufferSize);  // a record cut off in its middle is no record
    length = 0;
    return RecordKind::None;
}

bool YComPort::HasUnframedBytes() {
    std::lock_guard<std::mutex> reading(FReadLock);
    DropIfPurged();
    return FReadPos < FBytesRead;
}

uint16_t YComPort::ReadSentence(char* buffer, const std::atomic<bool>& stop) {
    uint16_t length = 0;
    while (IsFrame(ReadRecord(buffer, length, nullptr, stop))) {
    }
    return length;
}

uint16_t YComPort::ReadSentence(char* buffer, bool stop) {
    const std::atomic<bool> flag{stop};
    return ReadSentence(buffer, flag);
}

int YComPort::WriteBytes(const uint8_t* data, size_t count) {
    Use use(*this);
    if (!use.Open()) return SendPortClosed;
    std::lock_guard<std::mutex> writing(FWriteLock);
    const Clock::time_point start = Clock::now();
    size_t written = 0;
    bool failed = false;
    while (written < count && !failed) {
        const uint64_t elapsed = MsSince(start);
        if (elapsed > FWriteLimitMs) break;
        const unsigned waitMs = static_cast<unsigned>(FWriteLimitMs - elapsed);
        const int n =
            use.Link() ? use.Link()->Write(data + written, count - written, waitMs)
                       : PortDevice::Write(use.Handle(), data + written, count - written, waitMs);
        if (n < 0)
            failed = true;
        else
            written += static_cast<size_t>(n);
    }
    if (!failed && written == count && !use.Link()) {  // a socket has no line to drain
        const uint64_t elapsed = MsSince(start);
        if (elapsed <= FWriteLimitMs)
            failed =
                !PortDevice::Drain(use.Handle(), static_cast<unsigned>(FWriteLimitMs - elapsed));
    }
    if (PortObserver* observer = FObserver.load()) observer->PortWrote(data, written);
    if (failed || written < count || MsSince(start) > FWriteLimitMs) return SendTimedOut;
    return static_cast<int>(written);
}

int YComPort::SendCommandText(std::string_view text) {
    if (text.substr(0, UbxSyncText.size()) == UbxSyncText) {
        const std::vector<uint8_t> frame = HexTextToBytes(text);
        return WriteBytes(frame.data(), frame.size());
    }
    return WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

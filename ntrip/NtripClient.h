// NtripClient: a thread that streams corrections from one mountpoint of an
// NTRIP caster and hands every byte, in order, to a sink (the receiver's
// link). It answers NTRIP 1 and NTRIP 2 casters, undoes chunked transfer
// coding, sends the receiver's GGA (or one built from a given position) to
// mountpoints that want it, and after a drop, a refused connection or a
// time-out connects again after 1, 2, 4 ... 30 s (the links' rule), saying
// each attempt once. A wrong password, a missing mountpoint or an answer
// that is no stream end it: another attempt would get the same answer.
// Its messages name the caster without the password.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "ntrip/GgaText.h"
#include "ntrip/NtripExchange.h"
#include "ntrip/NtripUrl.h"
#include "thread/YThread.h"

struct NtripClientConfig {
    NtripUrl Url;
    NtripLimits Limits;
    bool SendGga = false;  // the mountpoint's NMEA flag
    static constexpr unsigned DefaultGgaIntervalS = 10;
    unsigned GgaIntervalS = DefaultGgaIntervalS;  // 0: never
};

enum class NtripPhase { Connecting, Streaming, Waiting, Failed, Stopped };
const char* NtripPhaseText(NtripPhase phase);

struct NtripStatus {
    NtripPhase Phase = NtripPhase::Connecting;
    uint64_t Bytes = 0;        // correction bytes handed to the sink
    double RateBps = 0;        // bytes a second over the last second or more
    double AgeS = -1;          // since the last bytes (-1: none yet)
    uint64_t Connections = 0;  // streams answered
    unsigned Attempt = 0;      // the current reconnection attempt (0: none)
    uint64_t GgaSent = 0;
    std::string LastError;
    // The caster has no such mountpoint (404, or its source table answered):
    // the user needs the table again.
    bool MountMissing = false;
};

class NtripClient : public YThread {
  public:
    using Sink = std::function<void(const uint8_t*, size_t)>;
    using Say = std::function<void(const std::string&)>;

    // `sink` and `say` run on the client's thread.
    NtripClient(NtripClientConfig config, Sink sink, Say say);
    ~NtripClient() override { Shutdown(); }

    NtripStatus Status() const;
    // The receiver's latest GGA sentence (any thread); sent in place of a built one.
    void SetReceiverGga(const std::string& sentence);
    // The position a GGA is built from while the receiver sends none.
    void SetPosition(const GgaPosition& position);

  protected:
    void Execute() override;

  private:
    using Clock = std::chrono::steady_clock;
    enum class Outcome { Retry, Fatal, Stopped };

    Outcome Session(std::string& error);
    Outcome Stream(NtripExchange& exchange, std::string& error);
    void Deliver(const uint8_t* data, size_t size);
    void SendGgaWhenDue(LinkSocket::SocketLink& link, Clock::time_point& next);
    std::string GgaToSend();
    bool WaitUnlessTerminated(unsigned seconds);
    void SetPhase(NtripPhase phase, const std::string& error = {});

    NtripClientConfig FConfig;
    Sink FSink;
    Say FSay;
    mutable std::mutex FLock;  // guards what follows
    NtripStatus FStatus;
    std::optional<Clock::time_point> FLastData;
    Clock::time_point FRateMark{};
    uint64_t FRateMarkBytes = 0;
    std::string FReceiverGga;
    Clock::time_point FReceiverGgaTime{};
    std::optional<GgaPosition> FPosition;
};

#include "ntrip/NtripClient.h"

#include <ctime>
#include <thread>

#include "link/ThreadNMEAFetch.h"
#include "ntrip/ChunkDecoder.h"
#include "serial/PortDevice.h"

namespace {

constexpr size_t ReadSize = 4096;
constexpr auto RateWindow = std::chrono::seconds(1);
constexpr auto WaitStep = std::chrono::milliseconds(20);

unsigned SecondsOfDayUtc() {
    return static_cast<unsigned>(std::time(nullptr) % 86400);
}

}  // namespace

const char* NtripPhaseText(NtripPhase phase) {
    switch (phase) {
        case NtripPhase::Connecting:
            return "connecting";
        case NtripPhase::Streaming:
            return "streaming";
        case NtripPhase::Waiting:
            return "waiting to reconnect";
        case NtripPhase::Failed:
            return "failed";
        case NtripPhase::Stopped:
            return "stopped";
    }
    return "";
}

NtripClient::NtripClient(NtripClientConfig config, Sink sink, Say say)
    : YThread(true), FConfig(std::move(config)), FSink(std::move(sink)), FSay(std::move(say)) {}

NtripStatus NtripClient::Status() const {
    std::lock_guard<std::mutex> guard(FLock);
    NtripStatus status = FStatus;
    const auto now = Clock::now();
    if (FLastData) status.AgeS = std::chrono::duration<double>(now - *FLastData).count();
    // A rate measured over a window that has since passed without data falls.
    const double window = std::chrono::duration<double>(now - FRateMark).count();
    if (window > 2 * std::chrono::duration<double>(RateWindow).count() && FLastData)
        status.RateBps = static_cast<double>(FStatus.Bytes - FRateMarkBytes) / window;
    return status;
}

void NtripClient::SetReceiverGga(const std::string& sentence) {
    std::lock_guard<std::mutex> guard(FLock);
    FReceiverGga = sentence;
    FReceiverGgaTime = Clock::now();
}

void NtripClient::SetPosition(const GgaPosition& position) {
    std::lock_guard<std::mutex> guard(FLock);
    FPosition = position;
}

void NtripClient::SetPhase(NtripPhase phase, const std::string& error) {
    std::lock_guard<std::mutex> guard(FLock);
    FStatus.Phase = phase;
    if (!error.empty()) FStatus.LastError = error;
}

bool NtripClient::WaitUnlessTerminated(unsigned seconds) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        if (Terminated()) return false;
        std::this_thread::sleep_for(WaitStep);
    }
    return !Terminated();
}

void NtripClient::Execute() {
    const std::string shown = FConfig.Url.Shown();
    unsigned attempt = 0;
    for (;;) {
        const uint64_t connectionsBefore = Status().Connections;
        std::string error;
        const Outcome outcome = Session(error);
        if (outcome == Outcome::Stopped || Terminated()) break;
        if (outcome == Outcome::Fatal) {
            SetPhase(NtripPhase::Failed, error);
            if (FSay) FSay("NTRIP " + shown + ": " + error);
            return;
        }
        if (Status().Connections != connectionsBefore) attempt = 0;  // it streamed: start afresh
        ++attempt;
        const unsigned wait = TNmeaFetch::ReconnectWaitS(attempt);
        {
            std::lock_guard<std::mutex> guard(FLock);
            FStatus.Phase = NtripPhase::Waiting;
            FStatus.LastError = error;
            FStatus.Attempt = attempt;
        }
        if (FSay)
            FSay("NTRIP " + shown + ": " + error + "; reconnection attempt " +
                 std::to_string(attempt) + " in " + std::to_string(wait) + " s");
        if (!WaitUnlessTerminated(wait)) break;
    }
    SetPhase(NtripPhase::Stopped);
}

NtripClient::Outcome NtripClient::Session(std::string& error) {
    SetPhase(NtripPhase::Connecting);
    NtripExchange exchange;
    switch (OpenExchange(FConfig.Url, FConfig.Url.Mount, FConfig.Limits, TerminatedFlag(), exchange,
                         error)) {
        case ExchangeResult::Stopped:
            return Outcome::Stopped;
        case ExchangeResult::Network:
            return Outcome::Retry;
        case ExchangeResult::Answered:
            break;
    }
    error = AnswerProblem(FConfig.Url, exchange.Head, false);
    if (exchange.Head.Kind == AnswerKind::NotFound ||
        exchange.Head.Kind == AnswerKind::SourceTable) {
        std::lock_guard<std::mutex> guard(FLock);
        FStatus.MountMissing = true;
    }
    if (!error.empty())
        return exchange.Head.Kind == AnswerKind::OtherStatus && exchange.Head.Status >= 500
                   ? Outcome::Retry
                   : Outcome::Fatal;
    return Stream(exchange, error);
}

NtripClient::Outcome NtripClient::Stream(NtripExchange& exchange, std::string& error) {
    unsigned attempt = 0;
    {
        std::lock_guard<std::mutex> guard(FLock);
        attempt = FStatus.Attempt;
        FStatus.Phase = NtripPhase::Streaming;
        FStatus.Attempt = 0;
        ++FStatus.Connections;
        FRateMark = Clock::now();
        FRateMarkBytes = FStatus.Bytes;
    }
    if (FSay)
        FSay("NTRIP " + FConfig.Url.Shown() + ": streaming" +
             (attempt ? " again (attempt " + std::to_string(attempt) + ")" : std::string()));
    ChunkDecoder chunks([this](const uint8_t* data, size_t size) { Deliver(data, size); });
    const bool chunked = exchange.Head.Chunked;
    const auto take = [&](const uint8_t* data, size_t size) {
        if (chunked) return chunks.Feed(data, size);
        Deliver(data, size);
        return true;
    };
    auto nextGga = Clock::now();
    bool ok = take(reinterpret_cast<const uint8_t*>(exchange.Rest.data()), exchange.Rest.size());
    auto lastData = Clock::now();
    uint8_t buffer[ReadSize];
    while (ok && !Terminated()) {
        SendGgaWhenDue(*exchange.Link, nextGga);
        const int n = exchange.Link->Read(buffer, sizeof buffer, NtripReadStepMs);
        if (n == PortDevice::ReadDeviceGone) {
            error = "the caster ended the stream";
            return Outcome::Retry;
        }
        if (n > 0) {
            ok = take(buffer, static_cast<size_t>(n));
            lastData = Clock::now();
        } else if (Clock::now() - lastData >= std::chrono::milliseconds(FConfig.Limits.IdleMs)) {
            error = "no corrections for " + std::to_string(FConfig.Limits.IdleMs / 1000) +
                    " s (timed out)";
            return Outcome::Retry;
        }
        if (chunked && chunks.Ended()) {
            error = "the caster ended the stream";
            return Outcome::Retry;
        }
    }
    if (!ok) {
        error = "a damaged chunked stream: " + chunks.Error();
        return Outcome::Retry;
    }
    return Outcome::Stopped;
}

void NtripClient::Deliver(const uint8_t* data, size_t size) {
    if (size == 0) return;
    if (FSink) FSink(data, size);
    std::lock_guard<std::mutex> guard(FLock);
    const auto now = Clock::now();
    FStatus.Bytes += size;
    FLastData = now;
    if (now - FRateMark >= RateWindow) {
        FStatus.RateBps = static_cast<double>(FStatus.Bytes - FRateMarkBytes) /
                          std::chrono::duration<double>(now - FRateMark).count();
        FRateMark = now;
        FRateMarkBytes = FStatus.Bytes;
    }
}

std::string NtripClient::GgaToSend() {
    std::lock_guard<std::mutex> guard(FLock);
    const auto fresh = std::chrono::seconds(2 * FConfig.GgaIntervalS);
    if (!FReceiverGga.empty() && Clock::now() - FReceiverGgaTime <= fresh) {
        std::string sentence = FReceiverGga;
        if (sentence.size() < 2 || sentence.compare(sentence.size() - 2, 2, "\r\n") != 0)
            sentence += "\r\n";
        return sentence;
    }
    return FPosition ? BuildGga(*FPosition, SecondsOfDayUtc()) : std::string();
}

void NtripClient::SendGgaWhenDue(LinkSocket::SocketLink& link, Clock::time_point& next) {
    if (!FConfig.SendGga || FConfig.GgaIntervalS == 0 || Clock::now() < next) return;
    next = Clock::now() + std::chrono::seconds(FConfig.GgaIntervalS);
    const std::string gga = GgaToSend();
    if (gga.empty()) return;
    if (link.Write(reinterpret_cast<const uint8_t*>(gga.data()), gga.size(), NtripReadStepMs) > 0) {
        std::lock_guard<std::mutex> guard(FLock);
        ++FStatus.GgaSent;
    }
}

#include "ntrip/NtripExchange.h"

#include <chrono>

#include "ntrip/ChunkDecoder.h"
#include "serial/PortDevice.h"

namespace {

constexpr const char* Agent = "NTRIP LumarokUb/1.0";
constexpr size_t ReadSize = 4096;
constexpr const char* TableEnd = "ENDSOURCETABLE";

using Clock = std::chrono::steady_clock;

bool Expired(Clock::time_point start, unsigned limitMs) {
    return Clock::now() - start >= std::chrono::milliseconds(limitMs);
}

bool SendAll(LinkSocket::SocketLink& link, const std::string& text, unsigned limitMs) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    size_t sent = 0;
    const auto start = Clock::now();
    while (sent < text.size()) {
        const int n = link.Write(bytes + sent, text.size() - sent, NtripReadStepMs);
        if (n < 0 || (n == 0 && Expired(start, limitMs))) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::string Endpoint(const NtripUrl& url) {
    return url.Host + ":" + std::to_string(url.Port);
}

// The first line of a strange answer, in printable characters only.
std::string Printable(const std::string& text) {
    std::string shown;
    for (char c : text.substr(0, 60)) shown += (c >= ' ' && c <= '~') ? c : '?';
    return shown;
}

}  // namespace

std::string BasicAuthorization(const std::string& user, const std::string& password) {
    static const char* const Digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string plain = user + ":" + password;
    std::string encoded = "Basic ";
    for (size_t i = 0; i < plain.size(); i += 3) {
        uint32_t group = static_cast<uint8_t>(plain[i]) << 16;
        if (i + 1 < plain.size()) group |= static_cast<uint8_t>(plain[i + 1]) << 8;
        if (i + 2 < plain.size()) group |= static_cast<uint8_t>(plain[i + 2]);
        encoded += Digits[group >> 18 & 63];
        encoded += Digits[group >> 12 & 63];
        encoded += i + 1 < plain.size() ? Digits[group >> 6 & 63] : '=';
        encoded += i + 2 < plain.size() ? Digits[group & 63] : '=';
    }
    return encoded;
}

std::string NtripRequest(const NtripUrl& url, const std::string& mount, bool ntrip2) {
    std::string request = "GET /" + mount + (ntrip2 ? " HTTP/1.1\r\n" : " HTTP/1.0\r\n");
    request += "Host: " + Endpoint(url) + "\r\n";
    if (ntrip2) request += "Ntrip-Version: Ntrip/2.0\r\n";
    request += std::string("User-Agent: ") + Agent + "\r\n";
    if (!url.User.empty())
        request += "Authorization: " + BasicAuthorization(url.User, url.Password) + "\r\n";
    request += "Connection: close\r\n\r\n";
    return request;
}

ExchangeResult OpenExchange(const NtripUrl& url, const std::string& mount,
                            const NtripLimits& limits, const std::atomic<bool>& stop,
                            NtripExchange& exchange, std::string& error) {
    const LinkSocket::SocketHandle socket =
        LinkSocket::ConnectTcp(url.Host, url.Port, limits.ConnectMs, error);
    if (socket == LinkSocket::NoSocket) return ExchangeResult::Network;
    exchange.Link = std::make_unique<LinkSocket::SocketLink>(socket);
    if (!SendAll(*exchange.Link, NtripRequest(url, mount, limits.Ntrip2), limits.ConnectMs)) {
        error = "the caster " + Endpoint(url) + " took no request";
        return ExchangeResult::Network;
    }
    std::string head;
    uint8_t buffer[ReadSize];
    const auto start = Clock::now();
    while (!stop.load(std::memory_order_acquire)) {
        const int n = exchange.Link->Read(buffer, sizeof buffer, NtripReadStepMs);
        const bool ended = n == PortDevice::ReadDeviceGone;
        if (n > 0) head.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
        exchange.Head = ParseAnswerHead(head, ended && !head.empty());
        if (ended && exchange.Head.Kind == AnswerKind::Incomplete) {
            error = "the caster " + Endpoint(url) + " closed the connection without an answer";
            return ExchangeResult::Network;
        }
        if (exchange.Head.Kind != AnswerKind::Incomplete) {
            exchange.Rest = head.substr(exchange.Head.Size);
            return ExchangeResult::Answered;
        }
        if (Expired(start, limits.ConnectMs)) {
            error = "no answer from the caster " + Endpoint(url) + " within " +
                    std::to_string(limits.ConnectMs / 1000) + " s (timed out)";
            return ExchangeResult::Network;
        }
    }
    return ExchangeResult::Stopped;
}

std::string AnswerProblem(const NtripUrl& url, const AnswerHead& head, bool askedForTable) {
    const std::string where = " at " + Endpoint(url);
    switch (head.Kind) {
        case AnswerKind::Stream:
            return askedForTable ? "the caster" + where + " sent a stream, not its source table"
                                 : "";
        case AnswerKind::SourceTable:
            return askedForTable ? ""
                                 : "no mountpoint " + url.Mount + where +
                                       ": the caster answered with its source table";
        case AnswerKind::Unauthorized:
            return "wrong user or password for " + (url.User.empty() ? "(no user)" : url.User) +
                   where + " (401 Unauthorized)";
        case AnswerKind::NotFound:
            return "no such mountpoint " + url.Mount + where + " (404 Not Found)";
        case AnswerKind::OtherStatus:
            return "the caster" + where + " refused: " + Printable(head.StatusLine);
        case AnswerKind::Garbage:
        case AnswerKind::Incomplete:
            break;
    }
    return "not an NTRIP caster" + where + ": it answered \"" + Printable(head.StatusLine) + "\"";
}

bool FetchSourceTable(const NtripUrl& url, const NtripLimits& limits, const std::atomic<bool>& stop,
                      SourceTable& table, std::string& error) {
    NtripExchange exchange;
    if (OpenExchange(url, "", limits, stop, exchange, error) != ExchangeResult::Answered)
        return false;
    error = AnswerProblem(url, exchange.Head, true);
    if (!error.empty()) return false;
    std::string body;
    ChunkDecoder chunks([&body](const uint8_t* data, size_t size) {
        body.append(reinterpret_cast<const char*>(data), size);
    });
    const auto take = [&](const uint8_t* data, size_t size) {
        if (exchange.Head.Chunked) return chunks.Feed(data, size);
        body.append(reinterpret_cast<const char*>(data), size);
        return true;
    };
    const auto complete = [&] {
        if (exchange.Head.Chunked) return chunks.Ended();
        if (exchange.Head.ContentLength >= 0)
            return body.size() >= static_cast<size_t>(exchange.Head.ContentLength);
        return body.find(TableEnd) != std::string::npos;
    };
    bool ok = take(reinterpret_cast<const uint8_t*>(exchange.Rest.data()), exchange.Rest.size());
    uint8_t buffer[ReadSize];
    auto last = Clock::now();
    while (ok && !complete() && !stop.load(std::memory_order_acquire)) {
        const int n = exchange.Link->Read(buffer, sizeof buffer, NtripReadStepMs);
        if (n == PortDevice::ReadDeviceGone) break;  // the table ends with the connection
        if (n > 0) {
            ok = take(buffer, static_cast<size_t>(n));
            last = Clock::now();
        } else if (Expired(last, limits.ConnectMs)) {
            error = "the source table from " + Endpoint(url) + " stopped coming (timed out)";
            return false;
        }
    }
    if (!ok) {
        error = "a damaged source table from " + Endpoint(url) + ": " + chunks.Error();
        return false;
    }
    table = ParseSourceTable(body);
    return true;
}

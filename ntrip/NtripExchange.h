// One request to a caster and the head of its answer: the connection (through
// the links' portable socket layer), the request with Basic authentication,
// and the answer's head read within a time limit. The source-table fetch and
// the stream client both start this way; FetchSourceTable reads the table.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "ntrip/NtripAnswer.h"
#include "ntrip/NtripUrl.h"
#include "ntrip/SourceTable.h"
#include "serial/LinkSocket.h"

struct NtripLimits {
    unsigned ConnectMs = 10000;  // to connect, and for the answer's head
    unsigned IdleMs = 30000;     // a stream silent this long has timed out
    bool Ntrip2 = true;          // asks in NTRIP 2 (HTTP/1.1); the answer may be either
};

enum class ExchangeResult {
    Answered,  // the head is there; Kind tells what it is
    Network,   // refused, unreachable, timed out, ended early: worth another attempt
    Stopped,   // the stop flag was raised
};

struct NtripExchange {
    std::unique_ptr<LinkSocket::SocketLink> Link;
    AnswerHead Head;
    std::string Rest;  // bytes read after the head
};

// "Basic " and the base64 text of USER:PASSWORD.
std::string BasicAuthorization(const std::string& user, const std::string& password);
// The request for `mount` (empty: the source table).
std::string NtripRequest(const NtripUrl& url, const std::string& mount, bool ntrip2);
// A poll of the read in steps this long, so a stop flag is seen at once.
constexpr unsigned NtripReadStepMs = 100;

// Connects, asks for `mount` and reads the answer's head.
ExchangeResult OpenExchange(const NtripUrl& url, const std::string& mount,
                            const NtripLimits& limits, const std::atomic<bool>& stop,
                            NtripExchange& exchange, std::string& error);
// The message for an answer that is not what was asked for (empty for a
// stream asked for and answered, or a source table asked for and answered).
std::string AnswerProblem(const NtripUrl& url, const AnswerHead& head, bool askedForTable);

// Fetches and parses the caster's source table.
bool FetchSourceTable(const NtripUrl& url, const NtripLimits& limits, const std::atomic<bool>& stop,
                      SourceTable& table, std::string& error);

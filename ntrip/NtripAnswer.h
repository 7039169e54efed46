// The head of a caster's answer and what it means. NTRIP 1 casters answer a
// stream with the single line "ICY 200 OK" and a source table with
// "SOURCETABLE 200 OK" and headers; NTRIP 2 casters answer in HTTP/1.1, the
// stream often with chunked transfer coding. Either may come whatever the
// request's version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class AnswerKind {
    Incomplete,    // more bytes needed
    Stream,        // ICY 200 OK, or HTTP 200 with a stream
    SourceTable,   // SOURCETABLE 200 OK, or HTTP 200 with gnss/sourcetable
    Unauthorized,  // 401
    NotFound,      // 404
    OtherStatus,   // any other HTTP status
    Garbage,       // not an answer of a caster
};

struct AnswerHead {
    AnswerKind Kind = AnswerKind::Incomplete;
    int Status = 0;          // the HTTP status (200 for ICY and SOURCETABLE)
    std::string StatusLine;  // the first line, without its line end
    bool Chunked = false;    // Transfer-Encoding: chunked
    int64_t ContentLength = -1;
    size_t Size = 0;  // bytes of the head, line ends included
};

// The longest head accepted: a longer one is Garbage.
constexpr size_t AnswerHeadLimit = 16384;

// Reads the head from the first bytes of an answer. `ended`: the caster has
// closed the connection, so the bytes are all there is (some casters send a
// refusal as its status line alone and close).
AnswerHead ParseAnswerHead(std::string_view bytes, bool ended = false);

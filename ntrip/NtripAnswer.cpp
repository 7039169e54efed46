#include "ntrip/NtripAnswer.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

bool StartsWith(std::string_view text, std::string_view start) {
    return text.compare(0, start.size(), start) == 0;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

AnswerKind KindOfStatus(int status) {
    switch (status) {
        case 200:
            return AnswerKind::Stream;
        case 401:
            return AnswerKind::Unauthorized;
        case 404:
            return AnswerKind::NotFound;
        default:
            return AnswerKind::OtherStatus;
    }
}

// "HTTP/1.x NNN reason": the status, or 0.
int HttpStatus(std::string_view line) {
    if (!StartsWith(line, "HTTP/")) return 0;
    const size_t space = line.find(' ');
    if (space == std::string_view::npos || line.size() < space + 4) return 0;
    int status = 0;
    for (size_t i = space + 1; i < space + 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return 0;
        status = status * 10 + (line[i] - '0');
    }
    return status;
}

void ReadHeader(std::string_view line, AnswerHead& head) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;
    const std::string name = Lower(Trimmed(line.substr(0, colon)));
    const std::string value = Lower(Trimmed(line.substr(colon + 1)));
    if (name == "transfer-encoding" && value.find("chunked") != std::string::npos)
        head.Chunked = true;
    else if (name == "content-length" && !value.empty() &&
             value.find_first_not_of("0123456789") == std::string::npos && value.size() < 16)
        head.ContentLength = std::strtoll(value.c_str(), nullptr, 10);
    else if (name == "content-type" && value.find("sourcetable") != std::string::npos &&
             head.Kind == AnswerKind::Stream)
        head.Kind = AnswerKind::SourceTable;
}

}  // namespace

AnswerHead ParseAnswerHead(std::string_view bytes, bool ended) {
    AnswerHead head;
    const size_t received = bytes.size();
    const std::string closed = ended ? std::string(bytes) + "\r\n\r\n" : std::string();
    if (ended) bytes = closed;
    const size_t firstEnd = bytes.find('\n');
    if (firstEnd == std::string_view::npos) {
        if (bytes.size() > AnswerHeadLimit) head.Kind = AnswerKind::Garbage;
        return head;
    }
    const std::string_view first = Trimmed(bytes.substr(0, firstEnd));
    head.StatusLine = std::string(first);
    if (StartsWith(first, "ICY 200")) {  // NTRIP 1: the stream follows the line
        head.Kind = AnswerKind::Stream;
        head.Status = 200;
        head.Size = std::min(firstEnd + 1, received);
        return head;
    }
    const bool table = StartsWith(first, "SOURCETABLE 200");
    head.Status = table ? 200 : HttpStatus(first);
    if (head.Status == 0) {
        head.Kind = AnswerKind::Garbage;
        return head;
    }
    const size_t end = bytes.find("\r\n\r\n");
    const size_t bareEnd = bytes.find("\n\n");
    const size_t blank = std::min(end, bareEnd);
    if (blank == std::string_view::npos) {
        if (bytes.size() > AnswerHeadLimit) head.Kind = AnswerKind::Garbage;
        return head;
    }
    head.Size = std::min(blank + (blank == end ? 4 : 2), received);
    if (head.Size > AnswerHeadLimit) {
        head.Kind = AnswerKind::Garbage;
        return head;
    }
    head.Kind = table ? AnswerKind::SourceTable : KindOfStatus(head.Status);
    size_t start = firstEnd + 1;
    while (start < blank) {
        size_t lineEnd = bytes.find('\n', start);
        if (lineEnd == std::string_view::npos || lineEnd > blank) lineEnd = blank;
        ReadHeader(bytes.substr(start, lineEnd - start), head);
        start = lineEnd + 1;
    }
    return head;
}

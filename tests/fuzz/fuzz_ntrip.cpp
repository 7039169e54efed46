// Fuzzes what a caster sends the NTRIP client: the answer's head (read
// whole, or as all there is once the caster closed), the chunked coding cut
// anywhere (the same data, end and error wherever the reads cut it, and
// never more data than was sent), the source table and the address typed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ntrip/ChunkDecoder.h"
#include "ntrip/NtripAnswer.h"
#include "ntrip/NtripUrl.h"
#include "ntrip/SourceTable.h"

namespace {

struct Decoded {
    std::string Data;
    bool Ok = true;
    bool Ended = false;
};

Decoded Decode(const uint8_t* data, size_t size, size_t cut) {
    Decoded decoded;
    ChunkDecoder decoder([&decoded](const uint8_t* bytes, size_t count) {
        decoded.Data.append(reinterpret_cast<const char*>(bytes), count);
    });
    decoded.Ok = decoder.Feed(data, cut) && decoder.Feed(data + cut, size - cut);
    decoded.Ended = decoder.Ended();
    return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (bool ended : {false, true}) {
        const AnswerHead head = ParseAnswerHead(text, ended);
        if (head.Size > size) __builtin_trap();
    }

    const Decoded whole = Decode(data, size, size);
    const Decoded split = Decode(data, size, size / 2);
    if (whole.Data != split.Data || whole.Ok != split.Ok || whole.Ended != split.Ended)
        __builtin_trap();
    if (whole.Data.size() > size) __builtin_trap();

    const SourceTable table = ParseSourceTable(text);
    for (const NtripStream& stream : table.Streams)
        if (stream.Mount.empty()) __builtin_trap();

    NtripUrl url;
    std::string error;
    if (ParseNtripUrl(std::string(text), url, error) && url.Host.empty()) __builtin_trap();
    return 0;
}

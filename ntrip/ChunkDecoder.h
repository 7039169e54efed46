// The chunked transfer coding of HTTP/1.1 undone as bytes arrive, in reads
// of any size: "SIZE[;extension]" in hexadecimal and CR LF, SIZE bytes of
// data and CR LF, until a chunk of size 0 (then the trailer lines are
// skipped up to the blank line). Chunk boundaries may fall anywhere in the
// reads. A size that is not hexadecimal or is larger than MaxChunk, or data
// not followed by CR LF, is an error that stops the decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class ChunkDecoder {
  public:
    using Sink = std::function<void(const uint8_t*, size_t)>;
    static constexpr uint64_t MaxChunk = 16 * 1024 * 1024;

    explicit ChunkDecoder(Sink sink) : FSink(std::move(sink)) {}

    // Decodes `size` more bytes, handing the data on; false once in error.
    bool Feed(const uint8_t* bytes, size_t size);
    bool Failed() const { return FState == State::Failed; }
    // True after the last chunk and its trailer.
    bool Ended() const { return FState == State::Ended; }
    const std::string& Error() const { return FError; }

  private:
    enum class State {
        Size,
        Extension,
        SizeLf,
        Data,
        DataCr,
        DataLf,
        Trailer,
        TrailerLf,
        Ended,
        Failed
    };

    bool Fail(const char* reason);
    bool SizeByte(uint8_t byte);
    bool EndOfSizeLine();

    Sink FSink;
    State FState = State::Size;
    uint64_t FRemaining = 0;
    size_t FDigits = 0;
    size_t FTrailerLine = 0;  // bytes of the current trailer line
    std::string FError;
};

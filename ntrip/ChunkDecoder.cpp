#include "ntrip/ChunkDecoder.h"

namespace {

int HexValue(uint8_t byte) {
    if (byte >= '0' && byte <= '9') return byte - '0';
    if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
    return -1;
}

}  // namespace

bool ChunkDecoder::Fail(const char* reason) {
    FState = State::Failed;
    FError = reason;
    return false;
}

bool ChunkDecoder::EndOfSizeLine() {
    if (FDigits == 0) return Fail("a chunk size without digits");
    FState = State::SizeLf;
    return true;
}

bool ChunkDecoder::SizeByte(uint8_t byte) {
    const int value = HexValue(byte);
    if (value >= 0) {
        FRemaining = FRemaining * 16 + static_cast<uint64_t>(value);
        ++FDigits;
        if (FRemaining > MaxChunk) return Fail("a chunk size larger than any stream sends");
        return true;
    }
    if (byte == ';' || byte == ' ' || byte == '\t') {
        if (FDigits == 0) return Fail("a chunk size without digits");
        FState = State::Extension;
        return true;
    }
    if (byte == '\r') return EndOfSizeLine();
    return Fail("a chunk size that is not hexadecimal");
}

bool ChunkDecoder::Feed(const uint8_t* bytes, size_t size) {
    size_t i = 0;
    while (i < size) {
        const uint8_t byte = bytes[i];
        switch (FState) {
            case State::Size:
                if (!SizeByte(byte)) return false;
                ++i;
                break;
            case State::Extension:  // skipped up to the line end
                if (byte == '\r') FState = State::SizeLf;
                ++i;
                break;
            case State::SizeLf:
                if (byte != '\n') return Fail("a chunk size line without its line end");
                ++i;
                FState = FRemaining == 0 ? State::Trailer : State::Data;
                FDigits = 0;
                FTrailerLine = 0;
                break;
            case State::Data: {
                const size_t take =
                    FRemaining < size - i ? static_cast<size_t>(FRemaining) : size - i;
                if (FSink) FSink(bytes + i, take);
                i += take;
                FRemaining -= take;
                if (FRemaining == 0) FState = State::DataCr;
                break;
            }
            case State::DataCr:
                if (byte != '\r') return Fail("chunk data longer than its size");
                ++i;
                FState = State::DataLf;
                break;
            case State::DataLf:
                if (byte != '\n') return Fail("chunk data longer than its size");
                ++i;
                FState = State::Size;
                break;
            case State::Trailer:
                if (byte == '\r') {
                    FState = State::TrailerLf;
                } else {
                    ++FTrailerLine;
                }
                ++i;
                break;
            case State::TrailerLf:
                if (byte != '\n') return Fail("a trailer line without its line end");
                ++i;
                if (FTrailerLine == 0) {
                    FState = State::Ended;
                } else {
                    FTrailerLine = 0;
                    FState = State::Trailer;
                }
                break;
            case State::Ended:
                return true;  // what follows the last chunk is not the stream's
            case State::Failed:
                return false;
        }
    }
    return FState != State::Failed;
}

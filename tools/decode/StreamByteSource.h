// A framing source over a C stream, read in large chunks: zeros once the
// stream has ended, so a last sentence without a line end is framed exactly
// as a port delivering nothing more would frame it.
#pragma once

#include <cstdint>
#include <cstdio>

class StreamByteSource {
  public:
    explicit StreamByteSource(std::FILE* file) : FFile(file) {}

    uint8_t ReadByte() {
        if (FPos == FFill && !Refill()) return 0;
        return FBuffer[FPos++];
    }
    void Pause(unsigned) {}
    void PurgeTransmit() {}
    // The byte just read is always still in the buffer.
    void Unread() { --FPos; }
    // What the buffer holds unread; the framer takes runs of it at once.
    const char* Buffered(size_t& count) const {
        count = FFill - FPos;
        return reinterpret_cast<const char*>(FBuffer + FPos);
    }
    void Consume(size_t count) { FPos += count; }
    bool AtEnd() { return FPos == FFill && !Refill(); }
    bool Failed() const { return FFailed; }
    // Bytes handed out so far, for the framer's byte counts.
    uint64_t Taken() const { return FBase + FPos; }

  private:
    bool Refill() {
        if (FEnded) return false;
        FBase += FFill;
        FFill = std::fread(FBuffer, 1, sizeof FBuffer, FFile);
        FPos = 0;
        if (FFill == 0) {
            FEnded = true;
            FFailed = std::ferror(FFile) != 0;
        }
        return FFill > 0;
    }

    static constexpr size_t ChunkSize = 64 * 1024;
    std::FILE* FFile;
    uint8_t FBuffer[ChunkSize];
    size_t FPos = 0;
    size_t FFill = 0;
    uint64_t FBase = 0;  // bytes of the chunks before this one
    bool FEnded = false;
    bool FFailed = false;
};

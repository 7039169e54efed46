// Sentence framing: collects one NMEA sentence from '$' up to and including
// the carriage return from a byte source. The serial port and the file
// decoder both frame through this one routine, so a port and a capture file
// are read identically.
//
// A Source provides:
//   uint8_t ReadByte();       next byte, 0 when nothing arrived in its wait
//   void Pause(unsigned ms);  the framer's back-off after noise (may do nothing)
//   void PurgeTransmit();     called on a DEL byte while hunting
//   void Unread();            the last byte read is read again by the next ReadByte
// and Stop is a callable returning true when the caller wants to give up.
//
// A '$' always starts a sentence: one met inside a sentence ends what came
// before it, which is handed on as a sentence of its own (it fails its
// checksum and is shown and captured like any broken sentence), and the '$'
// is left for the next call. A '$' right after the opening '$' ("$$GPGGA")
// simply starts the sentence again.
#pragma once

#include <cstdint>
#include <cstring>

constexpr int SentenceBufferSize = 102;  // 100 characters, the CR and a NUL
constexpr int SentenceMaxChars = 100;
constexpr int HuntStepLimit = 300;    // at most 299 bytes examined looking for '$'
constexpr int HuntHighByteLimit = 5;  // the seventh high byte gives up
constexpr int CollectStepLimit = 195;
constexpr unsigned HighBytePauseMs = 60;
constexpr unsigned DroppedBytePauseMs = 30;
constexpr unsigned CarriageReturnPauseMs = 1;

inline bool IsHighByte(uint8_t c) {
    return c >= 0x80;
}

// Returns the sentence length including its CR, or 0 for no sentence. The
// bytes after the returned length are zero. A sentence ended by a lone LF is
// taken as ended by CR: the buffer holds a CR in its place.
template <class Source, class Stop>
uint16_t FrameSentence(Source& source, char* buffer, Stop&& stop) {
    std::memset(buffer, 0, SentenceBufferSize);
    uint8_t c = 0;
    int h = 0;
    for (int k = 1;; ++k) {
        if (k >= HuntStepLimit || stop()) return 0;
        if (c == '$') break;
        if (IsHighByte(c)) {
            if (h > HuntHighByteLimit) return 0;
            ++h;
            source.Pause(HighBytePauseMs);
        }
        if (c == 0x7F) source.PurgeTransmit();
        c = source.ReadByte();
    }
    int j = 0;
    for (int k = 1;; ++k) {
        if (k >= CollectStepLimit) {
            buffer[j++] = static_cast<char>(c);
            return static_cast<uint16_t>(j);
        }
        if (c == '\r' || c == '\n') {
            source.Pause(CarriageReturnPauseMs);
            buffer[j++] = '\r';
            return static_cast<uint16_t>(j);
        }
        if (c == '$' && j > 1) {
            source.Unread();
            buffer[j++] = '\r';
            return static_cast<uint16_t>(j);
        }
        if (c == '$' && j == 1) {
            // nothing but the opening '$' collected: the sentence starts here
        } else if (c == 0 || IsHighByte(c)) {
            source.Pause(DroppedBytePauseMs);
        } else {
            if (j == SentenceMaxChars) {
                std::memset(buffer, 0, SentenceBufferSize);  // nothing of it is kept
                return 0;
            }
            buffer[j++] = static_cast<char>(c);
        }
        c = source.ReadByte();
    }
}

// A source over bytes in memory: no waits, zeros once the bytes run out.
class MemoryByteSource {
  public:
    MemoryByteSource(const char* data, size_t size) : FData(data), FSize(size) {}
    uint8_t ReadByte() { return FPos < FSize ? static_cast<uint8_t>(FData[FPos++]) : 0; }
    void Pause(unsigned) {}
    void PurgeTransmit() {}
    void Unread() { --FPos; }
    bool AtEnd() const { return FPos >= FSize; }
    size_t Position() const { return FPos; }

  private:
    const char* FData;
    size_t FSize;
    size_t FPos = 0;
};

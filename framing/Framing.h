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
// A source that holds its bytes in a buffer may also offer them in runs:
//   const char* Buffered(size_t& count);  the unread bytes already at hand
//   void Consume(size_t count);           moves past 'count' of them
// The framer then copies a run of kept bytes at once; every byte that ends,
// restarts or breaks a run is still read through ReadByte, so the rules below
// hold the same for both kinds of source.
//
// A '$' always starts a sentence: one met inside a sentence ends what came
// before it, which is handed on as a sentence of its own (it fails its
// checksum and is shown and captured like any broken sentence), and the '$'
// is left for the next call. A '$' right after the opening '$' ("$$GPGGA")
// simply starts the sentence again.
//
// UBX frames (UbxFrame.h) share the stream with the sentences. B5 62 met
// while hunting starts a frame, which is collected whole and is never noise:
// it neither counts towards the give-up rules nor purges. B5 62 met inside a
// sentence ends the sentence, as a '$' does, and the frame is collected by
// the next call. A frame with a bad checksum is dropped and counted; a length
// over UbxMaxPayload marks a false sync, whose bytes are hunted over as noise.
// What one call leaves for the next is kept in a FramerState.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "framing/SourceTraits.h"
#include "framing/UbxFrame.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace framing {

// What the collecting loop does with a byte: keeps it, ends the sentence on
// it (CR or LF), ends or restarts the sentence ('$'), or drops it (NUL and
// bytes with the high bit set).
enum class ByteClass : uint8_t { Kept, LineEnd, Dollar, Dropped };

constexpr ByteClass ClassOf(int c) {
    if (c == '\r' || c == '\n') return ByteClass::LineEnd;
    if (c == '$') return ByteClass::Dollar;
    if (c == 0 || c >= 0x80) return ByteClass::Dropped;
    return ByteClass::Kept;
}

struct ByteClassTable {
    ByteClass Classes[256];
    constexpr ByteClassTable() : Classes() {
        for (int c = 0; c < 256; ++c) Classes[c] = ClassOf(c);
    }
};

inline constexpr ByteClassTable ByteClasses{};

inline ByteClass Classify(uint8_t c) {
    return ByteClasses.Classes[c];
}

// Copies the run of kept bytes at the start of bytes[0, count) to 'out'
// and returns its length. 'out' has room for 'count' bytes: whole blocks
// are stored as they are scanned, so bytes after the run may be written too
// (each caller writes its own after the run).
inline size_t CopyKeptRun(const char* bytes, size_t count, char* out) {
    size_t n = 0;
#if defined(__SSE2__)
    constexpr size_t Block = 16;
    for (; n + Block <= count; n += Block) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + n));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), b);
        // Kept: above zero as a signed byte (no NUL, no high byte), and no CR, LF or '$'.
        const __m128i stop = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('\r')),
                                                       _mm_cmpeq_epi8(b, _mm_set1_epi8('\n'))),
                                          _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('$')),
                                                       _mm_cmpgt_epi8(_mm_set1_epi8(1), b)));
        const unsigned marks = static_cast<unsigned>(_mm_movemask_epi8(stop));
        if (marks) return n + static_cast<size_t>(__builtin_ctz(marks));
    }
#endif
    for (; n < count && Classify(static_cast<uint8_t>(bytes[n])) == ByteClass::Kept; ++n)
        out[n] = bytes[n];
    return n;
}

// Zeroes buffer[from, SentenceBufferSize).
inline void ClearTail(char* buffer, int from) {
#if defined(__SSE2__)
    constexpr int Block = 16;
    static_assert(SentenceBufferSize >= Block);
    constexpr int LastBlock = SentenceBufferSize - Block;
    if (from > LastBlock) {
        for (int p = from; p < SentenceBufferSize; ++p) buffer[p] = 0;
        return;
    }
    // Blocks from 'from' on, the last one ending at the buffer's end.
    for (int p = from; p < LastBlock; p += Block)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + p), _mm_setzero_si128());
    _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + LastBlock), _mm_setzero_si128());
#else
    std::memset(buffer + from, 0, static_cast<size_t>(SentenceBufferSize - from));
#endif
}

// Copies the kept bytes the source holds at hand, at most 'room' of them,
// to 'out' and moves the source past them; returns how many.
template <class Source>
int TakeKeptRun(Source& source, char* out, int room) {
    if constexpr (OffersRuns<Source>::value) {
        size_t count = 0;
        const char* bytes = source.Buffered(count);
        if (count > static_cast<size_t>(room)) count = static_cast<size_t>(room);
        const size_t n = CopyKeptRun(bytes, count, out);
        source.Consume(n);
        return static_cast<int>(n);
    } else {
        (void)source;
        (void)out;
        (void)room;
        return 0;
    }
}

// What the framer carries from one call to the next, and what it counted.
struct FramerState {
    bool SyncStarted = false;  // the hunt gave up right after a B5
    bool SyncPending = false;  // a sentence was ended by B5 62: a frame follows
    uint64_t UbxFrames = 0;
    uint64_t UbxBadChecksums = 0;
    uint64_t UbxOversized = 0;
};

enum class HuntResult : uint8_t { GaveUp, Dollar, UbxSync };

// Steps and high bytes of one hunt, kept across a false sync.
struct HuntCount {
    int Steps = 1;
    int HighBytes = 0;
};

// Hunts for the opening '$' or the two UBX sync bytes.
template <class Source, class Stop>
HuntResult HuntRecord(Source& source, Stop& stop, FramerState& state, HuntCount& count) {
    if (state.SyncPending) {
        state.SyncPending = false;
        return HuntResult::UbxSync;
    }
    if (count.Steps >= HuntStepLimit || stop()) return HuntResult::GaveUp;
    uint8_t previous = state.SyncStarted ? UbxSync1 : 0;
    state.SyncStarted = false;
    uint8_t c = source.ReadByte();
    for (++count.Steps;; ++count.Steps) {
        if (previous == UbxSync1 && c == UbxSync2) return HuntResult::UbxSync;
        if (count.Steps >= HuntStepLimit || stop()) {
            state.SyncStarted = c == UbxSync1;
            return HuntResult::GaveUp;
        }
        if (c == '$') return HuntResult::Dollar;
        if (IsHighByte(c)) {
            if (count.HighBytes > HuntHighByteLimit) {
                state.SyncStarted = c == UbxSync1;
                return HuntResult::GaveUp;
            }
            ++count.HighBytes;
            source.Pause(HighBytePauseMs);
        }
        if (c == 0x7F) source.PurgeTransmit();
        previous = c;
        c = source.ReadByte();
    }
}

// Collects the sentence after its opening '$' and returns its length, the
// CR included, or 0 for no sentence. The bytes are stored into an array of
// this function's own and 'buffer' is written once at the end; the source is
// reached through its restricted reference alone, so that stores of bytes
// cannot touch its state, which then stays in registers.
//
// Byte k (the '$' is byte 1) is stored whatever it is when k reaches
// CollectStepLimit. Within a run of kept bytes the step and the count of
// characters move together, so one bound on the count stands for both limits.
//
// A B5 is dropped like any high byte unless a 62 follows it: then the frame
// it starts ends the sentence and is left for the next call (SyncPending).
// The byte read after a lone B5 is the next step's byte.
// A whole line at hand in a source that offers runs: the kept bytes after
// the '$' up to a CR or LF within the character limit. It is copied straight
// into 'buffer', with the effects the loop below has on such a line; 0 when
// the line is not at hand whole (the source is then as it was).
template <class Source>
int CollectWholeLine(Source& source, char* buffer) {
    size_t count = 0;
    const char* bytes = source.Buffered(count);
    const size_t room = std::min<size_t>(count, SentenceMaxChars - 1);
    const size_t n = CopyKeptRun(bytes, room, buffer + 1);
    if (n == room || Classify(static_cast<uint8_t>(bytes[n])) != ByteClass::LineEnd) return 0;
    buffer[0] = '$';
    buffer[n + 1] = '\r';
    source.Consume(n + 1);
    source.Pause(CarriageReturnPauseMs);
    return static_cast<int>(n + 2);
}

template <class Source>
int CollectSentence(Source& __restrict source, char* buffer, FramerState& state) {
    if constexpr (OffersRuns<Source>::value) {
        const int whole = CollectWholeLine(source, buffer);
        if (whole > 0) return whole;
    }
    char text[SentenceBufferSize];
    text[0] = '$';
    int j = 1;
    int length = -1;
    bool carried = false;
    uint8_t carry = 0;
    for (int k = 2; length < 0; ++k) {
        uint8_t c = carried ? carry : source.ReadByte();
        carried = false;
        const int dropped = k - j;  // steps that kept nothing, fixed during a run
        const int runLimit = std::min(SentenceMaxChars, CollectStepLimit - dropped);
        while (j < runLimit && Classify(c) == ByteClass::Kept) {
            text[j++] = static_cast<char>(c);
            j += TakeKeptRun(source, text + j, runLimit - j);
            c = source.ReadByte();
        }
        k = j + dropped;
        if (k >= CollectStepLimit) {
            text[j++] = static_cast<char>(c);
            length = j;
            break;
        }
        switch (Classify(c)) {
            case ByteClass::Kept:  // a 101st character: nothing of the sentence is kept
                length = 0;
                break;
            case ByteClass::LineEnd:
                source.Pause(CarriageReturnPauseMs);
                text[j++] = '\r';
                length = j;
                break;
            case ByteClass::Dollar:
                if (j == 1) break;  // nothing but the opening '$' collected: it starts here
                source.Unread();
                text[j++] = '\r';
                length = j;
                break;
            case ByteClass::Dropped:
                source.Pause(DroppedBytePauseMs);
                if (c != UbxSync1) break;
                carry = source.ReadByte();
                carried = carry != UbxSync2;
                if (carried) break;
                state.SyncPending = true;
                text[j++] = '\r';
                length = j;
                break;
        }
    }
    std::memcpy(buffer, text, static_cast<size_t>(length));
    return length;
}

}  // namespace framing

enum class RecordKind : uint8_t { None, Sentence, Ubx };

// Frames the next record: a sentence into 'buffer' (its length, the CR
// included, in 'length') or a UBX frame into 'ubx' (when null, frames are
// checked and counted but not kept). None when the hunt gives up. The bytes
// of 'buffer' after 'length' are zero; 'length' is 0 for a frame.
template <class Source, class Stop>
RecordKind FrameRecord(Source& source, char* buffer, uint16_t& length, framing::FramerState& state,
                       framing::UbxFrameBuffer* ubx, Stop&& stop) {
    framing::HuntCount count;
    int collected = 0;
    RecordKind kind = RecordKind::None;
    while (kind == RecordKind::None) {
        const framing::HuntResult hunt = framing::HuntRecord(source, stop, state, count);
        if (hunt == framing::HuntResult::GaveUp) break;
        if (hunt == framing::HuntResult::Dollar) {
            collected = framing::CollectSentence(source, buffer, state);
            if (collected > 0) kind = RecordKind::Sentence;
            break;
        }
        switch (framing::CollectUbx(source, ubx)) {
            case framing::UbxOutcome::Frame:
                ++state.UbxFrames;
                kind = RecordKind::Ubx;
                break;
            case framing::UbxOutcome::BadChecksum:
                ++state.UbxBadChecksums;
                count = framing::HuntCount{};
                break;
            case framing::UbxOutcome::Oversized:
                ++state.UbxOversized;
                count.Steps += static_cast<int>(framing::UbxHeaderSize) - 1;
                break;
        }
    }
    framing::ClearTail(buffer, collected);
    length = static_cast<uint16_t>(collected);
    return kind;
}

// Returns the sentence length including its CR, or 0 for no sentence. The
// bytes after the returned length are zero (the serial port promises this to
// its callers). A sentence ended by a lone LF is taken as ended by CR: the
// buffer holds a CR in its place. UBX frames are passed over; callers that
// want them, or a frame that follows a cut sentence, use FrameRecord.
template <class Source, class Stop>
uint16_t FrameSentence(Source& source, char* buffer, Stop&& stop) {
    framing::FramerState state;
    uint16_t length = 0;
    while (FrameRecord(source, buffer, length, state, nullptr, stop) == RecordKind::Ubx) {
    }
    return length;
}

// A source over bytes in memory: no waits, zeros once the bytes run out.
class MemoryByteSource {
  public:
    MemoryByteSource(const char* data, size_t size) : FData(data), FSize(size) {}
    // Every read moves on, past the end too (where zeros are read), so that
    // the framer's loop can keep the position in a register.
    uint8_t ReadByte() {
        const size_t pos = FPos++;
        return pos < FSize ? static_cast<uint8_t>(FData[pos]) : 0;
    }
    void Pause(unsigned) {}
    void PurgeTransmit() {}
    void Unread() { --FPos; }
    const char* Buffered(size_t& count) const {
        const size_t pos = Position();
        count = FSize - pos;
        return FData + pos;
    }
    void Consume(size_t count) { FPos += count; }
    bool AtEnd() const { return FPos >= FSize; }
    size_t Position() const { return FPos < FSize ? FPos : FSize; }

  private:
    const char* FData;
    size_t FSize;
    size_t FPos = 0;
};

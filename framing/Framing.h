// Framing of a byte stream into records: an NMEA sentence from '$' up to and
// including its carriage return, a whole UBX frame or a whole RTCM 3 frame,
// every byte counted by class. The serial port and the file decoder both
// frame through this one routine, so a port and a capture file are read
// identically.
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
// UBX frames (UbxFrame.h) and RTCM 3 frames (RtcmFrame.h) share the stream
// with the sentences. B5 62, or D3 followed by a byte whose reserved bits are
// zero, met while hunting starts a frame, which is collected whole and is
// never noise: it neither counts towards the give-up rules nor purges, and a
// '$' inside it stays part of it. The same pair met inside a sentence ends
// the sentence, as a '$' does, and the frame is collected by the next call.
// A UBX frame with a bad checksum is dropped and counted; a UBX length over
// UbxMaxPayload marks a false sync, whose header is hunted over. An RTCM
// frame with a bad CRC is dropped and counted, and its bytes end the hunt as
// if hunted over. The byte read when the hunt reaches its step limit, and a
// B5 or D3 that is the seventh high byte, are read again by the next call.
// A source that tells Taken() has every byte counted in one class
// (ByteCounts).
// What one call leaves for the next is kept in a FramerState.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "framing/RtcmFrame.h"
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

// What the framer counted of every byte the source handed out (sources
// that tell Taken() only). Each byte is counted once, in one class:
//   Sentences  a framed sentence from its '$' to its line end, the bytes it
//              dropped (NUL, high bytes) included; a sentence cut at its
//              101st character is noise
//   LineEnds   the CR and LF bytes right after a sentence that ended on one
//   Ubx, Rtcm  whole frames whose checksum or CRC is sound
//   BadFrames  frames whose checksum or CRC failed, and the header of a UBX
//              frame whose length is false
//   Noise      everything else the hunt passed over
// A caller that checks the sentences splits Sentences and LineEnds into
// sound and failed ones (SentenceBytes tells the length of the last).
struct ByteCounts {
    uint64_t Noise = 0;
    uint64_t Sentences = 0;
    uint64_t LineEnds = 0;
    uint64_t Ubx = 0;
    uint64_t Rtcm = 0;
    uint64_t BadFrames = 0;

    uint64_t Total() const { return Noise + Sentences + LineEnds + Ubx + Rtcm + BadFrames; }
};

// What a sentence ended by the start of a frame leaves for the next call.
enum class PendingFrame : uint8_t { None, Ubx, Rtcm };

// What the framer carries from one call to the next, and what it counted.
struct FramerState {
    PendingFrame Pending = PendingFrame::None;  // a sentence was ended by a frame's start
    uint8_t RtcmSecond = 0;                     // the byte after D3 of a pending RTCM frame
    bool AfterSentence = false;  // the record before was a sentence ended by CR or LF
    uint8_t CarriedBytes = 0;    // read by the call before, counted by this one
    uint64_t UbxFrames = 0;
    uint64_t UbxBadChecksums = 0;
    uint64_t UbxOversized = 0;
    uint64_t RtcmFrames = 0;
    uint64_t RtcmBadCrcs = 0;
    uint64_t LongSentences = 0;  // cut at their 101st character
    RtcmFrameInfo Rtcm;          // the RTCM frame framed last
    ByteCounts Bytes;
    uint32_t SentenceBytes = 0;  // stream bytes of the sentence framed last

    // Forgets what was carried over (the bytes it came from are gone: a purge).
    void DropCarried() {
        Pending = PendingFrame::None;
        AfterSentence = false;
        CarriedBytes = 0;
    }
};

enum class HuntResult : uint8_t { GaveUp, Dollar, UbxSync, RtcmSync };

// Steps and high bytes of one hunt, kept across a false sync, and the line
// ends after a sentence the hunt passed first.
struct HuntCount {
    int Steps = 1;
    int HighBytes = 0;
    uint32_t LineEnds = 0;
};

// Bytes the source has handed out, when it tells.
template <class Source>
uint64_t TakenBy(const Source& source) {
    if constexpr (CountsBytes<Source>::value)
        return source.Taken();
    else
        return (void)source, 0;
}

// True for the byte pair that starts a frame: B5 62 (UBX) or D3 followed by
// a byte whose reserved bits are zero (RTCM 3).
inline HuntResult SyncOf(uint8_t previous, uint8_t c) {
    if (previous == UbxSync1 && c == UbxSync2) return HuntResult::UbxSync;
    if (previous == RtcmPreamble && RtcmSecondByte(c)) return HuntResult::RtcmSync;
    return HuntResult::GaveUp;
}

// Hunts for the opening '$' or the two bytes that start a frame. The byte
// read when the step limit is reached is not examined: it is left to the
// next call (a '$' there starts the next sentence).
template <bool CountLineEnds, class Source, class Stop>
HuntResult HuntRecord(Source& source, Stop& stop, FramerState& state, HuntCount& count) {
    if (state.Pending != PendingFrame::None) {
        const PendingFrame pending = state.Pending;
        state.Pending = PendingFrame::None;
        return pending == PendingFrame::Ubx ? HuntResult::UbxSync : HuntResult::RtcmSync;
    }
    if (count.Steps >= HuntStepLimit || stop()) return HuntResult::GaveUp;
    uint8_t previous = 0;
    uint8_t c = source.ReadByte();
    ++count.Steps;
    if (CountLineEnds && state.AfterSentence) {
        state.AfterSentence = false;
        while ((c == '\r' || c == '\n') && count.Steps < HuntStepLimit && !stop()) {
            ++count.LineEnds;
            c = source.ReadByte();
            ++count.Steps;
        }
    }
    for (;; ++count.Steps) {
        if (IsHighByte(previous)) {
            const HuntResult sync = SyncOf(previous, c);
            if (sync != HuntResult::GaveUp) {
                if (sync == HuntResult::RtcmSync) state.RtcmSecond = c;
                return sync;
            }
        }
        if (count.Steps >= HuntStepLimit || stop()) {
            if (c != 0 && count.Steps >= HuntStepLimit) source.Unread();
            return HuntResult::GaveUp;
        }
        if (c == '$') return HuntResult::Dollar;
        if (IsHighByte(c)) {
            if (count.HighBytes > HuntHighByteLimit) {
                // A frame may start here: the next call reads this byte again.
                if (c == UbxSync1 || c == RtcmPreamble) source.Unread();
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
// When k reaches CollectStepLimit (the '$' is byte 1) the sentence ends on
// byte k: a kept byte is stored, a line end stored as CR, a '$' left for the
// next call, a NUL or high byte dropped. Within a run of kept bytes the step
// and the count of characters move together, so one bound on the count
// stands for both limits.
//
// A B5 or D3 is dropped like any high byte unless the byte after it starts
// a frame with it (62 after B5; after D3 a byte whose reserved bits are
// zero): then the frame ends the sentence and is left for the next call
// (Pending). The byte read after a lone B5 or D3 is the next step's byte.
// A whole line at hand in a source that offers runs: the kept bytes after
// the '$' up to a CR or LF within the character limit. It is copied straight
// into 'buffer', with the effects the loop below has on such a line; 0 when
// the line is not at hand whole (the source is then as it was).
template <class Source>
int CollectWholeLine(Source& source, char* buffer, FramerState& state) {
    size_t count = 0;
    const char* bytes = source.Buffered(count);
    const size_t room = std::min<size_t>(count, SentenceMaxChars - 1);
    const size_t n = CopyKeptRun(bytes, room, buffer + 1);
    if (n == room || Classify(static_cast<uint8_t>(bytes[n])) != ByteClass::LineEnd) return 0;
    buffer[0] = '$';
    buffer[n + 1] = '\r';
    source.Consume(n + 1);
    state.AfterSentence = true;
    source.Pause(CarriageReturnPauseMs);
    return static_cast<int>(n + 2);
}

// Ends the sentence text[0, j) on byte 'c', read at the step limit; returns its length.
template <class Source>
int EndAtStepLimit(Source& source, uint8_t c, char* text, int j, FramerState& state) {
    switch (Classify(c)) {
        case ByteClass::Kept:
            text[j++] = static_cast<char>(c);
            break;
        case ByteClass::LineEnd:
            text[j++] = '\r';
            state.AfterSentence = true;
            break;
        case ByteClass::Dollar:
            source.Unread();
            break;
        case ByteClass::Dropped:
            break;
    }
    return j;
}

template <class Source>
int CollectSentence(Source& __restrict source, char* buffer, FramerState& state) {
    if constexpr (OffersRuns<Source>::value) {
        const int whole = CollectWholeLine(source, buffer, state);
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
            length = EndAtStepLimit(source, c, text, j, state);
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
                state.AfterSentence = true;
                break;
            case ByteClass::Dollar:
                if (j == 1) break;  // nothing but the opening '$' collected: it starts here
                source.Unread();
                text[j++] = '\r';
                length = j;
                break;
            case ByteClass::Dropped:
                source.Pause(DroppedBytePauseMs);
                if (c != UbxSync1 && c != RtcmPreamble) break;
                carry = source.ReadByte();
                carried = SyncOf(c, carry) == HuntResult::GaveUp;
                if (carried) break;
                state.Pending = c == UbxSync1 ? PendingFrame::Ubx : PendingFrame::Rtcm;
                state.RtcmSecond = carry;
                text[j++] = '\r';
                length = j;
                break;
        }
    }
    std::memcpy(buffer, text, static_cast<size_t>(length));
    return length;
}

}  // namespace framing

enum class RecordKind : uint8_t { None, Sentence, Ubx, Rtcm };

namespace framing {

// Counts the bytes of one FrameRecord call in their classes, for sources
// that tell Taken() when 'Counting'; does nothing otherwise. 'At' is where the bytes not
// yet counted begin: bytes carried from the call before are counted here.
template <class Source, bool Counting>
class RecordBytes {
  public:
    static constexpr bool Counts = Counting && CountsBytes<Source>::value;

    RecordBytes(const Source& source, FramerState& state) : FSource(source), FState(state) {
        if constexpr (Counts) FAt = TakenBy(source) - state.CarriedBytes;
        state.CarriedBytes = 0;
    }
    // The hunt ended; 'kept' of its last bytes start the record it found
    // (or, on a give-up, are carried to the next call).
    void Hunted(const HuntCount& count, uint64_t kept) {
        if constexpr (Counts) {
            FState.Bytes.LineEnds += count.LineEnds;
            Up(FState.Bytes.Noise, TakenBy(FSource) - kept, count.LineEnds);
        }
    }
    // The record that began at 'At' ended 'kept' bytes before the source's position.
    void Record(uint64_t& counter, uint64_t kept = 0) {
        if constexpr (Counts) Up(counter, TakenBy(FSource) - kept, 0);
    }
    uint64_t Since() const { return Counts ? TakenBy(FSource) - FAt : 0; }

  private:
    void Up(uint64_t& counter, uint64_t to, uint64_t already) {
        counter += to - FAt - already;
        FAt = to;
    }
    const Source& FSource;
    FramerState& FState;
    uint64_t FAt = 0;
};

// Collects the RTCM frame whose first two bytes were read, into 'frame' or,
// when null, a buffer of its own only to check it.
template <class Source>
RtcmOutcome CollectRtcmRecord(Source& source, FramerState& state, RtcmFrameBuffer* frame) {
    if (frame) return CollectRtcm(source, state.RtcmSecond, *frame, state.Rtcm);
    RtcmFrameBuffer own;
    return CollectRtcm(source, state.RtcmSecond, own, state.Rtcm);
}

// FrameRecord's work; 'Counting' false leaves the byte counts alone.
template <bool Counting, class Source, class Stop>
RecordKind FrameNext(Source& source, char* buffer, uint16_t& length, FramerState& state,
                     UbxFrameBuffer* ubx, RtcmFrameBuffer* rtcm, Stop& stop) {
    RecordBytes<Source, Counting> bytes(source, state);
    HuntCount count;
    int collected = 0;
    RecordKind kind = RecordKind::None;
    while (kind == RecordKind::None) {
        const HuntResult hunt =
            HuntRecord<RecordBytes<Source, Counting>::Counts>(source, stop, state, count);
        if (hunt == HuntResult::GaveUp) {
            bytes.Hunted(count, 0);
            break;
        }
        if (hunt == HuntResult::Dollar) {
            bytes.Hunted(count, 1);
            collected = CollectSentence(source, buffer, state);
            if (collected > 0) {
                kind = RecordKind::Sentence;
                state.CarriedBytes = state.Pending != PendingFrame::None ? 2 : 0;
                state.SentenceBytes = static_cast<uint32_t>(bytes.Since() - state.CarriedBytes);
                bytes.Record(state.Bytes.Sentences, state.CarriedBytes);
            } else {
                ++state.LongSentences;
                bytes.Record(state.Bytes.Noise);
            }
            break;
        }
        bytes.Hunted(count, 2);
        if (hunt == HuntResult::RtcmSync) {
            if (CollectRtcmRecord(source, state, rtcm) == RtcmOutcome::Frame) {
                ++state.RtcmFrames;
                bytes.Record(state.Bytes.Rtcm);
                kind = RecordKind::Rtcm;
            } else {
                // Hunted over: a false start in line noise must not keep the hunt going.
                ++state.RtcmBadCrcs;
                bytes.Record(state.Bytes.BadFrames);
                count.Steps = HuntStepLimit;
            }
            continue;
        }
        switch (CollectUbx(source, ubx)) {
            case UbxOutcome::Frame:
                ++state.UbxFrames;
                bytes.Record(state.Bytes.Ubx);
                kind = RecordKind::Ubx;
                break;
            case UbxOutcome::BadChecksum:
                ++state.UbxBadChecksums;
                bytes.Record(state.Bytes.BadFrames);
                count = HuntCount{};
                break;
            case UbxOutcome::Oversized:
                ++state.UbxOversized;
                bytes.Record(state.Bytes.BadFrames);
                count.Steps += static_cast<int>(UbxHeaderSize) - 1;
                break;
        }
    }
    ClearTail(buffer, collected);
    length = static_cast<uint16_t>(collected);
    return kind;
}

}  // namespace framing

// Frames the next record: a sentence into 'buffer' (its length, the CR
// included, in 'length'), a UBX frame into 'ubx' or an RTCM 3 frame into
// 'rtcm' (when null, frames are checked and counted but not kept; the
// state tells the RTCM message number and length in either case). None
// when the hunt gives up. The bytes of 'buffer' after 'length' are zero;
// 'length' is 0 for a frame.
template <class Source, class Stop>
RecordKind FrameRecord(Source& source, char* buffer, uint16_t& length, framing::FramerState& state,
                       framing::UbxFrameBuffer* ubx, framing::RtcmFrameBuffer* rtcm, Stop&& stop) {
    return framing::FrameNext<true>(source, buffer, length, state, ubx, rtcm, stop);
}

// The same, RTCM 3 frames checked and counted but not kept.
template <class Source, class Stop>
RecordKind FrameRecord(Source& source, char* buffer, uint16_t& length, framing::FramerState& state,
                       framing::UbxFrameBuffer* ubx, Stop&& stop) {
    return FrameRecord(source, buffer, length, state, ubx, nullptr, stop);
}

// True for a record that is a binary frame.
inline bool IsFrame(RecordKind kind) {
    return kind == RecordKind::Ubx || kind == RecordKind::Rtcm;
}

// Returns the sentence length including its CR, or 0 for no sentence. The
// bytes after the returned length are zero (the serial port promises this to
// its callers). A sentence ended by a lone LF is taken as ended by CR: the
// buffer holds a CR in its place. UBX and RTCM 3 frames are passed over;
// callers that want them, or a frame that follows a cut sentence, use
// FrameRecord.
template <class Source, class Stop>
uint16_t FrameSentence(Source& source, char* buffer, Stop&& stop) {
    framing::FramerState state;
    uint16_t length = 0;
    // Nobody reads the byte counts of this state.
    while (
        IsFrame(framing::FrameNext<false>(source, buffer, length, state, nullptr, nullptr, stop))) {
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
    uint64_t Taken() const { return Position(); }

  private:
    const char* FData;
    size_t FSize;
    size_t FPos = 0;
};

#include "nmea/Dispatch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "nmea/FieldList.h"
#include "nmea/SentenceTypes.h"
#include "nmea/Utils.h"

namespace {

constexpr int ChecksumDigits = 2;

// The checksum digits after the '*' at 'star' against the sum of what precedes it.
bool ChecksumMatches(std::string_view sentence, size_t star, uint8_t sum) {
    const size_t digits = std::min<size_t>(ChecksumDigits, sentence.size() - star - 1);
    const char* first = sentence.data() + star + 1;
    if (digits == 0 || HexDigitValue(*first) < 0) return false;  // no checksum digits
    return HexValue(first, static_cast<int>(digits)) == sum;
}

}  // namespace

// A framed sentence holds no NUL, so the search nearly always runs to the
// end: sixteen bytes at a time where the processor compares them at once.
// The blocks start after the '$', as the framer's stores of the sentence do,
// so that each is read back whole from the store that wrote it.
std::string_view SentenceText(const char* buffer, uint32_t length) {
    if (length == 0 || buffer[0] == 0) return {buffer, 0};
    size_t n = 1;
#if defined(__SSE2__)
    constexpr size_t Block = 16;
    for (; n + Block <= length; n += Block) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + n));
        const unsigned nuls =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, _mm_setzero_si128())));
        if (nuls) return {buffer, n + static_cast<size_t>(__builtin_ctz(nuls))};
    }
    // The rest in one block ending at the length: the bytes it reads again
    // are known to be no NUL.
    if (n < length && length >= Block + 1) {
        const size_t last = length - Block;
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + last));
        const unsigned nuls =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, _mm_setzero_si128())));
        return {buffer, nuls ? last + static_cast<size_t>(__builtin_ctz(nuls)) : length};
    }
#endif
    while (n < length && buffer[n] != 0) ++n;
    return {buffer, n};
}

bool VerifyChecksum(std::string_view sentence) {
    uint8_t sum = 0;
    const size_t star = FieldList::Sum(sentence, sum);
    if (star >= sentence.size()) return false;  // no '*'
    return ChecksumMatches(sentence, star, sum);
}

bool CaptureSentence(std::string_view sentence, NMEA_Manager& store) {
    return !sentence.empty() && !store.Capture.WriteIfOpen(sentence);
}

bool CaptureUbxFrame(const uint8_t* frame, size_t size, NMEA_Manager& store) {
    const std::string_view bytes(reinterpret_cast<const char*>(frame), size);
    return size != 0 && !store.Capture.WriteFrameIfOpen(bytes);
}

DispatchResult DispatchSentence(std::string_view sentence, NMEA_Manager& store, PortPurger* port) {
    DispatchResult result;
    if (sentence.empty()) return result;
    // A sentence of a known type is split in the pass that sums it.
    Talker talker = Talker::None;
    result.Type = RecognizeSentenceType(sentence.substr(1, SentenceTypeTextLength), talker);
    FieldList fields;
    if (result.Type == SentenceTypeNone) {
        result.Valid = VerifyChecksum(sentence);
    } else {
        fields.Split(sentence);
        result.Valid = fields.HasStar() && ChecksumMatches(sentence, fields.Star(), fields.Sum());
    }
    if (result.Valid) ++store.ValidSentences;
    // The tally counts what came over the link, not what UBX was told as.
    const bool fromLink = !store.Ubx.Feeding;
    if (fromLink && (result.Type == SentenceTypeNone || !result.Valid))
        store.Tally.Count(sentence, result.Valid);

    if (result.Type == SentenceTypeNone) {
        // Line noise or a wrong baud rate: throw away what is queued. A sound
        // sentence the table does not know is simply skipped.
        if (!result.Valid && port) port->PurgeBoth();
        return result;
    }
    if (!result.Valid) return result;
    if (fromLink) store.Tally.CountKnown(talker, result.Type);
    const SentenceTypeRow& row = SentenceTypeOf(result.Type);
    const uint32_t cycle = store.Sky.Cycle();
    const bool setCompleted = row.Observe && row.Observe(store.Sky, talker, fields);
    if (store.Epochs && store.Sky.Cycle() != cycle) store.Epochs->CycleEnded(store);
    result.Refresh = row.Handle(store, talker, fields, setCompleted);
    return result;
}

#include "nmea/Dispatch.h"

#include <algorithm>
#include <cstring>
#include <string>

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

// The satellite table's note of a sentence its handler accepted, and the end
// of the receiver cycle the sentence brought.
class Steps final : public SentenceSteps {
  public:
    Steps(const SentenceTypeRow& row, NMEA_Manager& store, Talker talker, const FieldList& fields)
        : FRow(row), FStore(store), FTalker(talker), FFields(fields) {}

    bool Accept() override {
        const uint32_t cycle = FStore.Sky.Cycle();
        const bool setCompleted = FRow.Observe && FRow.Observe(FStore.Sky, FTalker, FFields);
        if (FStore.Epochs && FStore.Sky.Cycle() != cycle) FStore.Epochs->CycleEnded(FStore);
        return setCompleted;
    }

  private:
    const SentenceTypeRow& FRow;
    NMEA_Manager& FStore;
    Talker FTalker;
    const FieldList& FFields;
};

constexpr size_t MinAddressLength = 2;
constexpr size_t MaxAddressLength = 7;

bool AddressCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The sentence without its line end when it may be taken unchecked: a '$',
// an address, a comma, then printable characters, no '*' and no blank at
// the end (a '$' quoted in text, such as a capture's comment, is followed
// by one); empty otherwise.
std::string_view UncheckedText(std::string_view sentence) {
    while (!sentence.empty() && (sentence.back() == '\r' || sentence.back() == '\n'))
        sentence.remove_suffix(1);
    const size_t comma = sentence.find(',');
    if (sentence.empty() || sentence[0] != '$' || comma == std::string_view::npos ||
        comma - 1 < MinAddressLength || comma - 1 > MaxAddressLength)
        return {};
    for (size_t i = 1; i < comma; ++i)
        if (!AddressCharacter(sentence[i])) return {};
    for (size_t i = comma; i < sentence.size(); ++i)
        if (sentence[i] < ' ' || sentence[i] > '~' || sentence[i] == '*') return {};
    return sentence.back() == ' ' ? std::string_view() : sentence;
}

// The text followed by '*' and the two digits of its sum.
std::string WithChecksum(std::string_view text) {
    uint8_t sum = 0;
    FieldList::Sum(text, sum);
    constexpr char Digits[] = "0123456789ABCDEF";
    std::string sentence(text);
    sentence += '*';
    sentence += Digits[sum >> 4];
    sentence += Digits[sum & 0xF];
    return sentence;
}

// The handler of a sound sentence of a known type.
bool Handle(uint8_t type, Talker talker, const FieldList& fields, NMEA_Manager& store) {
    const SentenceTypeRow& row = SentenceTypeOf(type);
    Steps steps(row, store, talker, fields);
    return row.Handle(store, talker, fields, steps);
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
    std::string checked;  // an unchecked sentence with the checksum it would have
    if (result.Type == SentenceTypeNone) {
        result.Valid = VerifyChecksum(sentence);
    } else {
        fields.Split(sentence);
        result.Valid = fields.HasStar() && ChecksumMatches(sentence, fields.Star(), fields.Sum());
    }
    if (result.Valid) {
        store.ChecksumsSeen = true;
    } else if (!store.ChecksumsSeen) {
        const std::string_view unchecked = UncheckedText(sentence);
        result.Unchecked = result.Valid = !unchecked.empty();
        // The handlers read a sentence with its checksum: one is added.
        if (result.Unchecked && result.Type != SentenceTypeNone) {
            checked = WithChecksum(unchecked);
            fields.Split(checked);
        }
    }
    if (result.Valid) ++store.ValidSentences;
    if (result.Type == SentenceTypeNone || !result.Valid) store.Tally.Count(sentence, result.Valid);

    if (result.Type == SentenceTypeNone) {
        // Line noise or a wrong baud rate: throw away what is queued. A sound
        // sentence the table does not know is simply skipped.
        if (!result.Valid && port) port->PurgeBoth();
        return result;
    }
    if (!result.Valid) return result;
    store.Tally.CountKnown(talker, result.Type);
    result.Refresh = Handle(result.Type, talker, fields, store);
    return result;
}

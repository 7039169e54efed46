#include "nmea/Dispatch.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "nmea/Constellation.h"
#include "nmea/Formatting.h"
#include "nmea/SentenceHandlers.h"
#include "nmea/SentenceTypes.h"
#include "nmea/Utils.h"

namespace {

constexpr int ChecksumDigits = 2;

// Runs the type's handler and, on success, its formatter. For GSV the result
// says whether a set was completed.
bool ParseAndFormat(uint8_t type, std::string_view s, NMEA_Manager& store,
                    UsedSlots slots = UsedSlots::GpsAndSbas) {
    bool parsed = false;
    switch (type) {
        case SentenceTypeGGA:
            parsed = ParseGGA(s, store.Gga);
            break;
        case SentenceTypeGLL:
            parsed = ParseGLL(s, store.Gll);
            break;
        case SentenceTypeGSA:
            parsed = ParseGSA(s, store.Gsa, slots);
            break;
        case SentenceTypeRMC:
            parsed = ParseRMC(s, store.Rmc);
            break;
        case SentenceTypeVTG:
            parsed = ParseVTG(s, store.Vtg);
            break;
        case SentenceTypeGSV:
            return ParseGSV(s, store.Gsv);
        default:
            return false;
    }
    if (parsed) FormatRecord(store, type);
    return parsed;
}

// A GSA fills the record when it speaks for GPS (GP: as a GPS receiver's,
// SBAS included; GN: the GPS satellites of its list) and leaves the used
// slots alone when it speaks for another system. A single-system talker's
// GSA fills nothing; the satellite table has it, and the used texts of all
// systems are formatted again.
void DispatchGsa(Talker talker, std::string_view sentence, NMEA_Manager& store) {
    switch (talker) {
        case Talker::GP:
            ParseAndFormat(SentenceTypeGSA, sentence, store);
            return;
        case Talker::GN: {
            if (store.Talkers.FirstCombinedGsa(store.Sky.Cycle()))
                std::fill(std::begin(store.Gsa.Message.UsedPrn),
                          std::end(store.Gsa.Message.UsedPrn), 0);
            const Constellation system = GsaSystem(talker, sentence);
            ParseAndFormat(SentenceTypeGSA, sentence, store,
                           system == Constellation::Gps       ? UsedSlots::GpsOnly
                           : system == Constellation::Unknown ? UsedSlots::KeepUnlessNoFix
                                                              : UsedSlots::Keep);
            return;
        }
        default:
            if (store.Sky.Extended()) FormatUsedOfAllSystems(store.Sky, store.Display);
            return;
    }
}

}  // namespace

std::string_view SentenceText(const char* buffer, uint32_t length) {
    const void* nul = std::memchr(buffer, 0, length);
    return {buffer, nul ? static_cast<size_t>(static_cast<const char*>(nul) - buffer) : length};
}

bool VerifyChecksum(std::string_view sentence) {
    uint8_t sum = 0;
    size_t i = 1;
    for (; i < sentence.size() && sentence[i] != '*'; ++i) sum ^= static_cast<uint8_t>(sentence[i]);
    if (i >= sentence.size()) return false;  // no '*'
    const size_t digits = std::min<size_t>(ChecksumDigits, sentence.size() - i - 1);
    const char* first = sentence.data() + i + 1;
    if (digits == 0 || HexDigitValue(*first) < 0) return false;  // no checksum digits
    return HexValue(first, static_cast<int>(digits)) == sum;
}

bool CaptureSentence(std::string_view sentence, NMEA_Manager& store) {
    return !sentence.empty() && !store.Capture.WriteIfOpen(sentence);
}

DispatchResult DispatchSentence(std::string_view sentence, NMEA_Manager& store, PortPurger* port) {
    DispatchResult result;
    if (sentence.empty()) return result;
    result.Valid = VerifyChecksum(sentence);
    if (result.Valid) ++store.ValidSentences;

    result.Type = RecognizeSentenceType(sentence.substr(1, SentenceTypeTextLength));
    if (result.Type == SentenceTypeNone) {
        // Line noise or a wrong baud rate: throw away what is queued. A sound
        // sentence the table does not know is simply skipped.
        if (!result.Valid && port) port->PurgeBoth();
        return result;
    }
    if (!result.Valid) return result;
    const Talker talker = TalkerFromText(sentence.substr(1, TalkerTextLength));
    const bool setCompleted = store.Sky.Observe(result.Type, talker, sentence);
    switch (result.Type) {
        case SentenceTypeGSV:
            // Only the extended table holds the other systems' satellites.
            if (talker != Talker::GP)
                result.Refresh = setCompleted;
            else
                result.Refresh = ParseAndFormat(result.Type, sentence, store) ||
                                 (setCompleted && store.Sky.Extended());
            return result;
        case SentenceTypeGSA:
            DispatchGsa(talker, sentence, store);
            result.Refresh = true;
            return result;
        case SentenceTypeGGA:
        case SentenceTypeGLL:
        case SentenceTypeRMC:
        case SentenceTypeVTG:
            if (!store.Talkers.FillsRecord(result.Type, talker, store.Sky.Cycle())) return result;
            ParseAndFormat(result.Type, sentence, store);
            result.Refresh = true;
            return result;
        default:
            result.Refresh = true;
            return result;
    }
}

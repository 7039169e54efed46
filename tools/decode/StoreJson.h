// JSON renderings of decoded sentences and of the whole store, shared by the
// decoder's file and port modes.
#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

#include "nmea/Dispatch.h"
#include "nmea/NmeaManager.h"

struct DecodeCounts {
    uint64_t Sentences = 0;
    uint64_t Valid = 0;
    uint64_t Refreshes = 0;
    uint64_t Unchecked = 0;  // of Valid: taken without a checksum

    void Add(const DispatchResult& r) {
        ++Sentences;
        Valid += r.Valid;
        Unchecked += r.Unchecked;
        Refreshes += r.Refresh;
    }
};

// {"sentence", "valid", "type", "refresh"} for one framed sentence.
nlohmann::json SentenceJson(std::string_view sentence, const DispatchResult& result);
// The final state: "display", the six records by member name, and "counts";
// for a receiver of several systems also "Sky", the satellites of every system.
nlohmann::json StoreJson(const NMEA_Manager& store, const DecodeCounts& counts);

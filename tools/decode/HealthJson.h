// The receiver's health and the interference watch's alarms as JSON, for
// lumarokub-decode --final.
#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "eval/InterferenceWatch.h"
#include "ubx/UbxRecords.h"

// {"jamming", "jamInd", "spoofing", "blocks": [...], "spectrum": [...]};
// null when the receiver told nothing of its health.
nlohmann::json HealthJson(const UbxState& ubx);

// [{"hostS", "utc", "kind", "value", "threshold", "text"}, ...]
nlohmann::json EventsJson(const std::vector<WatchEvent>& events);

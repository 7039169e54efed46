// A recording written as files other programs open: CSV (one row per
// epoch), a GPX 1.1 track (with fix type, satellites and dilutions per point)
// and a KML track. Numbers are written with a decimal point whatever the
// user's locale.
#pragma once

#include <ostream>
#include <string>

#include <vector>

#include "eval/EpochRange.h"
#include "eval/InterferenceWatch.h"

// Epochs with neither a time nor a position (a cycle's leftovers before the
// receiver's first full cycle) are left out; a dilution not reported is an
// empty cell.
void ExportCsv(const EpochRange& epochs, std::ostream& out);
// Only epochs with a position become track points.
void ExportGpx(const EpochRange& epochs, std::ostream& out);
void ExportKml(const EpochRange& epochs, std::ostream& out);
// The watch's alarms as CSV: host seconds, UTC time of day, kind, value,
// threshold, text.
void ExportEventsCsv(const std::vector<WatchEvent>& events, std::ostream& out);

// The epoch's UTC time as ISO 8601 ("2026-12-09T10:15:30.250Z"); empty
// without a time or a date.
std::string IsoTime(const Epoch& e);

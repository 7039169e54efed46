// The interference watch's thresholds kept between runs, in the "watch"
// group of the monitor's settings: each value is checked on reading, and one
// missing or out of range leaves the watch's own.
#pragma once

#include <QSettings>

#include "eval/InterferenceWatch.h"

WatchThresholds ReadWatchThresholds(const QSettings& s, WatchThresholds thresholds);
void WriteWatchThresholds(QSettings& s, const WatchThresholds& thresholds);

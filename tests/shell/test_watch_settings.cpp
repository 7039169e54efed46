// The watch's thresholds through the settings file: written and read back,
// and a value out of range or not a number leaves the watch's own.
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "shell/WatchSettings.h"

TEST(WatchSettings, ThresholdsComeBackAndBadValuesAreIgnored) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("lumarokub.ini");
    WatchThresholds kept;
    kept.JamIndicator = 140;
    kept.CnoDropDb = 8.5;
    kept.PositionJumpM = 120;
    kept.TimeJumpS = 2;
    kept.EqualCnoDb = 0.5;
    {
        QSettings s(file, QSettings::IniFormat);
        WriteWatchThresholds(s, kept);
    }
    QSettings s(file, QSettings::IniFormat);
    const WatchThresholds read = ReadWatchThresholds(s, WatchThresholds{});
    EXPECT_EQ(read.JamIndicator, 140);
    EXPECT_EQ(read.CnoDropDb, 8.5);
    EXPECT_EQ(read.PositionJumpM, 120);
    EXPECT_EQ(read.TimeJumpS, 2);
    EXPECT_EQ(read.EqualCnoDb, 0.5);

    s.setValue("watch/jamIndicator", 256);
    s.setValue("watch/cnoDropDb", "six");
    s.setValue("watch/positionJumpM", 0);
    const WatchThresholds defaults;
    const WatchThresholds bad = ReadWatchThresholds(s, defaults);
    EXPECT_EQ(bad.JamIndicator, defaults.JamIndicator);
    EXPECT_EQ(bad.CnoDropDb, defaults.CnoDropDb);
    EXPECT_EQ(bad.PositionJumpM, defaults.PositionJumpM);
    EXPECT_EQ(bad.TimeJumpS, 2);  // still as kept
}

// Test main for widget tests: a real QApplication on the offscreen platform,
// with the monitor's font.
#include <gtest/gtest.h>

#include <QApplication>

#include "control/PortEnumeration.h"
#include "shell/MainForm.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setFont(MonitorFont());
    // Windows built here list no real port: an empty port tree and one port
    // that does not exist, so nothing real is ever opened.
    SetPortDiscovery(PortDiscovery("/nonexistent-lumarokub-sysfs", "/nonexistent-lumarokub-dev"));
    SetExtraPorts({"/nonexistent-lumarokub-dev/ttyTEST0"});
    return RUN_ALL_TESTS();
}

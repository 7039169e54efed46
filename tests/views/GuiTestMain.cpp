// Test main for widget tests: a real QApplication on the offscreen platform,
// with the monitor's font.
#include <gtest/gtest.h>

#include <QApplication>

#include "shell/MainForm.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setFont(MonitorFont());
    return RUN_ALL_TESTS();
}

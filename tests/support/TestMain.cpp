// Test entry point: every test program runs inside one QApplication on the
// offscreen platform, so widget tests need no display.
#include <QApplication>
#include <QStandardPaths>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setApplicationName("kestrune-tests");
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}

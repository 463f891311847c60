// Test entry point: every test program runs inside one QApplication on the
// offscreen platform, so widget tests need no display. The environment is
// pinned here, before Qt reads it: a fixed locale and time zone, and
// configuration and runtime folders of the process's own, so no test reads
// or writes the user's settings.
#include "framework/Application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LANG", "C.UTF-8");
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("TZ", "Europe/Berlin");
    tzset();

    QTemporaryDir home;
    home.setAutoRemove(true);
    const QByteArray root = QFile::encodeName(home.path());
    QDir().mkpath(home.path() + "/config");
    QDir().mkpath(home.path() + "/runtime");
    QFile::setPermissions(home.path() + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");

    QApplication app(argc, argv);
    QApplication::setApplicationName("kestrune-tests");
    ::testing::InitGoogleMock(&argc, argv);
    const int status = RUN_ALL_TESTS();
    _RuntimePerformFinalizers();
    return status;
}

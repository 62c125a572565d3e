// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's start when the GUI framework cannot start: run as a child process (this
// test binary in program mode) on a platform that does not exist.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include "app/AppTestSupport.h"
#include "ui/framework/FallbackTexts.h"
#include "ui/framework/GuiStartGuard.h"

namespace zul::test {

using namespace zul::ui;
namespace {

TEST(DesktopStartTest, WithoutAUsablePlatformTheFrameworkTextIsPrintedAndNothingWritten) {
    TestHome home;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QVM8_UI_TEST_RUN_PROGRAM"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    ASSERT_TRUE(child.waitForFinished(30000));
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << errors.toStdString();
    EXPECT_EQ(child.exitCode(), kGuiStartFailedExit) << errors.toStdString();
    EXPECT_TRUE(errors.contains(FallbackText(kResComponentStartFailed))) << errors.toStdString();
    EXPECT_EQ(FallbackText(kResComponentStartFailed),
              QStringLiteral("OLE initialization failed.  Make sure that the OLE libraries are the "
                             "correct version."));
    EXPECT_FALSE(std::filesystem::exists(home.DefaultSettingsFile()));
    EXPECT_TRUE(std::filesystem::is_empty(home.Path("config")));
}

// Nobody watches a --screenshots run: a failure to start is printed and ends the run instead of
// waiting for a click on a box.
TEST(DesktopStartTest, ScreenshotRunWhoseEmulatorCannotStartEndsWithTheReason) {
    TestHome home;
    // The emulator's folder is taken by a file, so its line cannot be placed.
    std::filesystem::create_directories(home.Path("cache/qvm8-zul"));
    std::ofstream(home.Path("cache/qvm8-zul/simulate")) << "not a folder";
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QVM8_UI_TEST_RUN_PROGRAM"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    const QString shots = QString::fromStdString(home.Path("shots"));
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--simulate"), QStringLiteral("--screenshots"), shots});
    const bool finished = child.waitForFinished(30000);
    if (!finished) {
        child.kill();
        child.waitForFinished();
    }
    ASSERT_TRUE(finished) << "the run waited for an answer";
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    EXPECT_EQ(child.exitCode(), 1) << errors.toStdString();
    // What failed and why: the link path and the system's reason.
    EXPECT_TRUE(errors.contains(QStringLiteral("qvm8-zul: The emulated controller cannot start: ") +
                                QString::fromStdString(home.Path("cache/qvm8-zul/simulate/"))))
        << errors.toStdString();
    EXPECT_TRUE(
        errors.contains(QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(ENOTDIR))))
        << errors.toStdString();
    EXPECT_FALSE(std::filesystem::exists(home.Path("shots/main.png")));
}

TEST(DesktopStartTest, VersionAndHelpNeedNoPlatform) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QVM8_UI_TEST_RUN_PROGRAM"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--version")});
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_TRUE(child.readAllStandardOutput().startsWith("qvm8-zul "));
}

}  // namespace
}  // namespace zul::test

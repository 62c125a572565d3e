// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's start when the GUI framework cannot start: run as a child process (this
// test binary in program mode) on a platform that does not exist.
#include <gtest/gtest.h>

#include <filesystem>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include "app/AppTestSupport.h"
#include "ui/framework/FallbackTexts.h"
#include "ui/framework/GuiStartGuard.h"

namespace zul::test {
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

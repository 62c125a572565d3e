// SPDX-License-Identifier: GPL-3.0-or-later
// The GUI tests' main: one QApplication on the offscreen platform for every test. With
// QVM8_UI_TEST_RUN_PROGRAM set, the binary runs the desktop program's start-up instead (tests
// start it as a child process to see how the program starts on a given platform).
#include <gtest/gtest.h>
#include <QApplication>

#include "ui/main/DesktopMain.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("QVM8_UI_TEST_RUN_PROGRAM")) {
        return zul::ui::RunDesktopProgram(argc, argv);
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

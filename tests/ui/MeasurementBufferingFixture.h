// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement and buffering window tests: an emulated controller, an Application connected
// to it with the shipped UI definition, and helpers to look at the frames the emulator received.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include <QCoreApplication>

#include "app/AppTestSupport.h"

namespace zul::test {

// The frames received that start with prefix (block check included), oldest first.
inline std::vector<std::string> FramesStartingWith(const std::vector<std::string>& frames,
                                                   std::string_view prefix) {
    std::vector<std::string> found;
    for (const std::string& frame : frames) {
        if (frame.rfind(prefix, 0) == 0) {
            found.push_back(frame);
        }
    }
    return found;
}

// The frames without their two block-check characters.
inline std::vector<std::string> WithoutBcc(const std::vector<std::string>& frames) {
    std::vector<std::string> out;
    for (const std::string& frame : frames) {
        out.push_back(frame.size() > 2 ? frame.substr(0, frame.size() - 2) : frame);
    }
    return out;
}

class WindowEmulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.SetRestartTime(std::chrono::milliseconds(100));
        ResultInfo info;
        ASSERT_EQ(sim.StartPty(&info, home.Path("com1")), ZUL_OK) << info.detail1;
        ApplicationOptions options = EmulatorOptions(home.Path("com1"));
        options.uiDefinitionPath = ShippedUiDefinition();
        options.loadSettings = false;
        ASSERT_EQ(app.Startup(options, &info), ZUL_OK)
            << app.StartupFailureText() << " " << ResultKey(info.code) << " " << info.detail1 << " "
            << info.detail2;
        ASSERT_EQ(ConnectController(app, &info), ZUL_OK) << ResultKey(info.code);
        sim.ClearReceivedFrames();
    }
    void TearDown() override {
        CloseWindows();
        QCoreApplication::processEvents();
        app.Shutdown();
        sim.Stop();
        SetSerialDeviceOverride("");
    }
    // Destroys the windows of the test before the application stops.
    virtual void CloseWindows() {}

    TestHome home;
    sim::Simulator sim;
    Application app;
};

}  // namespace zul::test

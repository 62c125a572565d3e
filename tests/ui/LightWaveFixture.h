// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave window and auxiliary form tests: an emulated controller and an Application
// connected to it, with the shipped UI definition, and a seam that answers message boxes and
// file dialogs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QCoreApplication>

#include "app/AppTestSupport.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/QtMessageBoxHost.h"

namespace zul::test {

using namespace zul::ui;

inline size_t CountStartingWith(const std::vector<std::string>& frames, std::string_view prefix) {
    size_t n = 0;
    for (const std::string& frame : frames) {
        n += frame.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return n;
}

class LightWaveEmulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.SetRestartTime(std::chrono::milliseconds(100));
        ResultInfo info;
        ASSERT_EQ(sim.StartPty(&info, home.Path("com1")), ZUL_OK) << info.detail1;
        ApplicationOptions options = EmulatorOptions(home.Path("com1"));
        options.uiDefinitionPath = ShippedUiDefinition();
        options.loadSettings = micron;
        if (micron) {
            // The micrometre display mode follows the software setting read at start-up.
            std::filesystem::create_directories(
                std::filesystem::path(home.DefaultSettingsFile()).parent_path());
            WriteFileText(home.DefaultSettingsFile(), "[FORM_SOFTWARE]\r\nMeasUnit=1\r\n");
        }
        ASSERT_EQ(app.Startup(options, &info), ZUL_OK)
            << app.StartupFailureText() << " " << info.detail1;
        if (connect) {
            ASSERT_EQ(ConnectController(app, &info), ZUL_OK) << ResultKey(info.code);
        }
        sim.ClearReceivedFrames();
        previousBoxes_ = QtMessageBoxHost::SetAnswerer([this](const MessageBoxShown& box) {
            boxes.push_back(box);
            return kAnswerOk;
        });
        previousFiles_ = QtFileDialogHost::SetAnswerer(
            [this](const FileDialogRequest& request, QWidget*) -> std::optional<FileDialogResult> {
                fileRequests.push_back(request);
                if (nextFile.isEmpty()) {
                    return std::nullopt;
                }
                FileDialogResult result{nextFile, nextFilter};
                nextFile.clear();
                return result;
            });
    }
    void TearDown() override {
        CloseWindows();
        QCoreApplication::processEvents();
        QtMessageBoxHost::SetAnswerer(previousBoxes_);
        QtFileDialogHost::SetAnswerer(previousFiles_);
        app.Shutdown();
        sim.Stop();
        SetSerialDeviceOverride("");
    }
    // Destroys the windows of the test before the application stops.
    virtual void CloseWindows() {}

    bool connect = true;
    bool micron = false;  // start with the micrometre display mode
    TestHome home;
    sim::Simulator sim;
    Application app;
    std::vector<MessageBoxShown> boxes;
    std::vector<FileDialogRequest> fileRequests;
    QString nextFile;  // the answer of the next file dialog (empty: cancelled)
    int nextFilter = 0;

private:
    MessageBoxAnswerer previousBoxes_;
    FileDialogAnswerer previousFiles_;
};

}  // namespace zul::test

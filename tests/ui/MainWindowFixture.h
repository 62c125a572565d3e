// SPDX-License-Identifier: GPL-3.0-or-later
// The main window tests: an emulated controller on a pseudo-terminal, the desktop program
// started on it with the shipped UI definition, and message boxes and file dialogs answered
// through the framework hosts (each box is recorded; answers come from a queue).
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QCoreApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/AppTestSupport.h"
#include "settings/MessageTexts.h"
#include "settings/UiDefinition.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/DesktopProgram.h"
#include "ui/main/MainControls.h"
#include "ui/main/MainWindow.h"

namespace zul::test {

using namespace zul::ui;

// Records every message box and answers it: from the queue when it holds an answer, else OK
// (notices and errors) or No (questions).
class BoxRecorder {
public:
    BoxRecorder() {
        previous_ = QtMessageBoxHost::SetAnswerer([this](const MessageBoxShown& box) {
            shown.push_back(box);
            if (onShown) {
                onShown(box);
            }
            if (!answers.empty()) {
                MessageBoxAnswer answer = answers.front();
                answers.pop_front();
                return answer;
            }
            return box.style == kMbYesNo || box.style == kMbYesNoCancel ? kAnswerNo : kAnswerOk;
        });
    }
    ~BoxRecorder() { QtMessageBoxHost::SetAnswerer(previous_); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    std::vector<QString> Texts() const {
        std::vector<QString> texts;
        for (const MessageBoxShown& box : shown) {
            texts.push_back(box.text);
        }
        return texts;
    }

    std::vector<MessageBoxShown> shown;
    std::deque<MessageBoxAnswer> answers;
    // Called for each box before it is answered (a test acts at the moment a box shows).
    std::function<void(const MessageBoxShown&)> onShown;

private:
    MessageBoxAnswerer previous_;
};

// Answers file dialogs with the next queued path (none: cancelled); records the requests.
class DialogRecorder {
public:
    DialogRecorder() {
        previous_ = QtFileDialogHost::SetAnswerer(
            [this](const FileDialogRequest& request, QWidget*) -> std::optional<FileDialogResult> {
                requests.push_back(request);
                if (paths.empty()) {
                    return std::nullopt;
                }
                FileDialogResult result;
                result.path = QString::fromStdString(paths.front());
                paths.pop_front();
                return result;
            });
    }
    ~DialogRecorder() { QtFileDialogHost::SetAnswerer(previous_); }
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    std::vector<FileDialogRequest> requests;
    std::deque<std::string> paths;

private:
    FileDialogAnswerer previous_;
};

inline std::vector<std::string> FramesWithPrefix(const std::vector<std::string>& frames,
                                                 std::string_view prefix) {
    std::vector<std::string> found;
    for (const std::string& frame : frames) {
        if (frame.rfind(prefix, 0) == 0) {
            found.push_back(frame);
        }
    }
    return found;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.SetRestartTime(std::chrono::milliseconds(100));
        ResultInfo info;
        ASSERT_EQ(sim.StartPty(&info, home.Path("com1")), ZUL_OK) << info.detail1;
    }

    // Starts the program on the emulator (or on device when given) with the settings file.
    void StartProgram(const std::string& settingsFile = {},
                      std::optional<std::string> device = std::nullopt) {
        ui::CommandLine commandLine;
        commandLine.device = device ? *device : home.Path("com1");
        commandLine.settingsFile = settingsFile;
        program = std::make_unique<ui::DesktopProgram>(commandLine);
        ui::DesktopStartOptions options;
        options.uiDefinitionPath = ShippedUiDefinition();
        options.showSplash = false;
        options.registerDataFileTypes = false;
        ASSERT_EQ(program->Start(options), ZUL_OK);
        main = program->Main();
        ASSERT_NE(main, nullptr);
        // The emulator checks block checks; the shortest reply time-out keeps failures short.
        Store().SetInt<kSoftRs232cBCC>(1);
        Store().SetInt<kSoftRs232cTimeout>(0);
    }

    void TearDown() override {
        if (program) {
            program->Finish();
            program.reset();
        }
        QCoreApplication::processEvents();
        sim.Stop();
    }

    SettingsStore& Store() { return program->App().Store(); }
    const UiDefinition& Ui() { return program->App().Ui(); }
    QString ErrorText(int32_t code, const std::string& d1 = {}, const std::string& d2 = {}) {
        ResultInfo result;
        SetResult(&result, code, 0, d1, d2);
        return QString::fromStdString(ResultText(Ui(), result));
    }
    QString MessageText(int32_t index, const std::string& d1 = {}, const std::string& d2 = {}) {
        return QString::fromStdString(SubstituteDetails(Ui().GetMessageText(index), d1, d2));
    }
    template <class T = QWidget>
    T* Control(int32_t ctrlId) {
        return FindControl<T>(main, ctrlId);
    }
    void Click(int32_t ctrlId) {
        auto* button = Control<QAbstractButton>(ctrlId);
        ASSERT_NE(button, nullptr) << ctrlId;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void Connect() {
        Click(ui::kMainConnectButton);
        ASSERT_EQ(main->LineState(), 1)
            << (boxes.shown.empty() ? std::string() : boxes.shown.back().text.toStdString());
        sim.ClearReceivedFrames();
    }
    std::string UserFile(const std::string& name) {
        return home.Path("config/Brantwick ORTA Sensor/QV-M8 ZuL/" + name);
    }

    TestHome home;
    sim::Simulator sim;
    BoxRecorder boxes;
    DialogRecorder dialogs;
    std::unique_ptr<ui::DesktopProgram> program;
    ui::CMainWindow* main = nullptr;
};

}  // namespace zul::test

// SPDX-License-Identifier: GPL-3.0-or-later
// The settings page and adjustment form tests: an emulated controller, an Application connected
// to it with the shipped UI definition, a host form standing in for the main window, and a
// modal runner that drives the adjustment forms without a modal loop.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QWidget>

#include "Simulator.h"
#include "app/AppTestSupport.h"
#include "app/ConnectSequence.h"
#include "link/Frame.h"
#include "link/ThreadCommControler.h"
#include "ui/adjust/AdjustOpeners.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/MainControls.h"

namespace zul::test {

using namespace zul::ui;

// The UI definition the program ships (default.frs), optionally edited by the test, written
// into the test's home.
inline std::string WritePagesUiDefinition(
    const TestHome& home, const std::function<std::string(std::string)>& edit = {}) {
    const std::string shipped = ReadFileText(ShippedUiDefinition());
    const std::string path = home.Path("default.frs");
    WriteFileText(path, edit ? edit(shipped) : shipped);
    return path;
}

// Stands in for the main window: the parent form of the pages.
class HostForm : public QWidget, public FormBase {
public:
    explicit HostForm(Application& app)
        : QWidget(nullptr), FormBase(this, FormContext{&app.Ui(), &app.Store()}) {}
};

// Records message boxes and answers them with OK.
class Boxes {
public:
    Boxes() {
        previous_ = QtMessageBoxHost::SetAnswerer([this](const MessageBoxShown& box) {
            shown.push_back(box);
            return kAnswerOk;
        });
    }
    ~Boxes() { QtMessageBoxHost::SetAnswerer(previous_); }
    Boxes(const Boxes&) = delete;
    Boxes& operator=(const Boxes&) = delete;

    std::vector<MessageBoxShown> shown;

private:
    MessageBoxAnswerer previous_;
};

// Drives each modal form with the function the test sets (none: the form is cancelled).
class FormDriver {
public:
    using Drive = std::function<int(QDialog& form)>;
    FormDriver() {
        previous_ = ui::SetModalRunner([this](QDialog& form) {
            ++opened;
            if (!drive) {
                form.reject();
                return static_cast<int>(QDialog::Rejected);
            }
            return drive(form);
        });
    }
    ~FormDriver() { ui::SetModalRunner(previous_); }
    FormDriver(const FormDriver&) = delete;
    FormDriver& operator=(const FormDriver&) = delete;

    Drive drive;
    int opened = 0;

private:
    ui::ModalRunner previous_;
};

class PageEmulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.SetRestartTime(std::chrono::milliseconds(100));
        sim.SetFirmware(firmware_);
        sim.UseManualClock(true);
        sim.AdvanceClock(std::chrono::microseconds(100));
        ResultInfo info;
        ASSERT_EQ(sim.StartPty(&info, home.Path("com1")), ZUL_OK) << info.detail1;
        ApplicationOptions options = EmulatorOptions(home.Path("com1"));
        options.uiDefinitionPath = WritePagesUiDefinition(home, editUi_);
        options.loadSettings = micron_;
        if (micron_) {
            // Lengths in micrometres: MeasUnit in the settings file read at start-up.
            std::filesystem::create_directories(
                std::filesystem::path(home.DefaultSettingsFile()).parent_path());
            WriteFileText(home.DefaultSettingsFile(), "[FORM_SOFTWARE]\r\nMeasUnit=1\r\n");
        }
        ASSERT_EQ(app.Startup(options, &info), ZUL_OK)
            << app.StartupFailureText() << " " << info.detail1 << " " << info.detail2;
        ASSERT_EQ(ConnectController(app, &info), ZUL_OK) << ResultKey(info.code);
        host = std::make_unique<HostForm>(app);
        sim.ClearReceivedFrames();
    }
    void TearDown() override {
        DestroyPages();
        host.reset();
        QCoreApplication::processEvents();
        DisconnectController(app);
        app.Shutdown();
        sim.Stop();
        SetSerialDeviceOverride("");
    }
    virtual void DestroyPages() {}

    SettingsStore& Store() { return app.Store(); }
    int32_t Bank() { return Store().GetInt<kAppCurMemNo>(); }
    QString ErrorText(int32_t code) {
        ResultInfo result;
        SetResult(&result, code);
        return QString::fromStdString(ResultText(app.Ui(), result));
    }
    // The frames the emulator received, without their block checks.
    std::vector<std::string> Frames() {
        std::vector<std::string> out;
        for (const std::string& frame : sim.ReceivedFrames()) {
            out.push_back(frame.size() > 2 ? frame.substr(0, frame.size() - 2) : frame);
        }
        return out;
    }
    // A request answered after every earlier one: posted commands have arrived when it returns.
    void Flush() {
        auto request = std::make_unique<CommRequest>();
        request->command = "%EE#RMC0";
        request->commandCursor = static_cast<int32_t>(request->command.size());
        request->echoMode = kEchoMode3Letters;
        app.CommControler()->SubmitAndWait(std::move(request));
    }

    uint16_t firmware_ = 0x300;
    bool micron_ = false;
    // Changes the UI definition text before it is loaded (set in a constructor).
    std::function<std::string(std::string)> editUi_;
    TestHome home;
    sim::Simulator sim;
    Application app;
    std::unique_ptr<HostForm> host;
    Boxes boxes;
    FormDriver forms;
};

template <class T = QWidget>
T* Ctrl(QWidget* root, int32_t ctrlId) {
    return FindControl<T>(root, ctrlId);
}

}  // namespace zul::test

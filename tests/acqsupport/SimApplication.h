// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program against the emulator: an Application started on a private home folder,
// its serial link pointed at a fresh emulator pseudo-terminal, connected and identified.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "Simulator.h"
#include "app/Application.h"
#include "app/ConnectSequence.h"
#include "link/Frame.h"
#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"

namespace zul::test {

// A fresh folder for HOME and the XDG folders; removed at the end.
class PrivateFolder {
public:
    PrivateFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvm8-acq-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data())) {
            path_ = made;
        }
        setenv("HOME", path_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (path_ + "/config").c_str(), 1);
        setenv("XDG_STATE_HOME", (path_ + "/state").c_str(), 1);
        setenv("XDG_CACHE_HOME", (path_ + "/cache").c_str(), 1);
        setenv("XDG_DATA_HOME", (path_ + "/data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
    }
    ~PrivateFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

class SimApplication {
public:
    // firmware: the version the emulator reports.
    explicit SimApplication(uint16_t firmware = 0x300, int64_t paceBaud = 0) {
        sim.UseManualClock(true);
        sim.SetFixedDisplacement(0, 1.5);
        sim.SetFixedDisplacement(1, 0.25);
        sim.SetFirmware(firmware);
        if (paceBaud > 0) {
            sim.SetPace(true, paceBaud);
        }
        sim.AdvanceClock(std::chrono::microseconds(100));
        ResultInfo info;
        started = sim.StartPty(&info) == ZUL_OK;
        if (!started) {
            ADD_FAILURE() << "emulator: " << info.detail1;
            return;
        }
        SetSerialDeviceOverride(sim.DevicePath());

        ApplicationOptions options;
        options.uiDefinitionPath = std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs";
        options.reserveSettingsFile = false;
        options.loadSettings = false;
        options.saveAtExit = false;
        options.registerDataFileTypes = false;
        options.registryFolder = folder.Path();
        options.beforeThreads = [paceBaud](SettingsStore& store) {
            store.SetInt<kSoftCommunicationType>(1);
            store.SetInt<kSoftRs232cPort>(0);
            store.SetInt<kSoftRs232cBaudrate>(paceBaud == 921600 ? 3 : 3);
            store.SetInt<kSoftRs232cBCC>(1);
        };
        if (app.Startup(options, &info) != ZUL_OK) {
            ADD_FAILURE() << "start-up: " << info.code << " " << app.StartupFailureText();
            started = false;
            return;
        }
        if (ConnectController(app, &info, nullptr, false) != ZUL_OK) {
            ADD_FAILURE() << "connect: " << info.code << " " << info.detail1;
            started = false;
        }
    }
    ~SimApplication() {
        DisconnectController(app);
        app.Shutdown();
        sim.Stop();
        SetSerialDeviceOverride("");
    }

    CommGate& Gate() { return *app.CommControler(); }

    // One request by hand; returns the reply text (data at offset 7) or "" on failure.
    std::string Ask(const std::string& text) {
        auto request = std::make_unique<CommRequest>();
        request->command = text;
        request->commandCursor = static_cast<int32_t>(text.size());
        request->echoMode = text.substr(4, 3) == "RDD" || text.substr(4, 3) == "WDD"
                                ? kEchoMode2Letters
                                : kEchoMode3Letters;
        request = app.CommControler()->SubmitAndWait(std::move(request));
        return request->result.code == ZUL_OK ? request->reply : std::string();
    }

    PrivateFolder folder;
    sim::Simulator sim;
    Application app;
    bool started = false;
};

}  // namespace zul::test

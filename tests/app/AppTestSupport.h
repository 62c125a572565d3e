// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the application and qvm8ctl tests: a private home folder for every test, the
// shipped UI definition, and an emulated controller with an Application connected to it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "Simulator.h"
#include "app/Application.h"
#include "app/ConnectSequence.h"
#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"
#include "settings/SettingItem.h"

namespace zul::test {

namespace fs = std::filesystem;

inline std::string ShippedUiDefinition() {
    return std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs";
}

inline std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// HOME and the XDG folders point into a fresh temporary folder for the test's life.
class TestHome {
public:
    TestHome() {
        std::string pattern = (fs::temp_directory_path() / "zul-app-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "mkdtemp failed";
            return;
        }
        root_ = fs::canonical(pattern).string();
        for (const char* sub : {"config", "state", "run", "cache", "data", "docs"}) {
            fs::create_directories(root_ + "/" + sub);
        }
        ::setenv("HOME", root_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (root_ + "/state").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root_ + "/run").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (root_ + "/cache").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
        ::setenv("XDG_DOCUMENTS_DIR", (root_ + "/docs").c_str(), 1);
    }
    ~TestHome() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const std::string& Root() const { return root_; }
    std::string Path(const std::string& name) const { return root_ + "/" + name; }
    std::string DefaultSettingsFile() const {
        return root_ + "/config/Brantwick ORTA Sensor/QV-M8 ZuL/qv-m8.zul";
    }

private:
    std::string root_;
};

// Options of an Application that talks to the emulator over RS-232C with the block check on
// and the shortest reply time-out.
inline ApplicationOptions EmulatorOptions(const std::string& device) {
    ApplicationOptions options;
    options.uiDefinitionPath = ShippedUiDefinition();
    options.registerDataFileTypes = false;
    options.saveAtExit = false;
    options.reserveSettingsFile = false;
    options.beforeThreads = [](SettingsStore& store) {
        store.SetInt<kSoftCommunicationType>(1);
        store.SetInt<kSoftRs232cBCC>(1);
        store.SetInt<kSoftRs232cTimeout>(0);
    };
    SetSerialDeviceOverride(device);
    return options;
}

// An emulated controller and an Application connected to it.
class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.SetRestartTime(std::chrono::milliseconds(100));
        ResultInfo info;
        ASSERT_EQ(sim.StartPty(&info, home.Path("com1")), ZUL_OK) << info.detail1;
        ASSERT_EQ(app.Startup(EmulatorOptions(home.Path("com1")), &info), ZUL_OK)
            << app.StartupFailureText();
        ASSERT_EQ(ConnectController(app, &info), ZUL_OK) << ResultKey(info.code);
        sim.ClearReceivedFrames();
    }
    void TearDown() override {
        app.Shutdown();
        sim.Stop();
        SetSerialDeviceOverride("");
    }

    TestHome home;
    sim::Simulator sim;
    Application app;
};

}  // namespace zul::test

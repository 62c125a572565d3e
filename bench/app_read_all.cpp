// Read all settings from the emulator pacing its line at 115200 and at 921600 bit/s: the wire
// time of every byte exchanged (10 bits per byte: start, 8 data, stop) against the elapsed
// time of the transfer. A ratio near 1 means the tool adds almost nothing to the line time.
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "Simulator.h"
#include "app/Application.h"
#include "app/ConnectSequence.h"
#include "app/SettingsCommands.h"
#include "link/SerialPortName.h"
#include "settings/SettingItem.h"

using namespace zul;
namespace fs = std::filesystem;

namespace {

struct Measurement {
    double elapsedS = 0;
    double wireS = 0;
    uint64_t bytes = 0;
    int32_t code = 0;
};

Measurement ReadAllAt(int64_t baud, const std::string& home) {
    Measurement m;
    sim::Simulator sim;
    std::atomic<uint64_t> bytes{0};
    sim.SetTrace([&bytes](std::string_view line) {
        // "<- frame" or "-> frame"; the frame goes on the wire with its carriage return.
        if (line.size() > 3) {
            bytes += line.size() - 3 + 1;
        }
    });
    sim.SetPace(true, baud);
    ResultInfo info;
    if (sim.StartPty(&info, home + "/com1") != ZUL_OK) {
        m.code = info.code;
        return m;
    }
    Application app;
    ApplicationOptions options;
    options.uiDefinitionPath = std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs";
    options.reserveSettingsFile = false;
    options.saveAtExit = false;
    options.registerDataFileTypes = false;
    options.beforeThreads = [](SettingsStore& store) {
        store.SetInt<kSoftCommunicationType>(1);
        store.SetInt<kSoftRs232cBaudrate>(3);
        store.SetInt<kSoftRs232cBCC>(1);
    };
    SetSerialDeviceOverride(home + "/com1");
    if ((m.code = app.Startup(options, &info)) != ZUL_OK ||
        (m.code = ConnectController(app, &info)) != ZUL_OK) {
        return m;
    }
    bytes = 0;
    auto start = std::chrono::steady_clock::now();
    m.code = RunSettingsTransfer(app, TransferOperation::kReadAll, &info);
    m.elapsedS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.bytes = bytes.load();
    m.wireS = static_cast<double>(m.bytes) * 10.0 / static_cast<double>(baud);
    app.Shutdown();
    sim.Stop();
    SetSerialDeviceOverride("");
    return m;
}

}  // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "zul-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    ::setenv("HOME", pattern.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (pattern + "/state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);
    int status = 0;
    for (int64_t baud : {115200, 921600}) {
        Measurement m = ReadAllAt(baud, pattern);
        if (m.code != ZUL_OK) {
            std::printf("read-all at %lld bit/s failed: %s\n", static_cast<long long>(baud),
                        std::string(ResultKey(m.code)).c_str());
            status = 1;
            continue;
        }
        double ratio = m.wireS / m.elapsedS;
        std::printf(
            "read-all at %7lld bit/s: %llu bytes, wire %.3f s, elapsed %.3f s, ratio %.3f %s\n",
            static_cast<long long>(baud), static_cast<unsigned long long>(m.bytes), m.wireS,
            m.elapsedS, ratio, ratio >= 0.9 ? "(ok)" : "(below 0.9)");
    }
    fs::remove_all(pattern);
    return status;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Read all settings from the emulator pacing its line at 115200 and at 921600 bit/s: the wire
// time of every byte exchanged (10 bits per byte: start, 8 data, stop) against the elapsed
// time of the transfer. A ratio near 1 means the tool adds almost nothing to the line time.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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
    double directS = 0;  // the same requests from a plain blocking client, for comparison
    double wireS = 0;
    uint64_t bytes = 0;
    int32_t code = 0;
};

// The floor the emulator and the pseudo-terminal set: the same requests written and their
// replies read by a single-threaded client without any of the tool's threads.
double DirectExchange(const std::string& device, const std::vector<std::string>& requests) {
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    auto start = std::chrono::steady_clock::now();
    for (const std::string& request : requests) {
        std::string frame = request + "\r";
        if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
            break;
        }
        char c = 0;
        pollfd p{fd, POLLIN, 0};
        while (::poll(&p, 1, 2000) > 0 && ::read(fd, &c, 1) == 1 && c != '\r') {
        }
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(fd);
    return seconds;
}

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
    std::vector<std::string> requests = sim.ReceivedFrames();
    app.Shutdown();
    m.directS = DirectExchange(sim.DevicePath(), requests);
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
            "read-all at %7lld bit/s: %llu bytes, wire %.3f s, elapsed %.3f s, ratio %.3f %s; "
            "plain client on the same line: %.3f s, ratio %.3f\n",
            static_cast<long long>(baud), static_cast<unsigned long long>(m.bytes), m.wireS,
            m.elapsedS, ratio, ratio >= 0.9 ? "(ok)" : "(below 0.9)", m.directS,
            m.directS > 0 ? m.wireS / m.directS : 0.0);
    }
    fs::remove_all(pattern);
    return status;
}

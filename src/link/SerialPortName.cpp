// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialPortName.h"

#include <sys/stat.h>

#include <mutex>

#include "base/Paths.h"

namespace zul {

namespace {

std::mutex& OverrideMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& OverridePath() {
    static std::string path;
    return path;
}

}  // namespace

std::string SerialDisplayName(int32_t portIndex) {
    return "COM" + std::to_string(static_cast<int64_t>(portIndex) + 1);
}

std::string SerialDevicePath(int32_t portIndex) {
    std::string override = SerialDeviceOverride();
    if (!override.empty()) {
        return override;
    }
    std::string link = AppDataPath("ports/" + SerialDisplayName(portIndex));
    struct stat info {};
    if (lstat(link.c_str(), &info) == 0) {
        return link;
    }
    return "/dev/ttyS" + std::to_string(portIndex);
}

void SetSerialDeviceOverride(std::string_view devicePath) {
    std::lock_guard lock(OverrideMutex());
    OverridePath() = std::string(devicePath);
}

std::string SerialDeviceOverride() {
    std::lock_guard lock(OverrideMutex());
    return OverridePath();
}

}  // namespace zul

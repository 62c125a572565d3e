// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/SerialPortLinks.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/Paths.h"
#include "link/SerialPortName.h"

namespace zul::ui {

namespace fs = std::filesystem;

namespace {

std::string PortLinkPath(int32_t portIndex) {
    return AppDataPath("ports/" + SerialDisplayName(portIndex));
}

}  // namespace

std::string MappedSerialDevice(int32_t portIndex) {
    std::error_code ec;
    const fs::path link = PortLinkPath(portIndex);
    if (fs::is_symlink(fs::symlink_status(link, ec))) {
        fs::path target = fs::read_symlink(link, ec);
        if (!ec) {
            return target.string();
        }
    }
    if (fs::exists(fs::symlink_status(link, ec))) {
        return link.string();
    }
    return "/dev/ttyS" + std::to_string(portIndex);
}

std::vector<std::string> SystemSerialDevices(const std::string& devRoot) {
    std::vector<std::string> devices;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(devRoot, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) {
            devices.push_back(entry.path().string());
        }
    }
    const fs::path byId = fs::path(devRoot) / "serial" / "by-id";
    for (const auto& entry : fs::directory_iterator(byId, ec)) {
        devices.push_back(entry.path().string());
    }
    std::sort(devices.begin(), devices.end());
    return devices;
}

bool PointSerialPortAt(int32_t portIndex, const std::string& device, std::string* error) {
    std::error_code ec;
    const fs::path link = PortLinkPath(portIndex);
    fs::create_directories(link.parent_path(), ec);
    // A new link is made beside the old one and renamed over it, so the port never points
    // nowhere while it is replaced.
    if (device.empty()) {
        fs::remove(link, ec);
    } else {
        const fs::path temporary = link.string() + ".new";
        fs::remove(temporary, ec);
        fs::create_symlink(device, temporary, ec);
        if (!ec) {
            fs::rename(temporary, link, ec);
        }
    }
    if (ec) {
        if (error != nullptr) {
            *error = ec.message();
        }
        return false;
    }
    return true;
}

}  // namespace zul::ui

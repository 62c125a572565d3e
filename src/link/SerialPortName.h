// SPDX-License-Identifier: GPL-3.0-or-later
// Where a serial port index leads. Messages name the port "COM<n>" (index + 1); the device is
// the link ports/COM<n> in the user's application-data folder when it exists (as a Wine
// dosdevices entry), else /dev/ttyS<index>. A process-wide override (--device, --simulate)
// replaces the device for every index.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

std::string SerialDisplayName(int32_t portIndex);
std::string SerialDevicePath(int32_t portIndex);

// Empty text removes the override. Callable from any thread.
void SetSerialDeviceOverride(std::string_view devicePath);
std::string SerialDeviceOverride();

}  // namespace zul

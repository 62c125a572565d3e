// SPDX-License-Identifier: GPL-3.0-or-later
// Where the serial port names COM1..COM<n> lead on this system, and pointing a name at a device.
// The link layer opens ports/COM<n> in the per-user application-data folder when it exists,
// else /dev/ttyS<n-1> (see link/SerialPortName.h); the software settings form shows that
// mapping and writes the links.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zul::ui {

// The device a port index maps to when no process-wide override is set: the target of the link
// ports/COM<index+1> when the link exists, else /dev/ttyS<index>.
std::string MappedSerialDevice(int32_t portIndex);

// Serial devices the system has, for pointing a port name at: /dev/ttyUSB*, /dev/ttyACM* and
// the stable names in /dev/serial/by-id/, sorted. devRoot replaces "/dev" (tests).
std::vector<std::string> SystemSerialDevices(const std::string& devRoot = "/dev");

// Makes ports/COM<index+1> a symbolic link to device (replacing what was there); an empty
// device removes the link, so that the port maps to /dev/ttyS<index> again. False with a
// reason on failure.
bool PointSerialPortAt(int32_t portIndex, const std::string& device, std::string* error = nullptr);

}  // namespace zul::ui

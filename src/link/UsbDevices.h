// SPDX-License-Identifier: GPL-3.0-or-later
// The USB bridges that are offered: FTDI devices whose description is exactly "ORTA QV-M8".
#pragma once

#include <string>
#include <vector>

namespace zul {

class FtdiLibrary;

inline constexpr char kUsbProductDescription[] = "ORTA QV-M8";
inline constexpr size_t kUsbStringLength = 64;

struct UsbDeviceEntry {
    std::string description;
    std::string serialNumber;
};

// Every attached device whose description is "ORTA QV-M8", in the library's order. Empty when
// the library cannot be loaded or the listing fails. Does not touch an open device.
std::vector<UsbDeviceEntry> ListUsbDevices(FtdiLibrary& library);
std::vector<UsbDeviceEntry> ListUsbDevices();

// The identification text of a device: "ORTA QV-M8 (<serial>)", or the description alone when
// the serial number is empty.
std::string UsbIdentificationText(const UsbDeviceEntry& device);

// The identification texts of the devices ListUsbDevices finds (for the settings store).
std::vector<std::string> EnumerateUsbDevices(FtdiLibrary& library);
std::vector<std::string> EnumerateUsbDevices();

// The serial number an identification text names: the characters between the last "(" and a
// final ")", when there is at least one. Empty when the text names a description instead.
std::string UsbSerialOfIdentification(const std::string& identification);

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// The list of attached USB controllers as the settings store needs it, in the link layer's
// device record. The application implements the interface with the link layer's listing;
// tests use a fixed list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "link/UsbDevices.h"

namespace zul {

class UsbDeviceLister {
public:
    virtual ~UsbDeviceLister() = default;
    // Every attached bridge device, as the USB library lists it.
    virtual std::vector<UsbDeviceEntry> ListUsbDevices() = 0;
};

// The identification texts (UsbIdentificationText) of the devices whose description is
// "ORTA QV-M8"; other devices are left out.
std::vector<std::string> UsbControllerNames(const std::vector<UsbDeviceEntry>& devices);

}  // namespace zul

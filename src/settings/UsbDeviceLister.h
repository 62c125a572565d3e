// The list of attached USB controllers as the settings store needs it. The link layer's device
// enumeration implements the interface; tests use a fixed list.
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

// The identification texts of the attached controllers: only devices whose description is
// "ORTA QV-M8"; each is the description, followed by " (" serial ")" when the serial is set.
std::vector<std::string> UsbControllerNames(const std::vector<UsbDeviceEntry>& devices);

}  // namespace zul

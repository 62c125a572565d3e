// The list of attached USB controllers as the settings store needs it. The link layer's device
// enumeration implements the interface; tests use a fixed list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zul {

// Description of the USB bridge of a QV-M8 controller.
inline constexpr std::string_view kUsbControllerDescription = "ORTA QV-M8";

struct UsbDeviceEntry {
    std::string description;
    std::string serial;
};

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

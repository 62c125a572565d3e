#include "settings/UsbDeviceLister.h"

namespace zul {

std::vector<std::string> UsbControllerNames(const std::vector<UsbDeviceEntry>& devices) {
    std::vector<std::string> names;
    for (const UsbDeviceEntry& device : devices) {
        if (device.description != kUsbControllerDescription) {
            continue;
        }
        names.push_back(device.serial.empty() ? device.description
                                              : device.description + " (" + device.serial + ")");
    }
    return names;
}

}  // namespace zul

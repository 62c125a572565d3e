#include "settings/UsbDeviceLister.h"

namespace zul {

std::vector<std::string> UsbControllerNames(const std::vector<UsbDeviceEntry>& devices) {
    std::vector<std::string> names;
    for (const UsbDeviceEntry& device : devices) {
        if (device.description != kUsbProductDescription) {
            continue;
        }
        names.push_back(device.serialNumber.empty()
                            ? device.description
                            : device.description + " (" + device.serialNumber + ")");
    }
    return names;
}

}  // namespace zul

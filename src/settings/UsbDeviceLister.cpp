// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/UsbDeviceLister.h"

namespace zul {

std::vector<std::string> UsbControllerNames(const std::vector<UsbDeviceEntry>& devices) {
    std::vector<std::string> names;
    for (const UsbDeviceEntry& device : devices) {
        if (device.description != kUsbProductDescription) {
            continue;
        }
        names.push_back(UsbIdentificationText(device));
    }
    return names;
}

}  // namespace zul

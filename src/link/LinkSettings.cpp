// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinkSettings.h"

namespace zul {

std::string UsbAliasOf(const LinkSettings& settings, const std::string& identification) {
    for (size_t i = 0; i < settings.usbDeviceNames.size(); ++i) {
        if (settings.usbDeviceNames[i] == identification) {
            return i < settings.usbAliases.size() ? settings.usbAliases[i] : std::string();
        }
    }
    return {};
}

int32_t TimeoutTicks(int32_t rs232cTimeout) {
    switch (rs232cTimeout) {
        case 0:
            return 10;
        case 1:
            return 20;
        case 3:
            return 50;
        case 4:
            return 100;
        default:
            return 30;
    }
}

}  // namespace zul

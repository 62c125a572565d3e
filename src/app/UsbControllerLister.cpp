// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/UsbControllerLister.h"

#include "link/UsbDevices.h"

namespace zul {

std::vector<UsbDeviceEntry> UsbControllerLister::ListUsbDevices() {
    return library_ != nullptr ? zul::ListUsbDevices(*library_) : zul::ListUsbDevices();
}

}  // namespace zul

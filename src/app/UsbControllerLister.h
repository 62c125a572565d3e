// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store's view of the attached USB controllers: the link layer's device listing,
// handed on as it is.
#pragma once

#include <vector>

#include "settings/UsbDeviceLister.h"

namespace zul {

class FtdiLibrary;

class UsbControllerLister : public UsbDeviceLister {
public:
    // A null library means the process-wide one.
    explicit UsbControllerLister(FtdiLibrary* library = nullptr) : library_(library) {}
    std::vector<UsbDeviceEntry> ListUsbDevices() override;

private:
    FtdiLibrary* library_;
};

}  // namespace zul

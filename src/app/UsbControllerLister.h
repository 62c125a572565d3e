// The settings store's view of the attached USB controllers.
#pragma once

#include <vector>

#include "settings/UsbDeviceLister.h"

namespace zul {

class FtdiLibrary;

class UsbControllerLister : public UsbDeviceLister {
public:
    explicit UsbControllerLister(FtdiLibrary* library = nullptr) : library_(library) {}
    std::vector<UsbDeviceEntry> ListUsbDevices() override;

private:
    FtdiLibrary* library_;
};

}  // namespace zul

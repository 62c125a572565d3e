#include "app/UsbControllerLister.h"

#include "app/UsbControllers.h"

namespace zul {

std::vector<UsbDeviceEntry> UsbControllerLister::ListUsbDevices() {
    std::vector<UsbDeviceEntry> entries;
    for (auto& [description, serial] : AttachedUsbControllers(library_)) {
        entries.push_back({std::move(description), std::move(serial)});
    }
    return entries;
}

}  // namespace zul

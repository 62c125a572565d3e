#include "app/UsbControllers.h"

#include "link/UsbDevices.h"

namespace zul {

std::vector<std::pair<std::string, std::string>> AttachedUsbControllers(FtdiLibrary* library) {
    std::vector<std::pair<std::string, std::string>> result;
    for (const auto& device : library ? ListUsbDevices(*library) : ListUsbDevices()) {
        result.emplace_back(device.description, device.serialNumber);
    }
    return result;
}

}  // namespace zul

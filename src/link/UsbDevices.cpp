// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/UsbDevices.h"

#include <cstring>

#include "link/FtdiLibrary.h"

namespace zul {

namespace {

std::string CutString(const char* text) {
    return std::string(text, strnlen(text, kUsbStringLength));
}

}  // namespace

std::vector<UsbDeviceEntry> ListUsbDevices(FtdiLibrary& library) {
    std::vector<UsbDeviceEntry> devices;
    if (!library.Loaded()) {
        return devices;
    }
    FtdiContext* context = library.ftdi_new();
    if (context == nullptr) {
        return devices;
    }
    FtdiDeviceList* list = nullptr;
    if (library.ftdi_usb_find_all(context, &list, 0, 0) >= 0) {
        for (FtdiDeviceList* node = list; node != nullptr; node = node->next) {
            char description[kUsbStringLength + 1] = {};
            char serial[kUsbStringLength + 1] = {};
            if (library.ftdi_usb_get_strings(context, node->dev, nullptr, 0, description,
                                             kUsbStringLength, serial, kUsbStringLength) != 0) {
                continue;
            }
            UsbDeviceEntry entry{CutString(description), CutString(serial)};
            if (entry.description == kUsbProductDescription) {
                devices.push_back(std::move(entry));
            }
        }
    }
    if (list != nullptr) {
        library.ftdi_list_free(&list);
    }
    library.ftdi_free(context);
    return devices;
}

std::vector<UsbDeviceEntry> ListUsbDevices() {
    return ListUsbDevices(FtdiLibrary::Shared());
}

std::string UsbIdentificationText(const UsbDeviceEntry& device) {
    if (device.serialNumber.empty()) {
        return device.description;
    }
    return device.description + " (" + device.serialNumber + ")";
}

std::vector<std::string> EnumerateUsbDevices(FtdiLibrary& library) {
    std::vector<std::string> texts;
    for (const UsbDeviceEntry& device : ListUsbDevices(library)) {
        texts.push_back(UsbIdentificationText(device));
    }
    return texts;
}

std::vector<std::string> EnumerateUsbDevices() {
    return EnumerateUsbDevices(FtdiLibrary::Shared());
}

std::string UsbSerialOfIdentification(const std::string& identification) {
    if (identification.empty() || identification.back() != ')') {
        return {};
    }
    size_t close = identification.size() - 1;
    size_t open = identification.rfind('(', close);
    if (open == std::string::npos || close - open < 2) {
        return {};
    }
    return identification.substr(open + 1, close - open - 1);
}

}  // namespace zul

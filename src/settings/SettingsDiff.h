// SPDX-License-Identifier: GPL-3.0-or-later
// Comparing the controller settings of a settings file with the settings read from a
// controller: every value a read of all settings stores, as the settings file writes it. The
// command line's diff prints the result; the desktop program shows the same list.
//
// Use: read the controller into a store (the reads of read-all, then read-system), pick the
// values those reads stored with ControllerReadInstances, and CompareSettings with the store
// the file was loaded into.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zul {

class SettingsStore;

// One value of one setting item: the item, its indices and its place in the settings file.
struct SettingInstance {
    int32_t itemId = 0;
    int32_t index1 = 0;  // bank (or 0)
    int32_t index2 = 0;  // head or output (or 0)
    std::string section;
    std::string key;
};

// Which reads ran, and so which values the controller store holds from the controller.
struct ControllerReadScope {
    // Items the connected controller supports; the reads carry the others through unchanged.
    // Empty: every item.
    std::function<bool(int32_t itemId)> supported;
    // The system settings were read (the read-system operation after the banks).
    bool systemSettings = true;
    // That read included Rs232cOutMode (it does over a link other than RS-232C).
    bool outMode = false;
};

// The values the reads store, in the order of the settings file (item table order, then
// banks, heads, outputs): every item of storage class 1 that the head, output and common
// register maps of the 16 banks or the system register map decode into the store, and with
// systemSettings the items of the system commands, RemoteInterLock and (with outMode)
// Rs232cOutMode.
std::vector<SettingInstance> ControllerReadInstances(const ControllerReadScope& scope);

// One value that differs: the texts are the values as the settings file holds them ("%d" for
// integers, "%lf" for reals).
struct SettingDifference {
    SettingInstance instance;
    std::string fileText;
    std::string controllerText;
};

struct SettingsComparison {
    std::vector<SettingDifference> differences;  // in the order of the instances
    int32_t compared = 0;                        // values compared
};

// Compares file and controller at every instance. Values compare by their file texts, so a
// real that reads back as the text the file holds is equal.
SettingsComparison CompareSettings(const SettingsStore& file, const SettingsStore& controller,
                                   std::span<const SettingInstance> instances);

}  // namespace zul

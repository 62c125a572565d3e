// Loading and saving the settings store from and to a settings file.
#include <algorithm>

#include "base/NumberText.h"
#include "settings/ItemInstances.h"
#include "settings/SettingsStore.h"

namespace zul {

namespace {

bool Persistent(const SettingItem& item) {
    return item.storageClass == kStorageCounted || item.storageClass == kStorageUncounted;
}

}  // namespace

int32_t SettingsStore::LoadItems(ResultInfo* info) {
    for (const SettingItem& item : kSettingItems) {
        if (item.valueType == kValueEnd) {
            break;
        }
        if (!Persistent(item)) {
            continue;
        }
        int32_t code = ZUL_OK;
        ForEachInstance(item, [&](const std::string& section, const std::string& key,
                                  int32_t index1, int32_t index2) {
            switch (item.valueType) {
                case kValueInt:
                case kValueBool:
                    SetInt(item.id,
                           profile_.GetInt(section, "", key, GetInt(item.id, index1, index2)),
                           index1, index2);
                    return true;
                case kValueText:
                    SetText(item.id,
                            profile_.GetString(section, "", key, GetText(item.id, index1, index2)),
                            index1, index2);
                    return true;
                case kValueReal: {
                    const std::string text = profile_.GetString(
                        section, "", key, FormatReal(GetDouble(item.id, index1, index2)));
                    SetDouble(item.id, ParseReal(text), index1, index2);
                    return true;
                }
                default:
                    code = SetResult(info, ZUL_ERR);
                    return false;
            }
        });
        if (code != ZUL_OK) {
            return code;
        }
    }

    SoftwareWindowBlock& soft = live_->formSoftware;
    std::string remembered = soft.currentAlias;
    const auto known =
        std::find(soft.usbDeviceNames.begin(), soft.usbDeviceNames.end(), soft.currentDeviceName);
    if (known != soft.usbDeviceNames.end()) {
        const size_t pos = static_cast<size_t>(known - soft.usbDeviceNames.begin());
        if (pos < soft.usbDeviceAliases.size()) {
            remembered = soft.usbDeviceAliases[pos];
        }
    }
    std::vector<std::string> names;
    std::vector<std::string> aliases;
    if (const int32_t code =
            profile_.GetKeyValueLists(kAliasSection, kAliasSubSection, names, aliases, info);
        code != ZUL_OK) {
        return code;
    }
    SetAliasLists(names, aliases);
    // An empty name is no device: listing it would write a line without a key.
    if (!soft.currentDeviceName.empty() &&
        std::find(soft.usbDeviceNames.begin(), soft.usbDeviceNames.end(), soft.currentDeviceName) ==
            soft.usbDeviceNames.end()) {
        soft.usbDeviceNames.push_back(soft.currentDeviceName);
        soft.usbDeviceAliases.push_back(remembered);
    }
    return ZUL_OK;
}

int32_t SettingsStore::Load(ResultInfo* info, std::string_view path) {
    ClearResult(info);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!path.empty()) {
        profile_.SetPath(path);
    }
    int32_t code = profile_.Begin(false, info);
    if (code == ZUL_OK) {
        code = LoadItems(info);
        if (code == ZUL_OK) {
            code = profile_.End(info);
        } else {
            profile_.End(nullptr);
        }
    }
    SetFilePath(path);
    // The block check is always off after a load, whatever the file held.
    SetInt<kSoftRs232cBCC>(0);
    return code;
}

int32_t SettingsStore::SaveItems(ResultInfo* info) {
    for (const SettingItem& item : kSettingItems) {
        if (item.valueType == kValueEnd) {
            break;
        }
        if (!Persistent(item)) {
            continue;
        }
        int32_t code = ZUL_OK;
        ForEachInstance(item, [&](const std::string& section, const std::string& key,
                                  int32_t index1, int32_t index2) {
            switch (item.valueType) {
                case kValueInt:
                case kValueBool:
                    code = profile_.SetInt(section, "", key, GetInt(item.id, index1, index2), info);
                    break;
                case kValueText:
                    code = profile_.SetString(section, "", key, GetText(item.id, index1, index2),
                                              info);
                    break;
                case kValueReal:
                    code = profile_.SetString(section, "", key,
                                              FormatReal(GetDouble(item.id, index1, index2)), info);
                    break;
                default:
                    code = SetResult(info, ZUL_ERR);
                    break;
            }
            return code == ZUL_OK;
        });
        if (code != ZUL_OK) {
            return code;
        }
    }
    return profile_.SetKeyValueLists(kAliasSection, kAliasSubSection,
                                     live_->formSoftware.usbDeviceNames,
                                     live_->formSoftware.usbDeviceAliases, info);
}

int32_t SettingsStore::Save(ResultInfo* info, std::string_view path) {
    ClearResult(info);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!path.empty()) {
        profile_.SetPath(path);
    }
    profile_.SetLayoutMode(kLayoutSettings);
    int32_t code = profile_.Begin(true, info);
    if (code == ZUL_OK) {
        code = SaveItems(info);
        if (code == ZUL_OK) {
            code = profile_.End(info);
        } else {
            profile_.End(nullptr);
        }
    }
    if (!path.empty()) {
        // Saving elsewhere does not change the current file.
        profile_.SetPath(currentPath_);
    }
    return code;
}

}  // namespace zul

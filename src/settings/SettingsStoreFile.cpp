// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and saving the settings store from and to a settings file.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "base/NumberText.h"
#include "base/ProfileText.h"
#include "settings/ItemInstances.h"
#include "settings/SettingsStore.h"

namespace zul {

namespace {

bool Persistent(const SettingItem& item) {
    return item.storageClass == kStorageCounted || item.storageClass == kStorageUncounted;
}

// A number as the settings file holds it: the whole text (one "+" allowed in front; the program
// itself writes "%d" and "%lf"). Anything else, "0x10", "nan", "1,5" or "12abc", is no number.
std::string_view WithoutPlus(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    return text;
}

std::optional<int32_t> IntegerValue(std::string_view text) {
    text = WithoutPlus(text);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;  // also a number beyond the 32-bit range
    }
    return value;
}

std::optional<double> RealValue(std::string_view text) {
    text = WithoutPlus(text);
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// "[SECTION] Key: "text" is not a number", the text shown escaped and cut short.
std::string NotANumber(const std::string& section, const std::string& key,
                       const std::string& text) {
    constexpr size_t kShown = 40;
    std::string shown = EscapeText(text.substr(0, kShown));
    if (text.size() > kShown) {
        shown += "...";
    }
    return "[" + section + "] " + key + ": \"" + shown + "\" is not a number";
}

bool IsSystemItem(int32_t id) {
    return id >= kMemCmnMemCopyFrom && id <= kSysBufBufferSelfStop;
}

}  // namespace

std::string CutShortReason(const SettingsLoadReport& report) {
    return "the file stops inside a line after " + std::to_string(report.FoundValues()) +
           " of its " + std::to_string(report.soughtValues) + " settings: it was cut short";
}

int32_t SettingsStore::LoadItems(ResultInfo* info, SettingsLoadReport& report) {
    for (const SettingItem& item : kSettingItems) {
        if (item.valueType == kValueEnd) {
            break;
        }
        if (!Persistent(item)) {
            continue;
        }
        int32_t code = ZUL_OK;
        int32_t& found = item.index1Kind == kIndexBank ? report.bankValues
                         : IsSystemItem(item.id)       ? report.systemValues
                                                       : report.otherValues;
        ForEachInstance(item, [&](const std::string& section, const std::string& key,
                                  int32_t index1, int32_t index2) {
            if (item.valueType == kValueText) {
                SetText(item.id,
                        profile_.GetString(section, "", key, GetText(item.id, index1, index2)),
                        index1, index2);
                return true;
            }
            if (item.valueType != kValueInt && item.valueType != kValueBool &&
                item.valueType != kValueReal) {
                code = SetResult(info, ZUL_ERR);
                return false;
            }
            ++report.soughtValues;
            // A missing key or an empty value leaves the item as it is.
            const std::string text = profile_.GetString(section, "", key, "");
            if (text.empty()) {
                return true;
            }
            if (item.valueType == kValueReal) {
                if (const auto value = RealValue(text)) {
                    SetDouble(item.id, *value, index1, index2);
                    ++found;
                    return true;
                }
            } else if (const auto value = IntegerValue(text)) {
                SetInt(item.id, *value, index1, index2);
                ++found;
                return true;
            }
            code = SetResult(info, ZUL_ERR_INI_FILE_READ, 0, profile_.Path(),
                             NotANumber(section, key, text));
            return false;
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

int32_t SettingsStore::Load(ResultInfo* info, std::string_view path, SettingsLoadReport* report) {
    ClearResult(info);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!path.empty()) {
        profile_.SetPath(path);
    }
    SettingsLoadReport local;
    SettingsLoadReport& found = report != nullptr ? *report : local;
    found = {};
    int32_t code = profile_.Begin(false, info);
    if (code == ZUL_OK) {
        found.endsMidLine = profile_.EndsMidLine();
        code = LoadItems(info, found);
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

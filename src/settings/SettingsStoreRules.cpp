// SPDX-License-Identifier: GPL-3.0-or-later
// The per-item rules of the settings store: defaults, validity, display text and support by the
// connected controller, all driven by the item table and the UI definition records.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/NumberText.h"
#include "base/ProfileText.h"
#include "settings/ItemInstances.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"

namespace zul {

namespace {

constexpr int32_t kMaxStoreCount = 65000;
constexpr int32_t kMaxStoreCountNarrow = 32500;  // with buffer type 0

bool IsRadioRecord(const UiControlRecord* record) {
    return record && record->ctrlKind == kUiKindRadio &&
           (record->type == kUiTypeInt || record->type == kUiTypeBool);
}

bool IsIntegerList(const UiControlRecord* record) {
    return record && record->ctrlKind == kUiKindList && record->type == kUiTypeInt;
}

int32_t RadioValue(const UiControlRecord& record) {
    return ParseDecimal(UnquoteText(record.selectValues));
}

// The position of value in the record's SelectVal list, if it is there.
std::optional<size_t> FindInValues(const UiControlRecord& record, int32_t value) {
    const std::vector<std::string> values = SplitCommaList(record.selectValues);
    for (size_t i = 0; i < values.size(); ++i) {
        if (ParseDecimal(values[i]) == value) {
            return i;
        }
    }
    return std::nullopt;
}

// The SelectList entry that stands for value in an integer list record.
std::optional<std::string> ListText(const UiControlRecord* record, int32_t value) {
    if (!IsIntegerList(record)) {
        return std::nullopt;
    }
    const std::optional<size_t> pos = FindInValues(*record, value);
    if (!pos) {
        return std::nullopt;
    }
    const std::vector<std::string> texts = SplitCommaList(record->selectList);
    if (*pos >= texts.size()) {
        return std::nullopt;
    }
    return texts[*pos];
}

// The radio controls an item's rules walk, in their order.
std::vector<int32_t> RadioIds(const SettingItem& item) {
    switch (item.controlKind) {
        case kControlMeasureMode:
            return {1154, 1155, 1156, 1157};
        case kControlRadio2:
            return {item.control1, item.control2};
        case kControlRadio3:
            return {item.control3, item.control1, item.control2};
        default:
            break;
    }
    switch (item.validationKind) {
        case 2:
            return {1154, 1155, 1156, 1157};
        case 3:
            return {item.control1, item.control2};
        case 4:
            return {item.control3, item.control1, item.control2};
        default:
            return {};
    }
}

std::vector<int32_t> DisplayRadioIds(const SettingItem& item) {
    switch (item.displayKind) {
        case 2:
            return {1154, 1155, 1156, 1157};
        case 3:
            return {item.control1, item.control2};
        case 4:
            return {item.control3, item.control1, item.control2};
        default:
            return {};
    }
}

std::string BaseText(const SettingsStore& store, const SettingItem& item, int32_t index1,
                     int32_t index2) {
    switch (item.valueType) {
        case kValueInt:
            return FormatInt(store.GetInt(item.id, index1, index2));
        case kValueBool:
            return store.GetInt(item.id, index1, index2) != 0 ? "TRUE" : "FALSE";
        case kValueText:
            return store.GetText(item.id, index1, index2);
        case kValueReal:
            return FormatReal(store.GetDouble(item.id, index1, index2));
        default:
            return {};
    }
}

// The value of a numeric item as a real, and as the integer the list rules compare.
double NumericValue(const SettingsStore& store, const SettingItem& item, int32_t index1,
                    int32_t index2) {
    return item.valueType == kValueReal ? store.GetDouble(item.id, index1, index2)
                                        : store.GetInt(item.id, index1, index2);
}

bool IsNumeric(const SettingItem& item) {
    return item.valueType == kValueInt || item.valueType == kValueBool ||
           item.valueType == kValueReal;
}

}  // namespace

std::optional<int32_t> SettingsStore::RadioDefault(const UiDefinition& ui,
                                                   const SettingItem& item) const {
    for (int32_t id : RadioIds(item)) {
        const UiControlRecord* record = ui.FindById(id);
        if (IsRadioRecord(record) && record->defaultValue.integer != 0) {
            return RadioValue(*record);
        }
    }
    if (item.controlKind == kControlMeasureMode) {
        const UiControlRecord* list = ui.FindById(kMeasureModeList);
        if (IsIntegerList(list)) {
            return list->defaultValue.integer;
        }
    }
    return std::nullopt;
}

void SettingsStore::SetDefault(const UiDefinition& ui, const SettingItem& item, int32_t index1,
                               int32_t index2) {
    switch (item.controlKind) {
        case kControlNone:
            if (item.valueType == kValueInt) {
                SetInt(item.id, ParseDecimal(item.defaultText), index1, index2);
            } else if (item.valueType == kValueReal) {
                SetDouble(item.id, ParseReal(item.defaultText), index1, index2);
            } else if (item.valueType == kValueText) {
                SetText(item.id, item.defaultText, index1, index2);
            }
            return;
        case kControlSingle:
        case kControlUsbDevice:
        case kControlPerOutput: {
            const UiControlRecord* record = ui.FindById(item.control1);
            if (!record) {
                return;
            }
            if (item.valueType == kValueInt) {
                const int32_t offset = item.controlKind == kControlPerOutput ? index2 : 0;
                SetInt(item.id, record->defaultValue.integer + offset, index1, index2);
            } else if (item.valueType == kValueReal) {
                SetDouble(item.id, record->defaultValue.real, index1, index2);
            } else if (item.valueType == kValueText) {
                SetText(item.id, UnquoteText(record->defaultValue.text), index1, index2);
            }
            if (item.controlKind == kControlUsbDevice) {
                SoftwareWindowBlock& soft = live_->formSoftware;
                soft.currentDeviceName = UnquoteText(record->defaultValue.text);
                soft.currentAlias = UnquoteText(record->caption);
                // A name already known keeps its place, so that resetting twice does not list
                // the device twice.
                const auto& names = soft.usbDeviceNames;
                if (std::find(names.begin(), names.end(), soft.currentDeviceName) == names.end()) {
                    soft.usbDeviceNames.push_back(soft.currentDeviceName);
                    soft.usbDeviceAliases.push_back(soft.currentAlias);
                }
            }
            return;
        }
        case kControlMeasureMode:
        case kControlRadio2:
        case kControlRadio3:
            if (item.valueType == kValueInt || item.valueType == kValueBool) {
                if (const std::optional<int32_t> value = RadioDefault(ui, item)) {
                    SetInt(item.id, *value, index1, index2);
                }
            }
            return;
        default:
            return;
    }
}

void SettingsStore::ResetToDefaults(const UiDefinition& ui) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (const SettingItem& item : kSettingItems) {
        if (item.valueType == kValueEnd) {
            break;
        }
        ForEachInstance(
            item, [&](const std::string&, const std::string&, int32_t index1, int32_t index2) {
                SetDefault(ui, item, index1, index2);
                return true;
            });
    }
}

int32_t SettingsStore::GetItemDefault(const UiDefinition& ui, int32_t id) const {
    const SettingItem* item = FindItem(id);
    if (!item || item->valueType != kValueInt) {
        return 0;
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    switch (item->controlKind) {
        case kControlNone:
            return ParseDecimal(item->defaultText);
        case kControlSingle: {
            const UiControlRecord* record = ui.FindById(item->control1);
            return record ? record->defaultValue.integer : 0;
        }
        case kControlMeasureMode:
        case kControlRadio2:
        case kControlRadio3:
            return RadioDefault(ui, *item).value_or(0);
        default:
            return 0;
    }
}

bool SettingsStore::IsItemInvalid(const UiDefinition& ui, int32_t id, int32_t index1,
                                  int32_t index2) const {
    const SettingItem* item = FindItem(id);
    if (!item) {
        return false;
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    switch (item->validationKind) {
        case 1: {
            if (!IsNumeric(*item)) {
                return false;
            }
            const UiControlRecord* record = ui.FindById(item->control1);
            if (!record) {
                return false;
            }
            const double value = NumericValue(*this, *item, index1, index2);
            if (record->ctrlKind == kUiKindList) {
                return record->type != kUiTypeInt ||
                       !FindInValues(*record, TruncateToInt32(value)).has_value();
            }
            if (record->ctrlKind == 16 || record->ctrlKind == 17) {
                const std::optional<size_t> pos = FindInValues(*record, TruncateToInt32(value));
                return !pos || *pos >= SplitCommaList(record->selectList).size();
            }
            return value < record->minValue.real || value > record->maxValue.real;
        }
        case 2: {
            const int32_t value = GetInt(id, index1, index2);
            for (int32_t radio = kMeasureModeRadioFirst; radio <= kMeasureModeRadioLast; ++radio) {
                const UiControlRecord* record = ui.FindById(radio);
                if (IsRadioRecord(record) && RadioValue(*record) == value) {
                    return false;
                }
            }
            const UiControlRecord* list = ui.FindById(kMeasureModeList);
            return !(IsIntegerList(list) && FindInValues(*list, value).has_value());
        }
        case 3:
        case 4: {
            const int32_t value = GetInt(id, index1, index2);
            for (int32_t radio : RadioIds(*item)) {
                const UiControlRecord* record = ui.FindById(radio);
                if (record && RadioValue(*record) == value) {
                    return false;
                }
            }
            return true;
        }
        case 5: {
            const int32_t point = GetInt(id, index1, index2);
            const int32_t count = GetInt<kBufStoreNum>(index1);
            return point <= 0 || point > count || point > kMaxStoreCount;
        }
        case 6: {
            const int32_t count = GetInt(id, index1, index2);
            const int32_t limit =
                GetInt<kBufBufferType>(index1) != 0 ? kMaxStoreCount : kMaxStoreCountNarrow;
            return count <= 0 || count > limit;
        }
        case 7: {
            const int32_t perTrigger = GetInt(id, index1, index2);
            const int32_t count = GetInt<kBufStoreNum>(index1);
            return perTrigger <= 0 || perTrigger > count || perTrigger > kMaxStoreCount ||
                   count % perTrigger != 0;
        }
        default:
            return false;
    }
}

std::string SettingsStore::FormatItem(const UiDefinition& ui, const MicronMode& micron, int32_t id,
                                      int32_t index1, int32_t index2) const {
    const SettingItem* item = FindItem(id);
    if (!item) {
        return {};
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::string text = BaseText(*this, *item, index1, index2);
    switch (item->displayKind) {
        case 1: {
            const UiControlRecord* record = ui.FindById(item->control1);
            if (!record) {
                return text;
            }
            if (record->micron == 2 && micron.active && item->valueType == kValueReal) {
                char buffer[400];
                std::snprintf(buffer, sizeof buffer, "%.*lf", micron.decimals,
                              GetDouble(id, index1, index2) * micron.factor);
                text = buffer;
            }
            const int32_t kind = record->ctrlKind;
            if (kind == kUiKindList) {
                const int32_t value = TruncateToInt32(NumericValue(*this, *item, index1, index2));
                if (std::optional<std::string> entry = ListText(record, value)) {
                    text = std::move(*entry);
                }
            } else if (kind == 7 || kind == 10 || kind == 11 || kind == 13 || kind == 15) {
                // Shown as they are.
            } else if (kind >= 5 && kind <= 17) {
                text += record->unit;
            }
            return text;
        }
        case 2:
        case 3:
        case 4: {
            const int32_t value = GetInt(id, index1, index2);
            for (int32_t radio : DisplayRadioIds(*item)) {
                const UiControlRecord* record = ui.FindById(radio);
                if (record && RadioValue(*record) == value) {
                    return UnquoteText(record->caption);
                }
            }
            if (item->displayKind == 2) {
                if (std::optional<std::string> entry =
                        ListText(ui.FindById(kMeasureModeList), value)) {
                    return *entry;
                }
            }
            return text;
        }
        default:
            return text;
    }
}

bool SettingsStore::IsItemSupported(const UiDefinition& ui, uint32_t firmwareVersion,
                                    int32_t id) const {
    const SettingItem* item = FindItem(id);
    if (!item) {
        return false;
    }
    if (item->validationKind == 2) {
        return true;
    }
    const UiControlRecord* record = ui.FindById(item->control1);
    return record && record->ctrlVersion <= firmwareVersion;
}

}  // namespace zul

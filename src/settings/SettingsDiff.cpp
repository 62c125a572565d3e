// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsDiff.h"

#include <set>

#include "base/NumberText.h"
#include "settings/ItemInstances.h"
#include "settings/RegisterMaps.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"

namespace zul {

namespace {

// Encodings whose words a read decodes into the entry's item.
bool StoresValue(int32_t encoding) {
    switch (encoding) {
        case kEncSigned:
        case kEncUnsigned:
        case kEncReadOnly:
        case kEncZeroSetWord:
        case kEncLong:
        case kEncLong2:
            return true;
        default:
            return encoding >= kEncMilliSigned && encoding <= kEncMicro2;
    }
}

std::set<int32_t> ReadItemIds(const ControllerReadScope& scope) {
    auto supported = [&scope](int32_t id) { return !scope.supported || scope.supported(id); };
    std::set<int32_t> ids;
    for (auto map :
         {HeadRegisterMap(), OutputRegisterMap(), CommonRegisterMap(), SystemRegisterMap()}) {
        for (const RegisterMapEntry& entry : map) {
            if (entry.itemId != 0 && StoresValue(entry.encoding) && supported(entry.itemId)) {
                ids.insert(entry.itemId);
            }
        }
    }
    if (scope.systemSettings) {
        for (const SystemCommandRow& row : SystemCommandTable()) {
            if (IsReadRow(row) && supported(row.itemId)) {
                ids.insert(row.itemId);
            }
        }
        ids.insert(kMemCmnRemoteInterLock);
        if (scope.outMode) {
            ids.insert(kMemCmnRs232cOutMode);
        }
    }
    return ids;
}

std::string FileText(const SettingsStore& store, const SettingInstance& instance) {
    if (IsRealItem(instance.itemId)) {
        return FormatReal(store.GetDouble(instance.itemId, instance.index1, instance.index2));
    }
    return FormatInt(store.GetInt(instance.itemId, instance.index1, instance.index2));
}

}  // namespace

std::vector<SettingInstance> ControllerReadInstances(const ControllerReadScope& scope) {
    const std::set<int32_t> ids = ReadItemIds(scope);
    std::vector<SettingInstance> instances;
    for (const SettingItem& item : kSettingItems) {
        if (item.valueType == kValueEnd) {
            break;
        }
        if (item.storageClass != kStorageCounted || ids.count(item.id) == 0) {
            continue;
        }
        ForEachInstance(item, [&](const std::string& section, const std::string& key,
                                  int32_t index1, int32_t index2) {
            instances.push_back({item.id, index1, index2, section, key});
            return true;
        });
    }
    return instances;
}

SettingsComparison CompareSettings(const SettingsStore& file, const SettingsStore& controller,
                                   std::span<const SettingInstance> instances) {
    // One store locked at a time, each for all its values, so that each side is one state.
    std::vector<std::string> fileTexts;
    fileTexts.reserve(instances.size());
    {
        auto lock = file.Lock();
        for (const SettingInstance& instance : instances) {
            fileTexts.push_back(FileText(file, instance));
        }
    }
    SettingsComparison result;
    auto lock = controller.Lock();
    for (size_t i = 0; i < instances.size(); ++i) {
        std::string controllerText = FileText(controller, instances[i]);
        ++result.compared;
        if (fileTexts[i] != controllerText) {
            result.differences.push_back(
                {instances[i], std::move(fileTexts[i]), std::move(controllerText)});
        }
    }
    return result;
}

}  // namespace zul

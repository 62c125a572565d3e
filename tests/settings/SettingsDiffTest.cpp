// SPDX-License-Identifier: GPL-3.0-or-later
// Comparing a file's controller settings with the values read from a controller.
#include <gtest/gtest.h>

#include <algorithm>

#include "settings/SettingsDiff.h"
#include "settings/SettingsStore.h"

namespace zul {
namespace {

bool Holds(const std::vector<SettingInstance>& list, const std::string& section,
           const std::string& key) {
    return std::any_of(list.begin(), list.end(), [&](const SettingInstance& i) {
        return i.section == section && i.key == key;
    });
}

TEST(SettingsDiff, InstancesAreTheValuesTheReadsStore) {
    ControllerReadScope scope;
    scope.systemSettings = false;
    const std::vector<SettingInstance> banks = ControllerReadInstances(scope);
    // Values decoded from the bank blocks, in every bank, head and output.
    EXPECT_TRUE(Holds(banks, "MEM0_HEADA", "SetupMode"));
    EXPECT_TRUE(Holds(banks, "MEM15_HEADB", "CALIB_MeasureValue2"));
    EXPECT_TRUE(Holds(banks, "MEM6_OUT2", "DecisionMax"));
    EXPECT_TRUE(Holds(banks, "MEM9_BUFFERING", "StoreNum"));
    EXPECT_TRUE(Holds(banks, "SYS_BUFFERING", "BufferSelfStop"));  // the system map's word
    // Words read and ignored, tool-only options and the current bank are no controller values.
    EXPECT_FALSE(Holds(banks, "MEM0_HEADA", "OpticalFilter"));
    EXPECT_FALSE(Holds(banks, "MEM0_OUT1", "ZeroSetSend"));
    EXPECT_FALSE(Holds(banks, "CONTROLLER", "CurMemNo"));
    EXPECT_FALSE(Holds(banks, "MEM_CMN", "ConsoleNo"));
    for (const SettingInstance& i : banks) {
        const SettingItem* item = FindItem(i.itemId);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->storageClass, kStorageCounted) << i.section << " " << i.key;
    }
    // The first values follow the file's order.
    ASSERT_GE(banks.size(), 2u);
    EXPECT_EQ(banks[0].section + " " + banks[0].key, "MEM0_HEADA SetupMode");
    EXPECT_EQ(banks[1].section + " " + banks[1].key, "MEM0_HEADB SetupMode");

    scope.systemSettings = true;
    const std::vector<SettingInstance> all = ControllerReadInstances(scope);
    EXPECT_TRUE(Holds(all, "MEM_CMN", "ConsoleNo"));
    EXPECT_TRUE(Holds(all, "MEM_CMN", "Rs232cBaudrate"));
    EXPECT_TRUE(Holds(all, "MEM_CMN", "RemoteInterLock"));
    EXPECT_FALSE(Holds(all, "MEM_CMN", "Rs232cOutMode"));  // not read over RS-232C
    EXPECT_FALSE(Holds(all, "MEM_CMN", "MemCopyFrom"));
    scope.outMode = true;
    EXPECT_TRUE(Holds(ControllerReadInstances(scope), "MEM_CMN", "Rs232cOutMode"));

    // Items the controller does not support are carried through, not read.
    scope.supported = [](int32_t id) { return id != kOutDecisionMax; };
    const std::vector<SettingInstance> some = ControllerReadInstances(scope);
    EXPECT_FALSE(Holds(some, "MEM6_OUT2", "DecisionMax"));
    ControllerReadScope full;
    full.outMode = true;
    EXPECT_EQ(some.size() + 16u * 2u, ControllerReadInstances(full).size());  // both outputs
}

TEST(SettingsDiff, ValuesCompareAsTheFileWritesThem) {
    SettingsStore file;
    SettingsStore controller;
    file.SetDouble<kOutDecisionMax>(1.25, 6, 1);
    controller.SetDouble<kOutDecisionMax>(1250000 * 0.000001, 6, 1);  // as a read decodes it
    file.SetInt<kHeadSetupMode>(0, 3, 1);
    controller.SetInt<kHeadSetupMode>(1, 3, 1);
    file.SetDouble<kOutOffsetInput>(-0.5, 0, 0);
    controller.SetDouble<kOutOffsetInput>(-0.4999996, 0, 0);  // "%lf": -0.500000 both
    file.SetInt<kMemCmnConsoleNo>(4);
    controller.SetInt<kMemCmnConsoleNo>(9);

    ControllerReadScope scope;
    const std::vector<SettingInstance> instances = ControllerReadInstances(scope);
    const SettingsComparison result = CompareSettings(file, controller, instances);
    EXPECT_EQ(result.compared, static_cast<int32_t>(instances.size()));
    ASSERT_EQ(result.differences.size(), 2u);
    const SettingDifference& head = result.differences[0];
    EXPECT_EQ(head.instance.section, "MEM3_HEADB");
    EXPECT_EQ(head.instance.key, "SetupMode");
    EXPECT_EQ(head.fileText, "0");
    EXPECT_EQ(head.controllerText, "1");
    const SettingDifference& system = result.differences[1];
    EXPECT_EQ(system.instance.section, "MEM_CMN");
    EXPECT_EQ(system.instance.key, "ConsoleNo");
    EXPECT_EQ(system.fileText, "4");
    EXPECT_EQ(system.controllerText, "9");

    // A value outside the read is never compared.
    file.SetInt<kOutZeroSetSend>(1, 0, 0);
    EXPECT_EQ(CompareSettings(file, controller, instances).differences.size(), 2u);
}

}  // namespace
}  // namespace zul

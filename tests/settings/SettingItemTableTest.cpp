// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingItem.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settings/ItemInstances.h"

namespace zul {
namespace {

// Compile-time checks of the typed interface.
static_assert(IsIntItem(kHeadSetupMode));
static_assert(IsRealItem(kOutReflectionRate));
static_assert(IsTextItem(kSoftMemAlias));
static_assert(!IsIntItem(0) && !IsIntItem(kLastItemId + 1) && !IsRealItem(kOutZeroSet));
static_assert(FindItem(kLastItemId + 1) == nullptr && ItemValueType(kLastItemId) == kValueInt);

struct Instance {
    std::string section;
    std::string key;
    int32_t index1;
    int32_t index2;
};

std::vector<Instance> Instances(int32_t id) {
    std::vector<Instance> out;
    ForEachInstance(*FindItem(id),
                    [&](const std::string& s, const std::string& k, int32_t a, int32_t b) {
                        out.push_back({s, k, a, b});
                        return true;
                    });
    return out;
}

TEST(SettingItemTable, LookupByIdAndEnd) {
    EXPECT_EQ(FindItem(kLastItemId + 1), nullptr);
    EXPECT_EQ(FindItem(0), nullptr);
    EXPECT_EQ(FindItem(-1), nullptr);
    const SettingItem* last = FindItem(kLastItemId);
    ASSERT_NE(last, nullptr);
    EXPECT_STREQ(last->section, "FORM_MEASUREMENT");
    EXPECT_STREQ(last->key, "RollingWindow");
    EXPECT_EQ(last->storageClass, kStorageUncounted);
    for (int32_t id = kFirstItemId; id <= kLastItemId; ++id) {
        ASSERT_NE(FindItem(id), nullptr) << id;
        EXPECT_EQ(FindItem(id), &kSettingItems[id - 1]) << id;
    }
    EXPECT_EQ(kSettingItems[kItemCount].valueType, kValueEnd);
}

TEST(SettingItemTable, SectionSizes) {
    std::map<std::string, int> sizes;
    for (int32_t id = kFirstItemId; id <= kLastItemId; ++id) {
        ++sizes[FindItem(id)->section];
    }
    const std::map<std::string, int> expected = {
        {"CONTROLLER", 7},           {"MEM%m_HEAD%h", 20},      {"MEM%m_OUT%o", 45},
        {"MEM%m_COMMON", 6},         {"MEM%m_BUFFERING", 17},   {"MEM_CMN", 14},
        {"SYS_BUFFERING", 5},        {"FORM_MAIN", 4},          {"FORM_MEASUREMENT", 18},
        {"FORM_MEASUREMENTCONF", 2}, {"FORM_LIGHTWAVE", 7},     {"FORM_LIGHTWAVECONF", 6},
        {"FORM_BUFFERING", 8},       {"FORM_BUFFERINGCONF", 9}, {"FORM_BUFFERINGINFO", 2},
        {"FORM_FLOODLIGHT", 2},      {"FORM_CALIBURATION", 2},  {"FORM_CONFIGLIST", 5},
        {"FORM_CONFIGPRINT", 4},     {"FORM_CONTROLLER", 2},    {"FORM_SOFTWARE", 16},
        {"FORM_VERSION", 2},         {"FORM_CAPTURE", 4},       {"ZUL_APP_DATA", 5},
        {"FORM_ANALOGSCALING", 2},
    };
    EXPECT_EQ(sizes, expected);
}

TEST(SettingItemTable, RowsThatDifferFromTheirSection) {
    const SettingItem& rate = *FindItem(kOutReflectionRate);
    EXPECT_EQ(rate.valueType, kValueReal);
    EXPECT_STREQ(rate.defaultText, "0.5000");
    EXPECT_EQ(rate.control1, 0x66D);

    const SettingItem& mode = *FindItem(kOutMeasureMode);
    EXPECT_EQ(mode.controlKind, kControlMeasureMode);
    EXPECT_EQ(mode.validationKind, 2);
    EXPECT_EQ(mode.displayKind, 2);

    const SettingItem& division = *FindItem(kCfgPrintOutputDivision);
    EXPECT_EQ(division.storageClass, kStorageRuntime);
    EXPECT_EQ(division.controlKind, kControlRadio3);
    EXPECT_EQ(division.control1, 0x584);
    EXPECT_EQ(division.control2, 0x585);
    EXPECT_EQ(division.control3, 0x586);

    const SettingItem& usb = *FindItem(kSoftUsbConnect);
    EXPECT_EQ(usb.valueType, kValueText);
    EXPECT_EQ(usb.controlKind, kControlUsbDevice);
    EXPECT_STREQ(usb.defaultText, "NoUSB");

    const SettingItem& event = *FindItem(kBufEventCondition);
    EXPECT_EQ(event.storageClass, kStorageCounted);
    EXPECT_EQ(event.index1Kind, kIndexBank);
    EXPECT_EQ(event.index2Kind, kIndexOutput);

    const SettingItem& cur = *FindItem(kAppCurMemNo);
    EXPECT_EQ(cur.valueType, kValueInt);
    EXPECT_EQ(cur.storageClass, kStorageCounted);
    EXPECT_EQ(FindItem(kAppCurMemAlias)->storageClass, kStorageRuntime);
    EXPECT_EQ(FindItem(kLwConfFormTop)->storageClass, kStorageUncounted);
    EXPECT_EQ(FindItem(kLwConfGraphRectDisp)->storageClass, kStorageCounted);
    EXPECT_EQ(FindItem(kBufInfoFormTop)->storageClass, kStorageRuntime);
    EXPECT_EQ(FindItem(kCommonAlarmOutChange)->storageClass, kStorageRuntime);
    EXPECT_EQ(FindItem(kMeasMeasureValue)->index1Kind, kIndexOutput);
    EXPECT_EQ(FindItem(kMeasFormMode)->index1Kind, kIndexNone);
}

TEST(ItemInstances, HeadItemsRunBanksOuterHeadsInner) {
    const std::vector<Instance> all = Instances(kHeadSetupMode);
    ASSERT_EQ(all.size(), 32u);
    EXPECT_EQ(all[0].section, "MEM0_HEADA");
    EXPECT_EQ(all[1].section, "MEM0_HEADB");
    EXPECT_EQ(all[2].section, "MEM1_HEADA");
    EXPECT_EQ(all[31].section, "MEM15_HEADB");
    EXPECT_EQ(all[31].key, "SetupMode");
    EXPECT_EQ(all[3].index1, 1);
    EXPECT_EQ(all[3].index2, 1);
}

TEST(ItemInstances, OutputItemsAndPlaceholdersInKeys) {
    const std::vector<Instance> outs = Instances(kOutDecisionMax);
    ASSERT_EQ(outs.size(), 32u);
    EXPECT_EQ(outs[0].section, "MEM0_OUT1");
    EXPECT_EQ(outs[1].section, "MEM0_OUT2");
    EXPECT_EQ(outs[1].index2, 1);
    EXPECT_EQ(outs[30].section, "MEM15_OUT1");

    const std::vector<Instance> events = Instances(kBufEventCondition);
    ASSERT_EQ(events.size(), 32u);
    EXPECT_EQ(events[0].section, "MEM0_BUFFERING");
    EXPECT_EQ(events[0].key, "EventCondition1");
    EXPECT_EQ(events[1].key, "EventCondition2");
    EXPECT_EQ(events[1].index1, 0);
    EXPECT_EQ(events[1].index2, 1);
    EXPECT_EQ(events[31].section, "MEM15_BUFFERING");
    EXPECT_EQ(events[31].index1, 15);

    const std::vector<Instance> work = Instances(kLwConfWorkNoDisp);
    ASSERT_EQ(work.size(), 2u);
    EXPECT_EQ(work[0].key, "WorkNoDispA");
    EXPECT_EQ(work[1].key, "WorkNoDispB");
    EXPECT_EQ(work[1].index1, 1);

    const std::vector<Instance> alias = Instances(kSoftMemAlias);
    ASSERT_EQ(alias.size(), 16u);
    EXPECT_EQ(alias[3].key, "MemAlias3");
    EXPECT_EQ(alias[3].index1, 3);
    EXPECT_EQ(alias[15].key, "MemAlias15");
    EXPECT_EQ(alias[15].section, "FORM_SOFTWARE");

    const std::vector<Instance> measured = Instances(kMeasMeasureValue);
    ASSERT_EQ(measured.size(), 2u);
    EXPECT_EQ(measured[1].key, "MeasureValue2");
    EXPECT_EQ(measured[1].index1, 1);
    EXPECT_EQ(measured[1].index2, 0);

    const std::vector<Instance> single = Instances(kAppLogFolder);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].section, "ZUL_APP_DATA");
    EXPECT_EQ(single[0].index1, 0);
}

TEST(ItemInstances, VisitorStopsTheWalk) {
    int visits = 0;
    EXPECT_FALSE(ForEachInstance(
        *FindItem(kHeadSetupMode),
        [&](const std::string&, const std::string&, int32_t, int32_t) { return ++visits < 3; }));
    EXPECT_EQ(visits, 3);
}

}  // namespace
}  // namespace zul

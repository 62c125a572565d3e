// SPDX-License-Identifier: GPL-3.0-or-later
// Defaults, validity, display and support of setting items against a UI definition written by
// the test.
#include <gtest/gtest.h>

#include "SettingsTestSupport.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"

namespace zul {
namespace {

using test::CompleteUiText;
using test::PrivateHome;
using test::WriteFile;

constexpr const char* kRecords = R"(
[SetupMode]
CtrlID=0x455
CtrlKind=6
Type=0
Default=5
SelectList=a,b,c
SelectVal=0,5,9
[FloodLight]
CtrlID=0x79C
CtrlKind=6
Type=2
SelectList=a,b
SelectVal=0,1
[AlarmDelay]
CtrlID=0x457
CtrlKind=5
Type=0
Default=3
MinVal=1
MaxVal=10
Unit=x
CtrlVer=200
[HMeasureMode]
CtrlID=0x78C
CtrlKind=16
Type=0
SelectList=x,y
SelectVal=7,8,9
[OpticalFilter]
CtrlID=0x459
CtrlKind=3
Type=0
Unit=zz
[Calib]
CtrlID=0x554
CtrlKind=5
Type=2
Default=0.25
MinVal=-1.5
MaxVal=2.5
Unit=mm
Micron=2
[ChkAll]
CtrlID=0x44D
CtrlKind=7
Type=1
Default=TRUE
Unit=u
[Version]
CtrlID=0x440
CtrlKind=8
Default="1.00"
[Usb]
CtrlID=0x401
Default="NoUSB"
Caption="No device"
[OutPattern]
CtrlID=0x46E
CtrlKind=6
Type=0
Default=2
SelectList=A,B,C,D
SelectVal=0,1,2,3
[Normal]
CtrlID=1154
CtrlKind=13
Type=0
Caption="Normal"
SelectVal=0
[Peak]
CtrlID=1155
CtrlKind=13
Type=0
Caption="Peak"
SelectVal=1
Default=1
[Bottom]
CtrlID=1156
CtrlKind=13
Type=0
Caption="Bottom"
SelectVal=2
[NotARadio]
CtrlID=1157
CtrlKind=5
Type=0
Caption="Not a radio"
SelectVal=3
[ModeList]
CtrlID=1658
CtrlKind=6
Type=0
Default=4
SelectList=N,P,B,PP,S
SelectVal=0,1,2,3,4
[Usb1]
CtrlID=0x430
CtrlKind=13
Type=0
Caption="USB"
SelectVal=0
[Rs1]
CtrlID=0x6DD
CtrlKind=13
Type=0
Caption="RS-232C"
SelectVal=1
Default=1
[Comma]
CtrlID=0x434
CtrlKind=13
Type=0
Caption="Comma"
SelectVal=0
Default=1
[Semicolon]
CtrlID=0x695
CtrlKind=13
Type=0
Caption="Semicolon"
SelectVal=1
[Tab]
CtrlID=0x698
CtrlKind=13
Type=0
Caption="Tab"
SelectVal=2
Default=1
)";

class ItemRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = home_.File("rules.frs");
        WriteFile(path, CompleteUiText(kRecords));
        ASSERT_EQ(ui_.Load(path), ZUL_OK);
    }

    PrivateHome home_;
    UiDefinition ui_;
    SettingsStore store_;
};

TEST_F(ItemRulesTest, ResetWritesEveryDefaultSource) {
    store_.SetInt(kSoftRs232cBCC, 7);       // no qualifying radio: keeps its value
    store_.SetInt(kMemCmnRs232cParity, 9);  // stub record: default 0
    store_.SetText(kAppLogFolder, "elsewhere");
    store_.SetInt(kCtrlLineState, 1);
    store_.SetDouble(kHeadCALIB_Span, 2.0, 0, 1);
    store_.ResetToDefaults(ui_);

    EXPECT_EQ(store_.GetInt(kSoftRs232cBCC), 7);
    EXPECT_EQ(store_.GetInt(kMemCmnRs232cParity), 0);
    EXPECT_EQ(store_.GetText(kAppLogFolder), "log");
    EXPECT_EQ(store_.GetText(kAppImageFolder), "image");
    EXPECT_EQ(store_.GetInt(kCtrlLineState), 0);
    EXPECT_EQ(store_.GetDouble(kHeadCALIB_Span, 0, 1), 0.0);
    for (int32_t bank = 0; bank < kBankCount; ++bank) {
        for (int32_t head = 0; head < kHeadCount; ++head) {
            EXPECT_EQ(store_.GetInt(kHeadSetupMode, bank, head), 5);
            EXPECT_EQ(store_.GetDouble(kHeadCALIB_MeasureValue1, bank, head), 0.25);
        }
        // The output pattern starts one further for OUT2.
        EXPECT_EQ(store_.GetInt(kOutOutPattern, bank, 0), 2);
        EXPECT_EQ(store_.GetInt(kOutOutPattern, bank, 1), 3);
        // Measurement mode: the first radio with a default.
        EXPECT_EQ(store_.GetInt(kOutMeasureMode, bank, 1), 1);
    }
    EXPECT_EQ(store_.GetText(kCtrlVersion), "1.00");
    EXPECT_EQ(store_.GetInt(kMainChkAll), 1);
    EXPECT_EQ(store_.GetInt(kSoftCommunicationType), 1);
    // Three radios are walked control3 first.
    EXPECT_EQ(store_.GetInt(kSoftCsvSeparator), 2);
}

TEST_F(ItemRulesTest, ResetSeedsTheUsbDeviceOnce) {
    store_.ResetToDefaults(ui_);
    store_.ResetToDefaults(ui_);
    EXPECT_EQ(store_.GetText(kSoftUsbConnect), "NoUSB");
    EXPECT_EQ(store_.CurrentDeviceName(), "NoUSB");
    EXPECT_EQ(store_.CurrentDeviceAlias(), "No device");
    std::vector<std::string> names;
    std::vector<std::string> aliases;
    store_.GetAliasLists(names, aliases);
    EXPECT_EQ(names, std::vector<std::string>{"NoUSB"});
    EXPECT_EQ(aliases, std::vector<std::string>{"No device"});
}

TEST_F(ItemRulesTest, GetItemDefaultByControlKind) {
    EXPECT_EQ(store_.GetItemDefault(ui_, kHeadSetupMode), 5);
    EXPECT_EQ(store_.GetItemDefault(ui_, kOutMeasureMode), 1);
    EXPECT_EQ(store_.GetItemDefault(ui_, kSoftCommunicationType), 1);
    EXPECT_EQ(store_.GetItemDefault(ui_, kSoftCsvSeparator), 2);
    EXPECT_EQ(store_.GetItemDefault(ui_, kLwConfGraphUpdateCycle), 0);  // stub record
    EXPECT_EQ(store_.GetItemDefault(ui_, kCtrlLineState), 0);
    EXPECT_EQ(store_.GetItemDefault(ui_, kOutOutPattern), 0);            // kind 7 has none
    EXPECT_EQ(store_.GetItemDefault(ui_, kHeadCALIB_MeasureValue1), 0);  // not an integer
    EXPECT_EQ(store_.GetItemDefault(ui_, 0), 0);
}

TEST_F(ItemRulesTest, RangeAndListValidation) {
    for (const auto& [value, invalid] :
         std::vector<std::pair<int32_t, bool>>{{0, true}, {1, false}, {10, false}, {11, true}}) {
        store_.SetInt(kHeadAlarmDelayTimes, value, 2, 1);
        EXPECT_EQ(store_.IsItemInvalid(ui_, kHeadAlarmDelayTimes, 2, 1), invalid) << value;
    }
    for (const auto& [value, invalid] :
         std::vector<std::pair<int32_t, bool>>{{0, false}, {5, false}, {9, false}, {1, true}}) {
        store_.SetInt(kHeadSetupMode, value, 0, 0);
        EXPECT_EQ(store_.IsItemInvalid(ui_, kHeadSetupMode, 0, 0), invalid) << value;
    }
    // A list whose record is not of integer type accepts nothing.
    store_.SetInt(kHeadFloodLightAjust, 0);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kHeadFloodLightAjust));
    // Kind 16: the value's position must also name a list text.
    for (const auto& [value, invalid] :
         std::vector<std::pair<int32_t, bool>>{{7, false}, {8, false}, {9, true}, {0, true}}) {
        store_.SetInt(kHeadHMeasureMode, value);
        EXPECT_EQ(store_.IsItemInvalid(ui_, kHeadHMeasureMode), invalid) << value;
    }
    // Real limits are inclusive.
    for (const auto& [value, invalid] : std::vector<std::pair<double, bool>>{
             {-1.5, false}, {2.5, false}, {-1.5000001, true}, {2.5000001, true}}) {
        store_.SetDouble(kHeadCALIB_MeasureValue1, value, 1, 0);
        EXPECT_EQ(store_.IsItemInvalid(ui_, kHeadCALIB_MeasureValue1, 1, 0), invalid) << value;
    }
    // No record, validation kind 0, text items and unknown ids are valid.
    const UiDefinition empty;
    store_.SetInt(kCommonSamplingCycle, -5);
    EXPECT_FALSE(store_.IsItemInvalid(empty, kCommonSamplingCycle));
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kCommonSamplingCycle));  // stub record: range 0..0
    EXPECT_FALSE(store_.IsItemInvalid(empty, kHeadAlarmDelayTimes));
    EXPECT_FALSE(store_.IsItemInvalid(ui_, kCtrlLineState));
    EXPECT_FALSE(store_.IsItemInvalid(ui_, 0));
    EXPECT_FALSE(store_.IsItemInvalid(ui_, kLastItemId + 1));
}

TEST_F(ItemRulesTest, RadioValidation) {
    for (const auto& [value, invalid] : std::vector<std::pair<int32_t, bool>>{
             {0, false}, {2, false}, {4, false}, {3, false}, {5, true}, {-1, true}}) {
        store_.SetInt(kOutMeasureMode, value, 3, 1);
        EXPECT_EQ(store_.IsItemInvalid(ui_, kOutMeasureMode, 3, 1), invalid) << value;
    }
    store_.SetInt(kSoftCommunicationType, 1);
    EXPECT_FALSE(store_.IsItemInvalid(ui_, kSoftCommunicationType));
    store_.SetInt(kSoftCommunicationType, 2);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kSoftCommunicationType));
    store_.SetInt(kSoftCsvSeparator, 2);
    EXPECT_FALSE(store_.IsItemInvalid(ui_, kSoftCsvSeparator));
    store_.SetInt(kSoftCsvSeparator, 3);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kSoftCsvSeparator));
}

TEST_F(ItemRulesTest, BufferingCountsValidation) {
    const int32_t bank = 6;
    store_.SetInt(kBufBufferType, 0, bank);
    store_.SetInt(kBufStoreNum, 32500, bank);
    EXPECT_FALSE(store_.IsItemInvalid(ui_, kBufStoreNum, bank));
    store_.SetInt(kBufStoreNum, 32501, bank);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kBufStoreNum, bank));
    store_.SetInt(kBufBufferType, 1, bank);
    EXPECT_FALSE(store_.IsItemInvalid(ui_, kBufStoreNum, bank));
    store_.SetInt(kBufStoreNum, 65000, bank);
    EXPECT_FALSE(store_.IsItemInvalid(ui_, kBufStoreNum, bank));
    store_.SetInt(kBufStoreNum, 65001, bank);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kBufStoreNum, bank));
    store_.SetInt(kBufStoreNum, 0, bank);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kBufStoreNum, bank));
    // Another bank's type does not count.
    store_.SetInt(kBufStoreNum, 40000, bank + 1);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kBufStoreNum, bank + 1));

    store_.SetInt(kBufStoreNum, 10, bank);
    store_.SetInt(kBufSampleTriggerStoreNum, 3, bank);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kBufSampleTriggerStoreNum, bank));
    store_.SetInt(kBufSampleTriggerStoreNum, 5, bank);
    EXPECT_FALSE(store_.IsItemInvalid(ui_, kBufSampleTriggerStoreNum, bank));
    store_.SetInt(kBufSampleTriggerStoreNum, 10, bank);
    EXPECT_FALSE(store_.IsItemInvalid(ui_, kBufSampleTriggerStoreNum, bank));
    store_.SetInt(kBufSampleTriggerStoreNum, 20, bank);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kBufSampleTriggerStoreNum, bank));
    store_.SetInt(kBufSampleTriggerStoreNum, 0, bank);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kBufSampleTriggerStoreNum, bank));

    store_.SetInt(kBufTriggerPoint, 10, bank);
    EXPECT_FALSE(store_.IsItemInvalid(ui_, kBufTriggerPoint, bank));
    store_.SetInt(kBufTriggerPoint, 11, bank);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kBufTriggerPoint, bank));
    store_.SetInt(kBufTriggerPoint, 0, bank);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kBufTriggerPoint, bank));
    store_.SetInt(kBufStoreNum, 70000, bank);
    store_.SetInt(kBufTriggerPoint, 65001, bank);
    EXPECT_TRUE(store_.IsItemInvalid(ui_, kBufTriggerPoint, bank));
}

TEST_F(ItemRulesTest, DisplayTexts) {
    const MicronMode off;
    store_.SetInt(kHeadSetupMode, 9, 0, 1);
    EXPECT_EQ(store_.FormatItem(ui_, off, kHeadSetupMode, 0, 1), "c");
    store_.SetInt(kHeadSetupMode, 4, 0, 1);
    EXPECT_EQ(store_.FormatItem(ui_, off, kHeadSetupMode, 0, 1), "4");
    store_.SetInt(kHeadAlarmDelayTimes, -3);
    EXPECT_EQ(store_.FormatItem(ui_, off, kHeadAlarmDelayTimes), "-3x");
    store_.SetInt(kMainChkAll, 1);
    EXPECT_EQ(store_.FormatItem(ui_, off, kMainChkAll), "1");
    store_.SetInt(kHeadOpticalFilter, 2);
    EXPECT_EQ(store_.FormatItem(ui_, off, kHeadOpticalFilter), "2");
    store_.SetText(kCtrlVersion, "2.10");
    EXPECT_EQ(store_.FormatItem(ui_, off, kCtrlVersion), "2.10");
    store_.SetInt(kCtrlLineState, 1);
    EXPECT_EQ(store_.FormatItem(ui_, off, kCtrlLineState), "1");
    EXPECT_EQ(store_.FormatItem(ui_, off, kLastItemId + 1), "");

    store_.SetDouble(kHeadCALIB_MeasureValue1, 0.00125, 15, 1);
    EXPECT_EQ(store_.FormatItem(ui_, off, kHeadCALIB_MeasureValue1, 15, 1), "0.001250mm");
    MicronMode on;
    on.active = true;
    on.factor = 1000.0;
    on.decimals = 3;
    on.unit = "um";
    EXPECT_EQ(store_.FormatItem(ui_, on, kHeadCALIB_MeasureValue1, 15, 1), "1.250mm");
    ui_.ApplyMicronMode(true, on.unit);
    EXPECT_EQ(store_.FormatItem(ui_, on, kHeadCALIB_MeasureValue1, 15, 1), "1.250um");

    store_.SetInt(kOutMeasureMode, 2);
    EXPECT_EQ(store_.FormatItem(ui_, off, kOutMeasureMode), "Bottom");
    store_.SetInt(kOutMeasureMode, 4);
    EXPECT_EQ(store_.FormatItem(ui_, off, kOutMeasureMode), "S");
    store_.SetInt(kOutMeasureMode, 8);
    EXPECT_EQ(store_.FormatItem(ui_, off, kOutMeasureMode), "8");
    store_.SetInt(kSoftCommunicationType, 1);
    EXPECT_EQ(store_.FormatItem(ui_, off, kSoftCommunicationType), "RS-232C");
    store_.SetInt(kSoftCsvSeparator, 1);
    EXPECT_EQ(store_.FormatItem(ui_, off, kSoftCsvSeparator), "Semicolon");
}

TEST_F(ItemRulesTest, SupportFollowsTheFirmware) {
    EXPECT_FALSE(store_.IsItemSupported(ui_, 0x1FF, kHeadAlarmDelayTimes));
    EXPECT_TRUE(store_.IsItemSupported(ui_, 0x200, kHeadAlarmDelayTimes));
    EXPECT_TRUE(store_.IsItemSupported(ui_, 0, kHeadSetupMode));
    EXPECT_TRUE(store_.IsItemSupported(ui_, 0, kOutMeasureMode));
    EXPECT_FALSE(store_.IsItemSupported(ui_, 0xFFFF, kCtrlLineState));
    EXPECT_FALSE(store_.IsItemSupported(ui_, 0xFFFF, 0));
}

TEST(ItemRulesFallback, MeasureModeFallsBackToTheList) {
    PrivateHome home;
    const std::string path = home.File("fallback.frs");
    WriteFile(path, CompleteUiText("[ModeList]\nCtrlID=1658\nCtrlKind=6\nType=0\nDefault=4\n"
                                   "SelectList=N,P,B,PP,S\nSelectVal=0,1,2,3,4\n"));
    UiDefinition ui;
    ASSERT_EQ(ui.Load(path), ZUL_OK);
    SettingsStore store;
    store.SetInt(kOutMeasureMode, 1, 0, 0);
    store.ResetToDefaults(ui);
    EXPECT_EQ(store.GetInt(kOutMeasureMode, 0, 0), 4);
    EXPECT_EQ(store.GetItemDefault(ui, kOutMeasureMode), 4);

    // A list of another type gives no default: the value stays.
    WriteFile(path, CompleteUiText("[ModeList]\nCtrlID=1658\nCtrlKind=6\nType=2\nDefault=4\n"));
    ASSERT_EQ(ui.Load(path), ZUL_OK);
    store.SetInt(kOutMeasureMode, 1, 0, 0);
    store.ResetToDefaults(ui);
    EXPECT_EQ(store.GetInt(kOutMeasureMode, 0, 0), 1);
}

}  // namespace
}  // namespace zul

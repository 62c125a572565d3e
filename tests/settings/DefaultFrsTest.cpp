// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped UI definition: complete, consistent, and its defaults valid.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "SettingsTestSupport.h"
#include "base/NumberText.h"
#include "base/ProfileText.h"
#include "settings/ItemInstances.h"
#include "settings/MessageTexts.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"

namespace zul {
namespace {

using test::PrivateHome;

class DefaultFrsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResultInfo info;
        ASSERT_EQ(ui_.Load(test::ShippedUiDefinitionPath(), &info), ZUL_OK)
            << info.detail1 << " " << info.detail2;
    }

    PrivateHome home_;
    UiDefinition ui_;
};

TEST_F(DefaultFrsTest, DefaultsAreValidForEveryInstance) {
    SettingsStore store;
    store.ResetToDefaults(ui_);
    for (int32_t id = kFirstItemId; id <= kLastItemId; ++id) {
        ForEachInstance(*FindItem(id), [&](const std::string& section, const std::string& key,
                                           int32_t index1, int32_t index2) {
            EXPECT_FALSE(store.IsItemInvalid(ui_, id, index1, index2))
                << section << "/" << key << " = "
                << store.FormatItem(ui_, MicronMode{}, id, index1, index2);
            return true;
        });
    }
    EXPECT_EQ(store.GetText<kSoftUsbConnect>(), "NoUSB");
    EXPECT_EQ(store.GetInt<kOutOutPattern>(0, 1), store.GetInt<kOutOutPattern>(0, 0) + 1);
}

TEST_F(DefaultFrsTest, ChoiceListsAreConsistent) {
    for (int32_t id = kFirstItemId; id <= kLastItemId; ++id) {
        const SettingItem& item = *FindItem(id);
        for (int32_t control : {item.control1, item.control2, item.control3}) {
            if (control == 0) {
                continue;
            }
            const UiControlRecord* record = ui_.FindById(control);
            ASSERT_NE(record, nullptr) << control;
            EXPECT_FALSE(UnquoteText(record->caption).empty()) << record->name;
            if (record->ctrlKind != kUiKindList) {
                continue;
            }
            const auto texts = SplitCommaList(record->selectList);
            const auto values = SplitCommaList(record->selectValues);
            EXPECT_EQ(texts.size(), values.size()) << record->name;
            EXPECT_FALSE(values.empty()) << record->name;
            EXPECT_EQ(record->type, kUiTypeInt) << record->name;
            std::set<int32_t> distinct;
            for (const std::string& v : values) {
                distinct.insert(ParseDecimal(v));
            }
            EXPECT_EQ(distinct.size(), values.size()) << record->name;
            EXPECT_TRUE(distinct.count(record->defaultValue.integer)) << record->name;
        }
    }
    // The measurement-mode list and radios.
    const UiControlRecord* list = ui_.FindById(kMeasureModeList);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ctrlKind, kUiKindList);
    EXPECT_EQ(list->type, kUiTypeInt);
    int defaults = 0;
    for (int32_t id = kMeasureModeRadioFirst; id <= kMeasureModeRadioLast; ++id) {
        const UiControlRecord* radio = ui_.FindById(id);
        ASSERT_NE(radio, nullptr);
        EXPECT_EQ(radio->ctrlKind, kUiKindRadio);
        defaults += radio->defaultValue.integer != 0 ? 1 : 0;
    }
    EXPECT_EQ(defaults, 1);
    const UiControlRecord* buffer = ui_.FindById(kBufferModeRecordId);
    ASSERT_NE(buffer, nullptr);
    EXPECT_GE(SplitCommaList(buffer->selectList).size(), 4u);
}

TEST_F(DefaultFrsTest, RangesFitTheRegisterEncodings) {
    for (int32_t id = kFirstItemId; id <= kLastItemId; ++id) {
        const SettingItem& item = *FindItem(id);
        const UiControlRecord* record = item.control1 ? ui_.FindById(item.control1) : nullptr;
        if (!record || record->ctrlKind == kUiKindList || record->ctrlKind == kUiKindRadio) {
            continue;
        }
        if (item.valueType == kValueReal) {
            EXPECT_EQ(record->type, kUiTypeReal) << record->name;
            EXPECT_LT(std::fabs(record->minValue.real), 1000.0) << record->name;
            EXPECT_LT(std::fabs(record->maxValue.real), 1000.0) << record->name;
            EXPECT_LE(record->minValue.real, record->maxValue.real) << record->name;
        } else if (item.valueType == kValueInt && record->type == kUiTypeInt &&
                   item.validationKind == 1) {
            EXPECT_LE(record->minValue.integer, record->maxValue.integer) << record->name;
            EXPECT_GE(record->minValue.integer, 0) << record->name;
            EXPECT_LE(record->maxValue.integer, 99999) << record->name;
        }
    }
}

TEST_F(DefaultFrsTest, EveryResultAndMessageHasItsOwnText) {
    std::set<std::string> texts;
    for (int32_t code = 0; code < kResultCodeCount; ++code) {
        if (code == 23) {
            continue;
        }
        const std::string text = ui_.GetErrorText(code);
        EXPECT_NE(text, kNoStringData) << code;
        EXPECT_TRUE(texts.insert(text).second) << "duplicate text for " << code;
    }
    for (int32_t index = 0; index < kMessageCount; ++index) {
        const std::string text = ui_.GetMessageText(index);
        EXPECT_NE(text, kNoStringData) << index;
        EXPECT_TRUE(texts.insert(text).second) << "duplicate text for message " << index;
    }
    EXPECT_NE(ui_.GetMessageText(kMsgConfirmSaveSetOpen).find("%1"), std::string::npos);
    EXPECT_NE(ui_.GetErrorText(ZUL_ERR_INI_FILE_LOCKED).find("%1"), std::string::npos);
    EXPECT_NE(ui_.GetErrorText(ZUL_ERR_OS_RS_OPEN).find("%1"), std::string::npos);
    EXPECT_NE(ui_.GetErrorText(ZUL_ERR_FT_USB_OPEN).find("%2"), std::string::npos);
}

TEST_F(DefaultFrsTest, OptionRecords) {
    const UiControlRecord* micron = ui_.FindByName("ZUL_MODE_MICRON");
    ASSERT_NE(micron, nullptr);
    EXPECT_EQ(ParseReal(micron->defaultValue.text), 1000.0);
    EXPECT_EQ(micron->unit, "µm");
    EXPECT_EQ(ParseDecimal(micron->minValue.text), 3);
    const UiControlRecord* versions = ui_.FindByName("ZUL_MODE_V");
    ASSERT_NE(versions, nullptr);
    const auto list = SplitCommaList(versions->selectList);
    ASSERT_EQ(list.size(), 8u);
    EXPECT_EQ(ParseHexUnsigned(list[0]), 0x123u);
    EXPECT_EQ(ParseHexUnsigned(list[7]), 0x224u);
    ASSERT_NE(ui_.FindByName("ZUL_RECONNECT_TIME"), nullptr);
    EXPECT_GT(ParseDecimal(ui_.FindByName("ZUL_RECONNECT_TIME")->defaultValue.text), 0);
    ASSERT_NE(ui_.FindByName("ZUL_RECONNECT_RETRY"), nullptr);
    EXPECT_GT(ParseDecimal(ui_.FindByName("ZUL_RECONNECT_RETRY")->defaultValue.text), 0);
    EXPECT_NE(ui_.FindByName("ZUL_FONT"), nullptr);
}

TEST_F(DefaultFrsTest, MicronModeShowsMicrometres) {
    SettingsStore store;
    store.ResetToDefaults(ui_);
    store.SetDouble<kOutDecisionMax>(1.2345, 0, 0);
    MicronMode micron{true, 1000.0, "µm", 3};
    ui_.ApplyMicronMode(true, micron.unit);
    EXPECT_EQ(store.FormatItem(ui_, micron, kOutDecisionMax, 0, 0), "1234.500µm");
    ui_.ApplyMicronMode(false, micron.unit);
    EXPECT_EQ(store.FormatItem(ui_, MicronMode{}, kOutDecisionMax, 0, 0), "1.234500mm");
    EXPECT_EQ(store.FormatItem(ui_, MicronMode{}, kOutAverageTimes, 0, 0), "16");
}

}  // namespace
}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/UiDefinition.h"

#include <gtest/gtest.h>

#include "SettingsTestSupport.h"

namespace zul {
namespace {

using test::CompleteUiText;
using test::TestFolder;
using test::WriteFile;

class UiDefinitionTest : public ::testing::Test {
protected:
    int32_t LoadText(const std::string& text, ResultInfo* info = nullptr) {
        const std::string path = folder_.File("default.frs");
        WriteFile(path, text);
        return ui_.Load(path, info);
    }

    TestFolder folder_;
    UiDefinition ui_;
};

TEST_F(UiDefinitionTest, ReadsFieldsAndConvertsByType) {
    ASSERT_EQ(LoadText(CompleteUiText(R"(
; leading comment
CtrlID=99
[  BufferMode  ]
ctrlid=0x4F8
CtrlKind=6
Type=0
Default=2
MinVal=-3
MaxVal=12abc
Caption="Mode; with semicolon" ; comment
SelectList="A,""B, quoted"",C"
SelectVal=0,1,2
[Flag]
CtrlID=0x10
Type=1
Default=true
MaxVal=7
[Octal]
CtrlID=010
Type=2
Default=1.25
MinVal=-0.5
MaxVal=xyz
[Texts]
CtrlID=11
Default="some text"
Tooltip="tip"
Unit=mm
CtrlVer=H1A2
Visible=1
Enable=1
)")),
              ZUL_OK);

    const UiControlRecord* mode = ui_.FindById(1272);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->name, "BufferMode");
    EXPECT_EQ(mode->ctrlKind, 6);
    EXPECT_EQ(mode->defaultValue.integer, 2);
    EXPECT_EQ(mode->minValue.integer, -3);
    EXPECT_EQ(mode->maxValue.integer, 12);
    EXPECT_EQ(mode->caption, "Mode; with semicolon");

    const UiControlRecord* flag = ui_.FindById(0x10);
    ASSERT_NE(flag, nullptr);
    EXPECT_EQ(flag->defaultValue.integer, 1);
    EXPECT_EQ(flag->minValue.integer, 0);
    EXPECT_EQ(flag->maxValue.integer, 1);

    const UiControlRecord* octal = ui_.FindById(8);
    ASSERT_NE(octal, nullptr);
    EXPECT_DOUBLE_EQ(octal->defaultValue.real, 1.25);
    EXPECT_DOUBLE_EQ(octal->minValue.real, -0.5);
    EXPECT_DOUBLE_EQ(octal->maxValue.real, 0.0);

    const UiControlRecord* texts = ui_.FindById(11);
    ASSERT_NE(texts, nullptr);
    EXPECT_EQ(texts->type, kUiTypeText);
    EXPECT_EQ(texts->defaultValue.text, "some text");
    EXPECT_EQ(texts->unit, "mm");
    EXPECT_EQ(texts->ctrlVersion, 0x1A2u);
    EXPECT_TRUE(texts->hideIfUnsupported);
    EXPECT_EQ(texts->originalVisible, 1);
    EXPECT_EQ(texts->originalEnable, 1);

    // The key line before the first section set nothing; id 99 has no record.
    EXPECT_EQ(ui_.FindById(99), nullptr);
    EXPECT_EQ(ui_.FindById(0), nullptr);
    EXPECT_EQ(ui_.FindByName(""), nullptr);
    EXPECT_EQ(ui_.FindByName("bUFFERmODE"), mode);
}

TEST_F(UiDefinitionTest, ByteOrderMarkAndLineEnds) {
    ASSERT_EQ(LoadText("\xEF\xBB\xBF[First]\r\nCtrlID=1000\r\n" + CompleteUiText("")), ZUL_OK);
    ASSERT_NE(ui_.FindByName("First"), nullptr);
    EXPECT_EQ(ui_.FindByName("First")->ctrlId, 1000);
}

TEST_F(UiDefinitionTest, FirstRecordOfAnIdWins) {
    ASSERT_EQ(LoadText(CompleteUiText("[First]\nCtrlID=1000\n[Second]\nCtrlID=1000\n")), ZUL_OK);
    EXPECT_EQ(ui_.FindById(1000)->name, "First");
}

TEST_F(UiDefinitionTest, LoadFailures) {
    ResultInfo info;
    EXPECT_EQ(ui_.Load(folder_.File("missing.frs"), &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.code, ZUL_ERR_FILE_READ);

    EXPECT_EQ(LoadText(CompleteUiText("[Bad]\nCtrlID=5\nType=4\n"), &info), ZUL_ERR);
    EXPECT_EQ(LoadText(CompleteUiText("[Bad]\nType=-1\n"), &info), ZUL_ERR);

    // Each kind of required record, left out, fails the load.
    std::string text = CompleteUiText("");
    for (const std::string& needle :
         {std::string("[Req1005]\nCtrlID=1005\n"), std::string("[Bufferiing_MenuDisplay]"),
          std::string("[ZUL_ERR_INI_FILE_LOCKED]"),
          std::string("[ZUL_MSG_CONFIRM_SAVE_SET_OPEN]")}) {
        std::string broken = text;
        const size_t at = broken.find(needle);
        ASSERT_NE(at, std::string::npos) << needle;
        broken.replace(
            at, needle.size(),
            needle.front() == '[' && needle.back() == ']' ? "[Renamed]" : "[Req1005]\nCtrlID=1\n");
        EXPECT_EQ(LoadText(broken, &info), ZUL_ERR) << needle;
    }
    EXPECT_EQ(LoadText(text, &info), ZUL_OK);
    EXPECT_TRUE(info.Ok());
}

TEST_F(UiDefinitionTest, AtMost2000Sections) {
    std::string text = CompleteUiText("");
    size_t sections = 0;
    for (char c : text) {
        sections += c == '[' ? 1 : 0;
    }
    std::string filler;
    for (size_t i = sections; i < kMaxUiRecords; ++i) {
        filler += "[Filler" + std::to_string(i) + "]\n";
    }
    EXPECT_EQ(LoadText(text + filler), ZUL_OK);
    EXPECT_EQ(ui_.RecordCount(), kMaxUiRecords);
    EXPECT_EQ(LoadText(text + filler + "[OneTooMany]\n"), ZUL_ERR);
    EXPECT_EQ(ui_.RecordCount(), kMaxUiRecords);
}

TEST_F(UiDefinitionTest, ControllerVersionDisablesAndHides) {
    ASSERT_EQ(
        LoadText(CompleteUiText("[Hide]\nCtrlID=1\nCtrlVer=h200\n[Disable]\nCtrlID=2\nCtrlVer=200\n"
                                "[Hidden]\nCtrlID=3\nVisible=1\nEnable=1\n")),
        ZUL_OK);
    ui_.ApplyControllerVersion(0x1FF);
    EXPECT_EQ(ui_.FindById(1)->enable, 1);
    EXPECT_EQ(ui_.FindById(1)->visible, 1);
    EXPECT_EQ(ui_.FindById(2)->enable, 1);
    EXPECT_EQ(ui_.FindById(2)->visible, 0);
    ui_.ApplyControllerVersion(0x200);
    EXPECT_EQ(ui_.FindById(1)->enable, 0);
    EXPECT_EQ(ui_.FindById(1)->visible, 0);
    EXPECT_EQ(ui_.FindById(2)->enable, 0);
    // The file's own state is restored, not cleared.
    EXPECT_EQ(ui_.FindById(3)->enable, 1);
    EXPECT_EQ(ui_.FindById(3)->visible, 1);
}

TEST_F(UiDefinitionTest, FillChoiceList) {
    ASSERT_EQ(LoadText(CompleteUiText(
                  "[L]\nCtrlID=1\nType=0\nDefault=20\nSelectList=a,b,c,d\nSelectVal=10,20,30\n"
                  "[Banks]\nCtrlID=2\nType=0\nSelectList=M0,M1\nSelectVal=0,1\nEnable=1\n"
                  "[Empty]\nCtrlID=3\nType=0\n")),
              ZUL_OK);
    ChoiceList list = ui_.FillChoiceList(1, 30);
    ASSERT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(list.entries[2].text, "c");
    EXPECT_EQ(list.entries[2].value, 30);
    EXPECT_EQ(list.selected, 2);
    EXPECT_EQ(ui_.FillChoiceList(1, -1).selected, 1);  // the default, 20
    EXPECT_EQ(ui_.FillChoiceList(1, 99).selected, 0);
    EXPECT_TRUE(list.enabled);

    std::array<std::string, 16> aliases{};
    aliases[1] = "Line B";
    list = ui_.FillChoiceList(2, 1, &aliases);
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[0].text, "M0 ");
    EXPECT_EQ(list.entries[1].text, "M1 Line B");
    EXPECT_EQ(list.selected, 1);
    EXPECT_FALSE(list.enabled);

    EXPECT_TRUE(ui_.FillChoiceList(3, 0).entries.empty());
    EXPECT_EQ(ui_.FillChoiceList(3, 0).selected, -1);
    EXPECT_TRUE(ui_.FillChoiceList(4242, 0).entries.empty());
}

TEST_F(UiDefinitionTest, BufferModeChoicesFollowTheFirmware) {
    ASSERT_EQ(LoadText(CompleteUiText(
                  "[BufferMode]\nCtrlID=1272\nType=0\nDefault=2\n"
                  "SelectList=\"\"\"Stop, when full\"\",Trigger,Continuous,Sampling,Extra\"\n"
                  "SelectVal=0,1,2,3,4\nSelectCnt=5\n")),
              ZUL_OK);
    auto texts = [&] {
        std::string joined;
        for (const ChoiceEntry& e : ui_.FillChoiceList(1272, 0).entries) {
            joined += e.text + "=" + std::to_string(e.value) + ";";
        }
        return joined;
    };
    const UiControlRecord* record = ui_.FindById(1272);

    ui_.RestrictBufferModeChoices(0x122, 0x123, 0x200);
    EXPECT_EQ(texts(), "Stop, when full=0;");
    EXPECT_EQ(record->selectCount, 1);
    EXPECT_EQ(record->defaultValue.integer, 0);

    ui_.RestrictBufferModeChoices(0x123, 0x123, 0x200);
    EXPECT_EQ(texts(), "Stop, when full=0;Continuous=2;");
    EXPECT_EQ(record->selectCount, 2);
    EXPECT_EQ(record->defaultValue.integer, 2);

    ui_.RestrictBufferModeChoices(0x200, 0x123, 0x200);
    EXPECT_EQ(texts(), "Stop, when full=0;Trigger=1;Continuous=2;Sampling=3;");
    EXPECT_EQ(record->selectCount, 4);
    EXPECT_EQ(record->defaultValue.integer, 0);
}

TEST_F(UiDefinitionTest, MicronModeReplacesMillimetres) {
    ASSERT_EQ(
        LoadText(CompleteUiText("[Cap]\nCtrlID=1\nCaption=\"Range mm to mm\"\nUnit=mm\nMicron=1\n"
                                "[Unit]\nCtrlID=2\nCaption=mm\nUnit=mm\nMicron=2\n"
                                "[None]\nCtrlID=3\nCaption=mm\nUnit=mm\n")),
        ZUL_OK);
    ui_.ApplyMicronMode(true, "um");
    EXPECT_EQ(ui_.FindById(1)->caption, "Range um to um");
    EXPECT_EQ(ui_.FindById(1)->unit, "mm");
    EXPECT_EQ(ui_.FindById(2)->caption, "mm");
    EXPECT_EQ(ui_.FindById(2)->unit, "um");
    EXPECT_EQ(ui_.FindById(3)->unit, "mm");
    // Applying twice does not compound, and switching off restores the file's texts.
    ui_.ApplyMicronMode(true, "xmm");
    EXPECT_EQ(ui_.FindById(2)->unit, "xmm");
    ui_.ApplyMicronMode(false, "um");
    EXPECT_EQ(ui_.FindById(1)->caption, "Range mm to mm");
    EXPECT_EQ(ui_.FindById(2)->unit, "mm");
}

TEST_F(UiDefinitionTest, ErrorAndMessageTexts) {
    ASSERT_EQ(LoadText(CompleteUiText("[zul_err_range]\nCaption=\"Out of range:\\n%1\"\n"
                                      "[ZUL_MSG_SAVE_MEM_DONE]\nCaption=\"Saved \\x41\\\\\"\n")),
              ZUL_OK);
    EXPECT_EQ(ui_.GetErrorText(ZUL_ERR_RANGE), "Out of range:\n%1");
    EXPECT_EQ(ui_.GetMessageText(kMsgSaveMemDone), "Saved A\\");
    EXPECT_EQ(ui_.GetErrorText(ZUL_ERR_ABORT), "text of ZUL_ERR_ABORT");
    EXPECT_EQ(ui_.GetErrorText(36), kNoStringData);
    EXPECT_EQ(ui_.GetErrorText(-1), kNoStringData);
    EXPECT_EQ(ui_.GetErrorText(23), kNoStringData);
    EXPECT_EQ(ui_.GetMessageText(10), kNoStringData);
    EXPECT_EQ(ui_.GetMessageText(-1), kNoStringData);
}

TEST(UiDefinitionEmpty, NothingLoadedGivesNoStringData) {
    UiDefinition ui;
    EXPECT_EQ(ui.GetErrorText(ZUL_OK), kNoStringData);
    EXPECT_EQ(ui.FindById(1272), nullptr);
}

}  // namespace
}  // namespace zul

namespace zul {
namespace {

TEST(UiDefinitionPath, TheShippedFileIsFoundFromTheBuildTree) {
    const std::string path = UiDefinition::DefaultPath();
    EXPECT_EQ(path.substr(path.size() - 12), "/default.frs");
    UiDefinition ui;
    EXPECT_EQ(ui.Load(path), ZUL_OK) << path;
}

}  // namespace
}  // namespace zul

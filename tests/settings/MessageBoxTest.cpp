// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/MessageBox.h"

#include <gtest/gtest.h>

#include <deque>

#include "SettingsTestSupport.h"
#include "settings/MessageTexts.h"
#include "settings/UiDefinition.h"

namespace zul {
namespace {

using test::CompleteUiText;
using test::TestFolder;
using test::WriteFile;

// Records every box and answers from a script.
class RecordingHost : public MessageBoxHost {
public:
    struct Shown {
        std::string text;
        MessageBoxStyle style;
    };
    std::vector<Shown> shown;
    std::vector<bool> cursor;
    std::deque<MessageBoxAnswer> answers;

    MessageBoxAnswer ShowMessageBox(const std::string& text, MessageBoxStyle style) override {
        shown.push_back({text, style});
        if (answers.empty()) {
            return kAnswerOk;
        }
        const MessageBoxAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void SetWaitCursor(bool on) override { cursor.push_back(on); }
};

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = folder_.File("texts.frs");
        WriteFile(path, CompleteUiText(R"(
[ZUL_ERR_OS_RS_OPEN]
Caption="Port %1 cannot be opened (%2).\nTry %1 again."
[ZUL_ERR_RANGE]
Caption="Value out of range."
[ZUL_MSG_CONFIRM_SAVE_MEM]
Caption="Save bank %1 %2?"
[ZUL_MSG_SAVE_MEM_DONE]
Caption="Bank %1 saved."
)"));
        ASSERT_EQ(ui_.Load(path), ZUL_OK);
    }

    TestFolder folder_;
    UiDefinition ui_;
    RecordingHost host_;
};

TEST(SubstituteDetails, ReplacesBothPlaceholdersInOnePass) {
    EXPECT_EQ(SubstituteDetails("%1-%2-%1", "a", "b"), "a-b-a");
    EXPECT_EQ(SubstituteDetails("no details", "a", "b"), "no details");
    // A detail holding a placeholder is inserted as it stands.
    EXPECT_EQ(SubstituteDetails("%1 and %2", "%2", "%1"), "%2 and %1");
    EXPECT_EQ(SubstituteDetails("100%, %3 %", "x", "y"), "100%, %3 %");
    EXPECT_EQ(SubstituteDetails("%", "x", "y"), "%");
    EXPECT_EQ(SubstituteDetails("%%1", "x", "y"), "%x");
}

TEST(MessageKeys, AllTenInOrder) {
    EXPECT_EQ(MessageKey(kMsgConfirmSaveMem), "ZUL_MSG_CONFIRM_SAVE_MEM");
    EXPECT_EQ(MessageKey(kMsgInitMemDone), "ZUL_MSG_INIT_MEM_DONE");
    EXPECT_EQ(MessageKey(kMsgDeleteAssocDone), "ZUL_MSG_DELETEASSOC_DONE");
    EXPECT_EQ(MessageKey(kMsgConfirmSaveSetOpen), "ZUL_MSG_CONFIRM_SAVE_SET_OPEN");
    EXPECT_EQ(MessageKey(10), "");
    EXPECT_EQ(MessageKey(-1), "");
}

TEST_F(MessageBoxTest, ReportShowsTheResultTextWithDetails) {
    ResultInfo result;
    SetResult(&result, ZUL_ERR_OS_RS_OPEN, 13, "COM5", "busy");
    ReportResult(host_, ui_, result);
    ASSERT_EQ(host_.shown.size(), 1u);
    EXPECT_EQ(host_.shown[0].text, "Port COM5 cannot be opened (busy).\nTry COM5 again.");
    EXPECT_EQ(host_.shown[0].style, kMbError);

    SetResult(&result, ZUL_ERR_RANGE, 0, "ignored");
    ReportResult(host_, ui_, result);
    EXPECT_EQ(host_.shown[1].text, "Value out of range.");

    SetResult(&result, 36);
    ReportResult(host_, ui_, result);
    EXPECT_EQ(host_.shown[2].text, kNoStringData);

    ReportResult(host_, ui_, ResultInfo{});
    EXPECT_EQ(host_.shown.size(), 3u);
}

TEST_F(MessageBoxTest, ConfirmedActionRunsAndNotifies) {
    host_.answers = {kAnswerYes};
    int runs = 0;
    const int32_t code = ConfirmThenAct(
        host_, ui_, kMsgConfirmSaveMem, kMsgSaveMemDone,
        [&](ResultInfo* info) {
            ++runs;
            EXPECT_EQ(host_.cursor, std::vector<bool>{true});
            ClearResult(info);
            return ZUL_OK;
        },
        "3", "(Line C)");
    EXPECT_EQ(code, ZUL_OK);
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(host_.shown.size(), 2u);
    EXPECT_EQ(host_.shown[0].text, "Save bank 3 (Line C)?");
    EXPECT_EQ(host_.shown[0].style, kMbYesNo);
    EXPECT_EQ(host_.shown[1].text, "Bank 3 saved.");
    EXPECT_EQ(host_.shown[1].style, kMbNotice);
    EXPECT_EQ(host_.cursor, (std::vector<bool>{true, false}));
}

TEST_F(MessageBoxTest, AnythingButYesDoesNothing) {
    for (MessageBoxAnswer answer : {kAnswerNo, kAnswerCancel, kAnswerOk}) {
        host_.shown.clear();
        host_.answers = {answer};
        int runs = 0;
        EXPECT_EQ(ConfirmThenAct(host_, ui_, kMsgConfirmSaveMem, kMsgSaveMemDone,
                                 [&](ResultInfo*) {
                                     ++runs;
                                     return ZUL_OK;
                                 }),
                  ZUL_ERR_ABORT);
        EXPECT_EQ(runs, 0);
        EXPECT_EQ(host_.shown.size(), 1u);
    }
    EXPECT_TRUE(host_.cursor.empty());
}

TEST_F(MessageBoxTest, FailedActionIsReportedInsteadOfTheNotice) {
    host_.answers = {kAnswerYes};
    const int32_t code = ConfirmThenAct(
        host_, ui_, kMsgConfirmSaveMem, kMsgSaveMemDone,
        [&](ResultInfo* info) { return SetResult(info, ZUL_ERR_OS_RS_OPEN, 2, "COM1", "gone"); });
    EXPECT_EQ(code, ZUL_ERR_OS_RS_OPEN);
    ASSERT_EQ(host_.shown.size(), 2u);
    EXPECT_EQ(host_.shown[1].text, "Port COM1 cannot be opened (gone).\nTry COM1 again.");
    EXPECT_EQ(host_.shown[1].style, kMbError);
    EXPECT_EQ(host_.cursor, (std::vector<bool>{true, false}));

    // An action that returns a failure without filling the record still reports that code.
    host_.answers = {kAnswerYes};
    EXPECT_EQ(ConfirmThenAct(host_, ui_, kMsgConfirmSaveMem, kMsgSaveMemDone,
                             [](ResultInfo*) { return int32_t{ZUL_ERR_RANGE}; }),
              ZUL_ERR_RANGE);
    EXPECT_EQ(host_.shown.back().text, "Value out of range.");
}

}  // namespace
}  // namespace zul

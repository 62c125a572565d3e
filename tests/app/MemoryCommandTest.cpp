// SPDX-License-Identifier: GPL-3.0-or-later
// The connect sequence and the memory-bank commands against the emulated controller.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/MemoryCommands.h"

namespace zul::test {
namespace {

class ScriptedHost : public MessageBoxHost {
public:
    explicit ScriptedHost(MessageBoxAnswer answer) : answer_(answer) {}
    MessageBoxAnswer ShowMessageBox(const std::string& text, MessageBoxStyle style) override {
        shown.emplace_back(style, text);
        return style == kMbYesNo || style == kMbYesNoCancel ? answer_ : kAnswerOk;
    }
    std::vector<std::pair<MessageBoxStyle, std::string>> shown;

private:
    MessageBoxAnswer answer_;
};

size_t Count(const std::vector<std::string>& frames, std::string_view prefix) {
    size_t n = 0;
    for (const std::string& f : frames) {
        n += f.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return n;
}

using ConnectTest = EmulatorTest;

TEST_F(ConnectTest, ConnectStoresTheIdentityAndTheFirmwareVersion) {
    SettingsStore& store = app.Store();
    EXPECT_EQ(store.GetInt<kCtrlLineState>(), 1);
    EXPECT_EQ(store.GetText<kCtrlType>(), "QV-M8");
    EXPECT_EQ(store.GetText<kCtrlVersion>(), "2.24");
    EXPECT_FALSE(store.GetText<kCtrlSensorA>().empty());
    EXPECT_EQ(app.FirmwareVersion(), 0x0224u);

    DisconnectController(app);
    EXPECT_EQ(store.GetInt<kCtrlLineState>(), 0);
    sim.SetFirmware(0x0123);
    ResultInfo result;
    ControllerInfo info;
    ASSERT_EQ(ConnectController(app, &result, &info), ZUL_OK);
    EXPECT_EQ(info.versionText, "1.23");
    EXPECT_EQ(app.FirmwareVersion(), 0x0123u);
    EXPECT_FALSE(app.IsVersionAtLeast(3));
}

TEST_F(ConnectTest, SilentControllerFailsTheConnectWithATimeOut) {
    DisconnectController(app);
    sim::SimFaults faults;
    faults.silent = 100;
    sim.SetFaults(faults);
    ResultInfo result;
    EXPECT_EQ(ConnectController(app, &result), ZUL_ERR_COMM_TIMEOUT);
    EXPECT_EQ(app.Store().GetInt<kCtrlLineState>(), 0);
}

TEST_F(ConnectTest, SaveBankAsksThenSavesTheWorkingCopy) {
    sim.WriteWord(2600 + 200 + 1, 4);  // working copy OUT1 MeasureWork
    ScriptedHost no(kAnswerNo);
    EXPECT_EQ(RunMemoryCommand(app, MemoryCommand::kSaveBank, no), ZUL_ERR_ABORT);
    EXPECT_EQ(Count(sim.ReceivedFrames(), "%EE#WWR"), 0u);
    ASSERT_EQ(no.shown.size(), 1u);
    EXPECT_EQ(no.shown[0].first, kMbYesNo);

    ScriptedHost yes(kAnswerYes);
    ResultInfo result;
    ASSERT_EQ(RunMemoryCommand(app, MemoryCommand::kSaveBank, yes, &result), ZUL_OK);
    EXPECT_EQ(Count(sim.ReceivedFrames(), "%EE#WWR000001"), 1u);
    EXPECT_EQ(sim.ReadWord(3400 + 200 + 1), 4);
    ASSERT_EQ(yes.shown.size(), 2u);
    EXPECT_EQ(yes.shown[1].first, kMbNotice);
    EXPECT_EQ(app.ReconnectMode(), 0);
}

TEST_F(ConnectTest, InitialiseBankChecksTheBankFirst) {
    app.Store().SetInt<kAppCurMemNo>(2);  // the tool shows bank 2, the controller uses 0
    ScriptedHost yes(kAnswerYes);
    ResultInfo result;
    EXPECT_EQ(RunMemoryCommand(app, MemoryCommand::kInitialiseBank, yes, &result),
              ZUL_ERR_CUR_MEM_NO_MATCH);
    EXPECT_EQ(result.code, ZUL_ERR_CUR_MEM_NO_MATCH);
    EXPECT_EQ(Count(sim.ReceivedFrames(), "%EE#WIN"), 0u);
    ASSERT_EQ(yes.shown.size(), 1u);
    EXPECT_EQ(yes.shown[0].first, kMbError);  // no question was asked

    app.Store().SetInt<kAppCurMemNo>(0);
    sim.WriteWord(3400 + 200 + 1, 9);
    yes.shown.clear();
    ASSERT_EQ(RunMemoryCommand(app, MemoryCommand::kInitialiseBank, yes, &result), ZUL_OK)
        << ResultKey(result.code);
    EXPECT_EQ(Count(sim.ReceivedFrames(), "%EE#WIN000001"), 1u);
    EXPECT_EQ(app.ReconnectMode(), 0);
    EXPECT_NE(sim.ReadWord(3400 + 200 + 1), 9);  // factory value again
}

TEST_F(ConnectTest, InitialiseAllBanksSendsTwo) {
    ScriptedHost yes(kAnswerYes);
    ResultInfo result;
    ASSERT_EQ(RunMemoryCommand(app, MemoryCommand::kInitialiseAllBanks, yes, &result), ZUL_OK)
        << ResultKey(result.code);
    EXPECT_EQ(Count(sim.ReceivedFrames(), "%EE#WIN000002"), 1u);
    EXPECT_EQ(Count(sim.ReceivedFrames(), "%EE#RMC"), 0u);  // no bank check for all banks
}

}  // namespace
}  // namespace zul::test

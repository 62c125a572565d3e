// SPDX-License-Identifier: GPL-3.0-or-later
// The connection's run-time values (line state, controller identity) survive whatever replaces
// the settings of the main store: a settings file read into a copy, a read-all transfer whose
// copy was taken before the connection changed.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/SettingsCommands.h"
#include "settings/SettingsTransfer.h"

namespace zul::test {
namespace {

using LiveStateTest = EmulatorTest;

TEST_F(LiveStateTest, SettingsFileReadWhileOfflineTakenAfterReconnectingStaysConnected) {
    const std::string path = home.Path("taken.zul");
    app.Store().SetDouble<kOutDecisionMax>(1.25, 0, 0);
    ResultInfo info;
    ASSERT_EQ(app.Store().Save(&info, path), ZUL_OK) << info.detail2;
    app.Store().SetDouble<kOutDecisionMax>(0.5, 0, 0);

    // The copy is taken while the line is down; the controller comes back before it is taken
    // over.
    DisconnectController(app);
    SettingsStore copy(app.Store());
    ASSERT_EQ(copy.Load(&info, path), ZUL_OK) << info.detail2;
    ASSERT_EQ(ConnectController(app, &info), ZUL_OK) << ResultKey(info.code);

    app.ReplaceSettings(copy);
    EXPECT_DOUBLE_EQ(app.Store().GetDouble<kOutDecisionMax>(0, 0), 1.25);
    EXPECT_EQ(app.LineState(), 1);
    EXPECT_TRUE(app.Online());
    EXPECT_EQ(app.Store().GetInt<kCtrlLineState>(), 1);
    EXPECT_EQ(app.Store().GetText<kCtrlType>(), "QV-M8");
    EXPECT_EQ(app.Store().GetText<kCtrlVersion>(), "2.24");
}

TEST_F(LiveStateTest, ReadAllTakenOverAfterTheLineChangedKeepsTheLiveConnection) {
    sim.WithController([](sim::SimController& c) { c.Memory().SetLong(3400 + 200 + 29, 2000000); });
    ResultInfo result;
    std::unique_ptr<SettingsTransfer> transfer =
        MakeSettingsTransfer(app, TransferOperation::kReadAll, &result);
    ASSERT_NE(transfer, nullptr);
    ASSERT_EQ(transfer->Run(), ZUL_OK) << ResultKey(transfer->Result().code);

    // Meanwhile the line went down and came back to a controller of another firmware.
    DisconnectController(app);
    sim.SetFirmware(0x0123);
    ASSERT_EQ(ConnectController(app, &result), ZUL_OK) << ResultKey(result.code);
    ApplySettingsTransfer(app, *transfer);
    EXPECT_DOUBLE_EQ(app.Store().GetDouble<kOutDecisionMax>(0, 0), 2.0);  // read from bank 0
    EXPECT_EQ(app.LineState(), 1);
    EXPECT_EQ(app.Store().GetText<kCtrlVersion>(), "1.23");

    // Taken over while the line is down, it leaves the line down.
    std::unique_ptr<SettingsTransfer> again =
        MakeSettingsTransfer(app, TransferOperation::kReadAll, &result);
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->Run(), ZUL_OK) << ResultKey(again->Result().code);
    DisconnectController(app);
    ApplySettingsTransfer(app, *again);
    EXPECT_EQ(app.LineState(), 0);
    EXPECT_FALSE(app.Online());
    EXPECT_EQ(app.Store().GetInt<kCtrlLineState>(), 0);
}

}  // namespace
}  // namespace zul::test

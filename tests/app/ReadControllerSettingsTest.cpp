// SPDX-License-Identifier: GPL-3.0-or-later
// Reading everything a controller keeps into a private store, as read-all and diff do.
#include <gtest/gtest.h>

#include <algorithm>

#include "AppTestSupport.h"
#include "SimMemory.h"
#include "app/SettingsCommands.h"
#include "settings/SettingsDiff.h"

namespace zul::test {
namespace {

bool AnyFrame(const std::vector<std::string>& frames, std::string_view prefix) {
    for (const std::string& frame : frames) {
        if (frame.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

class ReadControllerSettingsTest : public EmulatorTest {};

TEST_F(ReadControllerSettingsTest, BanksThenSystemIntoTheCopyOnly) {
    sim.WriteWord(148, 4);                   // console number
    sim.WriteWord(3400 + 800 * 2 + 100, 1);  // bank 2 head B SetupMode
    sim.WithController([](sim::SimController& c) { c.Memory().SelectBank(5); });
    const SettingsImage before = app.Store().GetImage();

    std::vector<int32_t> progress;
    SettingsStore read;
    ResultInfo result;
    ASSERT_EQ(ReadControllerSettings(app, read, false, &result,
                                     [&progress](int32_t p) { progress.push_back(p); }),
              ZUL_OK)
        << ResultKey(result.code);
    EXPECT_EQ(read.GetInt<kMemCmnConsoleNo>(), 4);
    EXPECT_EQ(read.GetInt<kHeadSetupMode>(2, 1), 1);
    EXPECT_EQ(read.GetInt<kCtrlCurMemNo>(), 5);
    EXPECT_TRUE(AnyFrame(sim.ReceivedFrames(), "%EE#RKG"));
    EXPECT_FALSE(AnyFrame(sim.ReceivedFrames(), "%EE#W"));
    // The main store is untouched.
    EXPECT_TRUE(app.Store().GetImage().bank[2].head[1] == before.bank[2].head[1]);
    EXPECT_NE(app.Store().GetInt<kMemCmnConsoleNo>(), 4);
    // Progress runs once from 0 to 100 over both reads.
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 100);

    // The same store compares equal to itself over everything read.
    ControllerReadScope scope;
    EXPECT_TRUE(CompareSettings(read, read, ControllerReadInstances(scope)).differences.empty());
}

TEST_F(ReadControllerSettingsTest, BanksOnlySendsNoSystemCommandAndFailuresLeaveIntoAlone) {
    sim.WriteWord(148, 4);
    SettingsStore read;
    read.SetInt<kMemCmnConsoleNo>(7);
    ResultInfo result;
    ASSERT_EQ(ReadControllerSettings(app, read, true, &result), ZUL_OK);
    EXPECT_FALSE(AnyFrame(sim.ReceivedFrames(), "%EE#RKG"));
    EXPECT_EQ(read.GetInt<kMemCmnConsoleNo>(), app.Store().GetInt<kMemCmnConsoleNo>());

    sim::SimFaults faults;
    faults.silent = 1000;
    sim.SetFaults(faults);
    SettingsStore untouched;
    untouched.SetInt<kMemCmnConsoleNo>(7);
    EXPECT_EQ(ReadControllerSettings(app, untouched, false, &result), ZUL_ERR_COMM_TIMEOUT);
    EXPECT_EQ(result.code, ZUL_ERR_COMM_TIMEOUT);
    EXPECT_EQ(untouched.GetInt<kMemCmnConsoleNo>(), 7);
}

}  // namespace
}  // namespace zul::test

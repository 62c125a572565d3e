// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store as the link layer reads it.
#include "app/StoreSources.h"

#include <gtest/gtest.h>

#include "AppTestSupport.h"

namespace zul::test {
namespace {

TEST(StoreSources, LinkSettingsComeFromTheSoftwareItems) {
    TestHome home;
    SettingsStore store;
    store.SetInt<kSoftCommunicationType>(1);
    store.SetInt<kSoftRs232cPort>(3);
    store.SetInt<kSoftRs232cBaudrate>(2);
    store.SetInt<kSoftRs232cDateLen>(0);
    store.SetInt<kSoftRs232cParity>(1);
    store.SetInt<kSoftRs232cBCC>(1);
    store.SetInt<kSoftRs232cTimeout>(4);
    store.SetText<kSoftUsbConnect>("ORTA QV-M8 (X1)");
    store.SetInt<kSoftPolicyPriority>(3);
    store.SetInt<kAppLogEnableFlag>(1);
    // Items with similar names elsewhere must not be picked up.
    store.SetInt<kMemCmnRs232cBaudrate>(0);
    store.SetInt<kMemCmnRs232cParity>(2);
    store.SetAliasLists({"ORTA QV-M8 (X1)"}, {"bench"});

    StoreLinkSettings source(store);
    LinkSettings s = source.ReadLinkSettings();
    EXPECT_EQ(s.communicationType, 1);
    EXPECT_EQ(s.rs232cPort, 3);
    EXPECT_EQ(s.rs232cBaudrate, 2);
    EXPECT_EQ(s.rs232cDateLen, 0);
    EXPECT_EQ(s.rs232cParity, 1);
    EXPECT_EQ(s.rs232cBCC, 1);
    EXPECT_EQ(s.rs232cTimeout, 4);
    EXPECT_EQ(s.usbConnect, "ORTA QV-M8 (X1)");
    EXPECT_EQ(s.policyPriority, 3);
    EXPECT_EQ(s.logEnableFlag, 1);
    EXPECT_EQ(UsbAliasOf(s, "ORTA QV-M8 (X1)"), "bench");
}

TEST(StoreSources, LogSettingsFollowTheApplicationItems) {
    TestHome home;
    SettingsStore store;
    StoreLogSettings source(store);
    EXPECT_EQ(source.LogEnableFlag(), 0);
    EXPECT_EQ(source.LogFolder(), "log");
    store.SetInt<kAppLogEnableFlag>(1);
    store.SetText<kAppLogFolder>("/var/tmp/trace");
    // Read at each call: the log thread sees a change made after it started.
    EXPECT_EQ(source.LogEnableFlag(), 1);
    EXPECT_EQ(source.LogFolder(), "/var/tmp/trace");
}

TEST(StoreSources, ControllerStateForTheBankCheck) {
    TestHome home;
    SettingsStore store;
    store.SetInt<kCtrlLineState>(1);
    store.SetInt<kAppCurMemNo>(5);
    store.SetInt<kCtrlCurMemNo>(9);  // the controller's bank is not what the check expects
    store.SetText<kSoftMemAlias>("line five", 5);
    StoreControllerState state(store);
    EXPECT_EQ(state.LineState(), 1);
    EXPECT_EQ(state.CurMemNo(), 5);
    EXPECT_EQ(state.MemAlias(5), "line five");
    EXPECT_EQ(state.MemAlias(4), "");
}

}  // namespace
}  // namespace zul::test

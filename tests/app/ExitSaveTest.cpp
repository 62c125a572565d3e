// SPDX-License-Identifier: GPL-3.0-or-later
// Which instance writes the default settings file at exit, and how a reservation moves to
// another file.
#include <gtest/gtest.h>

#include "AppTestSupport.h"

namespace zul::test {
namespace {

ApplicationOptions Desktop(const std::string& file = {}) {
    ApplicationOptions options;
    options.uiDefinitionPath = ShippedUiDefinition();
    options.registerDataFileTypes = false;
    options.commandLineFile = file;
    return options;
}

TEST(ExitSave, InstanceOnAUserFileLeavesTheDefaultFileOfARunningInstanceAlone) {
    TestHome home;
    Application onDefault;
    ASSERT_EQ(onDefault.Startup(Desktop()), ZUL_OK);
    onDefault.Store().SetInt<kHeadSetupMode>(1, 0, 0);

    Application onUser;
    ASSERT_EQ(onUser.Startup(Desktop("user.zul")), ZUL_OK);
    onUser.Store().SetInt<kHeadSetupMode>(3, 0, 0);
    ASSERT_EQ(onUser.Shutdown(), ZUL_OK);
    EXPECT_FALSE(fs::exists(home.DefaultSettingsFile()));  // the other instance holds it

    ASSERT_EQ(onDefault.Shutdown(), ZUL_OK);
    SettingsStore saved;
    ASSERT_EQ(saved.Load(nullptr, home.DefaultSettingsFile()), ZUL_OK);
    EXPECT_EQ(saved.GetInt<kHeadSetupMode>(0, 0), 1);

    // With nobody on the default file, the instance on a user file writes it, and the default
    // file is free again afterwards.
    Application alone;
    ASSERT_EQ(alone.Startup(Desktop("user.zul")), ZUL_OK);
    alone.Store().SetInt<kHeadSetupMode>(2, 0, 0);
    ASSERT_EQ(alone.Shutdown(), ZUL_OK);
    ASSERT_EQ(saved.Load(nullptr, home.DefaultSettingsFile()), ZUL_OK);
    EXPECT_EQ(saved.GetInt<kHeadSetupMode>(0, 0), 2);
    Application next;
    EXPECT_EQ(next.Startup(Desktop()), ZUL_OK);
}

TEST(ExitSave, AdoptedReservationReplacesThePreviousOne) {
    TestHome home;
    Application app;
    ASSERT_EQ(app.Startup(Desktop("first.zul")), ZUL_OK);
    const std::string second = home.Path("config/Brantwick ORTA Sensor/QV-M8 ZuL/second.zul");
    ASSERT_TRUE(app.ReserveSettingsFile(second));
    app.AdoptReservation(second);
    EXPECT_EQ(app.ReservedSettingsFile(), second);

    Application other;
    EXPECT_EQ(other.Startup(Desktop("first.zul")), ZUL_OK);  // released
    other.Shutdown();
    Application third;
    EXPECT_EQ(third.Startup(Desktop("second.zul")), ZUL_ERR_INI_FILE_LOCKED);  // held
    third.Shutdown();
    app.Shutdown();
    Application fourth;
    EXPECT_EQ(fourth.Startup(Desktop("second.zul")), ZUL_OK);
}

}  // namespace
}  // namespace zul::test

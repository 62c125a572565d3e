// Loading and saving the settings store from and to settings files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "SettingsTestSupport.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"

namespace zul {
namespace {

using test::PrivateHome;
using test::ReadFile;
using test::WriteFile;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ui_.Load(test::ShippedUiDefinitionPath()), ZUL_OK); }

    PrivateHome home_;
    UiDefinition ui_;
    SettingsStore store_;
};

TEST_F(SettingsFileTest, NewFileFromDefaultsStartsWithTheControllerSection) {
    store_.ResetToDefaults(ui_);
    ASSERT_EQ(store_.Save(), ZUL_OK);
    const std::string text = ReadFile(store_.GetFilePath());
    EXPECT_EQ(text.rfind("[CONTROLLER]\r\nCurMemNo=0\r\n[MEM0_HEADA]\r\nSetupMode=0\r\n"
                         "FloodLightAjust=0\r\n",
                         0),
              0u)
        << text.substr(0, 200);
    // Sections in the order the table first names them; run-time-only sections never appear.
    const size_t headB15 = text.find("[MEM15_HEADB]");
    const size_t out1 = text.find("[MEM0_OUT1]\r\nOutPattern=0\r\n");
    const size_t out2 = text.find("[MEM0_OUT2]\r\nOutPattern=1\r\n");
    const size_t common = text.find("[MEM0_COMMON]");
    const size_t cmn = text.find("[MEM_CMN]");
    const size_t last = text.find("[FORM_ANALOGSCALING]");
    const size_t alias = text.find("[CtrlAlias]\r\n\t<ARRAY>\r\n\t\tNoUSB=NoUSB\r\n");
    ASSERT_NE(headB15, std::string::npos);
    EXPECT_LT(text.find("[MEM1_HEADA]"), headB15);
    EXPECT_LT(headB15, out1);
    EXPECT_LT(out1, out2);
    EXPECT_LT(out2, common);
    EXPECT_LT(common, cmn);
    EXPECT_LT(cmn, last);
    EXPECT_LT(last, alias);
    EXPECT_NE(alias, std::string::npos);
    EXPECT_EQ(text.find("[FORM_BUFFERINGINFO]"), std::string::npos);
    EXPECT_EQ(text.find("\r\nMeasureValue="), std::string::npos);
    EXPECT_NE(text.find("\r\nReflectionRate=0.500000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nFixedValueInput=10.800000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nLogFolder=log\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, RoundTripKeepsEveryPersistentValue) {
    store_.ResetToDefaults(ui_);
    store_.SetInt<kHeadAlarmDelayTimes>(-17, 4, 1);
    store_.SetDouble<kOutDecisionMax>(10.8, 13, 1);
    store_.SetDouble<kOutDecisionMin>(-0.0000004, 13, 1);
    store_.SetText<kSoftMemAlias>("Line \"3\" = [a, b]; x", 3);
    store_.SetText<kMainCurFolder>("/home/user/my settings");
    store_.SetInt<kBufEventCondition>(5, 15, 1);
    store_.SetInt<kMainFormTop>(-32);
    store_.SetDouble<kOutMeasureValue>(1.0, 0, 0);  // run-time only
    store_.SetAliasLists({"ORTA QV-M8 (X9)", "NoUSB"}, {"press 2", "No device"});
    ASSERT_EQ(store_.Save(), ZUL_OK);

    SettingsStore loaded;
    ASSERT_EQ(loaded.Load(), ZUL_OK);
    EXPECT_EQ(loaded.GetInt<kHeadAlarmDelayTimes>(4, 1), -17);
    EXPECT_EQ(loaded.GetDouble<kOutDecisionMax>(13, 1), 10.8);
    EXPECT_EQ(loaded.GetDouble<kOutDecisionMin>(13, 1), -0.0);  // six decimals are kept
    EXPECT_EQ(loaded.GetText<kSoftMemAlias>(3), "Line \"3\" = [a, b]; x");
    EXPECT_EQ(loaded.GetText<kMainCurFolder>(), "/home/user/my settings");
    EXPECT_EQ(loaded.GetInt<kBufEventCondition>(15, 1), 5);
    EXPECT_EQ(loaded.GetInt<kMainFormTop>(), -32);
    EXPECT_EQ(loaded.GetDouble<kOutMeasureValue>(0, 0), 0.0);
    std::vector<std::string> names;
    std::vector<std::string> aliases;
    loaded.GetAliasLists(names, aliases);
    EXPECT_EQ(names, (std::vector<std::string>{"ORTA QV-M8 (X9)", "NoUSB"}));
    EXPECT_EQ(aliases, (std::vector<std::string>{"press 2", "No device"}));

    // Every bank, the system block and the software block read back as saved, apart from the
    // run-time value and the real that six decimals cannot hold.
    SettingsImage image = loaded.GetImage();
    const SettingsImage saved = store_.GetImage();
    image.bank[0].output[0].MeasureValue = saved.bank[0].output[0].MeasureValue;
    image.bank[13].output[1].DecisionMin = saved.bank[13].output[1].DecisionMin;
    // The current device comes from the definition file and the USB list, not from the file.
    image.formSoftware.currentDeviceName = saved.formSoftware.currentDeviceName;
    image.formSoftware.currentAlias = saved.formSoftware.currentAlias;
    EXPECT_TRUE(image.bank == saved.bank);
    EXPECT_TRUE(image.system == saved.system);
    EXPECT_TRUE(image.formSoftware == saved.formSoftware);
    EXPECT_TRUE(image.appData == saved.appData);
    EXPECT_TRUE(image.formMain == saved.formMain);
}

TEST_F(SettingsFileTest, MissingKeysKeepTheirValues) {
    const std::string path = home_.File("partial.zul");
    WriteFile(path,
              "[MEM2_HEADB]\r\nPeakLevel=77\r\n[FORM_SOFTWARE]\r\nRs232cBCC=1\r\n"
              "[MEM0_OUT1]\r\nMeasureValue=5.5\r\nDecisionMax=abc\r\n");
    store_.SetInt<kHeadPeakLevel>(12, 2, 0);
    store_.SetInt<kHeadPeakLevel>(13, 2, 1);
    store_.SetDouble<kOutDecisionMax>(2.0, 0, 0);
    store_.SetText<kAppLogFolder>("trace");
    store_.SetInt<kSoftRs232cBCC>(1);
    ASSERT_EQ(store_.Load(nullptr, path), ZUL_OK);
    EXPECT_EQ(store_.GetInt<kHeadPeakLevel>(2, 1), 77);
    EXPECT_EQ(store_.GetInt<kHeadPeakLevel>(2, 0), 12);
    EXPECT_EQ(store_.GetText<kAppLogFolder>(), "trace");
    EXPECT_EQ(store_.GetInt<kSoftRs232cBCC>(), 0);
    EXPECT_EQ(store_.GetDouble<kOutMeasureValue>(0, 0), 0.0);  // run-time items are not read
    EXPECT_EQ(store_.GetDouble<kOutDecisionMax>(0, 0), 0.0);   // no number reads as 0
    EXPECT_EQ(store_.GetFilePath(), path);
}

TEST_F(SettingsFileTest, CurrentDeviceJoinsTheAliasList) {
    store_.ResetToDefaults(ui_);  // current device NoUSB, alias "NoUSB"
    store_.SetAliasLists({"NoUSB"}, {"my alias"});
    const std::string path = home_.File("alias.zul");
    WriteFile(path, "[CtrlAlias]\r\n\t<ARRAY>\r\n\t\t\"ORTA QV-M8 (A7)\"=Left\r\n");
    ASSERT_EQ(store_.Load(nullptr, path), ZUL_OK);
    std::vector<std::string> names;
    std::vector<std::string> aliases;
    store_.GetAliasLists(names, aliases);
    EXPECT_EQ(names, (std::vector<std::string>{"ORTA QV-M8 (A7)", "NoUSB"}));
    EXPECT_EQ(aliases, (std::vector<std::string>{"Left", "my alias"}));
    ASSERT_EQ(store_.Save(), ZUL_OK);
    EXPECT_NE(ReadFile(path).find("\t\t\"ORTA QV-M8 (A7)\"=Left\r\n\t\tNoUSB=\"my alias\"\r\n"),
              std::string::npos)
        << ReadFile(path);
}

TEST_F(SettingsFileTest, UnknownEntriesSurviveInPlace) {
    const std::string path = home_.File("user.zul");
    WriteFile(path,
              "; my notes\r\n[VENDOR]\r\nOwn=1 ; keep me\r\n\r\n[MEM0_HEADA]\r\nExtra=x\r\n"
              "SetupMode=3\r\n");
    ASSERT_EQ(store_.Load(nullptr, path), ZUL_OK);
    EXPECT_EQ(store_.GetInt<kHeadSetupMode>(0, 0), 3);
    store_.SetInt<kHeadSetupMode>(2, 0, 0);
    ASSERT_EQ(store_.Save(), ZUL_OK);
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.rfind("; my notes\r\n[VENDOR]\r\nOwn=1\t; keep me\r\n\r\n[MEM0_HEADA]\r\n"
                         "Extra=x\r\nSetupMode=2\r\nFloodLightAjust=0\r\n",
                         0),
              0u)
        << text.substr(0, 200);
    EXPECT_NE(text.find("[CONTROLLER]\r\nCurMemNo=0\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, SavingElsewhereKeepsTheCurrentFile) {
    const std::string current = store_.GetFilePath();
    const std::string other = home_.File("copy.zul");
    store_.SetInt<kCommonSamplingCycle>(4, 1);
    ASSERT_EQ(store_.Save(nullptr, other), ZUL_OK);
    EXPECT_EQ(store_.GetFilePath(), current);
    EXPECT_NE(ReadFile(other).find("[MEM1_COMMON]\r\nSamplingCycle=4\r\n"), std::string::npos);
    // The next save without a path goes to the current file again.
    store_.SetInt<kCommonSamplingCycle>(5, 1);
    ASSERT_EQ(store_.Save(), ZUL_OK);
    EXPECT_NE(ReadFile(current).find("SamplingCycle=5"), std::string::npos);
    EXPECT_EQ(ReadFile(other).find("SamplingCycle=5"), std::string::npos);
}

TEST_F(SettingsFileTest, FailuresAreReported) {
    ResultInfo info;
    // A folder where the file should be cannot be read or written.
    const std::string folder = home_.File("a-folder.zul");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    EXPECT_NE(store_.Load(&info, folder), ZUL_OK);
    EXPECT_NE(info.code, ZUL_OK);
    EXPECT_NE(store_.Save(&info, folder + "/missing/x.zul"), ZUL_OK);
    EXPECT_NE(info.code, ZUL_OK);
    // A missing file loads as empty.
    store_.SetInt<kHeadPeakLevel>(9);
    EXPECT_EQ(store_.Load(&info, home_.File("none.zul")), ZUL_OK);
    EXPECT_TRUE(info.Ok());
    EXPECT_EQ(store_.GetInt<kHeadPeakLevel>(), 9);
}

}  // namespace
}  // namespace zul

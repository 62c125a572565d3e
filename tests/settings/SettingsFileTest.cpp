// SPDX-License-Identifier: GPL-3.0-or-later
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
              "[MEM0_OUT1]\r\nMeasureValue=5.5\r\nDecisionMax=\r\n");
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
    EXPECT_EQ(store_.GetDouble<kOutDecisionMax>(0, 0), 2.0);   // an empty value keeps it
    EXPECT_EQ(store_.GetFilePath(), path);
}

TEST_F(SettingsFileTest, ValueThatIsNoNumberStopsTheLoadNamingIt) {
    const std::string path = home_.File("bad.zul");
    struct Case {
        const char* section;
        const char* key;
        const char* text;
    };
    const Case bad[] = {
        {"MEM3_HEADB", "SetupMode", "xyz"},    {"MEM0_COMMON", "SamplingCycle", "0x10"},
        {"MEM0_OUT1", "DecisionMax", "nan"},   {"MEM0_OUT1", "DecisionMax", "inf"},
        {"MEM0_OUT1", "DecisionMax", "0x1p3"}, {"MEM0_OUT1", "DecisionMax", "1,5"},
        {"MEM_CMN", "Rs232cBaudrate", "1.5"},  {"MEM_CMN", "ConsoleNo", "99999999999"},
        {"FORM_SOFTWARE", "Rs232cBCC", "1x"},  {"MEM1_HEADA", "PeakLevel", "- 3"},
    };
    for (const Case& c : bad) {
        WriteFile(path, std::string("[") + c.section + "]\r\n" + c.key + "=" + c.text + "\r\n");
        ResultInfo info;
        EXPECT_EQ(store_.Load(&info, path), ZUL_ERR_INI_FILE_READ) << c.key << "=" << c.text;
        EXPECT_EQ(info.detail1, path);
        EXPECT_EQ(info.detail2, std::string("[") + c.section + "] " + c.key + ": \"" + c.text +
                                    "\" is not a number");
    }
    // Binary garbage is shown escaped and cut short.
    WriteFile(path, "[MEM0_HEADA]\r\nSetupMode=\x01\x02" + std::string(100, 'z') + "\r\n");
    ResultInfo info;
    EXPECT_EQ(store_.Load(&info, path), ZUL_ERR_INI_FILE_READ);
    EXPECT_EQ(info.detail2.rfind("[MEM0_HEADA] SetupMode: \"\\x01\\x02zzz", 0), 0u) << info.detail2;
    EXPECT_LT(info.detail2.size(), 100u);

    // Numbers in the forms a person may type are read.
    WriteFile(path,
              "[MEM3_HEADB]\r\nSetupMode=+1\r\nAlarmDelayTimes=-17\r\n[MEM0_OUT1]\r\n"
              "DecisionMax=1e2\r\nDecisionMin=-.5\r\nOffsetInput=10.8\r\n");
    SettingsLoadReport report;
    ASSERT_EQ(store_.Load(&info, path, &report), ZUL_OK) << info.detail2;
    EXPECT_EQ(store_.GetInt<kHeadSetupMode>(3, 1), 1);
    EXPECT_EQ(store_.GetInt<kHeadAlarmDelayTimes>(3, 1), -17);
    EXPECT_DOUBLE_EQ(store_.GetDouble<kOutDecisionMax>(0, 0), 100.0);
    EXPECT_DOUBLE_EQ(store_.GetDouble<kOutDecisionMin>(0, 0), -0.5);
    EXPECT_DOUBLE_EQ(store_.GetDouble<kOutOffsetInput>(0, 0), 10.8);
    EXPECT_EQ(report.bankValues, 5);
    EXPECT_EQ(report.systemValues, 0);
}

TEST_F(SettingsFileTest, BrokenFilesHoldNoControllerValues) {
    const std::string path = home_.File("broken.zul");
    store_.ResetToDefaults(ui_);
    ASSERT_EQ(store_.Save(nullptr, path), ZUL_OK);
    const std::string whole = ReadFile(path);
    std::string utf16 = "\xFF\xFE";
    for (char c : whole.substr(0, 4000)) {
        utf16 += c;
        utf16 += '\0';
    }
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary += static_cast<char>((i * 167 + 13) & 0xFF);
    }
    const std::pair<const char*, std::string> files[] = {
        {"empty", ""},     {"truncated", whole.substr(0, 20)},      {"binary", binary},
        {"UTF-16", utf16}, {"NUL-filled", std::string(8192, '\0')},
    };
    for (const auto& [name, content] : files) {
        WriteFile(path, content);
        SettingsLoadReport report;
        ResultInfo info;
        const int32_t code = store_.Load(&info, path, &report);
        // Loading may succeed (a file without the keys keeps every value), but nothing of the
        // controller was read from it, which is what a writer of the controller checks.
        EXPECT_TRUE(code == ZUL_OK || code == ZUL_ERR_INI_FILE_READ) << name;
        EXPECT_EQ(report.bankValues, 0) << name;
        EXPECT_EQ(report.systemValues, 0) << name;
    }
    WriteFile(path, whole);
    SettingsLoadReport report;
    ASSERT_EQ(store_.Load(nullptr, path, &report), ZUL_OK);
    EXPECT_GT(report.bankValues, 16 * 100);
    EXPECT_GT(report.systemValues, 0);
}

TEST_F(SettingsFileTest, FifoAndEndlessDeviceAreRefused) {
    const std::string fifo = home_.File("pipe.zul");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ResultInfo info;
    EXPECT_EQ(store_.Load(&info, fifo), ZUL_ERR_FILE_READ);  // returns at once
    EXPECT_EQ(info.detail2, "not a regular file");
    EXPECT_EQ(store_.Load(&info, "/dev/zero"), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.detail1, "/dev/zero");
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

// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shutdown of the Application: option records, the settings-file reservation,
// where the settings go at exit, and the firmware version.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "AppTestSupport.h"
#include "app/AppMessages.h"
#include "app/OptionSections.h"
#include "link/ThreadLog.h"

namespace zul::test {
namespace {

ApplicationOptions DesktopOptions(const std::string& file = {}) {
    ApplicationOptions options;
    options.uiDefinitionPath = ShippedUiDefinition();
    options.registerDataFileTypes = false;
    options.commandLineFile = file;
    return options;
}

// The shipped UI definition with one record's key replaced (or added after its header).
std::string UiDefinitionWith(const TestHome& home, const std::string& section,
                             const std::string& key, const std::string& value) {
    std::string text = ReadFileText(ShippedUiDefinition());
    size_t at = text.find("[" + section + "]");
    EXPECT_NE(at, std::string::npos) << section;
    size_t end = text.find("\n[", at + 1);
    size_t line = text.find("\n" + key + "=", at);
    if (line != std::string::npos && line < end) {
        size_t stop = text.find('\n', line + 1);
        text.replace(line + 1, stop - line - 1, key + "=" + value);
    } else {
        size_t header = text.find('\n', at);
        text.insert(header + 1, key + "=" + value + "\n");
    }
    std::string path = home.Path("ui-" + section + "-" + key + ".frs");
    WriteFileText(path, text);
    return path;
}

class RecordingWindow : public WindowSink {
public:
    bool PostWindowMessage(uint32_t id, int64_t, int64_t,
                           std::unique_ptr<MessagePayload>&) override {
        ids.push_back(id);
        return true;
    }
    std::vector<uint32_t> ids;
};

TEST(OptionRecords, VersionListReplacesOnlyTheEntriesGivenAsHexadecimal) {
    VersionThresholds t = ParseVersionThresholds("200, 1A,300");
    EXPECT_EQ(t[0], 512);
    EXPECT_EQ(t[1], 0x1A);
    EXPECT_EQ(t[2], 0x300);
    for (size_t i = 3; i < t.size(); ++i) {
        EXPECT_EQ(t[i], kDefaultVersionThresholds[i]) << i;
    }
    // Empty and unreadable fields keep their entries; a ninth number is ignored.
    t = ParseVersionThresholds(",zz,5,5,5,5,5,5,7");
    EXPECT_EQ(t[0], 0x123);
    EXPECT_EQ(t[1], 0x123);
    EXPECT_EQ(t[2], 5);
    EXPECT_EQ(t[7], 5);
    EXPECT_EQ(ParseVersionThresholds(""), kDefaultVersionThresholds);
    // A prefix is accepted; trailing text, signs and values beyond 16 bits are not.
    t = ParseVersionThresholds("0x1FF,12x,-5,10000,FFFF");
    EXPECT_EQ(t[0], 0x1FF);
    EXPECT_EQ(t[1], kDefaultVersionThresholds[1]);
    EXPECT_EQ(t[2], kDefaultVersionThresholds[2]);
    EXPECT_EQ(t[3], kDefaultVersionThresholds[3]);
    EXPECT_EQ(t[4], 0xFFFF);
}

TEST(ApplicationStartup, DefaultsOfTheShippedDefinitionAndAnOrderlyShutdown) {
    TestHome home;
    Application app;
    ResultInfo result;
    ASSERT_EQ(app.Startup(DesktopOptions(), &result), ZUL_OK) << app.StartupFailureText();
    EXPECT_TRUE(app.ThreadsStarted());
    EXPECT_NE(app.LogThread(), nullptr);
    EXPECT_NE(app.CommControler(), nullptr);
    EXPECT_EQ(app.FirmwareVersion(), 0xFFFFu);
    EXPECT_EQ(app.Thresholds(), kDefaultVersionThresholds);
    EXPECT_TRUE(app.IsVersionAtLeast(7));  // everything offered before a connection
    EXPECT_EQ(app.Reconnect().time, 5);
    EXPECT_EQ(app.Reconnect().retry, 20);
    EXPECT_FALSE(app.Micron().active);  // MeasUnit is 0
    EXPECT_EQ(app.Micron().unit, "µm");
    EXPECT_DOUBLE_EQ(app.Micron().factor, 1000.0);
    EXPECT_EQ(app.Micron().decimals, 3);
    EXPECT_EQ(app.FullVersion().find('*'), std::string::npos);
    EXPECT_EQ(app.ReservedSettingsFile(), home.DefaultSettingsFile());
    EXPECT_FALSE(fs::exists(home.DefaultSettingsFile()));

    EXPECT_EQ(app.Shutdown(&result), ZUL_OK);
    EXPECT_FALSE(app.ThreadsStarted());
    EXPECT_EQ(app.CommControler(), nullptr);
    EXPECT_TRUE(fs::exists(home.DefaultSettingsFile()));
    EXPECT_EQ(app.Shutdown(), ZUL_OK);  // once only
}

TEST(ApplicationStartup, OptionRecordsFromTheDefinition) {
    TestHome home;
    {
        Application app;
        ApplicationOptions options = DesktopOptions();
        options.uiDefinitionPath =
            UiDefinitionWith(home, "ZUL_MODE_V", "SelectList", "\"100,110,120\"");
        ASSERT_EQ(app.Startup(options), ZUL_OK) << app.StartupFailureText();
        EXPECT_EQ(app.Thresholds()[0], 0x100);
        EXPECT_EQ(app.Thresholds()[2], 0x120);
        EXPECT_EQ(app.Thresholds()[3], 0x200);
        EXPECT_EQ(app.Thresholds()[7], 0x224);
    }
    {
        Application app;
        ApplicationOptions options = DesktopOptions();
        options.uiDefinitionPath = UiDefinitionWith(home, "ZUL_RECONNECT_TIME", "Default", "0");
        ASSERT_EQ(app.Startup(options), ZUL_OK);
        EXPECT_EQ(app.Reconnect().time, 5);
    }
    {
        Application app;
        ApplicationOptions options = DesktopOptions();
        options.uiDefinitionPath = UiDefinitionWith(home, "ZUL_RECONNECT_RETRY", "Default", "7");
        ASSERT_EQ(app.Startup(options), ZUL_OK);
        EXPECT_EQ(app.Reconnect().retry, 7);
    }
    {
        // A factor of 0 keeps 1.0; unit and decimals still come from the record. With
        // MeasUnit set in the settings file the mode is active.
        WriteFileText(home.DefaultSettingsFile(), "[FORM_SOFTWARE]\r\nMeasUnit=1\r\n");
        Application app;
        ApplicationOptions options = DesktopOptions();
        options.uiDefinitionPath = UiDefinitionWith(home, "ZUL_MODE_MICRON", "Default", "\"0\"");
        ASSERT_EQ(app.Startup(options), ZUL_OK);
        EXPECT_TRUE(app.Micron().active);
        EXPECT_DOUBLE_EQ(app.Micron().factor, 1.0);
        EXPECT_EQ(app.Micron().unit, "µm");
        EXPECT_EQ(app.Micron().decimals, 3);
    }
}

TEST(ApplicationStartup, MissingUiDefinitionEndsStartupWithItsFixedText) {
    TestHome home;
    Application app;
    ApplicationOptions options = DesktopOptions();
    options.uiDefinitionPath = home.Path("missing.frs");
    ResultInfo result;
    EXPECT_NE(app.Startup(options, &result), ZUL_OK);
    EXPECT_EQ(app.StartupFailureText(), kUiDefinitionReadErrorText);
    EXPECT_FALSE(app.ThreadsStarted());
    EXPECT_EQ(app.Shutdown(), ZUL_OK);
    EXPECT_FALSE(fs::exists(home.DefaultSettingsFile()));  // nothing loaded, nothing written
}

TEST(ApplicationStartup, SecondInstanceOnTheSameFileIsRefusedOthersRun) {
    TestHome home;
    Application first;
    ASSERT_EQ(first.Startup(DesktopOptions("user.zul")), ZUL_OK);
    const std::string userFile = first.Store().GetFilePath();
    EXPECT_EQ(fs::path(userFile).filename(), "user.zul");

    Application second;
    ResultInfo result;
    EXPECT_EQ(second.Startup(DesktopOptions("USER.ZUL"), &result), ZUL_ERR_INI_FILE_LOCKED);
    EXPECT_NE(second.StartupFailureText().find("USER.ZUL"), std::string::npos)
        << second.StartupFailureText();
    EXPECT_FALSE(second.ThreadsStarted());
    second.Shutdown();

    Application third;
    EXPECT_EQ(third.Startup(DesktopOptions("other.zul")), ZUL_OK);
    third.Shutdown();

    // The refused instance did not take the first one's entry away.
    Application fourth;
    EXPECT_EQ(fourth.Startup(DesktopOptions("user.zul")), ZUL_ERR_INI_FILE_LOCKED);
    fourth.Shutdown();
    first.Shutdown();
    Application fifth;
    EXPECT_EQ(fifth.Startup(DesktopOptions("user.zul")), ZUL_OK);
}

// A registry that cannot be opened says so; it is not a file in use by another window.
TEST(ApplicationStartup, RegistryThatCannotBeOpenedIsReportedWithItsReason) {
    TestHome home;
    ApplicationOptions options = DesktopOptions();
    options.registryFolder = home.Path("blocked");
    std::ofstream(options.registryFolder) << "a file where the folder should be";
    Application app;
    ResultInfo result;
    EXPECT_EQ(app.Startup(options, &result), ZUL_ERR_OS_FILE_WRITE);
    EXPECT_EQ(result.osError, ENOTDIR);
    EXPECT_EQ(result.detail1, options.registryFolder);
    EXPECT_EQ(result.detail2, std::strerror(ENOTDIR));
    EXPECT_NE(app.StartupFailureText().find(options.registryFolder), std::string::npos)
        << app.StartupFailureText();
    EXPECT_FALSE(app.ThreadsStarted());
    EXPECT_EQ(app.Shutdown(), ZUL_OK);
    EXPECT_FALSE(fs::exists(home.DefaultSettingsFile()));
}

TEST(ApplicationStartup, CrashedHolderDoesNotLockTheFileForEver) {
    TestHome home;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Reserve through the registry alone (no threads in a forked child) and die.
        SettingsFileRegistry registry;
        bool held =
            registry.ReserveSettingsFile(home.Path("config/Brantwick ORTA Sensor/"
                                                   "QV-M8 ZuL/held.zul"));
        char c = held ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_EQ(c, 'y');
    Application app;
    EXPECT_EQ(app.Startup(DesktopOptions("held.zul")), ZUL_OK) << app.StartupFailureText();
}

TEST(ApplicationStartup, OnlyZulFilesCountAndExitWritesTheDefaultFile) {
    TestHome home;
    {
        Application app;
        ASSERT_EQ(app.Startup(DesktopOptions("notes.txt")), ZUL_OK);
        EXPECT_EQ(app.Store().GetFilePath(), home.DefaultSettingsFile());
    }
    const std::string user = home.Path("config/Brantwick ORTA Sensor/QV-M8 ZuL/mine.zul");
    WriteFileText(user, "[MEM0_HEADA]\r\nSetupMode=1\r\n");
    const std::string before = ReadFileText(user);
    fs::remove(home.DefaultSettingsFile());
    Application app;
    ASSERT_EQ(app.Startup(DesktopOptions("mine.zul")), ZUL_OK);
    EXPECT_EQ(app.Store().GetInt<kHeadSetupMode>(0, 0), 1);
    app.Store().SetInt<kHeadSetupMode>(2, 0, 1);
    ASSERT_EQ(app.Shutdown(), ZUL_OK);
    EXPECT_EQ(ReadFileText(user), before);  // the user file is not written at exit
    SettingsStore saved;
    ASSERT_EQ(saved.Load(nullptr, home.DefaultSettingsFile()), ZUL_OK);
    EXPECT_EQ(saved.GetInt<kHeadSetupMode>(0, 1), 2);
    EXPECT_EQ(saved.GetInt<kHeadSetupMode>(0, 0), 1);
}

TEST(ApplicationStartup, UnreadableSettingsFileIsReportedAndNotWritten) {
    TestHome home;
    const std::string dir = home.Path("config/Brantwick ORTA Sensor/QV-M8 ZuL/broken.zul");
    fs::create_directories(dir);  // a folder where the file should be
    Application app;
    ResultInfo result;
    EXPECT_EQ(app.Startup(DesktopOptions("broken.zul"), &result), ZUL_ERR_INI_FILE_READ);
    EXPECT_NE(app.StartupFailureText().find("broken.zul"), std::string::npos);
    app.Shutdown();
    EXPECT_FALSE(fs::exists(home.DefaultSettingsFile()));
    Application again;  // the reservation was withdrawn
    fs::remove(dir);
    EXPECT_EQ(again.Startup(DesktopOptions("broken.zul")), ZUL_OK);
}

// A settings file named on the command line that is there but is no settings file, or was cut
// short, is refused with the reason and left as it was; nothing is shown under its name.
TEST(ApplicationStartup, SettingsFilesThatHoldNoSettingsAreRefused) {
    TestHome home;
    const std::string folder = home.Path("config/Brantwick ORTA Sensor/QV-M8 ZuL/");
    std::string complete;
    {
        Application app;
        ASSERT_EQ(app.Startup(DesktopOptions("whole.zul")), ZUL_OK);
        ASSERT_EQ(app.Store().Save(nullptr, folder + "whole.zul"), ZUL_OK);
        complete = ReadFileText(folder + "whole.zul");
    }
    std::string utf16 = "\xff\xfe";
    for (char c : complete.substr(0, 4000)) {
        utf16 += c;
        utf16 += '\0';
    }
    std::string binary(3000, '\0');
    for (size_t i = 0; i < binary.size(); ++i) {
        binary[i] = char((i * 131 + 7) % 256);
    }
    const struct {
        const char* file;
        std::string content;
        const char* reason;
    } cases[] = {
        {"empty.zul", "", "holds no settings"},
        {"binary.zul", binary, "holds no settings"},
        {"utf16.zul", utf16, "holds no settings"},
        {"cut.zul", complete.substr(0, complete.size() / 2 + 3), "cut short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        WriteFileText(folder + c.file, c.content);
        Application app;
        ResultInfo result;
        EXPECT_EQ(app.Startup(DesktopOptions(c.file), &result), ZUL_ERR_INI_FILE_READ);
        EXPECT_NE(app.StartupFailureText().find(c.file), std::string::npos);
        EXPECT_NE(app.StartupFailureText().find(c.reason), std::string::npos)
            << app.StartupFailureText();
        app.Shutdown();
        EXPECT_EQ(ReadFileText(folder + c.file), c.content);
    }
    // The whole file, and a file cut at a line end (as a hand-made file with a few keys is),
    // open.
    WriteFileText(folder + "lines.zul", complete.substr(0, complete.find("\r\n", 2000) + 2));
    for (const char* file : {"whole.zul", "lines.zul"}) {
        Application app;
        EXPECT_EQ(app.Startup(DesktopOptions(file)), ZUL_OK) << app.StartupFailureText();
    }
}

TEST(ApplicationStartup, FirmwareVersionChangeNotifiesTheWindowOnce) {
    TestHome home;
    RecordingWindow window;
    Application app;
    ApplicationOptions options = DesktopOptions();
    options.window = &window;
    ASSERT_EQ(app.Startup(options), ZUL_OK);
    app.SetFirmwareVersion(0xFFFF);
    EXPECT_TRUE(window.ids.empty());
    app.SetFirmwareVersion(0x0201);
    EXPECT_EQ(window.ids, (std::vector<uint32_t>{kWmReapplyUiDefinition, kWmReapplyUiVersion}));
    EXPECT_TRUE(app.IsVersionAtLeast(4));   // 0x200
    EXPECT_FALSE(app.IsVersionAtLeast(6));  // 0x210
    app.SetFirmwareVersion(0x0201);
    EXPECT_EQ(window.ids.size(), 2u);
}

}  // namespace
}  // namespace zul::test

namespace zul::test {
namespace {

TEST(ApplicationStartup, StartLineGoesToTheDailyLog) {
    TestHome home;
    fs::create_directories(fs::path(home.DefaultSettingsFile()).parent_path());
    WriteFileText(home.DefaultSettingsFile(), "[ZUL_APP_DATA]\r\nLogEnableFlag=1\r\n");
    {
        Application app;
        ASSERT_EQ(app.Startup(DesktopOptions()), ZUL_OK);
        app.Shutdown();  // the log thread writes everything queued before it ends
        std::string log;
        for (const auto& entry : fs::recursive_directory_iterator(home.Path("state"))) {
            if (entry.path().filename().string().rfind("log_", 0) == 0) {
                log += ReadFileText(entry.path().string());
            }
        }
        EXPECT_NE(log.find(", START, QV-M8 ZuL, version " + app.FullVersion()), std::string::npos)
            << log;
    }
}

}  // namespace
}  // namespace zul::test

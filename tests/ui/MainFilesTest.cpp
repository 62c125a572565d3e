// SPDX-License-Identifier: GPL-3.0-or-later
// Settings files from the main window: open and save as with their reservations, the save
// question before open and exit, and a second instance on the same file.
#include "MainWindowFixture.h"

#include "app/SettingsFileRegistry.h"
#include "settings/MessageTexts.h"

namespace zul::test {

using namespace zul::ui;
namespace {

void WriteSettings(const std::string& path, int setupMode) {
    fs::create_directories(fs::path(path).parent_path());
    WriteFileText(path, "[MEM0_HEADA]\r\nSetupMode=" + std::to_string(setupMode) + "\r\n");
}

TEST_F(MainWindowTest, OpenLoadsTheFileReservesItAndNamesItInTheTitle) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const std::string file = home.Path("docs/line3.zul");
    WriteSettings(file, 2);
    dialogs.paths = {file};
    main->OpenSettingsFile();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].defaultSuffix, QStringLiteral("zul"));
    EXPECT_TRUE(dialogs.requests[0].filters.front().endsWith(QStringLiteral("(*.zul)")));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Store().GetInt<kHeadSetupMode>(0, 0), 2);
    EXPECT_EQ(Store().GetFilePath(), file);
    EXPECT_EQ(Store().GetText<kMainCurFolder>(), home.Path("docs"));
    EXPECT_TRUE(main->windowTitle().contains(QStringLiteral(" - line3.zul [")))
        << main->windowTitle().toStdString();
    EXPECT_EQ(main->Recent().Paths().front(), file);

    // The new file is held, the default file is free again.
    SettingsFileRegistry other;
    EXPECT_FALSE(other.ReserveSettingsFile(file));
    EXPECT_TRUE(other.ReserveSettingsFile(home.DefaultSettingsFile()));
}

TEST_F(MainWindowTest, FailedOpenKeepsTheSettingsAndTheReservation) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Store().SetInt<kHeadSetupMode>(1, 0, 0);
    const std::string folder = home.Path("docs/not-a-file.zul");
    fs::create_directories(folder);  // cannot be read as a file
    dialogs.paths = {folder};
    main->OpenSettingsFile();
    ASSERT_EQ(boxes.shown.size(), 1u);
    // The file's name, then the system's reason.
    EXPECT_TRUE(boxes.shown[0].text.startsWith(ErrorText(ZUL_ERR_INI_FILE_READ, "not-a-file.zul")))
        << boxes.shown[0].text.toStdString();
    EXPECT_GT(boxes.shown[0].text.size(),
              ErrorText(ZUL_ERR_INI_FILE_READ, "not-a-file.zul").size());
    EXPECT_EQ(Store().GetInt<kHeadSetupMode>(0, 0), 1);
    EXPECT_EQ(Store().GetFilePath(), home.DefaultSettingsFile());
    SettingsFileRegistry other;
    EXPECT_FALSE(other.ReserveSettingsFile(home.DefaultSettingsFile()));  // still held
    EXPECT_TRUE(other.ReserveSettingsFile(folder));                       // withdrawn
}

// File > Open (Ctrl+O) of a file that is no settings file, or was cut short, says why and keeps
// the settings, the title and the file in force; the refused file is not written.
TEST_F(MainWindowTest, OpenRefusesFilesThatHoldNoSettings) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    Store().SetInt<kHeadSetupMode>(1, 0, 0);
    const std::string whole = home.Path("docs/whole.zul");
    fs::create_directories(home.Path("docs"));
    ASSERT_EQ(Store().Save(nullptr, whole), ZUL_OK);
    const std::string complete = ReadFileText(whole);
    const QString title = main->windowTitle();
    const struct {
        const char* file;
        std::string content;
        const char* reason;
    } cases[] = {
        {"empty.zul", "", "holds no settings"},
        {"binary.zul", std::string(2000, '\x9c'), "holds no settings"},
        {"cut.zul", complete.substr(0, complete.size() / 3 + 1), "cut short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = home.Path(std::string("docs/") + c.file);
        WriteFileText(path, c.content);
        boxes.shown.clear();
        dialogs.paths = {path};
        QTest::keyClick(main, Qt::Key_O, Qt::ControlModifier);
        ASSERT_EQ(boxes.shown.size(), 1u);
        const QString text = boxes.shown[0].text;
        EXPECT_TRUE(text.startsWith(ErrorText(ZUL_ERR_INI_FILE_READ, c.file)))
            << text.toStdString();
        EXPECT_TRUE(text.contains(c.reason)) << text.toStdString();
        EXPECT_EQ(Store().GetInt<kHeadSetupMode>(0, 0), 1);
        EXPECT_EQ(Store().GetFilePath(), home.DefaultSettingsFile());
        EXPECT_EQ(main->windowTitle(), title);
        EXPECT_EQ(ReadFileText(path), c.content);
    }
}

TEST_F(MainWindowTest, OpeningAFileAnotherInstanceHoldsIsRefused) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const std::string file = home.Path("docs/held.zul");
    WriteSettings(file, 3);
    SettingsFileRegistry other;
    ASSERT_TRUE(other.ReserveSettingsFile(file));
    dialogs.paths = {file};
    main->OpenSettingsFile();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_INI_FILE_LOCKED, "held.zul"));
    EXPECT_NE(Store().GetInt<kHeadSetupMode>(0, 0), 3);
    EXPECT_EQ(Store().GetFilePath(), home.DefaultSettingsFile());
}

TEST_F(MainWindowTest, SaveAsWritesMovesTheReservationAndAsksNothing) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Store().SetInt<kHeadSetupMode>(2, 0, 0);
    const std::string file = home.Path("docs/saved.zul");
    dialogs.paths = {file};
    main->SaveSettingsFileAs();
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_TRUE(fs::exists(file));
    SettingsStore saved;
    ASSERT_EQ(saved.Load(nullptr, file), ZUL_OK);
    EXPECT_EQ(saved.GetInt<kHeadSetupMode>(0, 0), 2);
    EXPECT_EQ(Store().GetFilePath(), file);
    EXPECT_TRUE(Store().IsUnchanged());
    EXPECT_TRUE(main->windowTitle().contains(QStringLiteral("saved.zul")));
    SettingsFileRegistry other;
    EXPECT_FALSE(other.ReserveSettingsFile(file));
    EXPECT_TRUE(other.ReserveSettingsFile(home.DefaultSettingsFile()));
}

TEST_F(MainWindowTest, SaveQuestionAtExitCancelNoAndYes) {
    const std::string file = UserFile("user.zul");
    WriteSettings(file, 0);
    ASSERT_NO_FATAL_FAILURE(StartProgram("user.zul"));
    QSignalSpy closed(main, &ui::CMainWindow::Closed);

    Store().SetInt<kHeadSetupMode>(1, 0, 0);
    boxes.answers = {kAnswerCancel};
    main->close();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, kMbYesNoCancel);
    EXPECT_EQ(boxes.shown[0].text, MessageText(kMsgConfirmSaveSetOpen, "user.zul"));
    EXPECT_EQ(closed.count(), 0);  // Cancel keeps the program running
    EXPECT_TRUE(main->isEnabled());

    boxes.answers = {kAnswerYes};
    main->close();
    EXPECT_EQ(closed.count(), 1);
    SettingsStore saved;
    ASSERT_EQ(saved.Load(nullptr, file), ZUL_OK);
    EXPECT_EQ(saved.GetInt<kHeadSetupMode>(0, 0), 1);
}

TEST_F(MainWindowTest, FailingSaveKeepsTheProgramRunning) {
    const std::string file = UserFile("user.zul");
    WriteSettings(file, 0);
    ASSERT_NO_FATAL_FAILURE(StartProgram("user.zul"));
    QSignalSpy closed(main, &ui::CMainWindow::Closed);
    Store().SetInt<kHeadSetupMode>(1, 0, 0);
    // The file turns into a folder: writing it fails.
    fs::remove(file);
    fs::create_directories(file);
    boxes.answers = {kAnswerYes};
    main->close();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[1].text.startsWith(ErrorText(ZUL_ERR_INI_FILE_WRITE, "user.zul")))
        << boxes.shown[1].text.toStdString();
    EXPECT_GT(boxes.shown[1].text.size(), ErrorText(ZUL_ERR_INI_FILE_WRITE, "user.zul").size());
    EXPECT_EQ(closed.count(), 0);
    EXPECT_FALSE(Store().IsUnchanged());

    // Open behaves the same way: after the failed save nothing is opened.
    const std::string other = home.Path("docs/other.zul");
    WriteSettings(other, 3);
    dialogs.paths = {other};
    boxes.shown.clear();
    boxes.answers = {kAnswerYes};
    main->OpenSettingsFile();
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(Store().GetInt<kHeadSetupMode>(0, 0), 1);

    boxes.answers = {kAnswerNo};
    main->close();
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(MainWindowTest, NoQuestionOnTheDefaultFile) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    QSignalSpy closed(main, &ui::CMainWindow::Closed);
    Store().SetInt<kHeadSetupMode>(1, 0, 0);
    main->close();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(MainWindowTest, SecondInstanceOnTheSameFileIsRefused) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ui::CommandLine commandLine;
    commandLine.device = home.Path("com1");
    ui::DesktopProgram second(commandLine);
    ui::DesktopStartOptions options;
    options.uiDefinitionPath = ShippedUiDefinition();
    options.showSplash = false;
    options.registerDataFileTypes = false;
    EXPECT_EQ(second.Start(options), ZUL_ERR_INI_FILE_LOCKED);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].topMost);
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_INI_FILE_LOCKED, "qv-m8.zul"));
    EXPECT_EQ(second.Main(), nullptr);
    // The first instance still holds its file.
    SettingsFileRegistry other;
    EXPECT_FALSE(other.ReserveSettingsFile(home.DefaultSettingsFile()));
}

}  // namespace
}  // namespace zul::test

namespace zul::test {
namespace {

TEST(SimulatedRun, ConnectsToTheEmulatorAndKeepsItsOwnSettingsFile) {
    TestHome home;
    const std::string userDefault = home.DefaultSettingsFile();
    BoxRecorder boxes;
    {
        ui::CommandLine commandLine;
        commandLine.simulate = true;
        ui::DesktopProgram program(commandLine);
        ui::DesktopStartOptions options;
        options.uiDefinitionPath = ShippedUiDefinition();
        options.showSplash = false;
        ASSERT_EQ(program.Start(options), ZUL_OK);
        EXPECT_EQ(program.App().Store().GetFilePath(),
                  home.Path("cache/qvm8-zul/simulate/config/Brantwick ORTA Sensor/QV-M8 ZuL/"
                            "qv-m8.zul"));
        program.Main()->ToggleConnection();
        EXPECT_EQ(program.Main()->LineState(), 1);
        EXPECT_EQ(program.Finish(), ZUL_OK);
    }
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(fs::exists(userDefault));
    EXPECT_FALSE(fs::exists(home.Path("data/mime")));  // no file types registered either
    EXPECT_TRUE(
        fs::exists(home.Path("cache/qvm8-zul/simulate/config/Brantwick ORTA Sensor/"
                             "QV-M8 ZuL/qv-m8.zul")));
}

// The main window opens where the settings file says and stores where it was at exit; moving it
// is no change to save, so closing on a user file asks nothing.
TEST_F(MainWindowTest, MainWindowPositionComesFromTheFileAndMovingItAsksNothing) {
    const std::string file = UserFile("placed.zul");
    fs::create_directories(fs::path(file).parent_path());
    WriteFileText(file, "[FORM_MAIN]\r\nFormTop=43\r\nFormLeft=71\r\n");
    ASSERT_NO_FATAL_FAILURE(StartProgram("placed.zul"));
    Store().MarkSaved();  // the fixture's link settings are no user change
    ASSERT_TRUE(main->isVisible());
    EXPECT_EQ(main->pos(), QPoint(71, 43));
    QSignalSpy closed(main, &ui::CMainWindow::Closed);
    main->move(120, 90);
    main->close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
    EXPECT_EQ(Store().GetInt<kMainFormLeft>(), 120);
    EXPECT_EQ(Store().GetInt<kMainFormTop>(), 90);
    EXPECT_TRUE(Store().IsUnchanged());
}

}  // namespace
}  // namespace zul::test

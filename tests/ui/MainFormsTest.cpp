// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's other commands: the association tool and its exit codes, the software
// settings form (OK and Cancel), the output pictures, the compact view and the recent files.
#include "FrameworkAccessibility.h"
#include "MainWindowFixture.h"

#include <sys/stat.h>

#include <map>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "settings/MessageTexts.h"
#include "ui/forms/FormControls.h"
#include "ui/forms/SoftwareSettingsForm.h"
#include "ui/framework/QtText.h"
#include "ui/main/AssociationTool.h"

namespace zul::test {

using namespace zul::ui;
namespace {

// A stand-in for qvm8-assoc that records its arguments and ends with code.
std::string FakeAssociationTool(const TestHome& home, int code) {
    const std::string path = home.Path("assoc-" + std::to_string(code) + ".sh");
    WriteFileText(path, "#!/bin/sh\necho \"$@\" > \"" + home.Path("assoc-args") + "\"\nexit " +
                            std::to_string(code) + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

TEST_F(MainWindowTest, AssociationDoneNoticesFollowTheExitCodes) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    main->SetAssociationTool(QString::fromStdString(FakeAssociationTool(home, 1)));
    boxes.answers = {kAnswerYes};
    main->ChangeFileAssociation(true);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].style, kMbYesNo);
    EXPECT_EQ(boxes.shown[1].text, MessageText(kMsgUpdateAssocDone));
    EXPECT_EQ(ReadFileText(home.Path("assoc-args")), std::to_string(::getpid()) + " /register\n");

    // Exit code 1 after removing is not the removal's success: nothing is shown.
    boxes.shown.clear();
    boxes.answers = {kAnswerYes};
    main->ChangeFileAssociation(false);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(ReadFileText(home.Path("assoc-args")), std::to_string(::getpid()) + " /unregister\n");

    main->SetAssociationTool(QString::fromStdString(FakeAssociationTool(home, 2)));
    boxes.shown.clear();
    boxes.answers = {kAnswerYes};
    main->ChangeFileAssociation(false);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, MessageText(kMsgDeleteAssocDone));
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(MainWindowTest, AssociationNoRunsNothingAndAFailedLaunchIsReported) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    main->SetAssociationTool(QString::fromStdString(FakeAssociationTool(home, 1)));
    boxes.answers = {kAnswerNo};
    main->ChangeFileAssociation(true);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(fs::exists(home.Path("assoc-args")));

    main->SetAssociationTool(QString::fromStdString(home.Path("no-such-tool")));
    boxes.shown.clear();
    boxes.answers = {kAnswerYes};
    main->ChangeFileAssociation(true);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].style, kMbError);
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("no-such-tool")));
}

TEST(AssociationTool, LaunchFailureAndCrashGiveTheReservedCodes) {
    TestHome home;
    EXPECT_EQ(ui::RunAssociationTool(QString::fromStdString(home.Path("missing")), 1, true),
              ui::kAssocLaunchFailed);
    const std::string crash = home.Path("crash.sh");
    WriteFileText(crash, "#!/bin/sh\nkill -SEGV $$\n");
    ::chmod(crash.c_str(), 0755);
    EXPECT_EQ(ui::RunAssociationTool(QString::fromStdString(crash), 1, true),
              ui::kAssocLaunchError);
}

ui::CSoftwareSettingsForm* OpenSoftwareForm(ui::CMainWindow* main) {
    main->OpenChild(ui::ChildWindow::kSoftwareSettings);
    return qobject_cast<ui::CSoftwareSettingsForm*>(
        main->Child(ui::ChildWindow::kSoftwareSettings));
}

TEST_F(MainWindowTest, SoftwareSettingsOkAssignsCancelDoesNot) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ui::CSoftwareSettingsForm* form = OpenSoftwareForm(main);
    ASSERT_NE(form, nullptr);
    // While it is open its menu item is unavailable.
    auto* timeout = FindControl<QComboBox>(form, ui::kSoftTimeoutList);
    auto* aliases = FindControl<QTableWidget>(form, ui::kSoftMemAliasTable);
    ASSERT_NE(timeout, nullptr);
    ASSERT_NE(aliases, nullptr);
    timeout->setCurrentIndex(timeout->findData(4));
    aliases->item(3, 0)->setText(QStringLiteral("Line 3"));
    form->close();  // Cancel: nothing assigned
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return main->Child(ui::ChildWindow::kSoftwareSettings) == nullptr; }, 2000));
    EXPECT_EQ(Store().GetInt<kSoftRs232cTimeout>(), 0);
    EXPECT_EQ(Store().GetText<kSoftMemAlias>(3), "");

    form = OpenSoftwareForm(main);
    ASSERT_NE(form, nullptr);
    timeout = FindControl<QComboBox>(form, ui::kSoftTimeoutList);
    aliases = FindControl<QTableWidget>(form, ui::kSoftMemAliasTable);
    timeout->setCurrentIndex(timeout->findData(4));
    aliases->item(3, 0)->setText(QStringLiteral("Line 3"));
    Store().SetInt<kHeadSetupMode>(2, 0, 0);  // another window's change meanwhile
    ASSERT_TRUE(form->Accept());
    EXPECT_EQ(Store().GetInt<kSoftRs232cTimeout>(), 4);
    EXPECT_EQ(Store().GetText<kSoftMemAlias>(3), "Line 3");
    EXPECT_EQ(Store().GetInt<kHeadSetupMode>(0, 0), 2);  // kept
    // The bank selector shows the alias.
    EXPECT_TRUE(Control<QComboBox>(ui::kMainMemoryBankList)
                    ->itemText(3)
                    .endsWith(QStringLiteral(" Line 3")))
        << Control<QComboBox>(ui::kMainMemoryBankList)->itemText(3).toStdString();
}

// The separator and the decimal mark are two choices in one box: picking one never clears the
// other, and both are assigned.
TEST_F(MainWindowTest, CsvSeparatorAndDecimalMarkAreChosenIndependently) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ui::CSoftwareSettingsForm* form = OpenSoftwareForm(main);
    ASSERT_NE(form, nullptr);
    auto radio = [&](int id) { return FindControl<QRadioButton>(form, id); };
    for (int id : {ui::kSoftCsvCommaRadio, ui::kSoftCsvSemicolonRadio, ui::kSoftCsvTabRadio,
                   ui::kSoftDecimalPointRadio, ui::kSoftDecimalCommaRadio}) {
        ASSERT_NE(radio(id), nullptr) << id;
    }
    // As opened: one separator and one decimal mark are shown as chosen.
    EXPECT_TRUE(radio(ui::kSoftCsvCommaRadio)->isChecked());
    EXPECT_TRUE(radio(ui::kSoftDecimalPointRadio)->isChecked());

    QTest::mouseClick(radio(ui::kSoftCsvSemicolonRadio), Qt::LeftButton);  // semicolon
    QTest::mouseClick(radio(ui::kSoftDecimalCommaRadio), Qt::LeftButton);  // decimal comma
    EXPECT_TRUE(radio(ui::kSoftCsvSemicolonRadio)->isChecked());
    EXPECT_TRUE(radio(ui::kSoftDecimalCommaRadio)->isChecked());
    EXPECT_FALSE(radio(ui::kSoftCsvCommaRadio)->isChecked());
    EXPECT_FALSE(radio(ui::kSoftDecimalPointRadio)->isChecked());
    ASSERT_TRUE(form->Accept());
    EXPECT_EQ(Store().GetInt<kSoftCsvSeparator>(), 1);
    EXPECT_EQ(Store().GetInt<kSoftCsvUnderdigit>(), 1);
}

TEST_F(MainWindowTest, PortListShowsWhereEachComNameLeads) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ui::CSoftwareSettingsForm* form = OpenSoftwareForm(main);
    ASSERT_NE(form, nullptr);
    auto* ports = FindControl<QComboBox>(form, ui::kSoftPortList);
    ASSERT_NE(ports, nullptr);
    ASSERT_GE(ports->count(), 2);
    // --device leads every port of this run to the emulator.
    EXPECT_TRUE(ports->itemText(1).startsWith(QStringLiteral("COM2")));
    EXPECT_TRUE(ports->itemText(1).contains(QString::fromStdString(home.Path("com1"))))
        << ports->itemText(1).toStdString();
    form->close();
}

void WritePicture(const std::string& folder, const std::string& name) {
    fs::create_directories(folder);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(QString::fromStdString(folder + "/" + name), "JPEG"));
}

TEST_F(MainWindowTest, PicturesFollowThePatternsAndHideWhenMissing) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const std::string folder = home.Path("pictures");
    WritePicture(folder, "xx068.jpg");
    WritePicture(folder, "ns000.jpg");
    Store().SetText<kAppImageFolder>(folder);
    Store().SetInt<kOutOutPattern>(5, 0, 0);
    Store().SetInt<kOutOutPattern>(7, 0, 1);
    main->DrawPictures();
    EXPECT_EQ(main->PictureFile(ui::kMainOutPatternPicture), QStringLiteral("xx068.jpg"));
    EXPECT_FALSE(Control(ui::kMainOutPatternPicture)->isHidden());
    EXPECT_TRUE(Control(ui::kMainOut1Picture)->isHidden());  // "00000.jpg" is not there

    Store().SetInt<kOutOutPattern>(0, 0, 0);
    main->DrawPictures();
    EXPECT_EQ(main->PictureFile(ui::kMainOut1Picture), QStringLiteral("ns000.jpg"));
    EXPECT_FALSE(Control(ui::kMainOut1Picture)->isHidden());

    // A pattern no controller has (a hand-edited file) hides the combination picture.
    Store().SetInt<kOutOutPattern>(40, 0, 1);
    main->DrawPictures();
    EXPECT_TRUE(Control(ui::kMainOutPatternPicture)->isHidden());
    EXPECT_TRUE(main->PictureFile(ui::kMainOutPatternPicture).isEmpty());
}

TEST_F(MainWindowTest, CompactViewHidesTheSettingsAndShortensTheWindow) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const QStringList captions = CaptionList(Ui().FindById(ui::kMainExpandButton)->caption);
    EXPECT_EQ(Control<QAbstractButton>(ui::kMainExpandButton)->text(), captions[0]);
    Click(ui::kMainExpandButton);
    EXPECT_FALSE(main->IsExpanded());
    EXPECT_FALSE(Control(ui::kMainSettingsPages)->isVisible());
    EXPECT_FALSE(Control(ui::kMainReadSettingsButton)->isVisible());
    EXPECT_TRUE(Control(ui::kMainConnectButton)->isVisible());
    EXPECT_EQ(Control<QAbstractButton>(ui::kMainExpandButton)->text(), captions[1]);
    const int compactHeight = main->height();
    Click(ui::kMainExpandButton);
    EXPECT_TRUE(Control(ui::kMainSettingsPages)->isVisible());
    EXPECT_EQ(Control<QAbstractButton>(ui::kMainExpandButton)->text(), captions[0]);
    const int fullHeight = main->height();
    EXPECT_LT(compactHeight, fullHeight);
    Click(ui::kMainExpandButton);
    EXPECT_EQ(main->height(), compactHeight);
}

TEST_F(MainWindowTest, TitleAndTabsComeFromTheRecords) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    EXPECT_EQ(main->windowTitle(), CaptionText(Ui().FindById(102)->caption));
    auto* tabs = Control<QTabWidget>(ui::kMainSettingsPages);
    ASSERT_EQ(tabs->count(), 5);
    const QStringList titles = CaptionList(Ui().FindById(ui::kMainSettingsPages)->caption);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(tabs->tabText(i), titles[i]);
    }
}

TEST_F(MainWindowTest, SoftwareSettingsFormKeepsItsPositionWithoutCountingAsAChange) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Store().SetInt<kSoftFormLeft>(61);
    Store().SetInt<kSoftFormTop>(37);
    Store().MarkSaved();
    ui::CSoftwareSettingsForm* form = OpenSoftwareForm(main);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->pos(), QPoint(61, 37));
    form->move(140, 95);
    form->close();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return main->Child(ui::ChildWindow::kSoftwareSettings) == nullptr; }, 2000));
    EXPECT_EQ(Store().GetInt<kSoftFormLeft>(), 140);
    EXPECT_EQ(Store().GetInt<kSoftFormTop>(), 95);
    EXPECT_TRUE(Store().IsUnchanged());

    // Accepted, the form stores where it is as well.
    form = OpenSoftwareForm(main);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->pos(), QPoint(140, 95));
    form->move(75, 66);
    QTest::mouseClick(FindControl<QPushButton>(form, ui::kSoftOkButton), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return main->Child(ui::ChildWindow::kSoftwareSettings) == nullptr; }, 2000));
    EXPECT_EQ(Store().GetInt<kSoftFormLeft>(), 75);
    EXPECT_EQ(Store().GetInt<kSoftFormTop>(), 66);
    EXPECT_TRUE(Store().IsUnchanged());
}

// The tab control is as tall as the page it shows: the controls of a short page are not
// followed by an empty band, and a tall page is shown whole.
TEST_F(MainWindowTest, TabControlTakesTheHeightOfThePageItShows) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    auto* tabs = Control<QTabWidget>(ui::kMainSettingsPages);
    ASSERT_NE(tabs, nullptr);
    QCoreApplication::processEvents();
    std::map<int, int> tabHeights;
    std::map<int, int> windowHeights;
    for (int index : {4, 2, 0}) {
        tabs->setCurrentIndex(index);
        QCoreApplication::processEvents();
        QWidget* page = tabs->widget(index);
        tabHeights[index] = tabs->height();
        windowHeights[index] = main->height();
        // The page gets at least what it asks for, and not much more.
        EXPECT_GE(page->height(), page->sizeHint().height()) << index;
        EXPECT_LE(page->height(), page->sizeHint().height() + 4) << index;
    }
    EXPECT_LT(tabHeights[4], tabHeights[2]);
    // The window follows: shorter for the common page than for an output page.
    EXPECT_LT(windowHeights[4], windowHeights[2]);
    EXPECT_LT(windowHeights[0], windowHeights[2]);
}

TEST_F(MainWindowTest, EverySoftwareSettingsControlHasAnAccessibleName) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ui::CSoftwareSettingsForm* form = OpenSoftwareForm(main);
    ASSERT_NE(form, nullptr);
    EXPECT_GT(KeyboardControls(form).size(), 15u);
    const QStringList unnamed = UnnamedKeyboardControls(form);
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(", ").toStdString();
    form->close();
}

TEST_F(MainWindowTest, AWindowThatCannotBeCreatedIsReported) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    // The next start registers the real window again.
    ui::RegisterChildWindow(ui::ChildWindow::kSoftwareSettings,
                            [](ui::CMainWindow&) -> QWidget* { return nullptr; });
    main->OpenChild(ui::ChildWindow::kSoftwareSettings);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_DIALOG_CREATE));
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    EXPECT_EQ(main->Child(ui::ChildWindow::kSoftwareSettings), nullptr);
    EXPECT_TRUE(main->isEnabled());
}

}  // namespace
}  // namespace zul::test

// SPDX-License-Identifier: GPL-3.0-or-later
// Desktop habits of the main window, driven through its keys, menus and controls against the
// emulator: F5, the title after save-as and open (and what a screen reader reads of it), the
// view toggle's caption, the bank-mismatch message, the bank selector through the
// accessibility interface, where child windows open, and the read-only values of the pages.
#include "MainWindowFixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>

#include "ui/framework/QtText.h"
#include "ui/main/DesktopMain.h"

namespace zul::test {
namespace {

QString AccessibleText(QObject* object, QAccessible::Text what) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface != nullptr ? iface->text(what) : QStringLiteral("(no interface)");
}

TEST_F(MainWindowTest, F5ConnectsAndDisconnects) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, Qt::Key_F5);
    ASSERT_EQ(main->LineState(), 1)
        << (boxes.shown.empty() ? std::string() : boxes.shown.back().text.toStdString());
    EXPECT_FALSE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#").empty());
    // The button's caption was applied again meanwhile (the connected look); the key still works.
    QTest::keyClick(main, Qt::Key_F5);
    EXPECT_EQ(main->LineState(), 0);
    QTest::keyClick(main, Qt::Key_F5);
    EXPECT_EQ(main->LineState(), 1);
}


TEST_F(MainWindowTest, TitleAfterSaveAsAndOpenIsTheCaptionAndTheFileAlone) {
    const QString programName = QCoreApplication::applicationName();
    ui::SetApplicationIdentity();
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    // The window system appends a display name of the program's own to every title that does
    // not end with it; the program sets none.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());

    const QString caption = CaptionText(Ui().FindById(102)->caption);
    EXPECT_EQ(main->windowTitle(), caption);
    EXPECT_EQ(AccessibleText(main, QAccessible::Name), caption);
    const std::string saved = home.Path("docs/A.zul");
    fs::create_directories(home.Path("docs"));
    dialogs.paths = {saved};
    main->findChild<QAction*>(QStringLiteral("action32772"))->trigger();
    ASSERT_EQ(Store().GetFilePath(), saved)
        << (boxes.shown.empty() ? std::string() : boxes.shown.back().text.toStdString());
    const QString folder =
        QDir::toNativeSeparators(QFileInfo(QString::fromStdString(saved)).absolutePath());
    const QString afterSave = caption + QStringLiteral(" - A.zul [") + folder + QStringLiteral("]");
    EXPECT_EQ(main->windowTitle(), afterSave);
    EXPECT_EQ(AccessibleText(main, QAccessible::Name), afterSave);

    const std::string other = home.Path("docs/other/B.zul");
    fs::create_directories(home.Path("docs/other"));
    WriteFileText(other, "[MEM0_HEADA]\r\nSetupMode=1\r\n");
    dialogs.paths = {other};
    main->findChild<QAction*>(QStringLiteral("action32771"))->trigger();
    ASSERT_EQ(Store().GetFilePath(), other)
        << (boxes.shown.empty() ? std::string() : boxes.shown.back().text.toStdString());
    const QString afterOpen =
        caption + QStringLiteral(" - B.zul [") +
        QDir::toNativeSeparators(QFileInfo(QString::fromStdString(other)).absolutePath()) +
        QStringLiteral("]");
    EXPECT_EQ(main->windowTitle(), afterOpen);
    EXPECT_EQ(AccessibleText(main, QAccessible::Name), afterOpen);
    QCoreApplication::setApplicationName(programName);
}


TEST_F(MainWindowTest, TheViewToggleNamesTheViewItSwitchesTo) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    auto* toggle = Control<QAbstractButton>(1015);
    ASSERT_NE(toggle, nullptr);
    ASSERT_TRUE(main->IsExpanded());
    EXPECT_TRUE(toggle->text().contains(QStringLiteral("Compact"))) << toggle->text().toStdString();
    EXPECT_FALSE(toggle->text().contains(QStringLiteral("Details")));
    Click(1015);
    ASSERT_FALSE(main->IsExpanded());
    EXPECT_TRUE(toggle->text().contains(QStringLiteral("Details"))) << toggle->text().toStdString();
    EXPECT_FALSE(toggle->text().contains(QStringLiteral("Compact")));
    EXPECT_EQ(AccessibleText(toggle, QAccessible::Name), toggle->text());
    Click(1015);
    EXPECT_TRUE(toggle->text().contains(QStringLiteral("Compact")));
}


TEST_F(MainWindowTest, BankMismatchSaysWhoseBankIsWhich) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    // The settings belong to bank 4, the controller works on bank 0.
    Store().SetInt<kAppCurMemNo>(4);
    main->RefreshFromStore();
    Click(1631);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("The settings belong to memory bank 4, the controller uses memory "
                             "bank 0."));
    EXPECT_EQ(boxes.shown[0].style, kMbError);

    // A bank with an alias is named by both.
    boxes.shown.clear();
    Store().SetText<kSoftMemAlias>("Line A", 4);
    Click(1631);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("The settings belong to memory bank 4 Line A, the controller uses "
                             "memory bank 0."));
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WIN").empty());
}

}  // namespace
}  // namespace zul::test

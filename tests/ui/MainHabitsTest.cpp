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

using namespace zul::ui;
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
    auto* toggle = Control<QAbstractButton>(ui::kMainExpandButton);
    ASSERT_NE(toggle, nullptr);
    ASSERT_TRUE(main->IsExpanded());
    EXPECT_TRUE(toggle->text().contains(QStringLiteral("Compact"))) << toggle->text().toStdString();
    EXPECT_FALSE(toggle->text().contains(QStringLiteral("Details")));
    Click(ui::kMainExpandButton);
    ASSERT_FALSE(main->IsExpanded());
    EXPECT_TRUE(toggle->text().contains(QStringLiteral("Details"))) << toggle->text().toStdString();
    EXPECT_FALSE(toggle->text().contains(QStringLiteral("Compact")));
    EXPECT_EQ(AccessibleText(toggle, QAccessible::Name), toggle->text());
    Click(ui::kMainExpandButton);
    EXPECT_TRUE(toggle->text().contains(QStringLiteral("Compact")));
}

TEST_F(MainWindowTest, BankMismatchSaysWhoseBankIsWhich) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    // The settings belong to bank 4, the controller works on bank 0.
    Store().SetInt<kAppCurMemNo>(4);
    main->RefreshFromStore();
    Click(ui::kMainInitMemoryButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("The settings belong to memory bank 4, the controller uses memory "
                             "bank 0."));
    EXPECT_EQ(boxes.shown[0].style, kMbError);

    // A bank with an alias is named by both.
    boxes.shown.clear();
    Store().SetText<kSoftMemAlias>("Line A", 4);
    Click(ui::kMainInitMemoryButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("The settings belong to memory bank 4 Line A, the controller uses "
                             "memory bank 0."));
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WIN").empty());
}

TEST_F(MainWindowTest, TheBankSelectorFollowsAnAssistiveToolsSelection) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    auto* box = Control<QComboBox>(ui::kMainMemoryBankList);
    ASSERT_NE(box, nullptr);
    QAccessibleInterface* selector = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(selector, nullptr);
    QAccessibleInterface* list = selector->child(0);
    ASSERT_NE(list, nullptr);
    QAccessibleTableInterface* entries = list->tableInterface();
    ASSERT_NE(entries, nullptr);
    ASSERT_GE(entries->rowCount(), 16);
    // The closed list shows the bank in force as its selected entry.
    EXPECT_TRUE(entries->isRowSelected(box->currentIndex()));
    EXPECT_EQ(entries->selectedRowCount(), 1);

    // Selecting an entry chooses that bank for the tool and the controller.
    ASSERT_TRUE(entries->selectRow(5));
    const int32_t five = box->itemData(5).toInt();
    EXPECT_EQ(box->currentIndex(), 5);
    EXPECT_EQ(Store().GetInt<kAppCurMemNo>(), five);
    EXPECT_EQ(Store().GetInt<kCtrlCurMemNo>(), five);
    EXPECT_EQ(selector->text(QAccessible::Value), box->itemText(5));
    QCoreApplication::processEvents();
    EXPECT_TRUE(entries->isRowSelected(5));
    EXPECT_EQ(entries->selectedRowCount(), 1);

    // The entry's own toggle action chooses it as well.
    QAccessibleInterface* two = entries->cellAt(2, 0);
    ASSERT_NE(two, nullptr);
    ASSERT_NE(two->actionInterface(), nullptr);
    two->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(box->currentIndex(), 2);
    EXPECT_EQ(Store().GetInt<kAppCurMemNo>(), box->itemData(2).toInt());
    // Toggling the entry in force leaves the bank as it is, still shown as selected.
    two->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(box->currentIndex(), 2);
    EXPECT_TRUE(entries->isRowSelected(2));
    // A bank chosen with the mouse or keys is what the list shows next.
    box->setCurrentIndex(7);
    EXPECT_TRUE(entries->isRowSelected(7));
    EXPECT_EQ(entries->selectedRowCount(), 1);
}

// Child windows with no stored position open beside the main window or cascaded from it, on
// its screen, each at a spot of its own; a stored position off every screen comes back onto one.
TEST_F(MainWindowTest, WindowsWithoutAStoredPositionOpenBesideOrCascadedFromTheMainWindow) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const QRect area = main->screen()->availableGeometry();
    const QPoint mainAt = main->frameGeometry().topLeft();
    std::vector<QPoint> taken = {mainAt};
    const std::vector<std::pair<int32_t, ui::ChildWindow>> windows = {
        {ui::kMainMeasurementButton, ui::ChildWindow::kMeasurement},
        {ui::kMainLightWaveButton, ui::ChildWindow::kLightWave},
        {ui::kMainBufferingButton, ui::ChildWindow::kBuffering},
        {ui::kMainConfigListButton, ui::ChildWindow::kConfigList}};
    for (const auto& [button, kind] : windows) {
        SCOPED_TRACE(button);
        Click(button);
        QWidget* opened = main->Child(kind);
        ASSERT_NE(opened, nullptr);
        ASSERT_TRUE(opened->isVisible());
        const QRect frame = opened->frameGeometry();
        EXPECT_TRUE(area.contains(frame.topLeft()))
            << frame.x() << "," << frame.y() << " outside the screen";
        if (frame.width() <= area.width() && frame.height() <= area.height()) {
            EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y();
        }
        const bool beside = frame.left() > main->frameGeometry().right() ||
                            frame.right() < main->frameGeometry().left();
        const bool cascaded = frame.left() > mainAt.x() && frame.top() > mainAt.y();
        EXPECT_TRUE(beside || cascaded) << frame.x() << "," << frame.y();
        for (const QPoint& other : taken) {
            EXPECT_GE((frame.topLeft() - other).manhattanLength(), 14)
                << frame.x() << "," << frame.y() << " on top of " << other.x() << "," << other.y();
        }
        taken.push_back(frame.topLeft());
    }
}

TEST_F(MainWindowTest, AStoredPositionOffEveryScreenComesBackOntoOne) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Store().SetInt<kMeasFormLeft>(9000);
    Store().SetInt<kMeasFormTop>(-7000);
    Click(ui::kMainMeasurementButton);
    QWidget* wnd = main->Child(ui::ChildWindow::kMeasurement);
    ASSERT_NE(wnd, nullptr);
    const QScreen* screen = QGuiApplication::screenAt(wnd->frameGeometry().topLeft());
    ASSERT_NE(screen, nullptr) << wnd->x() << "," << wnd->y();
    const QRect area = screen->availableGeometry();
    if (wnd->frameGeometry().width() <= area.width() &&
        wnd->frameGeometry().height() <= area.height()) {
        EXPECT_TRUE(area.contains(wnd->frameGeometry())) << wnd->x() << "," << wnd->y();
    }
    // Nearest to where it was: the top right of the screen.
    EXPECT_EQ(wnd->frameGeometry().top(), area.top());
    EXPECT_GT(wnd->frameGeometry().left(), area.left());

    // A position on the screen stays as stored.
    wnd->close();
    // Its button is available again once the window's closed message has come.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Control(ui::kMainMeasurementButton)->isEnabled(); }, 2000));
    Store().SetInt<kMeasFormLeft>(37);
    Store().SetInt<kMeasFormTop>(29);
    Click(ui::kMainMeasurementButton);
    wnd = main->Child(ui::ChildWindow::kMeasurement);
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(wnd->pos(), QPoint(37, 29));
}

// The values the pages only show are read aloud under the caption beside them, with the value
// as their text, also after a bank switch.
TEST_F(MainWindowTest, ReadOnlyValuesOfThePagesAreReadWithTheirCaptions) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    auto* tabs = Control<QTabWidget>(ui::kMainSettingsPages);
    ASSERT_NE(tabs, nullptr);
    const int32_t bank = Store().GetInt<kAppCurMemNo>();
    const int32_t other = bank == 3 ? 4 : 3;
    Store().SetDouble<kOutSCALING_VoltageValue1>(-5.0, bank, 0);
    Store().SetDouble<kOutSCALING_VoltageValue1>(2.5, other, 0);
    Store().SetDouble<kHeadCALIB_MeasureValue1>(0.125, bank, 0);
    main->RefreshFromStore();
    struct Shown {
        int tab;
        int id;
    };
    const std::vector<Shown> values = {{2, ui::kOutZeroSetList},
                                       {2, ui::kOutZeroSetValueEdit},
                                       {2, ui::kOutScalingMeasure1Text},
                                       {2, ui::kOutScalingMeasure2Text},
                                       {2, ui::kOutScalingVoltage1Text},
                                       {2, ui::kOutScalingVoltage2Text},
                                       {3, ui::kOutScalingVoltage1Text},
                                       {0, ui::kHeadCalibMeasureValue1Text},
                                       {0, ui::kHeadCalibCorrectValue1Text},
                                       {1, ui::kHeadCalibCorrectValue2Text}};
    for (const Shown& shown : values) {
        SCOPED_TRACE(shown.id);
        QWidget* page = tabs->widget(shown.tab);
        auto* label = FindControl<QLabel>(page, shown.id);
        auto* caption = page->findChild<QLabel*>(QStringLiteral("lbl%1").arg(shown.id));
        ASSERT_NE(label, nullptr);
        ASSERT_NE(caption, nullptr);
        ASSERT_FALSE(label->text().isEmpty());
        EXPECT_FALSE(caption->text().isEmpty());
        EXPECT_EQ(AccessibleText(label, QAccessible::Name), caption->text());
        EXPECT_EQ(AccessibleText(label, QAccessible::Description), label->text());
    }
    auto* voltage = FindControl<QLabel>(tabs->widget(2), ui::kOutScalingVoltage1Text);
    EXPECT_EQ(AccessibleText(voltage, QAccessible::Description), QStringLiteral("-5.000"));
    auto* selector = Control<QComboBox>(ui::kMainMemoryBankList);
    selector->setCurrentIndex(selector->findData(other));
    ASSERT_EQ(Store().GetInt<kAppCurMemNo>(), other);
    EXPECT_EQ(voltage->text(), QStringLiteral("2.500"));
    EXPECT_EQ(AccessibleText(voltage, QAccessible::Description), QStringLiteral("2.500"));
}

// The output page offers the measurement mode twice: four buttons for the modes used most and
// the list with every mode. Each says what it is: the list under the setting's own caption,
// the buttons under a caption of their own.
TEST_F(MainWindowTest, TheTwoMeasurementModeSelectorsSayWhatEachIsFor) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    auto* tabs = Control<QTabWidget>(ui::kMainSettingsPages);
    ASSERT_NE(tabs, nullptr);
    for (int tab : {2, 3}) {
        SCOPED_TRACE(tab);
        tabs->setCurrentIndex(tab);
        QWidget* page = tabs->widget(tab);
        auto* list = FindControl<QComboBox>(page, ui::kOutMeasureModeList);
        auto* listCaption = page->findChild<QLabel*>(QStringLiteral("lbl1658"));
        ASSERT_NE(list, nullptr);
        ASSERT_NE(listCaption, nullptr);
        const QString setting = CaptionText(Ui().FindById(ui::kOutMeasureModeList)->caption);
        EXPECT_TRUE(listCaption->isVisible());
        EXPECT_EQ(listCaption->text(), setting);
        EXPECT_EQ(listCaption->buddy(), list);
        EXPECT_EQ(list->accessibleName(), setting);
        EXPECT_FALSE(list->toolTip().isEmpty());
        // The list offers modes no button has.
        int buttons = 0;
        for (int32_t id = ui::kOutMeasureModeNormalRadio; id <= ui::kOutMeasureModePeakToPeakRadio;
             ++id) {
            auto* radio = FindControl<QAbstractButton>(page, id);
            ASSERT_NE(radio, nullptr) << id;
            EXPECT_TRUE(radio->isVisible()) << id;
            EXPECT_GE(list->findText(radio->text()), 0) << radio->text().toStdString();
            ++buttons;
        }
        EXPECT_GT(list->count(), buttons);
        // The buttons have a caption of their own, not the list's.
        QLabel* quick = nullptr;
        for (QLabel* label : page->findChildren<QLabel*>()) {
            if (label->isVisible() && label->parentWidget() == list->parentWidget() &&
                label != listCaption && !label->text().isEmpty() &&
                label->objectName().startsWith(QStringLiteral("lbl"))) {
                quick = label;
            }
        }
        ASSERT_NE(quick, nullptr);
        EXPECT_NE(quick->text(), setting);
        EXPECT_FALSE(quick->toolTip().isEmpty());
    }
}

}  // namespace
}  // namespace zul::test

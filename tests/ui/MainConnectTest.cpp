// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's connection: connect and disconnect through the button, the boxes of a
// failed connect, a lost link, and the memory-bank selector.
#include "MainWindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "settings/UiControlRecord.h"
#include "ui/framework/QtText.h"

namespace zul::test {

using namespace zul::ui;
namespace {

// The connect button's face shows the connection state.
QColor ButtonFace(QWidget* button) {
    return button->palette().color(QPalette::Button);
}

TEST_F(MainWindowTest, ConnectShowsTheControllerAndDisconnectReturnsToTheStartLook) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const UiControlRecord* record = Ui().FindById(ui::kMainConnectButton);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(main->LineState(), 0);
    EXPECT_FALSE(Control(ui::kMainReadSettingsButton)->isEnabled());
    EXPECT_FALSE(Control(ui::kMainInitMemoryButton)->isEnabled());
    EXPECT_EQ(ButtonFace(Control(ui::kMainConnectButton)), ColorFromRef(record->color1));

    Click(ui::kMainConnectButton);
    ASSERT_EQ(main->LineState(), 1);
    EXPECT_EQ(Store().GetInt<kCtrlLineState>(), 1);
    // The identification the emulator reports, the version as "major.minor".
    EXPECT_FALSE(Control<QLineEdit>(ui::kMainTypeText)->text().isEmpty());
    EXPECT_TRUE(Control<QLineEdit>(ui::kMainVersionText)->text().contains(QLatin1Char('.')))
        << Control<QLineEdit>(ui::kMainVersionText)->text().toStdString();
    for (int32_t id :
         {ui::kMainReadSettingsButton, ui::kMainWriteSettingsButton, ui::kMainAllBanksCheck,
          ui::kMainSaveMemoryButton, ui::kMainInitMemoryButton}) {
        EXPECT_TRUE(Control(id)->isEnabled()) << id;
    }
    EXPECT_EQ(ButtonFace(Control(ui::kMainConnectButton)), ColorFromRef(record->color2));
    EXPECT_EQ(Control<QAbstractButton>(ui::kMainConnectButton)->text(),
              CaptionList(record->caption).front());
    EXPECT_TRUE(boxes.shown.empty());

    Click(ui::kMainConnectButton);
    EXPECT_EQ(main->LineState(), 0);
    EXPECT_EQ(Store().GetInt<kCtrlLineState>(), 0);
    EXPECT_FALSE(Control(ui::kMainWriteSettingsButton)->isEnabled());
    EXPECT_EQ(ButtonFace(Control(ui::kMainConnectButton)), ColorFromRef(record->color1));
    EXPECT_TRUE(boxes.shown.empty());  // disconnecting shows nothing
}

TEST_F(MainWindowTest, MissingPortIsReportedWithItsComName) {
    ASSERT_NO_FATAL_FAILURE(StartProgram({}, home.Path("no-such-device")));
    Click(ui::kMainConnectButton);
    EXPECT_EQ(main->LineState(), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    const QString text = QString::fromStdString(Ui().GetErrorText(ZUL_ERR_OS_RS_OPEN));
    EXPECT_TRUE(boxes.shown[0].text.startsWith(text.left(text.indexOf(QLatin1Char('%')))))
        << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("COM1")));
    EXPECT_FALSE(Control(ui::kMainReadSettingsButton)->isEnabled());
}

TEST_F(MainWindowTest, SilentControllerTimesOutAndStaysDisconnected) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    sim::SimFaults faults;
    faults.silent = 1000;
    sim.SetFaults(faults);
    Click(ui::kMainConnectButton);
    EXPECT_EQ(main->LineState(), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_COMM_TIMEOUT));
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    // The link was closed again: a second attempt with a live emulator connects.
    sim.SetFaults({});
    Click(ui::kMainConnectButton);
    EXPECT_EQ(main->LineState(), 1);
}

TEST_F(MainWindowTest, LostLinkShowsTheDeviceErrorAndTheDisconnectedLook) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    sim.Stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->LineState() == 0; }, 10000))
        << main->LineState();
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<int>(boxes.shown.size()) == 1; }, 5000))
        << static_cast<int>(boxes.shown.size());
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_RS_DEVICE, "COM1", home.Path("com1")));
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    EXPECT_FALSE(Control(ui::kMainReadSettingsButton)->isEnabled());
    EXPECT_TRUE(main->isEnabled());  // enabled again after the box
}

TEST_F(MainWindowTest, BankSelectorSwitchesBothBanksAndSendsNothing) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    auto* selector = Control<QComboBox>(ui::kMainMemoryBankList);
    ASSERT_EQ(selector->count(), 16);
    selector->setCurrentIndex(5);
    EXPECT_EQ(Store().GetInt<kAppCurMemNo>(), 5);
    EXPECT_EQ(Store().GetInt<kCtrlCurMemNo>(), 5);
    QCoreApplication::processEvents();
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

TEST_F(MainWindowTest, ErrorReplyToConnectIsReportedAndTheLinkClosed) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    // The program leaves the block check out while the controller expects it: every request
    // gets an error reply.
    sim.SetBcc(true);
    Store().SetInt<kSoftRs232cBCC>(0);
    Click(ui::kMainConnectButton);
    EXPECT_EQ(main->LineState(), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    const QString text = QString::fromStdString(Ui().GetErrorText(ZUL_ERR_COMM_RES));
    EXPECT_TRUE(boxes.shown[0].text.startsWith(text.left(text.indexOf(QLatin1Char('%')))))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    // Closed again: with the block check on the next attempt connects.
    Store().SetInt<kSoftRs232cBCC>(1);
    Click(ui::kMainConnectButton);
    EXPECT_EQ(main->LineState(), 1);
}

TEST_F(MainWindowTest, UsbControllerThatIsNotThereIsReportedByItsName) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Store().SetInt<kSoftCommunicationType>(kCommunicationUsb);
    Store().SetText<kSoftUsbConnect>("ORTA QV-M8 (QX00000)");
    Click(ui::kMainConnectButton);
    EXPECT_EQ(main->LineState(), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    const QString text = QString::fromStdString(Ui().GetErrorText(ZUL_ERR_FT_USB_OPEN));
    EXPECT_TRUE(boxes.shown[0].text.startsWith(text.left(text.indexOf(QLatin1Char('%')))))
        << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("QX00000")))
        << boxes.shown[0].text.toStdString();
    EXPECT_FALSE(Control(ui::kMainReadSettingsButton)->isEnabled());
}

}  // namespace
}  // namespace zul::test

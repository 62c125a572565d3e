// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controller commands against the emulator: read all and write all behind the
// progress form (with cancel), and the memory-bank commands with their questions.
#include "MainWindowFixture.h"

#include <QCheckBox>
#include <QProgressBar>

#include "SimMemory.h"
#include "settings/MessageTexts.h"

namespace zul::test {
namespace {

TEST_F(MainWindowTest, ReadAllShowsProgressAndTakesTheControllersValues) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    Store().SetInt<kHeadSetupMode>(3, 0, 0);
    const int32_t fromController = 0;  // the emulator's factory value
    std::vector<int> percents;
    QObject::connect(main, &ui::MainWindow::TransferStarted, main, [&] {
        auto* bar = main->ProgressForm()->findChild<QProgressBar*>();
        ASSERT_NE(bar, nullptr);
        EXPECT_FALSE(main->ProgressForm()->isEnabled());  // shows, takes no input
        EXPECT_FALSE(main->isEnabled());
        QObject::connect(bar, &QProgressBar::valueChanged, main,
                         [&](int value) { percents.push_back(value); });
    });
    Click(1628);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(Store().GetInt<kHeadSetupMode>(0, 0), fromController);
    EXPECT_EQ(Store().GetInt<kAppCurMemNo>(), Store().GetInt<kCtrlCurMemNo>());
    EXPECT_EQ(Store().GetInt<kCtrlLineState>(), 1);
    EXPECT_FALSE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#RDD").empty());
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(MainWindowTest, ClosingTheProgressFormCancelsAndLeavesTheStoreAlone) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    sim.SetLatency(std::chrono::milliseconds(5));
    Store().SetInt<kHeadSetupMode>(3, 0, 0);
    QObject::connect(main, &ui::MainWindow::TransferStarted, main,
                     [&] { main->ProgressForm()->close(); });
    Click(1628);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_ABORT));
    EXPECT_EQ(Store().GetInt<kHeadSetupMode>(0, 0), 3);  // nothing applied
    EXPECT_EQ(main->ProgressForm(), nullptr);
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(MainWindowTest, WriteAllSendsTheSelectedBankAndSwitchesTheController) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    Store().SetInt<kAppCurMemNo>(2);
    main->RefreshFromStore();
    Click(1629);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
    const auto frames = sim.ReceivedFrames();
    EXPECT_FALSE(FramesWithPrefix(frames, "%EE#WDD").empty());
    EXPECT_FALSE(FramesWithPrefix(frames, "%EE#WMC000002").empty());
    EXPECT_EQ(Store().GetInt<kCtrlCurMemNo>(), 2);
}

TEST_F(MainWindowTest, WriteAllRefusedByTheControllerIsReported) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    sim.WriteWord(sim::kSysMemChangePriority, 1);
    Click(1629);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_MEM_CHANGE_PRIORITY));
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WDD").empty());
}

TEST_F(MainWindowTest, SaveMemoryBankAsksAndSendsOnlyOnYes) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    boxes.answers = {kAnswerNo};
    Click(1630);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, kMbYesNo);
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WWR").empty());

    boxes.shown.clear();
    boxes.answers = {kAnswerYes};
    Click(1630);
    EXPECT_EQ(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WWR000001").size(), 1u);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, MessageText(kMsgSaveMemDone));
    EXPECT_EQ(boxes.shown[1].style, kMbNotice);
    EXPECT_EQ(program->App().ReconnectMode(), 0);
}

TEST_F(MainWindowTest, InitialiseBankChecksTheBankFirst) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    // The settings belong to bank 4, the controller works on bank 0: nothing is asked or sent.
    Store().SetInt<kAppCurMemNo>(4);
    main->RefreshFromStore();
    Click(1631);
    ASSERT_EQ(boxes.shown.size(), 1u);
    const QString text = QString::fromStdString(Ui().GetErrorText(ZUL_ERR_CUR_MEM_NO_MATCH));
    EXPECT_TRUE(boxes.shown[0].text.startsWith(text.left(text.indexOf(QLatin1Char('%')))))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WIN").empty());

    boxes.shown.clear();
    Store().SetInt<kAppCurMemNo>(0);
    main->RefreshFromStore();
    boxes.answers = {kAnswerYes};
    Click(1631);
    EXPECT_EQ(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WIN000001").size(), 1u);
    ASSERT_EQ(boxes.shown.size(), 2u) << boxes.shown.back().text.toStdString();
    EXPECT_EQ(boxes.shown[0].style, kMbYesNo);
    EXPECT_EQ(boxes.shown[1].text, MessageText(kMsgInitMemDone));
    EXPECT_EQ(program->App().ReconnectMode(), 0);
}

TEST_F(MainWindowTest, AllBanksBoxTurnsInitialiseIntoInitialiseAll) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    Control<QCheckBox>(1101)->setChecked(true);
    boxes.answers = {kAnswerYes};
    Click(1631);
    ASSERT_GE(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, MessageText(kMsgConfirmInitAllMem));
    EXPECT_EQ(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WIN000002").size(), 1u);
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#RMC").empty());
}

}  // namespace
}  // namespace zul::test

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controller commands against the emulator: read all and write all behind the
// progress form (with cancel), and the memory-bank commands with their questions.
#include "MainWindowFixture.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QProgressBar>
#include <QTest>

#include "SimMemory.h"
#include "link/TraceEscape.h"
#include "settings/MessageTexts.h"

namespace zul::test {

using namespace zul::ui;
namespace {

TEST_F(MainWindowTest, ReadAllShowsProgressAndTakesTheControllersValues) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    Store().SetInt<kHeadSetupMode>(3, 0, 0);
    const int32_t fromController = 0;  // the emulator's factory value
    std::vector<int> percents;
    QObject::connect(main, &ui::CMainWindow::TransferStarted, main, [&] {
        auto* bar = main->ProgressForm()->findChild<QProgressBar*>();
        ASSERT_NE(bar, nullptr);
        // It shows the progress and takes no input but its Cancel (and Escape): the bar takes
        // no focus.
        EXPECT_TRUE(main->ProgressForm()->isEnabled());
        EXPECT_EQ(bar->focusPolicy(), Qt::NoFocus);
        EXPECT_FALSE(main->isEnabled());
        QObject::connect(bar, &QProgressBar::valueChanged, main,
                         [&](int value) { percents.push_back(value); });
    });
    Click(ui::kMainReadSettingsButton);
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
    QObject::connect(main, &ui::CMainWindow::TransferStarted, main,
                     [&] { main->ProgressForm()->close(); });
    Click(ui::kMainReadSettingsButton);
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
    Click(ui::kMainWriteSettingsButton);
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
    Click(ui::kMainWriteSettingsButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_MEM_CHANGE_PRIORITY));
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WDD").empty());
}

TEST_F(MainWindowTest, SaveMemoryBankAsksAndSendsOnlyOnYes) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    boxes.answers = {kAnswerNo};
    Click(ui::kMainSaveMemoryButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, kMbYesNo);
    // The question names the bank by its number, and by its alias when it has one.
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("memory bank 0 of")))
        << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WWR").empty());

    boxes.shown.clear();
    Store().SetText(kSoftMemAlias, "line A", 0);
    boxes.answers = {kAnswerYes};
    Click(ui::kMainSaveMemoryButton);
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("memory bank 0 line A of")))
        << boxes.shown[0].text.toStdString();
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
    Click(ui::kMainInitMemoryButton);
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
    Click(ui::kMainInitMemoryButton);
    EXPECT_EQ(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WIN000001").size(), 1u);
    ASSERT_EQ(boxes.shown.size(), 2u) << boxes.shown.back().text.toStdString();
    EXPECT_EQ(boxes.shown[0].style, kMbYesNo);
    EXPECT_EQ(boxes.shown[1].text, MessageText(kMsgInitMemDone));
    EXPECT_EQ(program->App().ReconnectMode(), 0);

    // The controller restarts after the initialisation and keeps its line: once it is back, the
    // next command works on the same connection, and no loss of the link was reported.
    ASSERT_TRUE(sim.WaitOnline(std::chrono::milliseconds(3000)));
    boxes.shown.clear();
    Click(ui::kMainReadSettingsButton);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
    EXPECT_EQ(main->LineState(), 1);
}

TEST_F(MainWindowTest, AllBanksBoxTurnsInitialiseIntoInitialiseAll) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    Control<QCheckBox>(ui::kMainAllBanksCheck)->setChecked(true);
    boxes.answers = {kAnswerYes};
    Click(ui::kMainInitMemoryButton);
    ASSERT_GE(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, MessageText(kMsgConfirmInitAllMem));
    EXPECT_EQ(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WIN000002").size(), 1u);
    EXPECT_TRUE(FramesWithPrefix(sim.ReceivedFrames(), "%EE#RMC").empty());
}

// While an initialisation is outstanding the link reconnects instead of failing: a line that
// drops is opened again every reconnect interval, and only when every attempt failed does the
// main window learn that the link is lost. The interval and the count come from the link
// environment (shortened here: 2 ticks, 3 attempts; the program's 5 and 20 give about 10 s).
TEST_F(MainWindowTest, ADropWhileInitialisingIsRetriedBeforeTheLinkIsLost) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Connect();
    program->App().Environment().SetReconnectSettings(2, 3);
    std::mutex linesMutex;
    std::vector<std::string> lines;
    const std::string link = home.Path("com1");
    SetTraceTap([&](std::string_view line) {
        std::lock_guard lock(linesMutex);
        lines.emplace_back(line);
        // The emulator's link would lead to the pseudo-terminal number the dropped line had,
        // which another process may get meanwhile: while the line is down it leads nowhere.
        if (line.find("link lost") != std::string_view::npos) {
            std::error_code ignored;
            fs::remove(link, ignored);
        }
    });
    auto traced = [&](std::string_view event) {
        std::lock_guard lock(linesMutex);
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(event) != std::string::npos;
        });
    };
    int reconnectLinesAtLoss = -1;
    boxes.onShown = [&](const MessageBoxShown& box) {
        if (box.style == kMbYesNo) {
            // The initialisation request gets no reply and the line stays down.
            sim::SimFaults faults;
            faults.silent = 1;
            faults.hangupAfter = 1;
            faults.hangupMs = 60000;
            sim.SetFaults(faults);
        } else if (box.text == ErrorText(ZUL_ERR_RS_DEVICE, "COM1", home.Path("com1"))) {
            reconnectLinesAtLoss = static_cast<int>(traced("RECONNECT, "));
        }
    };
    boxes.answers = {kAnswerYes};
    Click(ui::kMainInitMemoryButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->LineState() == 0; }, 10000))
        << main->LineState();
    SetTraceTap({});
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(FramesWithPrefix(sim.ReceivedFrames(), "%EE#WIN000001").size(), 1u);
    // One line for the drop, one per attempt; the loss is told after the last attempt only.
    EXPECT_EQ(reconnectLinesAtLoss, 1 + 3);
    EXPECT_EQ(traced("attempt 3 of 3: failed"), 1);
    EXPECT_EQ(traced("GIVEUP"), 1);
    EXPECT_EQ(boxes.shown[1].text, ErrorText(ZUL_ERR_RS_DEVICE, "COM1", home.Path("com1")));
    EXPECT_EQ(boxes.shown[1].style, kMbError);
    // The initialisation itself ended without the controller: its own failure follows.
    EXPECT_EQ(boxes.shown[2].text, ErrorText(ZUL_ERR_OFFLINE));
    EXPECT_EQ(program->App().ReconnectMode(), 0);
    EXPECT_TRUE(main->isEnabled());
    EXPECT_FALSE(Control(ui::kMainInitMemoryButton)->isEnabled());
}

}  // namespace
}  // namespace zul::test

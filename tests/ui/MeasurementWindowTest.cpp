// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window against the emulated controller: what a cycle sends, what the window
// shows, what its buttons send, and when it must not poll.
#include <algorithm>
#include <cmath>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include "MeasurementBufferingFixture.h"
#include "app/ConnectSequence.h"
#include "measurement/FormatMeasuredValue.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/CapabilityRolling.h"
#include "ui/framework/QtText.h"
#include "ui/framework/UiApplier.h"
#include "ui/measurement/MeasurementRules.h"
#include "ui/measurement/MeasurementWnd.h"
#include "ui/measurement/TrendStrip.h"

namespace zul::test {

using namespace zul::ui;
namespace {

constexpr int kWaitMs = 5000;

class MeasurementWindowTest : public WindowEmulatorTest {
protected:
    void SetUp() override {
        WindowEmulatorTest::SetUp();
        app.Store().SetInt<kSoftMeasureCycle>(1);
    }
    void CloseWindows() override { wnd.reset(); }

    CMeasurementWnd& Open() {
        wnd = std::make_unique<CMeasurementWnd>(app, nullptr);
        wnd->show();
        return *wnd;
    }
    // Waits for the next cycle that came back.
    bool WaitCycle() {
        QSignalSpy spy(wnd.get(), &CMeasurementWnd::cycleFinished);
        return spy.wait(kWaitMs);
    }
    template <class T>
    T* Ctrl(int id) {
        return FindControl<T>(wnd.get(), id);
    }
    QColor LampColor(int id) { return Ctrl<QLabel>(id)->palette().color(QPalette::Window); }
    QColor RecordColor(int id, int which) {
        const UiControlRecord* r = app.Ui().FindById(id);
        const int32_t refs[] = {0, r->color1, r->color2, r->color3, r->color4};
        return ColorFromRef(refs[which]);
    }
    QString ExpectedValueText(int out) {
        const int32_t bank = app.Store().GetInt<kAppCurMemNo>();
        return ToQString(FormatMeasuredValue(app.Store().GetDouble<kMeasMeasureValue>(out),
                                             app.Store().GetInt<kOutDispDigit>(bank, out),
                                             app.Micron())) +
               ToQString(app.Ui().FindById(out == 0 ? kMeasOut1Value : kMeasOut2Value)->unit);
    }

    std::unique_ptr<CMeasurementWnd> wnd;
};

TEST_F(MeasurementWindowTest, OneCycleSendsTheThirteenCommandsInOrder) {
    Open();
    ASSERT_TRUE(WaitCycle());
    wnd->LockPolling(true);  // no further cycle mixes into the trace
    std::vector<std::string> frames = WithoutBcc(sim.ReceivedFrames());
    ASSERT_GE(frames.size(), 13u);
    frames.resize(13);
    const std::vector<std::string> expected = {
        "%EE#RMB5", "%EE#RZS3", "%EE#RZS4", "RDD02807", "RDD03007", "%EE#RTI3", "%EE#RTI4",
        "%EE#RRS3", "%EE#RRS4", "%EE#RLR1", "%EE#RLR2", "%EE#ROA3", "%EE#ROA4"};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NE(frames[i].find(expected[i]), std::string::npos)
            << "frame " << i << ": " << frames[i] << " expected " << expected[i];
    }
}

TEST_F(MeasurementWindowTest, ShowsValuesAndLampsFromTheStore) {
    sim.SetFixedDisplacement(0, 1.25);
    Open();
    ASSERT_TRUE(WaitCycle());
    ASSERT_TRUE(WaitCycle());
    wnd->LockPolling(true);
    EXPECT_EQ(Ctrl<QLabel>(kMeasOut1Value)->text(), ExpectedValueText(0));
    EXPECT_EQ(Ctrl<QLabel>(kMeasOut2Value)->text(), ExpectedValueText(1));
    EXPECT_TRUE(Ctrl<QLabel>(kMeasOut1Value)->text().endsWith("mm"));
    // Head A held at 1.25 mm: OUT1 measures head A with the emulator's factory settings and
    // shows the bank's three decimals.
    EXPECT_EQ(Ctrl<QLabel>(kMeasOut1Value)->text(), "+1.250mm");
    // Every lamp shows the connected colour of its state.
    const std::vector<std::pair<int, int32_t>> lamps = {
        {kMeasOut1AlarmLamp, app.Store().GetInt<kMeasAlarmState>(0)},
        {kMeasOut1HiLamp, app.Store().GetInt<kMeasHiState>(0)},
        {kMeasOut1GoLamp, app.Store().GetInt<kMeasGoState>(0)},
        {kMeasOut1LowLamp, app.Store().GetInt<kMeasLowState>(0)},
        {kMeasOut1StrobeLamp, app.Store().GetInt<kMeasStrobe>(0)}};
    for (const auto& [id, state] : lamps) {
        EXPECT_EQ(LampColor(id), RecordColor(id, state != 0 ? 3 : 1)) << id;
        EXPECT_FALSE(Ctrl<QLabel>(id)->accessibleName().isEmpty());
    }
    EXPECT_TRUE(Ctrl<QPushButton>(kMeasOut1ZeroSetButton)->isEnabled());
    EXPECT_TRUE(Ctrl<QPushButton>(kMeasLaserAButton)->isEnabled());
    EXPECT_EQ(wnd->Trend(0).Count(), size_t(wnd->CyclesCompleted()));
}

// Bytes of noise on the line before the replies (a long cable near a motor) cost nothing: every
// cycle still comes back complete and the values follow the heads.
TEST_F(MeasurementWindowTest, NoiseBeforeTheRepliesLeavesTheCyclesWhole) {
    sim.SetFixedDisplacement(0, 1.25);
    sim::SimFaults noisy;
    noisy.noise = 40;  // three cycles of thirteen replies, and one more
    sim.SetFaults(noisy);
    Open();
    for (int cycle = 0; cycle < 3; ++cycle) {
        QSignalSpy spy(wnd.get(), &CMeasurementWnd::cycleFinished);
        ASSERT_TRUE(spy.wait(kWaitMs)) << "cycle " << cycle;
        EXPECT_EQ(spy.front().front().toInt(), ZUL_OK) << "cycle " << cycle;
    }
    wnd->LockPolling(true);
    EXPECT_LE(sim.Faults().noise, 40 - 3 * 13);  // the noise was really sent
    EXPECT_DOUBLE_EQ(app.Store().GetDouble<kMeasMeasureValue>(0), 1.25);
    EXPECT_EQ(Ctrl<QLabel>(kMeasOut1Value)->text(), ExpectedValueText(0));
}

// A controller that stops answering must not look like a steady reading: after a failed cycle
// the values are drawn in their not-live colour with the reason as tooltip, until a cycle
// comes back complete again.
TEST_F(MeasurementWindowTest, AFailedCycleGreysTheValuesAndNamesTheReasonUntilTheNextOne) {
    Open();
    ASSERT_TRUE(WaitCycle());
    std::vector<int> codes;
    // Polling pauses after the failed cycle, so that the next one cannot repaint the window
    // before it is looked at.
    QObject::connect(wnd.get(), &CMeasurementWnd::cycleFinished, [&](int code) {
        codes.push_back(code);
        if (code != ZUL_OK) {
            wnd->LockPolling(true);
        }
    });
    sim::SimFaults silent;
    silent.silent = 1;
    sim.SetFaults(silent);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !codes.empty() && codes.back() != ZUL_OK; }, 10000));
    EXPECT_EQ(codes.back(), ZUL_ERR_COMM_TIMEOUT);
    const std::string timeoutText = app.Ui().GetErrorText(ZUL_ERR_COMM_TIMEOUT);
    const QString reasonStart = ToQString(timeoutText.substr(0, timeoutText.find('%')));
    ASSERT_FALSE(reasonStart.isEmpty());
    for (int id : {kMeasOut1Value, kMeasOut2Value}) {
        EXPECT_EQ(Ctrl<QLabel>(id)->palette().color(QPalette::WindowText), RecordColor(id, 2))
            << id;
        EXPECT_TRUE(Ctrl<QLabel>(id)->toolTip().startsWith(reasonStart))
            << id << ": " << Ctrl<QLabel>(id)->toolTip().toStdString();
    }
    wnd->LockPolling(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return codes.back() == ZUL_OK; }, kWaitMs));
    for (int id : {kMeasOut1Value, kMeasOut2Value}) {
        EXPECT_EQ(Ctrl<QLabel>(id)->palette().color(QPalette::WindowText), RecordColor(id, 1))
            << id;
        EXPECT_TRUE(Ctrl<QLabel>(id)->toolTip().isEmpty()) << id;
    }
}

TEST_F(MeasurementWindowTest, MeasureCycleSetsThePeriod) {
    app.Store().SetInt<kSoftMeasureCycle>(3);
    Open();
    ASSERT_TRUE(WaitCycle());
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(WaitCycle());
    // Three ticks of 100 ms count after the previous cycle came back; the first of them may
    // come at once, so at least two whole periods pass.
    EXPECT_GE(clock.elapsed(), 195);
}

TEST_F(MeasurementWindowTest, HoldFreezesTheOutputWhileTheOtherFollows) {
    sim.SetFixedDisplacement(0, 1.0);
    Open();
    ASSERT_TRUE(WaitCycle());
    ASSERT_TRUE(WaitCycle());
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut1HoldButton), Qt::LeftButton);
    EXPECT_TRUE(wnd->IsHeld(0));
    EXPECT_FALSE(wnd->IsHeld(1));
    EXPECT_EQ(Ctrl<QPushButton>(kMeasOut1HoldButton)->palette().color(QPalette::Button),
              RecordColor(kMeasOut1HoldButton, 2));
    const QString frozen = Ctrl<QLabel>(kMeasOut1Value)->text();
    sim.SetFixedDisplacement(0, 2.5);
    sim.SetFixedDisplacement(1, 0.75);
    ASSERT_TRUE(WaitCycle());
    ASSERT_TRUE(WaitCycle());
    EXPECT_NE(ExpectedValueText(0), frozen);                  // the controller moved on ...
    EXPECT_EQ(Ctrl<QLabel>(kMeasOut1Value)->text(), frozen);  // ... the held output did not
    EXPECT_EQ(Ctrl<QLabel>(kMeasOut2Value)->text(), ExpectedValueText(1));
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut1HoldButton), Qt::LeftButton);
    ASSERT_TRUE(WaitCycle());
    EXPECT_EQ(Ctrl<QLabel>(kMeasOut1Value)->text(), ExpectedValueText(0));
}

TEST_F(MeasurementWindowTest, LinkedHoldHoldsBoth) {
    Open();
    Ctrl<QCheckBox>(kMeasLinkOutputsCheck)->setChecked(true);
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut2HoldButton), Qt::LeftButton);
    EXPECT_TRUE(wnd->IsHeld(0));
    EXPECT_TRUE(wnd->IsHeld(1));
}

TEST_F(MeasurementWindowTest, LinkedResetSendsOwnOutputFirstWithItsValue) {
    Open();
    ASSERT_TRUE(WaitCycle());
    const int32_t reset2 = app.Store().GetInt<kMeasReset>(1);
    Ctrl<QCheckBox>(kMeasLinkOutputsCheck)->setChecked(true);
    sim.ClearReceivedFrames();
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut2ResetButton), Qt::LeftButton);
    const std::string value = reset2 == 0 ? "00001" : "00000";
    const auto writes = WithoutBcc(FramesStartingWith(sim.ReceivedFrames(), "%EE#WRS"));
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0], "%EE#WRS4" + value);
    EXPECT_EQ(writes[1], "%EE#WRS3" + value);
    EXPECT_TRUE(Ctrl<QPushButton>(kMeasOut2ResetButton)->isEnabled());
}

TEST_F(MeasurementWindowTest, ZeroSetAndTimingSendOneOutputWithoutLink) {
    Open();
    ASSERT_TRUE(WaitCycle());
    sim.ClearReceivedFrames();
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut1ZeroSetButton), Qt::LeftButton);
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut2TimingButton), Qt::LeftButton);
    const auto frames = sim.ReceivedFrames();
    const auto zs = WithoutBcc(FramesStartingWith(frames, "%EE#WZS"));
    const auto ti = WithoutBcc(FramesStartingWith(frames, "%EE#WTI"));
    ASSERT_EQ(zs.size(), 1u);
    ASSERT_EQ(ti.size(), 1u);
    EXPECT_EQ(zs[0].substr(0, 8), "%EE#WZS3");
    EXPECT_EQ(ti[0].substr(0, 8), "%EE#WTI4");
}

TEST_F(MeasurementWindowTest, ResetWhileHeldSendsFromTheLiveState) {
    Open();
    ASSERT_TRUE(WaitCycle());
    ASSERT_EQ(app.Store().GetInt<kMeasReset>(0), 0);
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut1HoldButton), Qt::LeftButton);   // hold OUT1
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut1ResetButton), Qt::LeftButton);  // reset on
    ASSERT_TRUE(WaitCycle());
    ASSERT_TRUE(WaitCycle());
    ASSERT_EQ(app.Store().GetInt<kMeasReset>(0), 1);
    sim.ClearReceivedFrames();
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut1ResetButton),
                      Qt::LeftButton);  // must switch it off again
    const auto writes = WithoutBcc(FramesStartingWith(sim.ReceivedFrames(), "%EE#WRS"));
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], "%EE#WRS300000");
}

TEST_F(MeasurementWindowTest, LaserButtonsSendTheInvertedLaserState) {
    Open();
    ASSERT_TRUE(WaitCycle());
    const int32_t bank = app.Store().GetInt<kAppCurMemNo>();
    const int32_t offB = app.Store().GetInt<kHeadLaserOff>(bank, 1);
    EXPECT_EQ(Ctrl<QPushButton>(kMeasLaserBButton)->palette().color(QPalette::Button),
              RecordColor(kMeasLaserBButton, offB == 0 ? 2 : 1));
    sim.ClearReceivedFrames();
    QTest::mouseClick(Ctrl<QPushButton>(kMeasLaserBButton), Qt::LeftButton);
    const auto writes = WithoutBcc(FramesStartingWith(sim.ReceivedFrames(), "%EE#WLR"));
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], std::string("%EE#WLR2") + (offB == 0 ? "00001" : "00000"));
    ASSERT_TRUE(WaitCycle());
    EXPECT_EQ(app.Store().GetInt<kHeadLaserOff>(bank, 1), offB == 0 ? 1 : 0);
}

TEST_F(MeasurementWindowTest, NoCycleWhileLocked) {
    Open();
    ASSERT_TRUE(WaitCycle());
    wnd->LockPolling(true);
    sim.ClearReceivedFrames();
    QSignalSpy spy(wnd.get(), &CMeasurementWnd::cycleFinished);
    EXPECT_FALSE(spy.wait(600));
    EXPECT_TRUE(FramesStartingWith(sim.ReceivedFrames(), "%EE#RMB5").empty());
    wnd->LockPolling(false);
    EXPECT_TRUE(spy.wait(kWaitMs));
}

TEST_F(MeasurementWindowTest, NotConnectedShowsTheNotConnectedLookAndSendsNothing) {
    Open();
    ASSERT_TRUE(WaitCycle());
    wnd->LockPolling(true);
    DisconnectController(app);
    sim.ClearReceivedFrames();
    wnd->LockPolling(false);
    QSignalSpy spy(wnd.get(), &CMeasurementWnd::cycleFinished);
    EXPECT_FALSE(spy.wait(500));
    EXPECT_TRUE(sim.ReceivedFrames().empty());
    for (int id : {kMeasOut1AlarmLamp, kMeasOut1HiLamp, kMeasOut1GoLamp, kMeasOut1LowLamp,
                   kMeasOut1StrobeLamp, kMeasOut2AlarmLamp, kMeasOut2HiLamp, kMeasOut2GoLamp,
                   kMeasOut2LowLamp, kMeasOut2StrobeLamp}) {
        const bool on = Ctrl<QLabel>(id)->property("lampOn").toBool();
        EXPECT_EQ(LampColor(id), RecordColor(id, on ? 4 : 2)) << id;
    }
    const QPalette desktop = QApplication::palette();
    for (int id :
         {kMeasOut1ZeroSetButton, kMeasOut1TimingButton, kMeasOut1ResetButton, kMeasOut1HoldButton,
          kMeasOut2ZeroSetButton, kMeasOut2TimingButton, kMeasOut2ResetButton, kMeasOut2HoldButton,
          kMeasLaserAButton, kMeasLaserBButton}) {
        QPushButton* button = Ctrl<QPushButton>(id);
        EXPECT_FALSE(button->isEnabled()) << id;
        // Greyed as any disabled button, not in its state colour.
        EXPECT_EQ(button->palette().color(QPalette::Disabled, QPalette::ButtonText),
                  desktop.color(QPalette::Disabled, QPalette::ButtonText))
            << id;
        EXPECT_EQ(button->palette().color(QPalette::Disabled, QPalette::Button),
                  desktop.color(QPalette::Disabled, QPalette::Button))
            << id;
    }
}

TEST_F(MeasurementWindowTest, FreshLampsShowTheirNotConnectedOffColour) {
    DisconnectController(app);
    wnd = std::make_unique<CMeasurementWnd>(app, nullptr);
    EXPECT_EQ(LampColor(kMeasOut1AlarmLamp), RecordColor(kMeasOut1AlarmLamp, 2));
    EXPECT_EQ(LampColor(kMeasOut2StrobeLamp), RecordColor(kMeasOut2StrobeLamp, 2));
}

TEST_F(MeasurementWindowTest, DisplayMenuKeepsOneOutputAndStoresFormMode) {
    Open();
    QAction* out1 = Ctrl<QAction>(kMeasShowOut1Menu);
    QAction* out2 = Ctrl<QAction>(kMeasShowOut2Menu);
    EXPECT_TRUE(out1->isChecked() && out2->isChecked());
    out1->trigger();
    EXPECT_FALSE(wnd->Shown().out1);
    EXPECT_FALSE(wnd->findChild<QWidget*>("outputPanel1")->isVisible());
    EXPECT_FALSE(out2->isEnabled());  // OUT2 is the only output left
    EXPECT_EQ(wnd->windowTitle(), "Measurement");
    wnd.reset();
    EXPECT_EQ(app.Store().GetInt<kMeasFormMode>(), 2);

    app.Store().SetInt<kMeasFormMode>(1);
    Open();
    EXPECT_TRUE(wnd->Shown().out1);
    EXPECT_FALSE(wnd->Shown().out2);
    EXPECT_FALSE(wnd->findChild<QWidget*>("outputPanel2")->isVisible());
    // A later request keeps what the user chose since.
    Ctrl<QAction>(kMeasShowOut2Menu)->trigger();
    wnd->ApplySavedMode();
    EXPECT_TRUE(wnd->Shown().out2);
}

TEST_F(MeasurementWindowTest, UnknownFormModeOpensWithBoth) {
    app.Store().SetInt<kMeasFormMode>(7);
    Open();
    EXPECT_TRUE(wnd->Shown().out1 && wnd->Shown().out2);
}

TEST_F(MeasurementWindowTest, CtrlWClosesTheWindow) {
    Open();
    wnd->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wnd.get()));
    QSignalSpy closed(wnd.get(), &CMeasurementWnd::closed);
    QTest::keyClick(wnd.get(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(closed.size(), 1);
}

TEST_F(MeasurementWindowTest, ClosingDuringACycleNeverUpdatesAnything) {
    sim.SetLatency(std::chrono::milliseconds(30));
    Open();
    QSignalSpy closed(wnd.get(), &CMeasurementWnd::closed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return wnd->IsCycleOutstanding(); }, kWaitMs));
    wnd->close();
    EXPECT_EQ(closed.size(), 1);
    EXPECT_FALSE(wnd->IsCycleOutstanding());
    EXPECT_EQ(app.Measurement()->CycleState(), 0);
    wnd.reset();  // queued messages go with the window
    QCoreApplication::processEvents();
    // The measurement thread takes the next window's cycle.
    Open();
    EXPECT_TRUE(WaitCycle());
}

TEST_F(MeasurementWindowTest, ImageCaptureButtonRunsTheHook) {
    Open();
    int runs = 0;
    wnd->SetImageCaptureHook([&runs] { ++runs; });
    QSignalSpy spy(wnd.get(), &CMeasurementWnd::imageCaptureRequested);
    QTest::mouseClick(Ctrl<QPushButton>(kMeasImageCaptureButton), Qt::LeftButton);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(spy.size(), 1);
}

TEST_F(MeasurementWindowTest, ACycleThatCannotBePostedDoesNotStopPolling) {
    Open();
    ASSERT_TRUE(WaitCycle());
    app.Measurement()->Stop();  // posts to it fail from now on
    QSignalSpy spy(wnd.get(), &CMeasurementWnd::cycleFinished);
    EXPECT_FALSE(spy.wait(400));
    // Every period tries again instead of waiting for an answer that cannot come.
    EXPECT_FALSE(wnd->IsCycleOutstanding());
}

TEST_F(MeasurementWindowTest, TrendSwitchIsKeptInTheSettingsFileWithoutASaveQuestion) {
    app.Store().MarkSaved();
    Open();
    QAction* trend = wnd->findChild<QAction*>("actionTrend");
    ASSERT_NE(trend, nullptr);
    EXPECT_FALSE(trend->isChecked());  // off by default
    trend->trigger();
    EXPECT_TRUE(wnd->IsTrendShown());
    EXPECT_TRUE(wnd->findChild<QWidget*>("trendHost2")->isVisible());
    EXPECT_TRUE(app.Store().IsUnchanged());  // a view choice, not a settings change
    wnd->close();
    wnd.reset();
    Open();
    EXPECT_TRUE(wnd->IsTrendShown());
    EXPECT_TRUE(wnd->findChild<QAction*>("actionTrend")->isChecked());
    EXPECT_TRUE(wnd->findChild<QWidget*>("trendHost1")->isVisible());
    wnd.reset();

    // Through the settings file: a fresh store reads it back, and so does the window's store.
    ResultInfo info;
    const std::string path = home.Path("trend.ini");
    ASSERT_EQ(app.Store().Save(&info, path), ZUL_OK) << info.detail1;
    SettingsStore fresh;
    ASSERT_EQ(fresh.Load(&info, path), ZUL_OK) << info.detail1;
    EXPECT_EQ(fresh.GetInt<kMeasTrendShown>(), 1);
    app.Store().SetInt<kMeasTrendShown>(0);
    ASSERT_EQ(app.Store().Load(&info, path), ZUL_OK) << info.detail1;
    Open();
    EXPECT_TRUE(wnd->IsTrendShown());

    // Switching it off is kept as well.
    wnd->findChild<QAction*>("actionTrend")->trigger();
    wnd.reset();
    Open();
    EXPECT_FALSE(wnd->IsTrendShown());
    EXPECT_FALSE(wnd->findChild<QWidget*>("trendHost1")->isVisible());
}

// Display > Rolling capability shows the figures of the latest values of each output against
// its bank's judgement limits; the switch and the number of values are remembered.
TEST_F(MeasurementWindowTest, RollingCapabilityFollowsTheLatestValues) {
    const int32_t bank = app.Store().GetInt<kAppCurMemNo>();
    app.Store().SetDouble<kOutDecisionMin>(0.0, bank, 0);
    app.Store().SetDouble<kOutDecisionMax>(3.0, bank, 0);
    Open();
    EXPECT_FALSE(wnd->findChild<QWidget*>("rollingHost1")->isVisible());
    wnd->findChild<QAction*>("actionRolling")->trigger();
    EXPECT_TRUE(wnd->IsRollingShown());
    EXPECT_TRUE(wnd->findChild<QWidget*>("rollingHost1")->isVisible());
    EXPECT_EQ(wnd->Rolling(0).WindowBox()->value(), 100);  // the default
    wnd->Rolling(0).WindowBox()->setValue(10);
    EXPECT_EQ(wnd->Rolling(1).WindowBox()->value(), 10);  // both outputs alike

    // The value of OUT1 each cycle showed, taken as the cycle comes back.
    std::vector<double> shown;
    QObject::connect(wnd.get(), &CMeasurementWnd::cycleFinished, wnd.get(), [&](int code) {
        if (code == ZUL_OK) {
            shown.push_back(app.Store().GetDouble<kMeasMeasureValue>(0));
        }
    });
    for (int cycle = 0; cycle < 14; ++cycle) {
        sim.SetFixedDisplacement(0, 1.0 + 0.25 * (cycle % 3));
        ASSERT_TRUE(WaitCycle()) << cycle;
    }
    wnd->LockPolling(true);
    ASSERT_GE(shown.size(), 12u);
    const std::vector<double> last(shown.end() - 10, shown.end());
    double mean = 0;
    for (double v : last) {
        mean += v / 10.0;
    }
    double squares = 0;
    double ranges = 0;
    for (size_t i = 0; i < last.size(); ++i) {
        squares += (last[i] - mean) * (last[i] - mean);
        ranges += i > 0 ? std::fabs(last[i] - last[i - 1]) : 0.0;
    }
    ASSERT_GT(ranges, 0.0) << "the values did not move";
    const double within = ranges / 9.0 / 1.128;
    const double cpk = std::min(3.0 - mean, mean) / (3.0 * within);
    const CCapabilityRollingView& rolling = wnd->Rolling(0);
    EXPECT_EQ(rolling.FigureText(0), "10");
    EXPECT_EQ(rolling.FigureText(1), QString::number(mean, 'f', 6));
    EXPECT_EQ(rolling.FigureText(2), QString::number(std::sqrt(squares / 9.0), 'f', 6));
    EXPECT_EQ(rolling.FigureText(3), QString::number(cpk, 'f', 3));

    wnd.reset();
    Open();
    EXPECT_TRUE(wnd->IsRollingShown());
    EXPECT_EQ(wnd->Rolling(0).WindowBox()->value(), 10);
    EXPECT_EQ(wnd->Rolling(0).FigureText(0), "0");  // a new window starts afresh
}

TEST_F(MeasurementWindowTest, ValueAndAlarmTextColoursFollowTheConnection) {
    for (int id : {kMeasOut1Value, kMeasOut2Value}) {
        const UiControlRecord* record = app.Ui().FindById(id);
        ASSERT_NE(record, nullptr) << id;
        ASSERT_NE(record->color1, 0) << id;
        ASSERT_NE(record->color2, 0) << id;
        ASSERT_NE(record->color1, record->color2) << id;
    }
    Open();
    ASSERT_TRUE(WaitCycle());
    for (int id : {kMeasOut1Value, kMeasOut2Value}) {
        EXPECT_EQ(Ctrl<QLabel>(id)->palette().color(QPalette::WindowText), RecordColor(id, 1))
            << id;
        EXPECT_FALSE(Ctrl<QLabel>(id)->autoFillBackground()) << id;  // Color2 is no background
    }
    for (int id : {kMeasOut1AlarmText, kMeasOut2AlarmText}) {
        EXPECT_EQ(Ctrl<QLabel>(id)->palette().color(QPalette::WindowText), RecordColor(id, 1))
            << id;
    }
    wnd->LockPolling(true);
    DisconnectController(app);
    wnd->LockPolling(false);
    for (int id : {kMeasOut1Value, kMeasOut2Value}) {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return Ctrl<QLabel>(id)->palette().color(QPalette::WindowText) ==
                       RecordColor(id, 2);
            },
            kWaitMs))
            << "";
    }
    EXPECT_EQ(Ctrl<QLabel>(kMeasOut1AlarmText)->palette().color(QPalette::WindowText),
              RecordColor(kMeasOut1AlarmText, 1));
}

TEST_F(MeasurementWindowTest, InputAndHoldButtonColoursShowActiveAndFreezeWhileHeld) {
    auto button = [this](int id) {
        return Ctrl<QPushButton>(id)->palette().color(QPalette::Button);
    };
    Open();
    ASSERT_TRUE(WaitCycle());
    ASSERT_EQ(app.Store().GetInt<kMeasReset>(0), 0);
    EXPECT_EQ(button(kMeasOut1ResetButton), RecordColor(kMeasOut1ResetButton, 1));
    EXPECT_EQ(button(kMeasOut1HoldButton), RecordColor(kMeasOut1HoldButton, 1));
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut1ResetButton), Qt::LeftButton);  // reset OUT1 on
    ASSERT_TRUE(WaitCycle());
    ASSERT_TRUE(WaitCycle());
    ASSERT_EQ(app.Store().GetInt<kMeasReset>(0), 1);
    EXPECT_EQ(button(kMeasOut1ResetButton), RecordColor(kMeasOut1ResetButton, 2));
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut1HoldButton), Qt::LeftButton);  // hold OUT1
    EXPECT_EQ(button(kMeasOut1HoldButton), RecordColor(kMeasOut1HoldButton, 2));
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut1ResetButton), Qt::LeftButton);  // reset OUT1 off
    ASSERT_TRUE(WaitCycle());
    ASSERT_TRUE(WaitCycle());
    ASSERT_EQ(app.Store().GetInt<kMeasReset>(0), 0);
    EXPECT_EQ(button(kMeasOut1ResetButton),
              RecordColor(kMeasOut1ResetButton, 2));  // frozen with the held output
    QTest::mouseClick(Ctrl<QPushButton>(kMeasOut1HoldButton), Qt::LeftButton);  // release
    EXPECT_EQ(button(kMeasOut1HoldButton), RecordColor(kMeasOut1HoldButton, 1));
    ASSERT_TRUE(WaitCycle());
    EXPECT_EQ(button(kMeasOut1ResetButton), RecordColor(kMeasOut1ResetButton, 1));
}

TEST_F(MeasurementWindowTest, LampsAreBoldAndSizedByTheScreenResolution) {
    Open();
    for (int id : {kMeasOut1AlarmLamp, kMeasOut2StrobeLamp}) {
        QLabel* lamp = Ctrl<QLabel>(id);
        EXPECT_TRUE(lamp->font().bold()) << id;
        EXPECT_EQ(lamp->font().pixelSize(), (12 * lamp->logicalDpiY() + 48) / 96) << id;
        const int wanted = (7 * lamp->logicalDpiX() + 48) / 96;
        EXPECT_NEAR(QFontMetrics(lamp->font()).averageCharWidth(), wanted, 1) << id;
    }
    EXPECT_EQ(Ctrl<QLabel>(kMeasOut1Value)->font().pointSize(), 28);
}

TEST(MeasurementRules, AlarmTextEntriesOutsideTheListAreEmpty) {
    const QStringList list = {"", "low light", "high light"};
    EXPECT_EQ(AlarmListEntry(list, 2), "high light");
    EXPECT_EQ(AlarmListEntry(list, 3), "");
    EXPECT_EQ(AlarmListEntry(list, -1), "");
}

TEST(MeasurementRules, FormModeRoundTrip) {
    EXPECT_EQ(OutputsFromFormMode(1), (OutputsShown{true, false}));
    EXPECT_EQ(OutputsFromFormMode(2), (OutputsShown{false, true}));
    EXPECT_EQ(OutputsFromFormMode(-3), (OutputsShown{true, true}));
    EXPECT_EQ(FormModeFromOutputs({false, true}), 2);
    EXPECT_EQ(FormModeFromOutputs({true, true}), 0);
}

TEST(MeasurementRules, WriteCommandsSplitIntoTextAndTarget) {
    EXPECT_EQ(InputWriteCommand(InputKind::kReset, 1).command, "%EE#WRS");
    EXPECT_EQ(InputWriteCommand(InputKind::kReset, 1).target, 4);
    EXPECT_EQ(InputWriteCommand(InputKind::kZeroSet, 0).target, 3);
    EXPECT_EQ(LaserWriteCommand(1).command, "%EE#WLR");
    EXPECT_EQ(LaserWriteCommand(1).target, 2);
}

TEST(CTrendStrip, KeepsTheLastValuesOldestFirst) {
    CTrendStrip strip(nullptr, 3);
    for (double v : {1.0, 2.0, 3.0, 4.0}) {
        strip.AddValue(v);
    }
    ASSERT_EQ(strip.Count(), 3u);
    EXPECT_EQ(strip.ValueAt(0), 2.0);
    EXPECT_EQ(strip.ValueAt(2), 4.0);
}

}  // namespace
}  // namespace zul::test

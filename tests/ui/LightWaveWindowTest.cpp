// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave window and its settings form driven through their controls against the
// emulated controller: capture timing, firmware gating, the history limit, playback,
// snapshots, stop/start while a capture is out, errors, files, and closing during a capture.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "LightWaveFixture.h"
#include "app/ConnectSequence.h"
#include "lightwave/ThreadLightWave.h"
#include "settings/SettingsStore.h"
#include "ui/framework/GridCtrl.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/Slider.h"
#include "ui/framework/TChart.h"
#include "ui/lightwave/LightWaveConfForm.h"
#include "ui/lightwave/LightWaveWnd.h"

namespace zul::test {

using namespace zul::ui;
namespace {

using ui::CLightWaveWnd;
using ui::LightWaveCapture;

constexpr int kWaitMs = 10000;
constexpr const char* kTrigger = "%EE#WDD17200172000100";
constexpr const char* kReadExtra = "%EE#RDD0004400045";
constexpr const char* kReadFrames = "%EE#RDD1720119278";

class LightWaveWindowTest : public LightWaveEmulatorTest {
protected:
    void CloseWindows() override { window.reset(); }

    // Opens the window with the timer off (the test ticks) and the given interval.
    void Open(int32_t interval = 500) {
        app.Store().SetInt<kLwConfGraphUpdateCycle>(interval);
        window = std::make_unique<CLightWaveWnd>(app, nullptr, nullptr);
        window->SetTimerRunning(false);
        window->show();
        window->activateWindow();
    }

    // One tick that sends a capture, and the wait for it to come back (woken by the posted
    // reply itself, so that a thousand captures take no longer than the line needs).
    void CaptureOnce() {
        window->Tick();
        ASSERT_EQ(window->State(), LightWaveCapture::kRequestOut);
        QDeadlineTimer deadline(kWaitMs);
        QTimer heartbeat;  // wakes the wait now and then, so the deadline is seen
        heartbeat.start(50);
        while (window->State() == LightWaveCapture::kRequestOut && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        ASSERT_NE(window->State(), LightWaveCapture::kRequestOut) << "no reply in time";
    }

    size_t Triggers() { return CountStartingWith(sim.ReceivedFrames(), kTrigger); }

    std::unique_ptr<CLightWaveWnd> window;
};

TEST_F(LightWaveWindowTest, CapturesAtTheIntervalWithTheThreeRequests) {
    Open(500);
    EXPECT_EQ(window->windowTitle(), "Light wave");
    EXPECT_EQ(window->StartButton()->text(), "Start");
    QTest::mouseClick(window->StartButton(), Qt::LeftButton);
    EXPECT_EQ(window->State(), LightWaveCapture::kWaiting);
    EXPECT_EQ(window->StartButton()->text(), "Stop");
    // The first capture goes out at the first tick after start.
    CaptureOnce();
    ASSERT_EQ(window->State(), LightWaveCapture::kWaiting);
    const auto frames = sim.ReceivedFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].rfind(kTrigger, 0), 0u);
    EXPECT_EQ(frames[1].rfind(kReadExtra, 0), 0u);
    EXPECT_EQ(frames[2].rfind(kReadFrames, 0), 0u);
    EXPECT_EQ(window->FrameCount(), 1);
    EXPECT_EQ(window->Label1(0), QString::number(window->ShownFrame(0).Field(2)));
    EXPECT_EQ(window->Label2(0),
              QString::asprintf("%0.2f", window->ShownFrame(0).Field(1040) * 0.01));
    EXPECT_EQ(window->Chart(0)->PointCount(CLightWaveWnd::kWaveSeries), 512);
    EXPECT_EQ(window->Chart(0)->Point(CLightWaveWnd::kWaveSeries, 9),
              QPointF(10, window->ShownFrame(0).Sample(10)));

    // The next one waits until 500 ms have passed since the previous one was sent.
    for (int tick = 0; tick < 4; ++tick) {
        window->Tick();
        EXPECT_EQ(window->State(), LightWaveCapture::kWaiting) << tick;
    }
    EXPECT_EQ(Triggers(), 1u);
    CaptureOnce();
    EXPECT_EQ(Triggers(), 2u);
    EXPECT_EQ(window->FrameCount(), 2);
    EXPECT_EQ(window->ShownIndex(), 1);

    // Stop shows the newest frame and the toggle follows.
    QTest::mouseClick(window->StartButton(), Qt::LeftButton);
    EXPECT_EQ(window->State(), LightWaveCapture::kStopped);
    EXPECT_FALSE(window->StartButton()->isChecked());
    window->Tick();
    EXPECT_EQ(Triggers(), 2u);
}

TEST_F(LightWaveWindowTest, OlderFirmwareReadsTheFrameAreaOnly) {
    DisconnectController(app);
    sim.SetFirmware(0x122);
    ResultInfo info;
    ASSERT_EQ(ConnectController(app, &info), ZUL_OK);
    ASSERT_EQ(app.FirmwareVersion(), 0x122u);
    sim.ClearReceivedFrames();
    Open(100);
    window->SetCapture(true);
    CaptureOnce();
    const auto frames = sim.ReceivedFrames();
    EXPECT_EQ(CountStartingWith(frames, "%EE#RDD"), 1u);
    EXPECT_EQ(CountStartingWith(frames, kReadFrames), 1u);
    EXPECT_EQ(window->ShownFrame(0).Field(1040), 0);
    EXPECT_FALSE(window->Label1(0).isEmpty());
    EXPECT_TRUE(window->Label2(0).isEmpty());
}

TEST_F(LightWaveWindowTest, HistoryKeepsTheNewest1024FramesOf1030) {
    sim.UseManualClock(true);  // the emulator's heads stand still; captures stay cheap
    Open(100);
    window->SetCapture(true);
    LightWaveFrame seventh;
    for (int capture = 1; capture <= 1030; ++capture) {
        CaptureOnce();
        ASSERT_EQ(window->State(), LightWaveCapture::kWaiting) << capture;
        if (capture == 7) {
            seventh = window->ShownFrame(0);
        }
    }
    EXPECT_EQ(window->Data().HistorySize(0), 1024u);
    EXPECT_EQ(window->Data().HistorySize(1), 1024u);
    LightWaveFrame oldest;
    ASSERT_TRUE(window->Data().HistoryFrame(0, 0, oldest));
    EXPECT_EQ(oldest, seventh);
    EXPECT_EQ(window->ShownIndex(), 1023);
    EXPECT_EQ(window->Slider()->maximum(), 1023);
}

TEST(LightWavePlayback, StepTimeRefusesSpeedsThatWouldNeverStep) {
    EXPECT_EQ(ui::PlaybackStepTime(500, 1000), 500);
    EXPECT_EQ(ui::PlaybackStepTime(500, 2000), 250);
    EXPECT_EQ(ui::PlaybackStepTime(500, 250), 2000);
    EXPECT_EQ(ui::PlaybackStepTime(500, 0), 500);
    EXPECT_EQ(ui::PlaybackStepTime(500, -300), 500);
}

TEST_F(LightWaveWindowTest, PlaybackStepsAtTheSpeedAndStopsAtTheEnds) {
    Open(500);
    window->SetCapture(true);
    for (int i = 0; i < 3; ++i) {
        window->Tick();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->State() == LightWaveCapture::kWaiting; },
                                    kWaitMs));
        for (int t = 0; t < 4; ++t) {
            window->Tick();
        }
    }
    window->SetCapture(false);
    ASSERT_EQ(window->FrameCount(), 3);
    EXPECT_EQ(window->ShownIndex(), 2);

    // Forward at the last frame stops at once.
    QTest::mouseClick(window->findChild<QPushButton*>("playForward"), Qt::LeftButton);
    EXPECT_EQ(window->State(), LightWaveCapture::kStopped);

    // The slider steps to the oldest frame; x2 makes the step 250 ms.
    window->Slider()->SetPosition(0);
    EXPECT_EQ(window->ShownIndex(), 0);
    QComboBox* speed = window->SpeedList();
    speed->setCurrentIndex(speed->findData(2000));
    ASSERT_EQ(window->SelectedSpeed(), 2000);
    window->PlayForward();
    EXPECT_EQ(window->State(), LightWaveCapture::kPlayForward);
    window->Tick();
    window->Tick();
    EXPECT_EQ(window->ShownIndex(), 0);
    window->Tick();
    EXPECT_EQ(window->ShownIndex(), 1);
    for (int t = 0; t < 3; ++t) {
        window->Tick();
    }
    EXPECT_EQ(window->ShownIndex(), 2);
    EXPECT_EQ(window->Slider()->Position(), 2);
    for (int t = 0; t < 3; ++t) {
        window->Tick();
    }
    EXPECT_EQ(window->State(), LightWaveCapture::kStopped);
    EXPECT_EQ(window->ShownIndex(), 2);

    window->PlayBackward();
    for (int t = 0; t < 20 && window->State() != LightWaveCapture::kStopped; ++t) {
        window->Tick();
    }
    EXPECT_EQ(window->State(), LightWaveCapture::kStopped);
    EXPECT_EQ(window->ShownIndex(), 0);
}

TEST_F(LightWaveWindowTest, SnapshotsNeedAFrameAndFollowTheirShowBoxes) {
    Open(100);
    // No frame yet: storing changes nothing.
    QTest::mouseClick(window->findChild<QPushButton*>("storeA"), Qt::LeftButton);
    window->StoreSnapshot(0);
    EXPECT_EQ(window->Data().Snapshot(0, 0).stored, 0);
    EXPECT_FALSE(window->ShowBox(0, 0)->isChecked());

    window->SetCapture(true);
    CaptureOnce();
    window->SetCapture(false);
    QComboBox* slot = window->SlotList(1);
    slot->setCurrentIndex(slot->findData(1));
    QTest::mouseClick(window->findChild<QPushButton*>("storeB"), Qt::LeftButton);
    const LightWaveSnapshot stored = window->Data().Snapshot(1, 1);
    EXPECT_EQ(stored.stored, 1);
    EXPECT_EQ(stored.shown, 1);
    EXPECT_EQ(stored.frame, window->ShownFrame(1));
    EXPECT_TRUE(window->ShowBox(1, 1)->isChecked());
    EXPECT_FALSE(window->ShowBox(1, 0)->isChecked());
    EXPECT_EQ(window->Chart(1)->PointCount(CLightWaveWnd::kFirstSnapshotSeries + 1), 512);
    EXPECT_EQ(window->Chart(0)->PointCount(CLightWaveWnd::kFirstSnapshotSeries + 1), 0);

    // Unticking hides it; the snapshot stays stored.
    window->ShowBox(1, 1)->click();
    EXPECT_EQ(window->Data().Snapshot(1, 1).shown, 0);
    EXPECT_EQ(window->Data().Snapshot(1, 1).stored, 1);
    EXPECT_EQ(window->Chart(1)->PointCount(CLightWaveWnd::kFirstSnapshotSeries + 1), 0);

    // Step display draws two points per cell.
    window->SetRectDisplay(true);
    EXPECT_EQ(window->Chart(0)->PointCount(CLightWaveWnd::kWaveSeries), 1024);
    EXPECT_EQ(window->Chart(0)->Point(CLightWaveWnd::kWaveSeries, 1),
              QPointF(2, window->ShownFrame(0).Sample(1)));
}

TEST_F(LightWaveWindowTest, StopAndStartWhileACaptureIsOutDoesNotHang) {
    Open(100);
    window->SetCapture(true);
    window->Tick();
    ASSERT_EQ(window->State(), LightWaveCapture::kRequestOut);
    window->SetCapture(false);
    window->SetCapture(true);
    window->Tick();
    EXPECT_EQ(window->State(), LightWaveCapture::kRequestOut);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window->State() == LightWaveCapture::kWaiting; }, kWaitMs));
    EXPECT_GE(window->FrameCount(), 1);
    CaptureOnce();
    EXPECT_EQ(window->State(), LightWaveCapture::kWaiting);
}

TEST_F(LightWaveWindowTest, ACaptureFailureStopsAndTheToggleShowsIt) {
    Open(100);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->SetCapture(true);
    sim::SimFaults faults;
    faults.silent = 1;
    sim.SetFaults(faults);
    window->Tick();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window->State() == LightWaveCapture::kStopped; }, kWaitMs));
    EXPECT_FALSE(window->StartButton()->isChecked());
    EXPECT_EQ(window->StartButton()->text(), "Start");
    // The window in the foreground tells why.
    EXPECT_EQ(boxes.size(), 1u);
    window->Tick();
    EXPECT_EQ(Triggers(), 1u);

    // Behind another window, the failure stops the capture without a box over that window.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_FALSE(window->isActiveWindow());
    window->SetCapture(true);
    sim.SetFaults(faults);
    window->Tick();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window->State() == LightWaveCapture::kStopped; }, kWaitMs));
    EXPECT_FALSE(window->StartButton()->isChecked());
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(LightWaveWindowTest, StartNeedsTheLine) {
    DisconnectController(app);
    Open(100);
    window->LineStateChanged(0);
    EXPECT_FALSE(window->StartButton()->isEnabled());
    window->SetCapture(true);
    EXPECT_EQ(window->State(), LightWaveCapture::kStopped);
    window->Tick();
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

TEST_F(LightWaveWindowTest, SavesAndLoadsDataAndCsvAndLoadsDuringPlayback) {
    Open(100);
    window->SetCapture(true);
    for (int i = 0; i < 3; ++i) {
        CaptureOnce();
    }
    window->SetCapture(false);
    window->StoreSnapshot(0);
    window->OpenSettings();
    ui::CLightWaveConfForm* form = window->SettingsForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->FrameRateEdit()->text(), "200");
    form->CommentEdit()->setText("line 3, first shift");
    form->FrameRateEdit()->setText("250");

    // The work table shows the eight work cells of the frame shown.
    const LightWaveFrame& shownA = window->ShownFrame(0);
    CGridModel& tableA = form->WorkTable(0)->Model();
    EXPECT_EQ(tableA.CellText(0, 0), "1");
    for (int row = 1; row <= 8; ++row) {
        const int32_t cell = shownA.Field(2 + row);
        if (cell >= 1 && cell <= 1024) {
            EXPECT_EQ(tableA.CellText(row - 1, 1), QString::number(cell));
            EXPECT_EQ(tableA.CellText(row - 1, 2), QString::number(shownA.Sample(cell)));
        } else {
            EXPECT_TRUE(tableA.CellText(row - 1, 1).isEmpty());
        }
    }

    const QString lwd = QString::fromStdString(home.Path("docs/run.lwd"));
    nextFile = lwd;
    ASSERT_EQ(form->Save(), ZUL_OK);
    ASSERT_FALSE(fileRequests.empty());
    EXPECT_EQ(fileRequests.back().filters.size(), 2);
    EXPECT_EQ(app.Store().GetText<kLwConfCurFolder>(), home.Path("docs"));
    const QString csv = QString::fromStdString(home.Path("docs/run.csv"));
    nextFile = csv;
    ASSERT_EQ(form->Save(), ZUL_OK);
    QFile csvFile(csv);
    ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = csvFile.readAll().trimmed().split('\n');
    EXPECT_EQ(rows.size(), 3 + 3 + 6);
    EXPECT_EQ(rows[0].count(',') + 1, 528);
    EXPECT_EQ(rows[6].count(',') + 1, 530);

    // Capture two more, play from the oldest, and load the three-frame file meanwhile.
    const LightWaveFrame firstA = [&] {
        LightWaveFrame f;
        window->Data().HistoryFrame(0, 0, f);
        return f;
    }();
    window->SetCapture(true);
    CaptureOnce();
    CaptureOnce();
    window->SetCapture(false);
    ASSERT_EQ(window->FrameCount(), 5);
    window->StepTo(4);
    window->PlayBackward();
    window->Tick();
    ASSERT_EQ(window->State(), LightWaveCapture::kPlayBackward);
    form->CommentEdit()->clear();
    nextFile = lwd;
    ASSERT_EQ(form->Load(), ZUL_OK);
    EXPECT_EQ(fileRequests.back().filters.size(), 1);
    EXPECT_EQ(window->State(), LightWaveCapture::kStopped);
    EXPECT_EQ(window->FrameCount(), 3);
    EXPECT_EQ(window->ShownIndex(), 2);
    EXPECT_EQ(form->CommentEdit()->text(), "line 3, first shift");
    EXPECT_EQ(form->FrameRateEdit()->text(), "250");
    LightWaveFrame loaded;
    ASSERT_TRUE(window->Data().HistoryFrame(0, 0, loaded));
    for (int cell = 1; cell <= 512; ++cell) {
        ASSERT_EQ(loaded.Sample(cell), firstA.Sample(cell)) << cell;
    }
    EXPECT_EQ(window->Data().Snapshot(0, 0).stored, 1);
    EXPECT_TRUE(window->ShowBox(0, 0)->isChecked());
    for (int t = 0; t < 10; ++t) {
        window->Tick();
    }
    EXPECT_EQ(window->ShownIndex(), 2);

    // A load of a file that is not a whole capture, through the form's Load button, says which
    // file and why, and the frames and snapshots shown stay.
    QFile good(lwd);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = good.readAll();
    QFile csvAgain(csv);
    ASSERT_TRUE(csvAgain.open(QIODevice::ReadOnly));
    const QByteArray csvBytes = csvAgain.readAll();
    QByteArray random(5000, '\0');
    for (int i = 0; i < random.size(); ++i) {
        random[i] = char((i * 7919 + 13) % 251);
    }
    const struct {
        const char* file;
        QByteArray content;
        const char* reason;
    } cases[] = {
        {"docs/empty.lwd", QByteArray(), "holds no light-wave data"},
        {"docs/random.lwd", random, "holds no light-wave data"},
        {"docs/csv.lwd", csvBytes, "holds no light-wave data"},
        {"docs/cut.lwd", goodBytes.left(goodBytes.size() * 2 / 3), "cut short"},
        {"docs/missing.lwd", QByteArray(), "No such file"},
    };
    auto* loadButton = form->findChild<QPushButton*>("load");
    ASSERT_NE(loadButton, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        nextFile = QString::fromStdString(home.Path(c.file));
        if (!QByteArrayView(c.file).endsWith("missing.lwd")) {
            QFile bad(nextFile);
            ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
            bad.write(c.content);
        }
        boxes.clear();
        QTest::mouseClick(loadButton, Qt::LeftButton);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].text.contains("could not be opened"));
        EXPECT_TRUE(boxes[0].text.contains(nextFile)) << boxes[0].text.toStdString();
        EXPECT_TRUE(boxes[0].text.contains(c.reason)) << boxes[0].text.toStdString();
        EXPECT_EQ(window->FrameCount(), 3);
        EXPECT_EQ(window->Data().Snapshot(0, 0).stored, 1);
        LightWaveFrame kept;
        ASSERT_TRUE(window->Data().HistoryFrame(0, 0, kept));
        EXPECT_EQ(kept.Sample(100), firstA.Sample(100));
    }
}

TEST_F(LightWaveWindowTest, ATabSeparatedFileLoadsWhateverTheCurrentSeparator) {
    Open(100);
    window->SetCapture(true);
    CaptureOnce();
    CaptureOnce();
    window->SetCapture(false);
    LightWaveFrame newestB;
    ASSERT_TRUE(window->Data().HistoryFrame(1, 1, newestB));
    window->OpenSettings();
    ui::CLightWaveConfForm* form = window->SettingsForm();
    app.Store().SetInt<kSoftCsvSeparator>(2);
    nextFile = QString::fromStdString(home.Path("docs/tab.lwd"));
    ASSERT_EQ(form->Save(), ZUL_OK);
    QFile saved(QString::fromStdString(home.Path("docs/tab.lwd")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_GT(saved.readAll().count('\t'), 500);
    app.Store().SetInt<kSoftCsvSeparator>(1);
    nextFile = QString::fromStdString(home.Path("docs/tab.lwd"));
    ASSERT_EQ(form->Load(), ZUL_OK);
    EXPECT_EQ(window->FrameCount(), 2);
    LightWaveFrame loaded;
    ASSERT_TRUE(window->Data().HistoryFrame(1, 1, loaded));
    for (int field = 1; field <= 14; ++field) {
        EXPECT_EQ(loaded.Field(field), newestB.Field(field)) << field;
    }
    for (int cell = 1; cell <= 512; ++cell) {
        ASSERT_EQ(loaded.Sample(cell), newestB.Sample(cell)) << cell;
    }
    EXPECT_EQ(window->Label1(1), QString::number(newestB.Field(2)));
}

TEST_F(LightWaveWindowTest, ClosingDuringACaptureLeavesNothingPostingToTheWindow) {
    Open(100);
    window->resize(900, 640);
    window->SetTimerRunning(true);
    window->SetCapture(true);
    window->Tick();
    ASSERT_EQ(window->State(), LightWaveCapture::kRequestOut);
    window->close();
    window.reset();
    // The thread lets go of the capture and the data; later events reach no window.
    EXPECT_EQ(app.LightWave()->State(), LightWaveState::kIdle);
    const size_t triggers = Triggers();
    for (int turn = 0; turn < 5; ++turn) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(Triggers(), triggers);
    EXPECT_EQ(app.Store().GetInt<kLwConfGraphUpdateCycle>(), 100);
    EXPECT_EQ(app.Store().GetInt<kLwFormWidth>(), 900);
    EXPECT_EQ(app.Store().GetInt<kLwFormHeight>(), 640);
}

// Pixels of a picture whose colour is near the given one.
int PixelsNear(const QImage& image, const QColor& color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                             std::abs(c.blue() - color.blue()) <
                         40
                     ? 1
                     : 0;
        }
    }
    return n;
}

TEST(LightWaveAxis, TopIsAboveTheHighestPointAtARoundValue) {
    EXPECT_DOUBLE_EQ(ui::LightWaveAxisTop(60), 70);
    EXPECT_DOUBLE_EQ(ui::LightWaveAxisTop(2500), 3000);
    EXPECT_DOUBLE_EQ(ui::LightWaveAxisTop(900), 1000);
    EXPECT_DOUBLE_EQ(ui::LightWaveAxisTop(0), 1.5);  // an empty graph still has an axis
    // Small changes of the highest point leave the axis where it is.
    EXPECT_DOUBLE_EQ(ui::LightWaveAxisTop(2430), ui::LightWaveAxisTop(2441));
    for (double top : {1.0, 7.0, 99.0, 1023.0, 4095.0}) {
        EXPECT_GT(ui::LightWaveAxisTop(top), top * 1.09) << top;
        EXPECT_LE(ui::LightWaveAxisTop(top), top * 1.1 * 1.5 + 0.5) << top;
    }
}

TEST_F(LightWaveWindowTest, ANewFrameIsDrawnOverTheSnapshotsKeptAsDrawn) {
    Open(100);
    window->resize(900, 640);
    QTest::mouseClick(window->StartButton(), Qt::LeftButton);
    CaptureOnce();
    CaptureOnce();
    QTest::mouseClick(window->StartButton(), Qt::LeftButton);
    ASSERT_EQ(window->FrameCount(), 2);
    const QColor snapshotColor(220, 40, 40);
    const QColor waveColor(20, 60, 200);
    CTChart* chart = window->Chart(1);

    window->StepTo(0);
    window->StoreSnapshot(1);  // slot 1 of Head B holds frame 0
    const LightWaveFrame snapshot = window->ShownFrame(1);
    window->StepTo(1);
    chart->RedrawNow();
    const QImage both = chart->grab().toImage();
    EXPECT_GT(PixelsNear(both, snapshotColor), 50);
    EXPECT_GT(PixelsNear(both, waveColor), 50);
    // The series hold frame 1 as the waveform and frame 0 as the snapshot.
    ASSERT_EQ(chart->PointCount(CLightWaveWnd::kWaveSeries), 512);
    ASSERT_EQ(chart->PointCount(CLightWaveWnd::kFirstSnapshotSeries), 512);
    EXPECT_EQ(chart->Point(CLightWaveWnd::kWaveSeries, 99).y(), window->ShownFrame(1).Sample(100));
    EXPECT_EQ(chart->Point(CLightWaveWnd::kFirstSnapshotSeries, 99).y(), snapshot.Sample(100));
    const int32_t bank = app.Store().GetInt<kAppCurMemNo>();
    int32_t top = std::max(1, app.Store().GetInt<kHeadPeakLevel>(bank, 1));
    for (int cell = 1; cell <= 512; ++cell) {
        top = std::max({top, snapshot.Sample(cell), window->ShownFrame(1).Sample(cell)});
    }
    EXPECT_DOUBLE_EQ(chart->YUpper(), ui::LightWaveAxisTop(top));
    // The highest sample's cell is marked and named.
    int peakCell = 1;
    for (int cell = 1; cell <= 512; ++cell) {
        peakCell = window->ShownFrame(1).Sample(cell) > window->ShownFrame(1).Sample(peakCell)
                       ? cell
                       : peakCell;
    }
    EXPECT_EQ(window->PeakCellText(1), QString::number(peakCell));
    EXPECT_EQ(window->findChild<QLabel*>("lblCellB")->text(), "Cell");

    // Stepping back and forth redraws the waveform only; the snapshot stays in the picture.
    window->StepTo(0);
    window->StepTo(1);
    chart->RedrawNow();
    EXPECT_EQ(chart->grab().toImage(), both);

    // Hidden, the snapshot leaves the picture; the waveform stays.
    window->ShowBox(1, 0)->setChecked(false);
    chart->RedrawNow();
    const QImage waveOnly = chart->grab().toImage();
    EXPECT_EQ(PixelsNear(waveOnly, snapshotColor), 0);
    EXPECT_GT(PixelsNear(waveOnly, waveColor), 50);
    EXPECT_EQ(chart->PointCount(CLightWaveWnd::kFirstSnapshotSeries), 0);
}

// Display > Fit to data (Ctrl+F) fits both graphs to the frame shown; "Always fit" is
// remembered for the next window.
TEST_F(LightWaveWindowTest, FitToDataAndAlwaysFitFromTheDisplayMenu) {
    Open(100);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::mouseClick(window->StartButton(), Qt::LeftButton);
    CaptureOnce();
    QTest::mouseClick(window->StartButton(), Qt::LeftButton);
    ASSERT_TRUE(window->ShownValid(0));
    const LightWaveFrame& frame = window->ShownFrame(0);
    int32_t highest = 0;
    for (int cell = 1; cell <= 512; ++cell) {
        highest = std::max(highest, frame.Sample(cell));
    }
    const double before = window->Chart(0)->YUpper();
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_NE(window->Chart(0)->YUpper(), before);
    EXPECT_GE(window->Chart(0)->YUpper(), highest);
    EXPECT_LE(window->Chart(0)->YUpper(), highest * 1.2 + 1);

    auto* always = window->findChild<QAction*>("actionAlwaysFit");
    ASSERT_NE(always, nullptr);
    always->trigger();
    EXPECT_TRUE(window->Chart(1)->IsAlwaysFit());
    EXPECT_EQ(app.Store().GetInt<kLwWndAlwaysFit>(), 1);
    window.reset();
    Open(100);
    EXPECT_TRUE(window->findChild<QAction*>("actionAlwaysFit")->isChecked());
    EXPECT_TRUE(window->Chart(0)->IsAlwaysFit());
}

TEST_F(LightWaveWindowTest, ExportsBothGraphsAsPngAndPdfThroughTheMenu) {
    Open(100);
    window->resize(900, 640);
    QTest::mouseClick(window->StartButton(), Qt::LeftButton);
    CaptureOnce();
    ASSERT_TRUE(window->ShownValid(0));
    QAction* exportGraphs = window->findChild<QAction*>("actionExport");
    ASSERT_NE(exportGraphs, nullptr);

    // PNG: one picture per head, the size of its graph on screen.
    nextFile = QString::fromStdString(home.Path("docs/wave.png"));
    exportGraphs->trigger();
    ASSERT_FALSE(fileRequests.empty());
    EXPECT_EQ(fileRequests.back().filters, (QStringList{"PNG (*.png)", "PDF (*.pdf)"}));
    EXPECT_TRUE(boxes.empty());
    for (int head = 0; head < 2; ++head) {
        const QString file =
            QString::fromStdString(home.Path(head == 0 ? "docs/wave-A.png" : "docs/wave-B.png"));
        QImage image;
        ASSERT_TRUE(image.load(file, "PNG")) << file.toStdString();
        EXPECT_EQ(image.size(), window->Chart(head)->size());
        // The waveform is in the picture: it is the only blue drawn.
        int blue = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                blue += c.blue() - c.red() > 80 ? 1 : 0;
            }
        }
        EXPECT_GT(blue, 100) << head;
    }

    // PDF: one document per head.
    ASSERT_TRUE(window->ExportGraphs(QString::fromStdString(home.Path("docs/wave.pdf"))));
    for (const char* name : {"docs/wave-A.pdf", "docs/wave-B.pdf"}) {
        QFile file(QString::fromStdString(home.Path(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_GT(file.size(), 100);
        EXPECT_TRUE(file.read(5).startsWith("%PDF")) << name;
    }

    // A folder that cannot hold the files: reported as a failed write, nothing left behind.
    WriteFileText(home.Path("docs/plain"), "x");
    EXPECT_FALSE(window->ExportGraphs(QString::fromStdString(home.Path("docs/plain/w.png"))));
    EXPECT_FALSE(window->ExportGraphs(QString::fromStdString(home.Path("none/w.pdf"))));
    nextFile = QString::fromStdString(home.Path("none/w.png"));
    exportGraphs->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains("none/w.png")) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains(std::strerror(ENOENT))) << boxes[0].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(home.Path("none"))));
}

}  // namespace
}  // namespace zul::test

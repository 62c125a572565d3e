// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering window against the emulated controller: start, stop, read, the state loop,
// files, statistics and the table's colours, and closing while the controller is busy.
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <mutex>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include "MeasurementBufferingFixture.h"
#include "PdfText.h"
#include "app/ConnectSequence.h"
#include "buffering/BufferingProcedures.h"
#include "link/Commands.h"
#include "link/RequestBuilders.h"
#include "settings/MessageBox.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingConfForm.h"
#include "ui/buffering/BufferingFormat.h"
#include "ui/buffering/BufferingIds.h"
#include "ui/buffering/BufferingInfoForm.h"
#include "ui/buffering/BufferingInfoView.h"
#include "ui/buffering/BufferingSettingsPage.h"
#include "ui/buffering/BufferingStatisticsView.h"
#include "ui/buffering/BufferingTableModel.h"
#include "ui/buffering/BufferingWnd.h"
#include "ui/buffering/CapabilityPanel.h"
#include "ui/buffering/HistogramView.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/TChart.h"

namespace zul::test {

using namespace zul::ui;
namespace {

constexpr int kWaitMs = 15000;

class BufferingWindowTest : public WindowEmulatorTest {
protected:
    void SetUp() override {
        WindowEmulatorTest::SetUp();
        previous_ = QtMessageBoxHost::SetAnswerer([this](const MessageBoxShown& box) {
            boxes.push_back(box.text.toStdString());
            return kAnswerOk;
        });
    }
    void TearDown() override {
        WindowEmulatorTest::TearDown();
        QtMessageBoxHost::SetAnswerer(previous_);
    }
    void CloseWindows() override { wnd.reset(); }

    CBufferingWnd& Open() {
        wnd.reset(CBufferingWnd::Create(app, nullptr));
        wnd->show();
        return *wnd;
    }
    std::string ErrorText(int32_t code) { return app.Ui().GetErrorText(code); }
    // The control numbered id of the window (output 1: OUT2's copy of a per-output control).
    template <class T>
    T* Ctrl(int32_t id, int output = 0) {
        return FindOutputControl<T>(wnd.get(), id, output);
    }
    // Sets a choice list of the settings page to the entry of value.
    void Choose(int32_t id, int value, int output = 0) {
        auto* box = Ctrl<QComboBox>(id, output);
        ASSERT_NE(box, nullptr) << id << " of output " << output;
        const int index = box->findData(value);
        ASSERT_GE(index, 0) << id << " " << value;
        box->setCurrentIndex(index);
    }
    void Enter(int32_t id, int value) {
        auto* edit = Ctrl<CNumericEdit>(id);
        ASSERT_NE(edit, nullptr) << id;
        edit->setText(QString::number(value));
    }
    // Settings of a run on the page: mode, outputs, number of values.
    void Page(int mode, int type, int storeNum) {
        Choose(kBufBufferModeList, mode);
        Choose(kBufBufferTypeList, type);
        Choose(kBufBufferRateList, 0);
        Enter(kBufStoreNumEdit, storeNum);
        Enter(kBufSampleTriggerStoreNumEdit, 1);
        Enter(kBufTriggerPointEdit, 1);
    }
    // Waits until a request of kind has been handled; its code.
    std::optional<int> WaitHandled(int kind) {
        QSignalSpy spy(wnd.get(), &CBufferingWnd::requestHandled);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kWaitMs) {
            for (const QList<QVariant>& args : spy) {
                if (args[0].toInt() == kind) {
                    return args[1].toInt();
                }
            }
            spy.wait(200);
        }
        return std::nullopt;
    }
    void RunToCompletion(int type, int storeNum) {
        wnd->SetSelfStop(true);
        Page(0, type, storeNum);
        wnd->Start();
        ASSERT_TRUE(boxes.empty()) << boxes.front();
        ASSERT_TRUE(wnd->IsRunning());
        ASSERT_EQ(WaitHandled(kMonitoringComplete), std::optional<int>(ZUL_OK));
        EXPECT_FALSE(wnd->IsRunning());
    }
    // Puts values straight into the window's block (OUT1) with the header fields given.
    void Fill(const std::vector<double>& values, int32_t mode = 0, int32_t runLength = 1) {
        BufferingData& data = wnd->Data();
        {
            std::lock_guard lock(data.mutex);
            data.header[kSlotBufferMode] = mode;
            data.header[kSlotSampleTriggerStoreNum] = runLength;
            data.header[kSlotFinalDataPoint1] = int32_t(values.size());
            std::copy(values.begin(), values.end(), data.outputs[0].values.begin());
            data.outputs[0].cache.Clear();
        }
        wnd->RedrawAll();
    }

    // The status line as the user reads it (the spaces that hold an item together shown as
    // spaces).
    QString StatusShown() {
        QString text = wnd->findChild<QLabel*>("lblStatus")->text();
        return text.replace(QChar(0x00A0), QLatin1Char(' '));
    }
    std::unique_ptr<CBufferingWnd> wnd;
    std::vector<std::string> boxes;

private:
    MessageBoxAnswerer previous_;
};

TEST_F(BufferingWindowTest, StateLoopReadsTheStateEveryHalfSecond) {
    Open();
    ASSERT_EQ(WaitHandled(kReadState), std::optional<int>(ZUL_OK));
    const auto frames = WithoutBcc(sim.ReceivedFrames());
    ASSERT_GE(frames.size(), 1u);
    EXPECT_EQ(frames[0], "%EE#RTT5");
    EXPECT_FALSE(wnd->IsStateReadOutstanding());
    EXPECT_FALSE(wnd->StatusText().isEmpty());
}

// The status line grows during a read ("Values read: ..."); it wraps instead of widening the
// window, so the window keeps the width the user gave it.
TEST_F(BufferingWindowTest, TheStatusLineWrapsInsteadOfWideningTheWindow) {
    Open();
    auto* status = wnd->findChild<QLabel*>("lblStatus");
    ASSERT_NE(status, nullptr);
    ASSERT_GT(status->fontMetrics().horizontalAdvance(status->text()), 700);
    wnd->resize(700, wnd->height());
    wnd->layout()->activate();
    QCoreApplication::processEvents();
    EXPECT_EQ(wnd->width(), 700);
    // All of the line is shown, on as many lines as it needs.
    EXPECT_GE(status->height(), status->heightForWidth(status->width()));
    EXPECT_LE(status->width(), 700);
}

TEST_F(BufferingWindowTest, StartWithAValueOutOfRangeSendsNoStart) {
    Open();
    Page(0, kBufferTypeBoth, 40000);  // both outputs hold at most 32500 each
    wnd->Start();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, 20), ErrorText(ZUL_ERR_RANGE).substr(0, 20));
    EXPECT_FALSE(wnd->IsRunning());
    EXPECT_TRUE(FramesStartingWith(sim.ReceivedFrames(), "%EE#WBS0").empty());
    // The value edited on the page is the value that was checked.
    EXPECT_EQ(app.Store().GetInt<kBufStoreNum>(app.Store().GetInt<kAppCurMemNo>()), 40000);
}

TEST_F(BufferingWindowTest, StartAndReadRefuseWhileTheControllerBuffers) {
    Open();
    ResultInfo result;
    Page(2, kBufferTypeOut1, 100);
    wnd->TakeControlValues();
    ASSERT_EQ(WriteWord(*app.CommControler(), &result, cmd::kWriteBufferingState, 0, 1), ZUL_OK);
    wnd->Start();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], ErrorText(ZUL_ERR_BUFFERING_BUSY));
    EXPECT_FALSE(wnd->IsRunning());
    wnd->Read();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], ErrorText(ZUL_ERR_BUFFERING_BUSY));
    EXPECT_FALSE(wnd->IsReading());
    EXPECT_TRUE(FramesStartingWith(sim.ReceivedFrames(), "%EE#RLB").empty());
    WriteWord(*app.CommControler(), &result, cmd::kWriteBufferingState, 0, 0);
}

TEST_F(BufferingWindowTest, StopLeavesTheRunningState) {
    Open();
    Page(2, kBufferTypeOut1, 100);  // continuous: never completes by itself
    QTest::mouseClick(wnd->findChild<QPushButton*>("btnStart"), Qt::LeftButton);
    ASSERT_TRUE(wnd->IsRunning());
    EXPECT_FALSE(wnd->findChild<QPushButton*>("btnStart")->isEnabled());
    EXPECT_TRUE(wnd->findChild<QPushButton*>("btnStop")->isEnabled());
    ASSERT_EQ(WaitHandled(kMonitoringUpdate), std::optional<int>(ZUL_OK));
    sim.ClearReceivedFrames();
    QTest::mouseClick(wnd->findChild<QPushButton*>("btnStop"), Qt::LeftButton);
    EXPECT_FALSE(wnd->IsRunning());
    EXPECT_EQ(WithoutBcc(FramesStartingWith(sim.ReceivedFrames(), "%EE#WBS")),
              std::vector<std::string>{"%EE#WBS000000"});
    EXPECT_TRUE(wnd->findChild<QPushButton*>("btnStart")->isEnabled());
    EXPECT_FALSE(wnd->findChild<QPushButton*>("btnStop")->isEnabled());
    // The state loop runs again.
    EXPECT_EQ(WaitHandled(kReadState), std::optional<int>(ZUL_OK));
}

TEST_F(BufferingWindowTest, FullRunWithSelfStopThenReadInBlocksOf2900) {
    Open();
    RunToCompletion(kBufferTypeOut1, 5801);
    EXPECT_EQ(wnd->Status()[BufferingValueSet::StateRead(0)], kOutputStateComplete);
    EXPECT_EQ(wnd->Status()[BufferingValueSet::FinalDataPoint(0)], 5801);
    // The status line names the mode, the outputs and the states in words, and each item
    // stays on one line.
    const QString status = wnd->findChild<QLabel*>("lblStatus")->text();
    for (const char* item : {"Mode: Stop when full", "Outputs: OUT1 only", "OUT1 state: Complete",
                             "OUT1 last value: 5801", "OUT2 state: Idle"}) {
        EXPECT_TRUE(status.contains(QString(item).replace(' ', QChar::Nbsp)))
            << item << " in " << status.toStdString();
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !FramesStartingWith(sim.ReceivedFrames(), "%EE#WBS000000").empty(); },
        kWaitMs));
    sim.ClearReceivedFrames();
    wnd->Read();
    EXPECT_TRUE(wnd->IsReading());
    EXPECT_FALSE(wnd->findChild<QPushButton*>("btnClear")->isEnabled());
    ASSERT_EQ(WaitHandled(kReadData), std::optional<int>(ZUL_OK));
    EXPECT_FALSE(wnd->IsReading());
    const auto blocks = WithoutBcc(FramesStartingWith(sim.ReceivedFrames(), "%EE#RLB"));
    EXPECT_EQ(blocks, (std::vector<std::string>{"%EE#RLB30000102900", "%EE#RLB30290105800",
                                                "%EE#RLB30580105801"}));
    EXPECT_EQ(wnd->TableModel(0).rowCount(), 5801);
    EXPECT_EQ(wnd->TableModel(1).rowCount(), 0);
    EXPECT_EQ(wnd->Chart(0).PointCount(0), 5801);
    EXPECT_DOUBLE_EQ(wnd->Chart(0).XUpper(), 5801.0);
    EXPECT_DOUBLE_EQ(wnd->Chart(0).YUpper(), 950.0);
    EXPECT_DOUBLE_EQ(wnd->Chart(0).YLower(), -950.0);
    EXPECT_TRUE(boxes.empty());
    // Selecting a point shows its number and value.
    wnd->Chart(0).SelectPoint(0, 9);
    const QPointF p = wnd->Chart(0).Point(0, 9);
    EXPECT_EQ(wnd->SelectedPointText(0), QString::asprintf("(10, %0.6lf", p.y()) + "mm)");
}

TEST_F(BufferingWindowTest, SaveAndLoadDataFileAndCsvWithDecimalComma) {
    Open();
    app.Store().SetInt<kSoftCsvSeparator>(1);
    app.Store().SetInt<kSoftCsvUnderdigit>(1);
    wnd->findChild<QLineEdit*>("edtComment")->setText("run 7");
    Fill({1.5, -0.25, 2.0});
    const QString csv = QString::fromStdString(home.Path("values.CSV"));
    ASSERT_TRUE(wnd->SaveToPath(csv));
    const std::string text = ReadFileText(csv.toStdString());
    EXPECT_NE(text.find("\"1,500000\""), std::string::npos) << text;
    const QString bfd = QString::fromStdString(home.Path("values.bfd"));
    ASSERT_TRUE(wnd->SaveToPath(bfd));
    QTest::mouseClick(wnd->findChild<QPushButton*>("btnClear"), Qt::LeftButton);
    EXPECT_EQ(wnd->TableModel(0).rowCount(), 0);
    wnd->findChild<QLineEdit*>("edtComment")->clear();
    ASSERT_TRUE(wnd->LoadFromPath(bfd));
    EXPECT_EQ(wnd->TableModel(0).rowCount(), 3);
    EXPECT_EQ(wnd->TableModel(0).index(0, 1).data().toString(), "1.500000");
    EXPECT_EQ(wnd->TableModel(0).index(1, 1).data().toString(), "-0.250000");
    EXPECT_EQ(wnd->findChild<QLineEdit*>("edtComment")->text(), "run 7");
    EXPECT_EQ(wnd->Chart(0).PointCount(0), 3);
}

// The desktop's keys: Ctrl+S saves, Ctrl+O loads, Ctrl+W closes the window.
TEST_F(BufferingWindowTest, StandardKeysSaveLoadAndClose) {
    Open();
    Fill({1.5, -0.25, 2.0});
    wnd->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wnd.get()));
    std::vector<FileDialogRequest::Mode> asked;
    const FileDialogAnswerer previous =
        QtFileDialogHost::SetAnswerer([&](const FileDialogRequest& request, QWidget*) {
            asked.push_back(request.mode);
            return std::optional<FileDialogResult>();  // cancelled
        });
    QTest::keyClick(wnd.get(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(wnd.get(), Qt::Key_O, Qt::ControlModifier);
    QtFileDialogHost::SetAnswerer(previous);
    EXPECT_EQ(asked, (std::vector{FileDialogRequest::Mode::Save, FileDialogRequest::Mode::Open}));
    EXPECT_EQ(wnd->TableModel(0).rowCount(), 3);  // a cancelled load keeps the values
    QTest::keyClick(wnd.get(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(wnd->isVisible());
}

// File > Load of a file that is not a complete data file says which file and why, and the
// values on screen (from the controller or a good load) stay.
TEST_F(BufferingWindowTest, FailedLoadShowsTheReasonAndKeepsTheValues) {
    Open();
    wnd->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wnd.get()));
    Fill({1.0, 2.0});
    const QString before =
        wnd->TableModel(0).data(wnd->TableModel(0).index(1, 1), Qt::DisplayRole).toString();
    const struct {
        const char* file;
        std::string content;
        const char* reason;
    } cases[] = {
        {"empty.bfd", "", "holds no buffering data"},
        {"renamed.bfd", "0,Output1,Output2\r\n1,1.500000,\r\n", "holds no buffering data"},
        {"short.bfd",
         "[Setting]\n\t<Common>\n\t\tFinalDataPoint1=1000\n\t\tFinalDataPoint2=0\n"
         "[Data]\n\t<CSV>\n1,0.5,\n2,0.25,\n",
         "states 1000 values of OUT1 but holds 2"},
        {"nan.bfd",
         "[Setting]\n\t<Common>\n\t\tFinalDataPoint1=1\n\t\tFinalDataPoint2=0\n"
         "[Data]\n\t<CSV>\n1,nan,\n",
         "value 1 of OUT1 is not a value"},
        {"missing.bfd", {}, "No such file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = home.Path(c.file);
        if (std::string_view(c.file) != "missing.bfd") {
            std::ofstream(path, std::ios::binary) << c.content;
        }
        boxes.clear();
        const FileDialogAnswerer previous =
            QtFileDialogHost::SetAnswerer([&](const FileDialogRequest&, QWidget*) {
                return std::optional(FileDialogResult{QString::fromStdString(path), 0});
            });
        QTest::keyClick(wnd.get(), Qt::Key_O, Qt::ControlModifier);
        QtFileDialogHost::SetAnswerer(previous);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].substr(0, 10), ErrorText(ZUL_ERR_FILE_READ).substr(0, 10));
        EXPECT_NE(boxes[0].find(path), std::string::npos) << boxes[0];
        EXPECT_NE(boxes[0].find(c.reason), std::string::npos) << boxes[0];
        EXPECT_EQ(wnd->TableModel(0).rowCount(), 2);
        EXPECT_EQ(
            wnd->TableModel(0).data(wnd->TableModel(0).index(1, 1), Qt::DisplayRole).toString(),
            before);
    }
}

// The value axis starts at -950..950; Display > Fit to data (Ctrl+F) shows the values, leaving
// out the controller's out-of-range marks, and "Always fit" is remembered for the next window.
TEST_F(BufferingWindowTest, FitToDataAndAlwaysFitFromTheDisplayMenu) {
    Open();
    wnd->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wnd.get()));
    wnd->findChild<QTabWidget*>("tabPages")->setCurrentIndex(0);
    Fill({0.30, 0.32, 0.31, 999.999999});
    EXPECT_DOUBLE_EQ(wnd->Chart(0).YUpper(), 950.0);
    QTest::keyClick(wnd.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_GT(wnd->Chart(0).YLower(), 0.29);
    EXPECT_LT(wnd->Chart(0).YLower(), 0.30);
    EXPECT_GT(wnd->Chart(0).YUpper(), 0.32);
    EXPECT_LT(wnd->Chart(0).YUpper(), 0.33);

    auto* always = wnd->findChild<QAction*>("actAlwaysFit");
    ASSERT_NE(always, nullptr);
    EXPECT_FALSE(always->isChecked());
    always->trigger();
    EXPECT_EQ(app.Store().GetInt<kBufWndAlwaysFit>(), 1);
    Fill({5.0, 6.0});
    EXPECT_LT(wnd->Chart(0).YUpper(), 7.0);
    EXPECT_GT(wnd->Chart(0).YLower(), 4.0);
    wnd.reset();
    Open();
    EXPECT_TRUE(wnd->findChild<QAction*>("actAlwaysFit")->isChecked());
    Fill({-2.0, -1.0});
    EXPECT_LT(wnd->Chart(0).YUpper(), 0.0);
}

TEST_F(BufferingWindowTest, StatisticsWithAndWithoutTheBetweenRange) {
    Open();
    CBufferingInfoForm* info = wnd->OpenInformation();
    ASSERT_NE(info, nullptr);
    Fill({1.0, 2.0, 3.0, 4.0, 951.0});  // the last value is invalid
    CBufferingInfoView& view = info->View();
    EXPECT_EQ(view.CellText(0, 0), "4.000000");  // maximum
    EXPECT_EQ(view.CellText(2, 0), "2.500000");  // average
    EXPECT_EQ(view.CellText(3, 0), "3.000000");  // upper median
    EXPECT_EQ(view.CellText(14, 0), "0");        // no between range
    // Number lines 2..3 switched on.
    app.Store().SetInt<kBufConfHorizontalMeasureDisp>(1, 0);
    app.Store().SetInt<kBufConfHorizontalMeasureLeft>(2, 0);
    app.Store().SetInt<kBufConfHorizontalMeasureRight>(3, 0);
    wnd->ApplyMeasureLines();
    EXPECT_EQ(view.CellText(14, 0), "1");
    EXPECT_EQ(view.CellText(12, 0), "2.500000");
    EXPECT_EQ(view.CellText(10, 0), "3.000000");
    // Lines 10..5: inactive again.
    app.Store().SetInt<kBufConfHorizontalMeasureLeft>(10, 0);
    app.Store().SetInt<kBufConfHorizontalMeasureRight>(5, 0);
    wnd->ApplyMeasureLines();
    EXPECT_EQ(view.CellText(14, 0), "0");
    EXPECT_EQ(view.CellText(12, 0), "0.000000");
    // Value lines at the ends of the axis: their distance is shown whole, not at a cell's limit.
    app.Store().SetDouble<kBufConfVerticalMeasureTop>(950.0, 0);
    app.Store().SetDouble<kBufConfVerticalMeasureBottom>(-950.0, 0);
    wnd->ApplyMeasureLines();
    EXPECT_EQ(view.CellText(6, 0), "1900.000000");
}

TEST_F(BufferingWindowTest, TableShowsInvalidValuesRedAndEverySecondRunGreen) {
    Open();
    Fill({950.0, 950.0000002, 1.0, 2.0, 3.0, 4.0}, 3, 2);
    CBufferingTableModel& model = wnd->TableModel(0);
    EXPECT_FALSE(model.index(0, 1).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(model.index(1, 1).data(Qt::ForegroundRole).value<QColor>(),
              CBufferingTableModel::kInvalidText);
    EXPECT_EQ(model.index(1, 1).data().toString(), "950.000000");
    // Runs of two: values 3 and 4 form the second run.
    EXPECT_FALSE(model.index(1, 1).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(model.index(2, 1).data(Qt::BackgroundRole).value<QColor>(),
              CBufferingTableModel::kRunBackground);
    EXPECT_EQ(model.index(3, 1).data(Qt::BackgroundRole).value<QColor>(),
              CBufferingTableModel::kRunBackground);
    EXPECT_FALSE(model.index(4, 1).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "OUT1");
    // A run length of 0 (a loaded file may carry it) counts as 1: every second value.
    Fill({1.0, 2.0, 3.0}, 5, 0);
    EXPECT_FALSE(model.index(0, 1).data(Qt::BackgroundRole).isValid());
    EXPECT_TRUE(model.index(1, 1).data(Qt::BackgroundRole).isValid());
    // Other modes have no runs.
    Fill({1.0, 2.0, 3.0}, 1, 1);
    EXPECT_FALSE(model.index(1, 1).data(Qt::BackgroundRole).isValid());
}

TEST_F(BufferingWindowTest, OffLineOnlyClearIsAvailable) {
    Open();
    DisconnectController(app);
    wnd->LineStateChanged(0);
    EXPECT_FALSE(wnd->findChild<QPushButton*>("btnStart")->isEnabled());
    EXPECT_FALSE(wnd->findChild<QPushButton*>("btnRead")->isEnabled());
    EXPECT_FALSE(wnd->findChild<QCheckBox*>("chkSelfStop")->isEnabled());
    EXPECT_FALSE(wnd->findChild<QPushButton*>("btnStop")->isEnabled());
    EXPECT_TRUE(wnd->findChild<QPushButton*>("btnClear")->isEnabled());
    EXPECT_FALSE(Ctrl<QComboBox>(kBufBufferModeList)->isEnabled());
}

TEST_F(BufferingWindowTest, SettingsPageRangesAndEditableFieldsFollowModeAndOutputs) {
    Open();
    Choose(kBufBufferTypeList, kBufferTypeBoth);
    EXPECT_EQ(Ctrl<CNumericEdit>(kBufStoreNumEdit)->Maximum(), 32500);
    Choose(kBufBufferTypeList, kBufferTypeOut2);
    EXPECT_EQ(Ctrl<CNumericEdit>(kBufStoreNumEdit)->Maximum(), 65000);
    Choose(kBufBufferModeList, 0);
    EXPECT_FALSE(Ctrl<CNumericEdit>(kBufSampleTriggerStoreNumEdit)->isEnabled());
    EXPECT_FALSE(Ctrl<CNumericEdit>(kBufTriggerPointEdit)->isEnabled());
    Choose(kBufBufferModeList, 1);
    EXPECT_FALSE(Ctrl<CNumericEdit>(kBufSampleTriggerStoreNumEdit)->isEnabled());
    EXPECT_TRUE(Ctrl<CNumericEdit>(kBufTriggerPointEdit)->isEnabled());
    Choose(kBufBufferModeList, 3);
    EXPECT_TRUE(Ctrl<CNumericEdit>(kBufSampleTriggerStoreNumEdit)->isEnabled());
    Enter(kBufStoreNumEdit, 10);
    EXPECT_EQ(Ctrl<CNumericEdit>(kBufSampleTriggerStoreNumEdit)->Maximum(), 10);
}

TEST_F(BufferingWindowTest, SelfStopBoxIsStoredAtOnce) {
    Open();
    auto* box = wnd->findChild<QCheckBox*>("chkSelfStop");
    const bool before = box->isChecked();
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(app.Store().GetInt<kSysBufBufferSelfStop>(), before ? 0 : 1);
}

TEST_F(BufferingWindowTest, ClosingDuringARunLeavesNothingPosting) {
    Open();
    Page(2, kBufferTypeOut1, 100);
    wnd->Start();
    ASSERT_TRUE(wnd->IsRunning());
    ASSERT_EQ(WaitHandled(kMonitoringUpdate), std::optional<int>(ZUL_OK));
    QSignalSpy closed(wnd.get(), &CBufferingWnd::closed);
    wnd->close();
    EXPECT_EQ(closed.size(), 1);
    EXPECT_EQ(app.Buffering()->State(), 0);
    wnd.reset();
    QCoreApplication::processEvents();
    ResultInfo result;
    StopBuffering(*app.CommControler(), &result);
    // The thread serves the next window.
    Open();
    EXPECT_EQ(WaitHandled(kReadState), std::optional<int>(ZUL_OK));
}

TEST_F(BufferingWindowTest, ClosingDuringAReadLeavesNothingPosting) {
    Open();
    RunToCompletion(kBufferTypeOut1, 20000);
    sim.SetLatency(std::chrono::milliseconds(20));
    wnd->Read();
    ASSERT_TRUE(wnd->IsReading());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !FramesStartingWith(sim.ReceivedFrames(), "%EE#RLB").empty(); }, kWaitMs));
    wnd->close();
    EXPECT_EQ(app.Buffering()->State(), 0);
    wnd.reset();
    QCoreApplication::processEvents();
    Open();
    EXPECT_EQ(WaitHandled(kReadState), std::optional<int>(ZUL_OK));
}

TEST_F(BufferingWindowTest, ReadWithoutBufferedDataLeavesTheGraphs) {
    Open();
    Fill({1.0, 2.0, 3.0});
    sim.ClearReceivedFrames();
    wnd->Read();
    ASSERT_EQ(WaitHandled(kReadData), std::optional<int>(ZUL_ERR_NO_BUFF_DATA));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], ErrorText(ZUL_ERR_NO_BUFF_DATA));
    EXPECT_FALSE(wnd->IsReading());
    EXPECT_EQ(wnd->TableModel(0).rowCount(), 3);
    EXPECT_EQ(wnd->Chart(0).PointCount(0), 3);  // the read cleared the graph: drawn again
    EXPECT_TRUE(wnd->findChild<QPushButton*>("btnRead")->isEnabled());
}

TEST_F(BufferingWindowTest, ReadSettingsStoresTheControllersValues) {
    Open();
    ResultInfo result;
    ASSERT_EQ(WriteWord(*app.CommControler(), &result, cmd::kWriteBufferingCount, 5, 777), ZUL_OK);
    Enter(kBufStoreNumEdit, 5);
    sim.ClearReceivedFrames();
    wnd->ReadSettingsFromController();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Ctrl<CNumericEdit>(kBufStoreNumEdit)->IntValue(), std::optional<int32_t>(777));
    EXPECT_EQ(app.Store().GetInt<kBufStoreNum>(app.Store().GetInt<kAppCurMemNo>()), 777);
    const auto frames = WithoutBcc(sim.ReceivedFrames());
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0], "%EE#RBS0");
}

TEST_F(BufferingWindowTest, DraggingANumberLineMovesItAndTheStatistics) {
    Open();
    app.Store().SetInt<kBufConfHorizontalMeasureDisp>(1, 0);
    app.Store().SetInt<kBufConfHorizontalMeasureLeft>(10, 0);
    app.Store().SetInt<kBufConfHorizontalMeasureRight>(50, 0);
    CBufferingInfoForm* info = wnd->OpenInformation();
    std::vector<double> values;
    for (int i = 1; i <= 100; ++i) {
        values.push_back(double(i));
    }
    Fill(values);
    wnd->ApplyMeasureLines();
    EXPECT_EQ(info->View().CellText(11, 0), "10.000000");  // minimum between the lines
    CTChart& chart = wnd->Chart(0);
    chart.RedrawNow();
    QWidget* plot = chart.findChildren<QWidget*>().value(0, &chart);
    const QPoint from = plot->mapFrom(&chart, chart.PointToPixel(10.0, 0.0).toPoint());
    const QPoint to = plot->mapFrom(&chart, chart.PointToPixel(30.0, 0.0).toPoint());
    QTest::mousePress(plot, Qt::LeftButton, {}, from);
    QTest::mouseMove(plot, to);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
    const int32_t left = app.Store().GetInt<kBufConfHorizontalMeasureLeft>(0);
    EXPECT_NEAR(left, 30, 1);
    EXPECT_NEAR(chart.MeasureLinePosition(wnd->MeasureLineOf(0, 2)), left, 1e-9);
    EXPECT_EQ(info->View().CellText(11, 0), QString::asprintf("%0.6f", double(left)));
    EXPECT_EQ(app.Store().GetInt<kBufConfHorizontalMeasureRight>(0), 50);  // untouched
}

// The read's own cancel button: the read ends, the values shown before it (none here) stay.
TEST_F(BufferingWindowTest, CancelledReadKeepsTheValuesShownBeforeAndTheWindowUsable) {
    Open();
    auto* cancel = wnd->findChild<QPushButton*>("btnCancelRead");
    auto* progress = wnd->findChild<QProgressBar*>("progressRead");
    EXPECT_FALSE(cancel->isVisible());  // only while a read runs
    EXPECT_FALSE(progress->isVisible());
    RunToCompletion(kBufferTypeOut1, 20000);
    sim.SetLatency(std::chrono::milliseconds(20));
    wnd->Read();
    ASSERT_TRUE(wnd->IsReading());
    EXPECT_TRUE(cancel->isVisible());
    EXPECT_TRUE(progress->isVisible());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !FramesStartingWith(sim.ReceivedFrames(), "%EE#RLB").empty(); }, kWaitMs));
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_FALSE(wnd->IsReading());
    EXPECT_FALSE(cancel->isVisible());
    EXPECT_EQ(app.Buffering()->State(), 0);
    EXPECT_LT(wnd->TableModel(0).rowCount(), 20000);
    EXPECT_EQ(wnd->TableModel(0).rowCount(), 0);
    EXPECT_EQ(wnd->Chart(0).PointCount(0), 0);
    EXPECT_TRUE(wnd->findChild<QPushButton*>("btnRead")->isEnabled());
    sim.SetLatency(std::chrono::milliseconds(0));
    EXPECT_EQ(WaitHandled(kReadState), std::optional<int>(ZUL_OK));
}

TEST_F(BufferingWindowTest, DoubleClickResetsTheGraphView) {
    Open();
    Fill({1.0, 2.0, 3.0, 4.0});
    CTChart& chart = wnd->Chart(0);
    chart.SetXRange(1.0, 4.0);
    chart.RedrawNow();
    const double upper = chart.XUpper();
    QWidget* plot = chart.findChildren<QWidget*>().value(0, &chart);
    const QPoint centre = plot->rect().center();
    QWheelEvent wheel(centre, plot->mapToGlobal(centre), {}, {0, 240}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(plot, &wheel);
    chart.RedrawNow();
    ASSERT_NE(chart.XUpper(), upper);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, centre);
    EXPECT_DOUBLE_EQ(chart.XUpper(), upper);
}

TEST_F(BufferingWindowTest, PrintsAndExportsTheShownGraph) {
    Open();
    Fill({1.0, 2.0, 3.0, -4.0});
    QAction* print = wnd->findChild<QAction*>("actPrint");
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->text(), "&Print graph...");
    const QString path = QString::fromStdString(home.Path("graph.pdf"));
    int setups = 0;
    const CBufferingWnd::PrintSetup previous =
        CBufferingWnd::SetPrintSetup([&](QPrinter& printer, QWidget* parent) {
            ++setups;
            EXPECT_EQ(parent, wnd.get());
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        });
    print->trigger();
    EXPECT_EQ(setups, 1);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    const std::string pdf = ReadFileText(path.toStdString());
    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");

    // The same graph exported as a picture and as a PDF file.
    const QString png = QString::fromStdString(home.Path("graph.png"));
    ASSERT_TRUE(wnd->ExportGraphs(png, false));
    EXPECT_EQ(ReadFileText(png.toStdString()).substr(1, 3), "PNG");
    const QString exported = QString::fromStdString(home.Path("exported.pdf"));
    ASSERT_TRUE(wnd->ExportGraphs(exported, true));
    EXPECT_EQ(ReadFileText(exported.toStdString()).substr(0, 5), "%PDF-");

    // A cancelled dialog prints nothing.
    const QString cancelled = QString::fromStdString(home.Path("cancelled.pdf"));
    CBufferingWnd::SetPrintSetup([&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(cancelled);
        return false;
    });
    EXPECT_FALSE(wnd->PrintGraph());
    EXPECT_FALSE(QFileInfo::exists(cancelled));
    EXPECT_TRUE(boxes.empty());

    // A file that cannot be written is reported.
    const QString unwritable = QString::fromStdString(home.Path("no/such/folder/graph.pdf"));
    CBufferingWnd::SetPrintSetup([&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(unwritable);
        return true;
    });
    EXPECT_FALSE(wnd->PrintGraph());
    CBufferingWnd::SetPrintSetup(previous);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, 10), ErrorText(ZUL_ERR_FILE_WRITE).substr(0, 10));
    EXPECT_NE(boxes[0].find(std::strerror(ENOENT)), std::string::npos) << boxes[0];

    // An export that fails names the system's reason and leaves no file, nor replaces one.
    ResultInfo why;
    EXPECT_FALSE(wnd->ExportGraphs("/proc/graph.png", false, &why));
    EXPECT_EQ(why.detail1, "/proc/graph.png");
    EXPECT_FALSE(why.detail2.empty());
    EXPECT_FALSE(QFileInfo::exists("/proc/graph.png"));
    EXPECT_FALSE(wnd->ExportGraphs(QString::fromStdString(home.Path("")), false, &why));
    EXPECT_EQ(why.detail2, std::strerror(EISDIR));
}

// A buffer read from the controller gives the capability page of OUT1 its figures against the
// bank's judgement limits; File > Save statistics and File > Print capability report write them.
TEST_F(BufferingWindowTest, CapabilityOfAReadBufferIsShownSavedAndPrinted) {
    const int32_t bank = app.Store().GetInt<kAppCurMemNo>();
    app.Store().SetDouble<kOutDecisionMin>(-1.5, bank, 0);
    app.Store().SetDouble<kOutDecisionMax>(2.5, bank, 0);
    Open();
    auto* tabs = wnd->findChild<QTabWidget*>("tabPages");
    tabs->setCurrentWidget(wnd->findChild<QWidget*>("pageCapability1"));
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), "Capability OUT1");
    CCapabilityPanel& panel = wnd->Capability(0);
    EXPECT_EQ(panel.LowerLimitEdit()->text(), "-1.500000");
    EXPECT_EQ(panel.UpperLimitEdit()->text(), "2.500000");
    EXPECT_EQ(panel.CellText(CCapabilityPanel::kRowCount), "0");

    RunToCompletion(kBufferTypeOut1, 300);
    QTest::mouseClick(wnd->findChild<QPushButton*>("btnRead"), Qt::LeftButton);
    ASSERT_EQ(WaitHandled(kReadData), std::optional<int>(ZUL_OK));
    std::vector<double> values;
    {
        std::lock_guard lock(wnd->Data().mutex);
        values.assign(wnd->Data().outputs[0].values.begin(),
                      wnd->Data().outputs[0].values.begin() + wnd->Data().HeldCount(0));
    }
    ASSERT_EQ(values.size(), 300u);
    // The figures worked out here in long double, two passes.
    long double sum = 0;
    for (double v : values) {
        sum += v;
    }
    const long double mean = sum / values.size();
    long double squares = 0;
    long double ranges = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        squares += (values[i] - mean) * (values[i] - mean);
        ranges += i > 0 ? std::fabs(values[i] - values[i - 1]) : 0.0;
    }
    const double stddev = double(std::sqrt(squares / (values.size() - 1)));
    const double within = double(ranges / (values.size() - 1)) / 1.128;
    const double cp = 4.0 / (6.0 * within);
    const double cpk = std::min(2.5 - double(mean), double(mean) + 1.5) / (3.0 * within);
    EXPECT_EQ(panel.CellText(CCapabilityPanel::kRowCount), "300");
    EXPECT_EQ(panel.CellText(CCapabilityPanel::kRowMean),
              QString::asprintf("%0.6lf", double(mean)));
    EXPECT_EQ(panel.CellText(CCapabilityPanel::kRowStdDev), QString::asprintf("%0.6lf", stddev));
    EXPECT_EQ(panel.CellText(CCapabilityPanel::kRowCp), QString::number(cp, 'f', 3));
    EXPECT_EQ(panel.CellText(CCapabilityPanel::kRowCpk), QString::number(cpk, 'f', 3));
    EXPECT_EQ(panel.CellText(CCapabilityPanel::kRowLsl), "-1.500000");
    // The statistics page shows the main figures beside the statistics.
    tabs->setCurrentWidget(wnd->findChild<QWidget*>("pageStatistics"));
    auto* statistics = wnd->findChild<CBufferingStatisticsView*>();
    ASSERT_NE(statistics, nullptr);
    EXPECT_EQ(statistics->CapabilityCellText(0, 0), "300");
    EXPECT_EQ(statistics->CapabilityCellText(7, 0), QString::number(cpk, 'f', 3));  // Cpk
    EXPECT_EQ(statistics->CapabilityCellText(0, 1), "0");
    // The histogram holds every value; asked for 12 bins, it shows 12 bars.
    const int autoBars = panel.Histogram().BarCount();
    EXPECT_GE(autoBars, 5);
    EXPECT_LE(autoBars, 200);
    double held = 0;
    for (int k = 0; k < autoBars; ++k) {
        held += panel.Histogram().BarCountAt(k);
    }
    EXPECT_EQ(held, 300.0);
    panel.BinBox()->setValue(12);
    EXPECT_EQ(panel.Histogram().BarCount(), 12);

    // File > Save statistics, as JSON.
    const QString json = QString::fromStdString(home.Path("stats.json"));
    const FileDialogAnswerer previous =
        QtFileDialogHost::SetAnswerer([&](const FileDialogRequest& request, QWidget*) {
            EXPECT_EQ(request.mode, FileDialogRequest::Mode::Save);
            return std::optional<FileDialogResult>(FileDialogResult{json, 1});
        });
    wnd->findChild<QAction*>("actSaveStatistics")->trigger();
    QtFileDialogHost::SetAnswerer(previous);
    const std::string saved = ReadFileText(json.toStdString());
    EXPECT_EQ(saved.rfind("{\"out1\": {\"count\": 300, ", 0), 0u) << saved.substr(0, 80);
    EXPECT_NE(saved.find("\"out2\": {\"count\": 0, "), std::string::npos);
    EXPECT_NE(saved.find("\"lsl\": -1.5, \"usl\": 2.5"), std::string::npos);

    // File > Print capability report, printed into a PDF file.
    const QString pdf = QString::fromStdString(home.Path("capability.pdf"));
    const CBufferingWnd::PrintSetup previousSetup =
        CBufferingWnd::SetPrintSetup([&](QPrinter& printer, QWidget*) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
    wnd->findChild<QAction*>("actPrintCapability")->trigger();
    CBufferingWnd::SetPrintSetup(previousSetup);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    const std::optional<QString> extracted = PdfText(pdf);
    if (!extracted) {
        GTEST_SKIP() << kNoPdfText;
    }
    const QString text = *extracted;
    const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 2) << text.left(600).toStdString();
    EXPECT_TRUE(pages[0].contains("Process capability report"));
    EXPECT_TRUE(pages[0].contains("OUT1"));
    EXPECT_TRUE(pages[0].contains(QString::asprintf("%0.6lf", double(mean))));
    EXPECT_TRUE(pages[0].contains(QString::number(cpk, 'f', 3)));
    EXPECT_TRUE(pages[1].contains("OUT2"));
}

// Both outputs buffer in trigger mode; OUT2 is triggered (its timing input) and completes, OUT1
// never is. Once stopped, the emulated controller reports OUT1 without data (an output that is
// not complete never keeps a readable count there; the rule for a controller that still reports
// state 2 is checked on the value set in tests/buffering).
TEST_F(BufferingWindowTest, BothOutputsWithOut1NotCompleteReadsOnlyOut2) {
    constexpr int kTimingComesOn = 5;  // the emulated controller's trigger condition
    Open();
    wnd->SetSelfStop(false);
    Page(1, kBufferTypeBoth, 100);
    Choose(kBufEventConditionList, kTimingComesOn);
    Choose(kBufEventConditionList, kTimingComesOn, 1);
    wnd->Start();
    ASSERT_TRUE(boxes.empty()) << boxes.front();
    ASSERT_TRUE(wnd->IsRunning());
    ResultInfo result;
    ASSERT_EQ(WriteWord(*app.CommControler(), &result, "%EE#WTI", 4, 1), ZUL_OK);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return wnd->Status()[BufferingValueSet::StateRead(1)] == kOutputStateComplete; },
        kWaitMs))
        << wnd->Status()[BufferingValueSet::StateRead(1)];
    EXPECT_NE(wnd->Status()[BufferingValueSet::StateRead(0)], kOutputStateComplete);
    wnd->Stop();
    ASSERT_FALSE(wnd->IsRunning());
    WriteWord(*app.CommControler(), &result, "%EE#WTI", 4, 0);
    Fill({1.0, 2.0, 3.0});  // OUT1 held values before the read
    sim.ClearReceivedFrames();
    wnd->Read();
    ASSERT_EQ(WaitHandled(kReadData), std::optional<int>(ZUL_OK));
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_EQ(WithoutBcc(FramesStartingWith(sim.ReceivedFrames(), "%EE#RLB")),
              std::vector<std::string>{"%EE#RLB40000100100"});
    EXPECT_NE(wnd->Status()[BufferingValueSet::StateRead(0)], kOutputStateComplete);
    EXPECT_EQ(wnd->Status()[BufferingValueSet::StateRead(1)], kOutputStateComplete);
    EXPECT_EQ(wnd->TableModel(0).rowCount(), 0);
    EXPECT_EQ(wnd->Chart(0).PointCount(0), 0);
    EXPECT_EQ(wnd->TableModel(1).rowCount(), 100);
    EXPECT_EQ(wnd->Chart(1).PointCount(0), 100);
}

TEST_F(BufferingWindowTest, ReadStopsWhenTheRunningCheckFails) {
    Open();
    ASSERT_EQ(WaitHandled(kReadState), std::optional<int>(ZUL_OK));
    sim.ClearReceivedFrames();
    sim::SimFaults faults;
    faults.silent = 1;  // the "%EE#RBS0" check gets no answer
    sim.SetFaults(faults);
    wnd->Read();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, 10), ErrorText(ZUL_ERR_COMM_TIMEOUT).substr(0, 10));
    EXPECT_NE(boxes[0], ErrorText(ZUL_ERR_BUFFERING_BUSY));
    EXPECT_FALSE(wnd->IsReading());
    const auto frames = WithoutBcc(sim.ReceivedFrames());
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0], "%EE#RBS0");
    EXPECT_TRUE(FramesStartingWith(sim.ReceivedFrames(), "%EE#RLB").empty());
    EXPECT_EQ(app.Buffering()->State(), 0);
    EXPECT_TRUE(wnd->findChild<QPushButton*>("btnRead")->isEnabled());
}

TEST_F(BufferingWindowTest, MonitoringEndedByAFailureIsShownAndLeavesTheRunningState) {
    Open();
    Page(2, kBufferTypeOut1, 100);  // continuous: only a failure ends the monitoring
    wnd->Start();
    ASSERT_TRUE(wnd->IsRunning());
    ASSERT_EQ(WaitHandled(kMonitoringUpdate), std::optional<int>(ZUL_OK));
    sim::SimFaults faults;
    faults.silent = 1;
    sim.SetFaults(faults);
    ASSERT_EQ(WaitHandled(kStartMonitoring), std::optional<int>(ZUL_ERR_COMM_TIMEOUT));
    EXPECT_FALSE(wnd->IsRunning());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, 10), ErrorText(ZUL_ERR_COMM_TIMEOUT).substr(0, 10));
    EXPECT_TRUE(wnd->findChild<QPushButton*>("btnStart")->isEnabled());
    EXPECT_FALSE(wnd->findChild<QPushButton*>("btnStop")->isEnabled());
    ResultInfo result;
    StopBuffering(*app.CommControler(), &result);  // the controller still buffers

    // Ended because the line went off: no message, but the running state is left as well.
    boxes.clear();
    wnd->Start();
    ASSERT_TRUE(wnd->IsRunning());
    ASSERT_EQ(WaitHandled(kMonitoringUpdate), std::optional<int>(ZUL_OK));
    app.Buffering()->SetLineState(0);
    sim.SetFaults(faults);
    ASSERT_EQ(WaitHandled(kStartMonitoring), std::optional<int>(ZUL_ERR_OFFLINE));
    EXPECT_FALSE(wnd->IsRunning());
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    app.Buffering()->SetLineState(1);
    StopBuffering(*app.CommControler(), &result);
}

TEST_F(BufferingWindowTest, BankChangeKeepsThePageInTheOldBankAndShowsTheNewOne) {
    Open();
    SettingsStore& store = app.Store();
    const int32_t oldBank = store.GetInt<kAppCurMemNo>();
    const int32_t newBank = (oldBank + 1) % kBankCount;
    store.SetInt<kBufStoreNum>(300, newBank);
    store.SetDouble<kOutDecisionMin>(0.25, newBank, 1);
    store.SetDouble<kOutDecisionMax>(0.75, newBank, 1);
    store.SetInt<kBufTriggerPoint>(7, newBank);
    Enter(kBufStoreNumEdit, 1234);
    Enter(kBufTriggerPointEdit, 9);
    store.SetInt<kAppCurMemNo>(newBank);
    wnd->MemoryBankChanged(oldBank, newBank);
    EXPECT_EQ(store.GetInt<kBufStoreNum>(oldBank), 1234);
    EXPECT_EQ(store.GetInt<kBufTriggerPoint>(oldBank), 9);
    auto* storeNum = Ctrl<CNumericEdit>(kBufStoreNumEdit);
    EXPECT_EQ(storeNum->IntValue(), std::optional<int32_t>(300));
    // The capability limits follow the bank now in force.
    EXPECT_EQ(wnd->Capability(1).LowerLimitEdit()->text(), "0.250000");
    EXPECT_EQ(wnd->Capability(1).UpperLimitEdit()->text(), "0.750000");
    EXPECT_EQ(Ctrl<CNumericEdit>(kBufTriggerPointEdit)->IntValue(), std::optional<int32_t>(7));

    // Before the settings are read from the controller the page goes to the current bank;
    // here the read itself is refused because the controller buffers.
    Enter(kBufStoreNumEdit, 555);
    ResultInfo result;
    ASSERT_EQ(WriteWord(*app.CommControler(), &result, cmd::kWriteBufferingState, 0, 1), ZUL_OK);
    wnd->ReadSettingsFromController();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], ErrorText(ZUL_ERR_BUFFERING_BUSY));
    EXPECT_EQ(store.GetInt<kBufStoreNum>(newBank), 555);
    EXPECT_EQ(store.GetInt<kBufStoreNum>(oldBank), 1234);
    EXPECT_EQ(storeNum->IntValue(), std::optional<int32_t>(555));
    WriteWord(*app.CommControler(), &result, cmd::kWriteBufferingState, 0, 0);
}

TEST_F(BufferingWindowTest, TableVisibilityIsKeptPerOutput) {
    app.Store().SetInt<kBufWndWaveDataChange>(1, 0);
    app.Store().SetInt<kBufWndWaveDataChange>(1, 1);
    Open();
    auto tabs = [this] { return wnd->findChild<QTabWidget*>("tabPages"); };
    auto tableShown = [&](int output) {
        tabs()->setCurrentIndex(output);  // the output's own page
        return wnd->Table(output).isVisible();
    };
    QAction* table2 = wnd->findChild<QAction*>("actShowTable2");
    ASSERT_NE(table2, nullptr);
    EXPECT_TRUE(table2->isChecked());
    EXPECT_TRUE(tableShown(1));
    table2->trigger();  // hides the OUT2 table
    EXPECT_FALSE(tableShown(1));
    EXPECT_EQ(app.Store().GetInt<kBufWndWaveDataChange>(1), 0);
    // Closed while another page is shown: the choice of each output is kept all the same.
    tabs()->setCurrentWidget(wnd->findChild<QWidget*>("pageSettings"));
    wnd->close();
    wnd.reset();
    EXPECT_EQ(app.Store().GetInt<kBufWndWaveDataChange>(0), 1);
    EXPECT_EQ(app.Store().GetInt<kBufWndWaveDataChange>(1), 0);
    Open();
    EXPECT_TRUE(wnd->findChild<QAction*>("actShowTable1")->isChecked());
    EXPECT_FALSE(wnd->findChild<QAction*>("actShowTable2")->isChecked());
    EXPECT_TRUE(tableShown(0));
    EXPECT_FALSE(tableShown(1));
}

TEST_F(BufferingWindowTest, MeasureLinesStartAtTheEndsOfTheAxes) {
    for (int o = 0; o < 2; ++o) {
        EXPECT_DOUBLE_EQ(app.Store().GetDouble<kBufConfVerticalMeasureTop>(o), 950.0);
        EXPECT_DOUBLE_EQ(app.Store().GetDouble<kBufConfVerticalMeasureBottom>(o), -950.0);
        EXPECT_EQ(app.Store().GetInt<kBufConfHorizontalMeasureLeft>(o), 1);
        EXPECT_EQ(app.Store().GetInt<kBufConfHorizontalMeasureRight>(o), 65000);
    }
    Open();
    CTChart& chart = wnd->Chart(1);
    EXPECT_DOUBLE_EQ(chart.MeasureLinePosition(wnd->MeasureLineOf(1, 0)), 950.0);
    EXPECT_DOUBLE_EQ(chart.MeasureLinePosition(wnd->MeasureLineOf(1, 1)), -950.0);
    EXPECT_DOUBLE_EQ(chart.MeasureLinePosition(wnd->MeasureLineOf(1, 3)), 65000.0);
    // Value numbers are whole, also with the view zoomed in to a few values.
    chart.SetXRange(1.0, 3.0);
    chart.RedrawNow();
    for (const QString& label : chart.XTickLabels()) {
        EXPECT_FALSE(label.contains(QLatin1Char('.'))) << label.toStdString();
    }
}

// The measure-line form shows each output's lines from its own entries under the captions of
// their records, lets the edits of a pair be changed only while the pair is on, and Apply
// writes every field back to its own output.
TEST_F(BufferingWindowTest, MeasureLineFormKeepsTheLinesOfEachOutputApart) {
    SettingsStore& store = app.Store();
    StoreMeasureLines(store, 0, {false, 10.0, -10.0, false, 1, 100});
    StoreMeasureLines(store, 1, {true, 20.0, -20.0, true, 5, 200});
    Open();
    CBufferingConfForm* form = wnd->OpenMeasureLines();
    ASSERT_NE(form, nullptr);
    const auto edit = [form](int32_t id, int output) {
        return FindOutputControl<CNumericEdit>(form, id, output);
    };
    const auto check = [form](int32_t id, int output) {
        return FindOutputControl<QCheckBox>(form, id, output);
    };
    ASSERT_NE(edit(kBufHorizontalMeasureRightEdit, 1), nullptr);
    ASSERT_NE(check(kBufVerticalMeasureDispCheck, 0), nullptr);

    QLabel* topCaption = CaptionLabelOf(*form, edit(kBufVerticalMeasureTopEdit, 0));
    ASSERT_NE(topCaption, nullptr);
    EXPECT_EQ(topCaption->text(), "Upper value line");
    EXPECT_EQ(edit(kBufVerticalMeasureTopEdit, 0)->RealValue(), std::optional<double>(10.0));
    EXPECT_EQ(edit(kBufVerticalMeasureTopEdit, 1)->RealValue(), std::optional<double>(20.0));
    EXPECT_EQ(edit(kBufVerticalMeasureBottomEdit, 1)->RealValue(), std::optional<double>(-20.0));
    EXPECT_EQ(edit(kBufHorizontalMeasureLeftEdit, 1)->IntValue(), std::optional<int32_t>(5));
    EXPECT_EQ(edit(kBufHorizontalMeasureRightEdit, 0)->IntValue(), std::optional<int32_t>(100));
    EXPECT_FALSE(edit(kBufVerticalMeasureTopEdit, 0)->isEnabled());
    EXPECT_TRUE(edit(kBufVerticalMeasureTopEdit, 1)->isEnabled());
    EXPECT_FALSE(edit(kBufHorizontalMeasureLeftEdit, 0)->isEnabled());
    EXPECT_TRUE(edit(kBufHorizontalMeasureRightEdit, 1)->isEnabled());

    check(kBufVerticalMeasureDispCheck, 0)->click();
    EXPECT_TRUE(edit(kBufVerticalMeasureTopEdit, 0)->isEnabled());
    EXPECT_FALSE(edit(kBufHorizontalMeasureLeftEdit, 0)->isEnabled());
    edit(kBufHorizontalMeasureRightEdit, 1)->setText("300");
    ASSERT_TRUE(form->Apply());
    const MeasureLines out1 = LoadMeasureLines(store, 0);
    const MeasureLines out2 = LoadMeasureLines(store, 1);
    EXPECT_TRUE(out1.verticalOn);
    EXPECT_FALSE(out1.horizontalOn);
    EXPECT_EQ(out1.horizontalRight, 100);
    EXPECT_EQ(out2.horizontalRight, 300);
    EXPECT_EQ(out2.horizontalLeft, 5);
    EXPECT_DOUBLE_EQ(out2.verticalBottom, -20.0);
}

// A read of 20000 values: its progress is shown as it goes, Stop stays usable and ends the read,
// and the values shown before it stay, untouched by the part of the read that arrived.
TEST_F(BufferingWindowTest, StopDuringAReadCancelsItAndKeepsTheValuesShownBefore) {
    Open();
    Fill({0.25, 0.5, 0.75});
    RunToCompletion(kBufferTypeOut1, 20000);
    ASSERT_EQ(wnd->Status()[BufferingValueSet::FinalDataPoint(0)], 20000);
    auto* read = wnd->findChild<QPushButton*>("btnRead");
    auto* stop = wnd->findChild<QPushButton*>("btnStop");
    auto* progress = wnd->findChild<QProgressBar*>("progressRead");
    sim.SetLatency(std::chrono::milliseconds(150));  // each block takes a while
    QTest::mouseClick(read, Qt::LeftButton);
    ASSERT_TRUE(wnd->IsReading());
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->maximum(), 20000);
    EXPECT_TRUE(StatusShown().contains("Values read: 0 / 20000")) << StatusShown().toStdString();
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_TRUE(wnd->findChild<QAction*>("actStop")->isEnabled());

    // The progress advances block by block, in the bar and in the status line.
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress->value() > 0; }, kWaitMs));
    const int first = progress->value();
    EXPECT_LT(first, 20000);
    EXPECT_TRUE(StatusShown().contains(QString("Values read: %1 / 20000").arg(first)))
        << StatusShown().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress->value() > first; }, kWaitMs));
    ASSERT_TRUE(wnd->IsReading());
    ASSERT_LT(progress->value(), 20000);

    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_FALSE(wnd->IsReading());
    EXPECT_EQ(app.Buffering()->State(), 0);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_FALSE(StatusShown().contains("Values read")) << StatusShown().toStdString();
    // Blocks of the read arrived, but none of their values is shown.
    EXPECT_GE(FramesStartingWith(sim.ReceivedFrames(), "%EE#RLB").size(), 2u);
    {
        std::lock_guard lock(wnd->Data().mutex);
        EXPECT_EQ(wnd->Data().HeldCount(0), 3);
    }
    ASSERT_EQ(wnd->TableModel(0).rowCount(), 3);
    EXPECT_EQ(wnd->TableModel(0).index(0, 1).data().toString(), "0.250000");
    EXPECT_EQ(wnd->TableModel(0).index(2, 1).data().toString(), "0.750000");
    ASSERT_EQ(wnd->Chart(0).PointCount(0), 3);
    EXPECT_EQ(wnd->Chart(0).Point(0, 1), QPointF(2.0, 0.5));
    EXPECT_EQ(wnd->BothChart().PointCount(0), 3);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_TRUE(read->isEnabled());
    EXPECT_FALSE(stop->isEnabled());

    // A read that comes back afterwards changes nothing; the next one reads everything.
    sim.SetLatency(std::chrono::milliseconds(0));
    EXPECT_EQ(WaitHandled(kReadState), std::optional<int>(ZUL_OK));
    EXPECT_EQ(wnd->TableModel(0).rowCount(), 3);
    QTest::mouseClick(read, Qt::LeftButton);
    ASSERT_EQ(WaitHandled(kReadData), std::optional<int>(ZUL_OK));
    EXPECT_EQ(wnd->TableModel(0).rowCount(), 20000);
    EXPECT_EQ(wnd->Chart(0).PointCount(0), 20000);
}

// Closing the window (Ctrl+W) while a read runs ends the read; a window opened afterwards reads.
TEST_F(BufferingWindowTest, CloseKeyDuringAReadEndsTheRead) {
    Open();
    RunToCompletion(kBufferTypeOut1, 20000);
    sim.SetLatency(std::chrono::milliseconds(150));
    QTest::mouseClick(wnd->findChild<QPushButton*>("btnRead"), Qt::LeftButton);
    ASSERT_TRUE(wnd->IsReading());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !FramesStartingWith(sim.ReceivedFrames(), "%EE#RLB").empty(); }, kWaitMs));
    wnd->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wnd.get()));
    QTest::keyClick(wnd.get(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(wnd->isVisible());
    EXPECT_FALSE(wnd->IsReading());
    EXPECT_EQ(app.Buffering()->State(), 0);
    wnd.reset();
    QCoreApplication::processEvents();
    sim.SetLatency(std::chrono::milliseconds(0));
    Open();
    QTest::mouseClick(wnd->findChild<QPushButton*>("btnRead"), Qt::LeftButton);
    ASSERT_EQ(WaitHandled(kReadData), std::optional<int>(ZUL_OK));
    EXPECT_EQ(wnd->TableModel(0).rowCount(), 20000);
}

TEST(BufferingFormat, CommandAvailabilityByState) {
    EXPECT_EQ(AvailableCommands(false, false, false), (CommandAvailability{false, false, true}));
    EXPECT_EQ(AvailableCommands(true, true, false), (CommandAvailability{false, true, true}));
    EXPECT_EQ(AvailableCommands(true, false, true), (CommandAvailability{false, false, false}));
    EXPECT_EQ(AvailableCommands(true, false, false), (CommandAvailability{true, false, true}));
}

TEST(BufferingFormat, TableValuesAndPointTexts) {
    MicronMode mm;
    EXPECT_EQ(TableValueText(0.00000004, mm), "0.000000");
    EXPECT_EQ(TableValueText(-1200.0, mm), "-999.999999");
    MicronMode um{true, 1000.0, "um", 3};
    EXPECT_EQ(TableValueText(1.2345, um), "1234.500");
    EXPECT_EQ(SelectedPointText(12, 1234.5, "um", um), "(12, 1234.500um)");
    EXPECT_EQ(ValueAxisUnit({}, false, um), QString::fromUtf8("\u00B5m"));
    EXPECT_EQ(ValueAxisUnit({}, false, mm), "mm");
    EXPECT_FALSE(InGreenRun(1, 2));
    EXPECT_TRUE(InGreenRun(3, 2));
    EXPECT_TRUE(InGreenRun(2, -4));
}

}  // namespace
}  // namespace zul::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingWnd.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/Application.h"
#include "buffering/BufferingFile.h"
#include "buffering/BufferingProcedures.h"
#include "buffering/BufferingStatistics.h"
#include "link/Commands.h"
#include "link/RequestBuilders.h"
#include "link/ThreadCommControler.h"
#include "settings/MessageBox.h"
#include "settings/SettingItem.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingConfForm.h"
#include "ui/buffering/BufferingFormat.h"
#include "ui/buffering/BufferingInfoForm.h"
#include "ui/buffering/BufferingInfoView.h"
#include "ui/buffering/BufferingTableModel.h"
#include "ui/buffering/MeasureLineDragger.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtText.h"
#include "ui/framework/QtWindowSink.h"
#include "ui/framework/RenderedFile.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/TChart.h"
#include "ui/framework/UiApplier.h"
#include "ui_BufferingWnd.h"

namespace zul {

namespace {

constexpr int kProgressTimerMs = 100;
constexpr int kBufferModeRecord = 1272;
constexpr int kBufferTypeRecord = 1274;
constexpr int32_t kMaxStoreNumBoth = kMaxBufferedValues / 2;

const QColor kSeriesColors[2] = {QColor(0x1f, 0x4e, 0xb4), QColor(0xc0, 0x39, 0x2b)};
const QColor kValueLineColor(0xd0, 0x40, 0x40);
const QColor kNumberLineColor(0x20, 0x90, 0x40);

enum LineIndex { kLineTop = 0, kLineBottom = 1, kLineLeft = 2, kLineRight = 3 };

QStringList RecordCaptions(const UiDefinition& ui, const char* name) {
    const UiControlRecord* record = ui.FindByName(name);
    return record != nullptr ? CaptionList(record->caption) : QStringList{};
}

// 1, 2, ..., n as the x values of a graph.
const std::vector<double>& ValueNumbers() {
    static const std::vector<double> numbers = [] {
        std::vector<double> v(kMaxBufferedValues);
        for (size_t i = 0; i < v.size(); ++i) {
            v[i] = double(i + 1);
        }
        return v;
    }();
    return numbers;
}

// The printer setup of PrintGraph; empty: the print dialog.
CBufferingWnd::PrintSetup& PrintSetupHook() {
    static CBufferingWnd::PrintSetup hook;
    return hook;
}

}  // namespace

CBufferingWnd* CBufferingWnd::Create(Application& app, FormBase* parentForm, QWidget* parent) {
    std::unique_ptr<BufferingData> data;
    std::unique_ptr<BufferingData> incoming;
    try {
        data = std::make_unique<BufferingData>();
        incoming = std::make_unique<BufferingData>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return new CBufferingWnd(app, std::move(data), std::move(incoming), parentForm, parent);
}

CBufferingWnd::CBufferingWnd(Application& app, std::unique_ptr<BufferingData> data,
                             std::unique_ptr<BufferingData> incoming, FormBase* parentForm,
                             QWidget* parent)
    : QMainWindow(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      data_(std::move(data)),
      incoming_(std::move(incoming)),
      ui_(std::make_unique<Ui::BufferingWnd>()),
      boxes_(this),
      files_(this) {
    ui_->setupUi(this);
    sink_ = std::make_unique<QtWindowSink>(this, [this](Message& m) { OnWindowMessage(m); });
    // Reads fill their own block; the block shown changes only when a read completes.
    if (CThreadBuffering* thread = app_.Buffering()) {
        thread->AttachData(incoming_.get());
    }
    BuildViews();
    ConnectCommands();
    SetPositionItems({kBufWndFormTop, kBufWndFormLeft, kBufWndFormWidth, kBufWndFormHeight,
                      kBufWndFormMax, kBufWndFormMode});
    resize(900, 640);
    SettingsStore& store = app_.Store();
    lineState_ = store.GetInt<kCtrlLineState>();
    pageBank_ = store.GetInt<kAppCurMemNo>();
    ui_->chkSelfStop->setChecked(store.GetInt<kSysBufBufferSelfStop>() != 0);
    for (int o = 0; o < 2; ++o) {
        ShowTable(o, store.GetInt<kBufWndWaveDataChange>(o) != 0);
    }
    ApplyUiDefinition();
    FillPage(pageBank_);
    ApplyMeasureLines();
    RedrawAll();
    stateTimer_.setInterval(kBufferingStateLoopMs);
    connect(&stateTimer_, &QTimer::timeout, this, &CBufferingWnd::OnStateTimer);
    stateTimer_.start();
    progressTimer_.setInterval(kProgressTimerMs);
    connect(&progressTimer_, &QTimer::timeout, this, &CBufferingWnd::OnProgressTimer);
    UpdateCommands();
}

CBufferingWnd::~CBufferingWnd() {
    Shutdown();
    sink_.reset();  // queued messages are destroyed with their requests
    if (infoForm_ != nullptr) {
        delete infoForm_.data();
    }
    if (confForm_ != nullptr) {
        delete confForm_.data();
    }
}

void CBufferingWnd::BuildViews() {
    std::array<QWidget*, 2> chartHosts = {ui_->chartHost1, ui_->chartHost2};
    std::array<QWidget*, 2> tableHosts = {ui_->tableHost1, ui_->tableHost2};
    auto host = [](QWidget* parent, QWidget* child) {
        auto* layout = new QVBoxLayout(parent);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(child);
    };
    for (size_t o = 0; o < 2; ++o) {
        charts_[o] = new CTChart;
        charts_[o]->AddSeries(kSeriesColors[o]);
        charts_[o]->SetWholeNumberXAxis();
        lines_[o][kLineTop] = charts_[o]->AddMeasureLine(Qt::Horizontal, 0.0, kValueLineColor);
        lines_[o][kLineBottom] = charts_[o]->AddMeasureLine(Qt::Horizontal, 0.0, kValueLineColor);
        lines_[o][kLineLeft] = charts_[o]->AddMeasureLine(Qt::Vertical, 1.0, kNumberLineColor);
        lines_[o][kLineRight] = charts_[o]->AddMeasureLine(Qt::Vertical, 1.0, kNumberLineColor);
        host(chartHosts[o], charts_[o]);
        auto* dragger = new MeasureLineDragger(*charts_[o], [this, o](int line, double position) {
            MoveMeasureLine(int(o), line, position);
        });
        dragger->AddLine(lines_[o][kLineTop], Qt::Horizontal);
        dragger->AddLine(lines_[o][kLineBottom], Qt::Horizontal);
        dragger->AddLine(lines_[o][kLineLeft], Qt::Vertical);
        dragger->AddLine(lines_[o][kLineRight], Qt::Vertical);
        connect(
            charts_[o], &CTChart::pointSelected, this, [this, o](int, int index, double, double y) {
                pointText_[o] = zul::SelectedPointText(index + 1, y, ValueUnit(), app_.Micron());
                (o == 0 ? ui_->lblPoint1 : ui_->lblPoint2)->setText(pointText_[o]);
            });
        connect(charts_[o], &CTChart::selectionCleared, this, [this, o] {
            pointText_[o].clear();
            (o == 0 ? ui_->lblPoint1 : ui_->lblPoint2)->clear();
        });
        models_[o] = new BufferingTableModel(*data_, int(o), this);
        tables_[o] = new QTableView;
        tables_[o]->setModel(models_[o]);
        tables_[o]->verticalHeader()->setVisible(false);
        tables_[o]->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        tables_[o]->verticalHeader()->setDefaultSectionSize(tables_[o]->fontMetrics().height() + 4);
        tables_[o]->horizontalHeader()->setStretchLastSection(true);
        tables_[o]->setSelectionBehavior(QAbstractItemView::SelectRows);
        tables_[o]->setMinimumWidth(220);
        host(tableHosts[o], tables_[o]);
    }
    // The graphs take the room; the selected-point line keeps its one line.
    ui_->chart1Column->setStretch(0, 1);
    ui_->chart2Column->setStretch(0, 1);
    ui_->out1Layout->setStretch(0, 3);
    ui_->out1Layout->setStretch(1, 1);
    ui_->out2Layout->setStretch(0, 3);
    ui_->out2Layout->setStretch(1, 1);
    bothChart_ = new CTChart;
    bothChart_->AddSeries(kSeriesColors[0]);
    bothChart_->AddSeries(kSeriesColors[1]);
    bothChart_->SetWholeNumberXAxis();
    host(ui_->chartHostBoth, bothChart_);
    // The controller's out-of-range marks take no part in fitting a graph to its values.
    for (CTChart* chart : {charts_[0], charts_[1], bothChart_}) {
        chart->SetFitValueLimits(-kValidValueLimit, kValidValueLimit);
    }
    statisticsPage_ = new BufferingInfoView;
    host(ui_->statisticsHost, statisticsPage_);
    ui_->progressRead->setVisible(false);
    ui_->btnCancelRead->setVisible(false);
}

void CBufferingWnd::ConnectCommands() {
    Ui::BufferingWnd& u = *ui_;
    connect(u.btnStart, &QPushButton::clicked, this, &CBufferingWnd::Start);
    connect(u.actStart, &QAction::triggered, this, &CBufferingWnd::Start);
    connect(u.btnStop, &QPushButton::clicked, this, &CBufferingWnd::Stop);
    connect(u.actStop, &QAction::triggered, this, &CBufferingWnd::Stop);
    connect(u.btnRead, &QPushButton::clicked, this, &CBufferingWnd::Read);
    connect(u.actRead, &QAction::triggered, this, &CBufferingWnd::Read);
    connect(u.btnClear, &QPushButton::clicked, this, &CBufferingWnd::Clear);
    connect(u.actClear, &QAction::triggered, this, &CBufferingWnd::Clear);
    connect(u.btnCancelRead, &QPushButton::clicked, this, &CBufferingWnd::CancelRead);
    connect(u.actSave, &QAction::triggered, this, &CBufferingWnd::Save);
    connect(u.actLoad, &QAction::triggered, this, &CBufferingWnd::Load);
    connect(u.chkSelfStop, &QCheckBox::clicked, this, &CBufferingWnd::SetSelfStop);
    connect(u.actSelfStop, &QAction::triggered, this, &CBufferingWnd::SetSelfStop);
    connect(u.actShowTable1, &QAction::triggered, this, [this](bool on) { ShowTable(0, on); });
    connect(u.actShowTable2, &QAction::triggered, this, [this](bool on) { ShowTable(1, on); });
    connect(u.actMeasureLines, &QAction::triggered, this, [this] { OpenMeasureLines(); });
    connect(u.actStatistics, &QAction::triggered, this, [this] { OpenInformation(); });
    u.actFitToData->setShortcut(Qt::CTRL | Qt::Key_F);
    connect(u.actFitToData, &QAction::triggered, this, [this] { ShownChart().FitToData(); });
    connect(u.actAlwaysFit, &QAction::toggled, this, &CBufferingWnd::SetAlwaysFit);
    u.actAlwaysFit->setChecked(app_.Store().GetInt<kBufWndAlwaysFit>() != 0);
    connect(u.actClose, &QAction::triggered, this, &QWidget::close);
    connect(u.actPrint, &QAction::triggered, this, [this] { PrintGraph(); });
    connect(u.btnReadSettings, &QPushButton::clicked, this,
            &CBufferingWnd::ReadSettingsFromController);
    for (const QAction* action : {u.actExportPng, u.actExportPdf}) {
        const bool pdf = action == u.actExportPdf;
        connect(action, &QAction::triggered, this, [this, pdf] {
            FileDialogRequest request;
            request.mode = FileDialogRequest::Mode::Save;
            request.startFolder = ToQString(app_.Store().GetText<kBufConfCurFolder>());
            request.defaultSuffix = pdf ? "pdf" : "png";
            request.filters = {pdf ? "PDF (*.pdf)" : "PNG (*.png)"};
            if (auto chosen = files_.ChooseFile(request)) {
                RememberFolder(chosen->path);
                ResultInfo result;
                if (!ExportGraphs(chosen->path, pdf, &result)) {
                    ShowResultCode(ZUL_ERR_FILE_WRITE, ToStdString(chosen->path), result.detail2);
                }
            }
        });
    }
    connect(u.ctrl1272, &QComboBox::currentIndexChanged, this, [this] { UpdatePageEnabled(); });
    connect(u.ctrl1274, &QComboBox::currentIndexChanged, this, [this] { UpdatePageEnabled(); });
    connect(u.ctrl1280, &QLineEdit::textChanged, this, [this] { UpdatePageEnabled(); });
    connect(u.tabPages, &QTabWidget::currentChanged, this, [this] {
        if (StatisticsShown()) {
            ComputeStatistics();
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Framework calls

void CBufferingWnd::OnUiDefinitionApplied() {
    const UiDefinition& ui = app_.Ui();
    // Tab titles: missing entries are empty.
    const QStringList titles = RecordCaptions(ui, "Buffering_TabPages");
    for (int i = 0; i < ui_->tabPages->count(); ++i) {
        ui_->tabPages->setTabText(i, i < titles.size() ? titles[i] : QString());
    }
    // Settings page labels carry the caption of their field.
    const std::vector<std::pair<QLabel*, const QWidget*>> labels = {
        {ui_->lblComment, ui_->edtComment}, {ui_->lbl1272, ui_->ctrl1272},
        {ui_->lbl1274, ui_->ctrl1274},      {ui_->lbl1085, ui_->ctrl1085},
        {ui_->lbl1280, ui_->ctrl1280},      {ui_->lbl1867, ui_->ctrl1867},
        {ui_->lbl1282, ui_->ctrl1282},      {ui_->lbl2023, ui_->ctrl2023},
        {ui_->lbl1284, ui_->ctrl1284},      {ui_->lbl1284b, ui_->ctrl1284b}};
    for (const auto& [label, field] : labels) {
        const UiControlRecord* record = RecordOf(ui, field);
        label->setText(record != nullptr ? CaptionText(record->caption) : QString());
    }
    for (int o = 0; o < 2; ++o) {
        const UiControlRecord* title = ui.FindById(o == 0 ? 1184 : 1185);
        if (title != nullptr) {
            QLabel* label = o == 0 ? ui_->lbl1284 : ui_->lbl1284b;
            label->setText(label->text() + " " + CaptionText(title->caption));
        }
        models_[size_t(o)]->SetColumnTitles(
            RecordCaptions(ui, o == 0 ? "Buffering_GrdOut1ColTitle" : "Buffering_GrdOut2ColTitle"));
        models_[size_t(o)]->SetMicronMode(app_.Micron());
    }
    const UiControlRecord* axis = ui.FindByName("Buffering_LblLeftAxis");
    const UiControlRecord* numberAxis = ui.FindByName("Buffering_LblNumberAxis");
    const QString xTitle = numberAxis != nullptr ? CaptionText(numberAxis->caption) : QString();
    const QString yTitle =
        (axis != nullptr ? CaptionText(axis->caption) : QString()) + " (" + ValueUnit() + ")";
    for (CTChart* chart : {charts_[0], charts_[1], bothChart_}) {
        chart->SetAxisTitles(xTitle, yTitle);
    }
    statisticsPage_->ApplyTitles(ui);
    // The read's progress and its cancel button are there only while a read runs.
    ui_->progressRead->setVisible(reading_);
    ui_->btnCancelRead->setVisible(reading_);
    ApplyAccessibleNames(this);
    UpdateCommands();
    ShowStatus();
}

void CBufferingWnd::OnLineStateChanged(int32_t lineState) {
    lineState_ = lineState;
    UpdateCommands();
}

void CBufferingWnd::OnMemoryBankChanged(int32_t oldBank, int32_t newBank) {
    PageToStore(oldBank);
    FillPage(newBank);
}

void CBufferingWnd::OnTakeControlValues() {
    PageToStore(pageBank_);
}

void CBufferingWnd::RestoreFormMode(int32_t mode) {
    if (mode >= 0 && mode < ui_->tabPages->count()) {
        ui_->tabPages->setCurrentIndex(mode);
    }
}

std::optional<int32_t> CBufferingWnd::FormModeToStore() const {
    return ui_->tabPages->currentIndex();
}

bool CBufferingWnd::Online() const {
    return lineState_ != 0;
}

// ---------------------------------------------------------------------------------------------
// Requests and returned requests

void CBufferingWnd::Submit(int32_t kind, int64_t userData) {
    CThreadBuffering* thread = app_.Buffering();
    if (thread == nullptr) {
        return;
    }
    auto request = std::make_unique<BufferingRequest>();
    request->kind = kind;
    request->pollInterval = 5;
    request->userData = userData;
    QtWindowSink* sink = sink_.get();
    request->onDone = [sink](int64_t, std::unique_ptr<BufferingRequest> done) {
        std::unique_ptr<MessagePayload> payload = std::move(done);
        sink->PostWindowMessage(kWmBufferingReturned, 0, 0, payload);  // failed: destroyed here
    };
    thread->SubmitRequest(std::move(request));
}

void CBufferingWnd::CancelStateRead() {
    if (stateRead_ && app_.Buffering() != nullptr) {
        app_.Buffering()->Cancel();
    }
    // A cancelled request never comes back: the flag must not wait for it.
    stateRead_ = false;
}

void CBufferingWnd::OnWindowMessage(Message& message) {
    if (message.id != kWmBufferingReturned) {
        return;
    }
    if (std::unique_ptr<BufferingRequest> request = message.Take<BufferingRequest>()) {
        OnReturned(std::move(request));
    }
}

void CBufferingWnd::OnReturned(std::unique_ptr<BufferingRequest> request) {
    const int32_t code = request->result.code;
    switch (request->kind) {
        case kStartMonitoring:
            if (running_) {
                running_ = false;
                if (code != ZUL_OK && code != ZUL_ERR_OFFLINE) {
                    ShowResult(request->result);
                }
            }
            break;
        case kStopMonitoring:
            running_ = false;
            break;
        case kReadData:
            if (!reading_ || request->userData != readSerial_) {
                break;  // a read that was cancelled
            }
            reading_ = false;
            progressTimer_.stop();
            ui_->progressRead->setVisible(false);
            ui_->btnCancelRead->setVisible(false);
            if (code == ZUL_OK) {
                TakeReadResult();
            }
            if (code == ZUL_OK || code == ZUL_ERR_NO_BUFF_DATA) {
                CopyState(request->raw);
                for (int slot = kSlotJudgementFirst; slot < kSlotJudgementFirst + 8; ++slot) {
                    status_[slot] = 0;
                }
            }
            // The values read, or, when the read brought none or failed, those shown before it
            // (the read cleared the graphs).
            RedrawAll();
            ShowStatus();
            UpdateCommands();
            if (code != ZUL_OK && code != ZUL_ERR_OFFLINE) {
                ShowResult(request->result);
            }
            break;
        case kReadState:
            if (stateRead_ && code == ZUL_OK) {
                CopyState(request->raw);
            }
            stateRead_ = false;
            break;
        case kMonitoringComplete:
            running_ = false;
            CopyState(request->raw);
            if (CThreadCommControler* comm = app_.CommControler()) {
                PostWord(*comm, cmd::kWriteBufferingState, 0, 0);
            }
            break;
        case kMonitoringUpdate:
            if (running_) {
                CopyState(request->raw);
            }
            break;
        default:
            break;
    }
    UpdateCommands();
    emit requestHandled(request->kind, code);
}

void CBufferingWnd::CopyState(const BufferingValueSet& raw) {
    status_[kSlotBufferMode] = raw[kSlotBufferMode];
    status_[kSlotBufferType] = raw[kSlotBufferType];
    status_[kSlotSampleTriggerStoreNum] = raw[kSlotSampleTriggerStoreNum];
    for (int o = 0; o < 2; ++o) {
        if (OutputInvolved(raw[kSlotBufferType], o)) {
            status_[BufferingValueSet::StateRead(o)] = raw[BufferingValueSet::StateRead(o)];
            status_[BufferingValueSet::FinalDataPoint(o)] =
                raw[BufferingValueSet::FinalDataPoint(o)];
            status_[BufferingValueSet::TriggerCount(o)] = raw[BufferingValueSet::TriggerCount(o)];
        }
    }
    ShowStatus();
}

void CBufferingWnd::OnStateTimer() {
    if (!Online() || running_ || reading_ || stateRead_ || boxOpen_ || shutDown_ ||
        IsSynchronousCommandRunning() || !IsFormEnabled()) {
        return;
    }
    stateRead_ = true;
    Submit(kReadState);
}

// A completed read: its settings, counts and values become the block shown. The thread is done
// with the read's block, so its value arrays are swapped in rather than copied.
void CBufferingWnd::TakeReadResult() {
    std::scoped_lock lock(data_->mutex, incoming_->mutex);
    for (int slot = kSlotBufferMode; slot <= BufferingValueSet::EventCondition(1); ++slot) {
        data_->header[slot] = incoming_->header[slot];
    }
    for (int o = 0; o < kBufferingOutputs; ++o) {
        data_->header[BufferingValueSet::FinalDataPoint(o)] =
            incoming_->header[BufferingValueSet::FinalDataPoint(o)];
        data_->header[BufferingValueSet::TriggerCount(o)] =
            incoming_->header[BufferingValueSet::TriggerCount(o)];
        OutputBuffer& shown = data_->outputs[size_t(o)];
        std::swap(shown.values, incoming_->outputs[size_t(o)].values);
        shown.cache.Clear();
    }
}

void CBufferingWnd::OnProgressTimer() {
    int64_t done = 0;
    {
        std::lock_guard lock(incoming_->mutex);
        for (int o = 0; o < 2; ++o) {
            if (OutputInvolved(status_[kSlotBufferType], o)) {
                done += incoming_->HeldCount(o);
            }
        }
    }
    readDone_ = std::min(done, readTotal_);
    ui_->progressRead->setValue(int(readDone_));
    ShowStatus();
}

// ---------------------------------------------------------------------------------------------
// Commands

void CBufferingWnd::Start() {
    if (!AvailableCommands(Online(), running_, reading_).startReadSelfStop ||
        IsSynchronousCommandRunning()) {
        return;
    }
    CancelStateRead();
    // The page's values are what the user sees: they go to the store before they are sent.
    PageToStore(pageBank_);
    CThreadCommControler* comm = app_.CommControler();
    SettingsStore* store = &app_.Store();
    const UiDefinition* ui = &app_.Ui();
    const uint32_t firmware = app_.FirmwareVersion();
    const int32_t bank = store->GetInt<kAppCurMemNo>();
    ResultInfo result;
    RunSynchronous(
        [=](ResultInfo* info) {
            return WriteBufferingSettingsAndStart(*comm, *store, *ui, firmware, bank, info);
        },
        &result);
    if (result.code != ZUL_OK) {
        ShowResult(result);
        UpdateCommands();
        return;
    }
    running_ = true;
    Submit(kStartMonitoring);
    UpdateCommands();
}

void CBufferingWnd::Stop() {
    if (reading_) {
        CancelRead();  // Stop also ends a read
        return;
    }
    if (!AvailableCommands(Online(), running_, reading_).stop || IsSynchronousCommandRunning()) {
        return;
    }
    CancelStateRead();
    CThreadCommControler* comm = app_.CommControler();
    ResultInfo ignored;
    RunSynchronous([comm](ResultInfo* info) { return StopBuffering(*comm, info); }, &ignored);
    // Monitoring ends without a callback: the window leaves the running state now.
    running_ = false;
    Submit(kStopMonitoring);
    UpdateCommands();
}

void CBufferingWnd::Read() {
    if (!AvailableCommands(Online(), running_, reading_).startReadSelfStop ||
        IsSynchronousCommandRunning()) {
        return;
    }
    CancelStateRead();
    CThreadCommControler* comm = app_.CommControler();
    bool busy = false;
    ResultInfo result;
    RunSynchronous(
        [comm, &busy](ResultInfo* info) { return CheckBufferingRunning(*comm, &busy, info); },
        &result);
    if (result.code != ZUL_OK) {
        ShowResult(result);  // the check itself failed: no read
        return;
    }
    if (busy) {
        ShowResultCode(ZUL_ERR_BUFFERING_BUSY);
        return;
    }
    for (CTChart* chart : {charts_[0], charts_[1], bothChart_}) {
        chart->ClearAllSeries();
        chart->Replot();
    }
    readTotal_ = 0;
    for (int o = 0; o < 2; ++o) {
        if (OutputInvolved(status_[kSlotBufferType], o) &&
            status_[BufferingValueSet::StateRead(o)] == kOutputStateComplete) {
            readTotal_ += status_[BufferingValueSet::FinalDataPoint(o)];
        }
    }
    readDone_ = 0;
    ui_->progressRead->setRange(0, int(std::max<int64_t>(readTotal_, 1)));
    ui_->progressRead->setValue(0);
    ui_->progressRead->setVisible(true);
    ui_->btnCancelRead->setVisible(true);
    reading_ = true;
    progressTimer_.start();
    Submit(kReadData, ++readSerial_);
    ShowStatus();
    UpdateCommands();
}

void CBufferingWnd::CancelRead() {
    if (!reading_) {
        return;
    }
    // Returns once the thread has dropped the read: nothing more is written into its block, and
    // the block shown was never written.
    if (app_.Buffering() != nullptr) {
        app_.Buffering()->Cancel();
    }
    reading_ = false;
    progressTimer_.stop();
    ui_->progressRead->setVisible(false);
    ui_->btnCancelRead->setVisible(false);
    RedrawAll();  // the values shown before the read (the read cleared the graphs)
    ShowStatus();
    UpdateCommands();
}

void CBufferingWnd::Clear() {
    if (reading_) {
        return;
    }
    data_->ClearValues();
    RedrawAll();
}

void CBufferingWnd::SetSelfStop(bool on) {
    app_.Store().SetInt<kSysBufBufferSelfStop>(on ? 1 : 0);
    ui_->chkSelfStop->setChecked(on);
    ui_->actSelfStop->setChecked(on);
}

void CBufferingWnd::ShowTable(int output, bool shown) {
    (output == 0 ? ui_->tableHost1 : ui_->tableHost2)->setVisible(shown);
    (output == 0 ? ui_->actShowTable1 : ui_->actShowTable2)->setChecked(shown);
    app_.Store().SetInt<kBufWndWaveDataChange>(shown ? 1 : 0, output);
}

void CBufferingWnd::ReadSettingsFromController() {
    if (!Online() || running_ || reading_ || IsSynchronousCommandRunning()) {
        return;
    }
    CancelStateRead();
    PageToStore(pageBank_);
    SettingsStore* store = &app_.Store();
    const int32_t bank = pageBank_;
    BufferingSettings values;
    {
        auto lock = store->Lock();
        values.bufferMode = store->GetInt<kBufBufferMode>(bank);
        values.bufferType = store->GetInt<kBufBufferType>(bank);
        values.bufferRate = store->GetInt<kBufBufferRate>(bank);
        values.bufferSelfStop = store->GetInt<kSysBufBufferSelfStop>();
        values.storeNum = store->GetInt<kBufStoreNum>(bank);
        values.sampleTriggerStoreNum = store->GetInt<kBufSampleTriggerStoreNum>(bank);
        values.triggerPoint = store->GetInt<kBufTriggerPoint>(bank);
        values.triggerDelay = store->GetInt<kBufTriggerDelay>(bank);
        values.eventCondition[0] = store->GetInt<kBufEventCondition>(bank, 0);
        values.eventCondition[1] = store->GetInt<kBufEventCondition>(bank, 1);
    }
    CThreadCommControler* comm = app_.CommControler();
    const UiDefinition* ui = &app_.Ui();
    const uint32_t firmware = app_.FirmwareVersion();
    ResultInfo result;
    RunSynchronous(
        [=, &values](ResultInfo* info) {
            return ReadBufferingSettings(*comm, *store, *ui, firmware, &values, info);
        },
        &result);
    if (result.code != ZUL_OK) {
        ShowResult(result);
        return;
    }
    StoreBufferingSettings(*store, bank, values);
    FillPage(bank);
    ui_->chkSelfStop->setChecked(values.bufferSelfStop != 0);
}

// ---------------------------------------------------------------------------------------------
// Files

FileDialogRequest CBufferingWnd::FileRequest(FileDialogRequest::Mode mode) const {
    FileDialogRequest request;
    request.mode = mode;
    request.startFolder = ToQString(app_.Store().GetText<kBufConfCurFolder>());
    const QStringList filters = RecordCaptions(app_.Ui(), "Buffering_FileFilters");
    request.filters = mode == FileDialogRequest::Mode::Open ? filters.mid(0, 1) : filters;
    request.defaultSuffix = "bfd";
    return request;
}

void CBufferingWnd::RememberFolder(const QString& path) {
    app_.Store().SetText<kBufConfCurFolder>(ToStdString(QFileInfo(path).absolutePath()));
}

void CBufferingWnd::Save() {
    if (reading_) {
        return;
    }
    if (auto chosen = files_.ChooseFile(FileRequest(FileDialogRequest::Mode::Save))) {
        RememberFolder(chosen->path);
        SaveToPath(chosen->path);
    }
}

void CBufferingWnd::Load() {
    if (reading_) {
        return;
    }
    if (auto chosen = files_.ChooseFile(FileRequest(FileDialogRequest::Mode::Open))) {
        RememberFolder(chosen->path);
        LoadFromPath(chosen->path);
    }
}

bool CBufferingWnd::SaveToPath(const QString& path) {
    PageToStore(pageBank_);
    ComputeStatistics();
    const SettingsStore& store = app_.Store();
    DataFileOptions options;
    options.csvSeparator = store.GetInt<kSoftCsvSeparator>();
    options.csvUnderdigit = store.GetInt<kSoftCsvUnderdigit>();
    options.micronMode = app_.Micron().active;
    options.micronFactor = app_.Micron().factor;
    const bool csv = path.endsWith(".csv", Qt::CaseInsensitive);
    ResultInfo result;
    if (SaveBufferingFile(*data_, ToStdString(path), csv, options, &result) != ZUL_OK) {
        ShowResultCode(ZUL_ERR_FILE_WRITE, ToStdString(path), result.detail2);
        return false;
    }
    return true;
}

bool CBufferingWnd::LoadFromPath(const QString& path) {
    const SettingsStore& store = app_.Store();
    DataFileOptions options;
    options.csvSeparator = store.GetInt<kSoftCsvSeparator>();
    options.csvUnderdigit = store.GetInt<kSoftCsvUnderdigit>();
    ResultInfo result;
    // A failed load keeps the values shown: the file is read into a block of its own.
    if (LoadBufferingFile(*data_, ToStdString(path), options, &result) != ZUL_OK) {
        ShowResultCode(ZUL_ERR_FILE_READ, ToStdString(path), result.detail2);
        return false;
    }
    {
        std::lock_guard lock(data_->mutex);
        ui_->edtComment->setText(ToQString(data_->trailer.comment));
    }
    ApplyMeasureLines();
    RedrawAll();
    ComputeStatistics();
    return true;
}

void CBufferingWnd::SetAlwaysFit(bool on) {
    for (CTChart* chart : {charts_[0], charts_[1], bothChart_}) {
        chart->SetAlwaysFit(on);
    }
    ui_->actAlwaysFit->setChecked(on);
    app_.Store().SetInt<kBufWndAlwaysFit>(on ? 1 : 0);
}

CTChart& CBufferingWnd::ShownChart() {
    QWidget* page = ui_->tabPages->currentWidget();
    return page == ui_->pageOut1 ? *charts_[0] : page == ui_->pageOut2 ? *charts_[1] : *bothChart_;
}

bool CBufferingWnd::ExportGraphs(const QString& path, bool pdf, ResultInfo* result) {
    CTChart& chart = ShownChart();
    return SaveRenderedFile(
               path,
               [&chart, pdf](const QString& file) {
                   return pdf ? chart.SavePdf(file, 1000, 600) : chart.SavePng(file, 1000, 600);
               },
               result) == ZUL_OK;
}

CBufferingWnd::PrintSetup CBufferingWnd::SetPrintSetup(PrintSetup setup) {
    PrintSetup previous = std::move(PrintSetupHook());
    PrintSetupHook() = std::move(setup);
    return previous;
}

bool CBufferingWnd::PrintGraph() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(windowTitle());
    bool accepted = false;
    if (PrintSetupHook()) {
        accepted = PrintSetupHook()(printer, this);
    } else {
        QPrintDialog dialog(&printer, this);
        boxOpen_ = true;  // the state loop waits while the dialog is open
        accepted = dialog.exec() == QDialog::Accepted;
        boxOpen_ = false;
    }
    if (!accepted) {
        return false;
    }
    // Printed to a file, the file appears whole or not at all.
    const QString file = printer.outputFileName();
    if (file.isEmpty()) {
        if (!ShownChart().Print(printer)) {
            ShowResultCode(ZUL_ERR_NO_PRINTER);
            return false;
        }
        return true;
    }
    ResultInfo why;
    const auto print = [&](const QString& scratch) {
        printer.setOutputFileName(scratch);
        return ShownChart().Print(printer);
    };
    if (SaveRenderedFile(file, print, &why) != ZUL_OK) {
        ShowResultCode(ZUL_ERR_FILE_WRITE, ToStdString(file), why.detail2);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Messages and state display

void CBufferingWnd::ShowResult(const ResultInfo& result) {
    boxOpen_ = true;
    ReportResult(boxes_, app_.Ui(), result);
    boxOpen_ = false;
}

void CBufferingWnd::ShowResultCode(int32_t code, const std::string& detail1,
                                   const std::string& reason) {
    ResultInfo result;
    SetResult(&result, code, 0, detail1, reason);
    ShowResult(result);
}

void CBufferingWnd::UpdateCommands() {
    const CommandAvailability can = AvailableCommands(Online(), running_, reading_);
    Ui::BufferingWnd& u = *ui_;
    for (QWidget* w : std::initializer_list<QWidget*>{u.btnStart, u.btnRead, u.chkSelfStop}) {
        w->setEnabled(can.startReadSelfStop);
    }
    for (QAction* a : {u.actStart, u.actRead, u.actSelfStop}) {
        a->setEnabled(can.startReadSelfStop);
    }
    // While a read runs, Stop cancels it.
    u.btnStop->setEnabled(can.stop || reading_);
    u.actStop->setEnabled(can.stop || reading_);
    u.btnClear->setEnabled(can.clear);
    u.actClear->setEnabled(can.clear);
    u.actSave->setEnabled(!reading_);
    u.actLoad->setEnabled(!reading_);
    u.btnReadSettings->setEnabled(Online() && !running_ && !reading_ &&
                                  RecordAllows(u.btnReadSettings));
    UpdatePageEnabled();
}

namespace {

// The word of value in the choice list of the control ctrlId, or the number when the list has
// no such entry.
QString ChoiceWord(const UiDefinition& ui, int32_t ctrlId, int64_t value) {
    for (const ChoiceEntry& entry : ui.FillChoiceList(ctrlId, -1).entries) {
        if (entry.value == value) {
            return ToQString(entry.text);
        }
    }
    return QString::number(value);
}

// The word of an output's buffering state, from the list of state names.
QString StateWord(const QStringList& names, int64_t state) {
    return state >= 0 && state < names.size() ? names[int(state)] : QString::number(state);
}

}  // namespace

QString CBufferingWnd::StatusText() const {
    const UiDefinition& ui = app_.Ui();
    const QStringList names = RecordCaptions(ui, "Buffering_LblStatusItems");
    const QStringList states = RecordCaptions(ui, "Buffering_LblOutputStates");
    QStringList values = {ChoiceWord(ui, kBufferModeRecord, status_[kSlotBufferMode]),
                          ChoiceWord(ui, kBufferTypeRecord, status_[kSlotBufferType]),
                          QString::number(status_[kSlotSampleTriggerStoreNum])};
    for (int o = 0; o < kBufferingOutputs; ++o) {
        values << StateWord(states, status_[BufferingValueSet::StateRead(o)])
               << QString::number(status_[BufferingValueSet::FinalDataPoint(o)])
               << QString::number(status_[BufferingValueSet::TriggerCount(o)]);
    }
    if (reading_) {
        values << QString::number(readDone_) + " / " + QString::number(readTotal_);
    }
    // The line wraps between items only: the blanks inside an item do not break.
    QStringList parts;
    for (int i = 0; i < values.size(); ++i) {
        const QString name = i < names.size() ? names[i] : QString();
        parts << QString(name + ": " + values[i]).replace(QLatin1Char(' '), QChar::Nbsp);
    }
    return parts.join("   ");
}

void CBufferingWnd::ShowStatus() {
    ui_->lblStatus->setText(StatusText());
}

QString CBufferingWnd::SelectedPointText(int output) const {
    return pointText_[size_t(output)];
}

// ---------------------------------------------------------------------------------------------
// Settings page

bool CBufferingWnd::RecordAllows(const QWidget* widget) const {
    const UiControlRecord* record = RecordOf(app_.Ui(), widget);
    return record == nullptr || (record->enable == 0 && record->visible == 0);
}

void CBufferingWnd::FillPage(int32_t bank) {
    fillingPage_ = true;
    SettingsStore& store = app_.Store();
    auto lock = store.Lock();
    Ui::BufferingWnd& u = *ui_;
    FillChoiceList(1272, u.ctrl1272, store.GetInt<kBufBufferMode>(bank));
    FillChoiceList(1274, u.ctrl1274, store.GetInt<kBufBufferType>(bank));
    FillChoiceList(1085, u.ctrl1085, store.GetInt<kBufBufferRate>(bank));
    FillChoiceList(1284, u.ctrl1284, store.GetInt<kBufEventCondition>(bank, 0));
    FillChoiceList(1284, u.ctrl1284b, store.GetInt<kBufEventCondition>(bank, 1));
    u.ctrl1280->SetIntValue(store.GetInt<kBufStoreNum>(bank));
    u.ctrl1867->SetIntValue(store.GetInt<kBufSampleTriggerStoreNum>(bank));
    u.ctrl1282->SetIntValue(store.GetInt<kBufTriggerPoint>(bank));
    u.ctrl2023->SetIntValue(store.GetInt<kBufTriggerDelay>(bank));
    {
        std::lock_guard dataLock(data_->mutex);
        u.edtComment->setText(ToQString(data_->trailer.comment));
    }
    pageBank_ = bank;
    fillingPage_ = false;
    UpdatePageEnabled();
}

void CBufferingWnd::ReloadSettingsPage() {
    FillPage(app_.Store().GetInt<kAppCurMemNo>());
}

void CBufferingWnd::PageToStore(int32_t bank) {
    SettingsStore& store = app_.Store();
    auto lock = store.Lock();
    Ui::BufferingWnd& u = *ui_;
    auto setList = [&](int32_t id, const QComboBox* box, int32_t index2) {
        if (box->count() > 0) {
            store.SetInt(id, SelectedChoiceValue(box), bank, index2);
        }
    };
    setList(kBufBufferMode, u.ctrl1272, 0);
    setList(kBufBufferType, u.ctrl1274, 0);
    setList(kBufBufferRate, u.ctrl1085, 0);
    setList(kBufEventCondition, u.ctrl1284, 0);
    setList(kBufEventCondition, u.ctrl1284b, 1);
    // Numbers that do not parse keep the store's value; out-of-range ones are stored and
    // refused by the range check before anything is sent.
    auto setNumber = [&](int32_t id, const CNumericEdit* edit) {
        if (const std::optional<int32_t> value = edit->IntValue()) {
            store.SetInt(id, *value, bank);
        }
    };
    setNumber(kBufStoreNum, u.ctrl1280);
    setNumber(kBufSampleTriggerStoreNum, u.ctrl1867);
    setNumber(kBufTriggerPoint, u.ctrl1282);
    setNumber(kBufTriggerDelay, u.ctrl2023);
    std::lock_guard dataLock(data_->mutex);
    data_->trailer.comment = ToStdString(u.edtComment->text());
}

void CBufferingWnd::UpdatePageEnabled() {
    if (fillingPage_) {
        return;
    }
    Ui::BufferingWnd& u = *ui_;
    const bool online = Online();
    const int32_t mode = SelectedChoiceValue(u.ctrl1272, 0);
    const int32_t type = SelectedChoiceValue(u.ctrl1274, 0);
    const bool triggerModes = mode == 1 || mode == 3 || mode == 5;
    const bool samplingModes = GroupsBySamplingTrigger(mode);
    auto allow = [&](QWidget* w, bool rule) { w->setEnabled(online && rule && RecordAllows(w)); };
    allow(u.edtComment, true);
    allow(u.ctrl1272, true);
    allow(u.ctrl1274, true);
    allow(u.ctrl1085, true);
    allow(u.ctrl1280, true);
    allow(u.ctrl1867, samplingModes);
    allow(u.ctrl1282, triggerModes);
    allow(u.ctrl2023, triggerModes);
    allow(u.ctrl1284, triggerModes);
    allow(u.ctrl1284b, triggerModes);
    // Ranges that depend on the other fields.
    const int32_t storeMax = type == kBufferTypeBoth ? kMaxStoreNumBoth : kMaxBufferedValues;
    u.ctrl1280->SetRange(1, storeMax);
    const int32_t storeNum = std::clamp(u.ctrl1280->IntValue().value_or(1), 1, storeMax);
    u.ctrl1867->SetRange(1, storeNum);
    u.ctrl1282->SetRange(1, storeNum);
}

// ---------------------------------------------------------------------------------------------
// Graphs, tables, statistics

double CBufferingWnd::ValueFactor() const {
    return app_.Micron().active ? app_.Micron().factor : 1.0;
}

QString CBufferingWnd::ValueUnit() const {
    const UiControlRecord* record = app_.Ui().FindByName("Buffering_LblLeftAxis");
    return ValueAxisUnit(record != nullptr ? ToQString(record->unit) : QString(), record != nullptr,
                         app_.Micron());
}

void CBufferingWnd::DrawOutput(int output) {
    const double factor = ValueFactor();
    std::vector<double> y;
    {
        std::lock_guard lock(data_->mutex);
        const int32_t n = data_->HeldCount(output);
        const std::vector<double>& values = data_->outputs[size_t(output)].values;
        y.assign(values.begin(), values.begin() + n);
    }
    if (factor != 1.0) {
        for (double& v : y) {
            v *= factor;
        }
    }
    const std::vector<double> x(ValueNumbers().begin(), ValueNumbers().begin() + long(y.size()));
    const double last = std::max<double>(double(y.size()), 2.0);
    for (CTChart* chart : {charts_[size_t(output)], bothChart_}) {
        const int series = chart == bothChart_ ? output : 0;
        chart->SetPoints(series, x, y);
        chart->SetYRange(-kValueAxisLimit * factor, kValueAxisLimit * factor);
        chart->ClearSelection();
    }
    charts_[size_t(output)]->SetXRange(1.0, last);
    charts_[size_t(output)]->Replot();
    models_[size_t(output)]->Reload();
}

void CBufferingWnd::RedrawAll() {
    DrawOutput(0);
    DrawOutput(1);
    int32_t most = 2;
    {
        std::lock_guard lock(data_->mutex);
        most = std::max({most, data_->HeldCount(0), data_->HeldCount(1)});
    }
    bothChart_->SetXRange(1.0, double(most));
    bothChart_->Replot();
    for (int o = 0; o < 2; ++o) {
        DrawMeasureLines(o);
    }
    if (StatisticsShown()) {
        ComputeStatistics();
    }
}

void CBufferingWnd::DrawMeasureLines(int output) {
    OutputDisplay display;
    {
        std::lock_guard lock(data_->mutex);
        display = data_->outputs[size_t(output)].display;
    }
    CTChart& chart = *charts_[size_t(output)];
    const std::array<int, 4>& lines = lines_[size_t(output)];
    const double factor = ValueFactor();
    chart.SetMeasureLinePosition(lines[kLineTop], display.verticalTop * factor);
    chart.SetMeasureLinePosition(lines[kLineBottom], display.verticalBottom * factor);
    chart.SetMeasureLinePosition(lines[kLineLeft], display.horizontalLeft);
    chart.SetMeasureLinePosition(lines[kLineRight], display.horizontalRight);
    chart.SetMeasureLineVisible(lines[kLineTop], display.verticalOn != 0);
    chart.SetMeasureLineVisible(lines[kLineBottom], display.verticalOn != 0);
    chart.SetMeasureLineVisible(lines[kLineLeft], display.horizontalOn != 0);
    chart.SetMeasureLineVisible(lines[kLineRight], display.horizontalOn != 0);
    chart.Replot();
}

void CBufferingWnd::ApplyMeasureLines() {
    for (int o = 0; o < 2; ++o) {
        const MeasureLines lines = LoadMeasureLines(app_.Store(), o);
        {
            std::lock_guard lock(data_->mutex);
            OutputDisplay& d = data_->outputs[size_t(o)].display;
            d.verticalOn = lines.verticalOn ? 1 : 0;
            d.verticalTop = lines.verticalTop;
            d.verticalBottom = lines.verticalBottom;
            d.horizontalOn = lines.horizontalOn ? 1 : 0;
            d.horizontalLeft = lines.horizontalLeft;
            d.horizontalRight = lines.horizontalRight;
        }
        DrawMeasureLines(o);
    }
    if (StatisticsShown()) {
        ComputeStatistics();
    }
}

void CBufferingWnd::MoveMeasureLine(int output, int line, double position) {
    MeasureLines lines = LoadMeasureLines(app_.Store(), output);
    const std::array<int, 4>& own = lines_[size_t(output)];
    const auto number = [position] {
        return int32_t(std::clamp(std::lround(position), 1L, long(kMaxBufferedValues)));
    };
    if (line == own[kLineTop]) {
        lines.verticalTop = position / ValueFactor();
    } else if (line == own[kLineBottom]) {
        lines.verticalBottom = position / ValueFactor();
    } else if (line == own[kLineLeft]) {
        lines.horizontalLeft = number();
    } else if (line == own[kLineRight]) {
        lines.horizontalRight = number();
    } else {
        return;
    }
    StoreMeasureLines(app_.Store(), output, lines);
    ApplyMeasureLines();  // the statistics between the lines follow the drag
    if (confForm_ != nullptr) {
        confForm_->Load();
    }
}

bool CBufferingWnd::StatisticsShown() const {
    return infoForm_ != nullptr || ui_->tabPages->currentWidget() == ui_->pageStatistics;
}

void CBufferingWnd::ComputeStatistics() {
    ComputeBufferingStatistics(*data_, status_);
    ShowStatistics();
}

void CBufferingWnd::ShowStatistics() {
    std::array<OutputStatistics, 2> statistics;
    {
        std::lock_guard lock(data_->mutex);
        statistics = {data_->outputs[0].statistics, data_->outputs[1].statistics};
    }
    statisticsPage_->Show(statistics, app_.Micron());
    if (infoForm_ != nullptr) {
        infoForm_->Show(statistics, app_.Micron());
    }
}

CBufferingConfForm* CBufferingWnd::OpenMeasureLines() {
    if (confForm_ == nullptr) {
        confForm_ = new CBufferingConfForm(Context(), this, this);
        confForm_->setWindowFlag(Qt::Window);
        confForm_->setAttribute(Qt::WA_DeleteOnClose);
        connect(confForm_, &CBufferingConfForm::linesChanged, this,
                &CBufferingWnd::ApplyMeasureLines);
    }
    confForm_->show();
    confForm_->raise();
    return confForm_;
}

CBufferingInfoForm* CBufferingWnd::OpenInformation() {
    if (infoForm_ == nullptr) {
        infoForm_ = new CBufferingInfoForm(Context(), this, this);
        infoForm_->setWindowFlag(Qt::Window);
        infoForm_->setAttribute(Qt::WA_DeleteOnClose);
    }
    infoForm_->show();
    infoForm_->raise();
    ComputeStatistics();
    return infoForm_;
}

// ---------------------------------------------------------------------------------------------
// Close

void CBufferingWnd::Shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    // Drops a state read, a read or a running monitoring: nothing posts to this window after.
    if (CThreadBuffering* thread = app_.Buffering()) {
        thread->Cancel();
        thread->AttachData(nullptr);
    }
    stateRead_ = false;
    reading_ = false;
    running_ = false;
    stateTimer_.stop();
    progressTimer_.stop();
}

void CBufferingWnd::closeEvent(QCloseEvent* event) {
    if (IsSynchronousCommandRunning()) {
        event->ignore();  // a command of this window may be waiting inside its handler
        return;
    }
    Shutdown();
    if (confForm_ != nullptr) {
        confForm_->close();
    }
    if (infoForm_ != nullptr) {
        infoForm_->close();
    }
    TakeControlValues();
    // The user's choice, not the visibility: a table on a page not shown is hidden with it.
    app_.Store().SetInt<kBufWndWaveDataChange>(ui_->actShowTable1->isChecked() ? 1 : 0, 0);
    app_.Store().SetInt<kBufWndWaveDataChange>(ui_->actShowTable2->isChecked() ? 1 : 0, 1);
    emit closed();
    QMainWindow::closeEvent(event);
}

}  // namespace zul

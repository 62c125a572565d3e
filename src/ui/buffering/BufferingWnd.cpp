// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingWnd.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>

#include "app/Application.h"
#include "buffering/BufferingProcedures.h"
#include "link/Commands.h"
#include "link/RequestBuilders.h"
#include "link/ThreadCommControler.h"
#include "settings/MessageBox.h"
#include "settings/SettingItem.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingFormat.h"
#include "ui/buffering/BufferingGraphPanel.h"
#include "ui/buffering/BufferingSettingsPage.h"
#include "ui/buffering/BufferingTexts.h"
#include "ui/buffering/BufferingView.h"
#include "ui/buffering/CapabilityView.h"
#include "ui/framework/QtText.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/TChart.h"
#include "ui/framework/UiApplier.h"
#include "ui_BufferingWnd.h"

namespace zul::ui {

using State = BufferingWndState;

namespace {

// The buffering settings of bank in the store, as the read-settings procedure takes them.
BufferingSettings SettingsOfBank(const SettingsStore& store, int32_t bank) {
    auto lock = store.Lock();
    BufferingSettings values;
    values.bufferMode = store.GetInt<kBufBufferMode>(bank);
    values.bufferType = store.GetInt<kBufBufferType>(bank);
    values.bufferRate = store.GetInt<kBufBufferRate>(bank);
    values.bufferSelfStop = store.GetInt<kSysBufBufferSelfStop>();
    values.storeNum = store.GetInt<kBufStoreNum>(bank);
    values.sampleTriggerStoreNum = store.GetInt<kBufSampleTriggerStoreNum>(bank);
    values.triggerPoint = store.GetInt<kBufTriggerPoint>(bank);
    values.triggerDelay = store.GetInt<kBufTriggerDelay>(bank);
    values.eventCondition[0] = store.GetInt<kBufEventCondition>(bank, 0);
    values.eventCondition[1] = store.GetInt<kBufEventCondition>(bank, 1);
    return values;
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
      files_(this),
      requests_(
          this, kWmBufferingReturned,
          [this](std::unique_ptr<BufferingRequest> done) { OnReturned(std::move(done)); },
          [this] {
              if (CThreadBuffering* thread = app_.Buffering()) {
                  thread->Cancel();
              }
          }) {
    ui_->setupUi(this);
    // Reads fill their own block; the block shown changes only when a read completes.
    if (CThreadBuffering* thread = app_.Buffering()) {
        thread->AttachData(incoming_.get());
    }
    BuildPanels();
    AddViews();
    ConnectCommands();
    ConnectFileCommands();
    SetPositionItems({kBufWndFormTop, kBufWndFormLeft, kBufWndFormWidth, kBufWndFormHeight,
                      kBufWndFormMax, kBufWndFormMode});
    resize(900, 640);
    RestoreChoices();
    ApplyUiDefinition();
    page_->Fill(app_.Store().GetInt<kAppCurMemNo>());
    ApplyMeasureLines();
    RedrawAll();
    StartTimers();
    UpdateCommands();
}

CBufferingWnd::~CBufferingWnd() {
    Shutdown();
    if (infoForm_ != nullptr) {
        delete infoForm_.data();
    }
    if (confForm_ != nullptr) {
        delete confForm_.data();
    }
}

// ---------------------------------------------------------------------------------------------
// Construction

void CBufferingWnd::BuildPanels() {
    Ui::BufferingWnd& u = *ui_;
    BufferingGraphHosts hosts;
    hosts.chart = {u.chartHost1, u.chartHost2};
    hosts.table = {u.tableHost1, u.tableHost2};
    hosts.both = u.chartHostBoth;
    hosts.point = {u.lblPoint1, u.lblPoint2};
    graphs_ = new CBufferingGraphPanel(app_, *data_, hosts, this);
    connect(graphs_, &CBufferingGraphPanel::measureLinesMoved, this, [this] {
        ApplyMeasureLines();  // the statistics between the lines follow the drag
        if (confForm_ != nullptr) {
            confForm_->Load();
        }
    });
    page_ = new CBufferingSettingsPage(app_, *this, *u.pageSettings, *data_,
                                       [this] { return app_.Online(); });
    // The graphs take the room; the selected-point line keeps its one line.
    u.chart1Column->setStretch(0, 1);
    u.chart2Column->setStretch(0, 1);
    u.out1Layout->setStretch(0, 3);
    u.out1Layout->setStretch(1, 1);
    u.out2Layout->setStretch(0, 3);
    u.out2Layout->setStretch(1, 1);
    ShowReadProgress(false);
}

void CBufferingWnd::ConnectCommands() {
    Ui::BufferingWnd& u = *ui_;
    const auto both = [this](QPushButton* button, QAction* action, void (CBufferingWnd::*run)()) {
        connect(button, &QPushButton::clicked, this, run);
        connect(action, &QAction::triggered, this, run);
    };
    both(u.btnStart, u.actStart, &CBufferingWnd::Start);
    both(u.btnStop, u.actStop, &CBufferingWnd::Stop);
    both(u.btnRead, u.actRead, &CBufferingWnd::Read);
    both(u.btnClear, u.actClear, &CBufferingWnd::Clear);
    connect(u.btnCancelRead, &QPushButton::clicked, this, &CBufferingWnd::CancelRead);
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
    connect(u.btnReadSettings, &QPushButton::clicked, this,
            &CBufferingWnd::ReadSettingsFromController);
    connect(u.tabPages, &QTabWidget::currentChanged, this, [this] {
        if (ViewsShown()) {
            ComputeStatistics();
        }
    });
}

void CBufferingWnd::RestoreChoices() {
    const SettingsStore& store = app_.Store();
    ui_->chkSelfStop->setChecked(store.GetInt<kSysBufBufferSelfStop>() != 0);
    for (int o = 0; o < 2; ++o) {
        ShowTable(o, store.GetInt<kBufWndWaveDataChange>(o) != 0);
    }
}

void CBufferingWnd::StartTimers() {
    stateTimer_.setInterval(kBufferingStateLoopMs);
    connect(&stateTimer_, &QTimer::timeout, this, &CBufferingWnd::OnStateTimer);
    stateTimer_.start();
    progressTimer_.setInterval(kBufferingProgressMs);
    connect(&progressTimer_, &QTimer::timeout, this, &CBufferingWnd::OnProgressTimer);
}

// ---------------------------------------------------------------------------------------------
// Framework calls

void CBufferingWnd::OnUiDefinitionApplied() {
    const UiDefinition& ui = app_.Ui();
    ApplyTabTitles();
    page_->ApplyTexts();
    graphs_->ApplyTexts();
    for (const ViewPage& shown : views_) {
        shown.view->ApplyTexts(ui);
    }
    // The read's progress and its cancel button are there only while a read runs.
    ShowReadProgress(IsReading());
    ApplyAccessibleNames(this);
    UpdateCommands();
    ShowStatus();
}

void CBufferingWnd::OnLineStateChanged(int32_t /*lineState*/) {
    UpdateCommands();
}

void CBufferingWnd::OnMemoryBankChanged(int32_t oldBank, int32_t newBank) {
    page_->Store(oldBank);
    page_->Fill(newBank);
    // The capability limits start from the judgement limits of the bank now in force.
    for (CCapabilityView* view : capability_) {
        view->LoadBankLimits();
    }
}

void CBufferingWnd::OnTakeControlValues() {
    page_->Store(page_->Bank());
}

void CBufferingWnd::RestoreFormMode(int32_t mode) {
    if (mode >= 0 && mode < ui_->tabPages->count()) {
        ui_->tabPages->setCurrentIndex(mode);
    }
}

std::optional<int32_t> CBufferingWnd::FormModeToStore() const {
    return ui_->tabPages->currentIndex();
}

// ---------------------------------------------------------------------------------------------
// Requests and their results

void CBufferingWnd::Submit(int32_t kind) {
    CThreadBuffering* thread = app_.Buffering();
    if (thread == nullptr || state_ == State::kClosed) {
        return;
    }
    std::unique_ptr<BufferingRequest> request = requests_.Make();
    request->kind = kind;
    request->pollInterval = 5;
    thread->SubmitRequest(std::move(request));
}

void CBufferingWnd::CancelStateRead() {
    if (state_ == State::kStateRead) {
        requests_.Cancel();  // a cancelled request never comes back: nothing waits for it
        state_ = State::kIdle;
    }
}

void CBufferingWnd::OnReturned(std::unique_ptr<BufferingRequest> request) {
    const BufferingRequest& done = *request;
    switch (done.kind) {
        case kStartMonitoring:
            OnMonitoringEnded(done);
            break;
        case kStopMonitoring:
            if (state_ == State::kRunning) {
                state_ = State::kIdle;
            }
            break;
        case kReadData:
            OnReadReturned(done);
            break;
        case kReadState:
            if (state_ == State::kStateRead) {
                if (done.result.code == ZUL_OK) {
                    CopyState(done.raw);
                }
                state_ = State::kIdle;
            }
            break;
        case kMonitoringComplete:
            OnMonitoringComplete(done);
            break;
        case kMonitoringUpdate:
            if (state_ == State::kRunning) {
                CopyState(done.raw);
            }
            break;
        default:
            break;
    }
    UpdateCommands();
    emit requestHandled(done.kind, done.result.code);
}

// Monitoring ended by a failure or by the thread's shutdown.
void CBufferingWnd::OnMonitoringEnded(const BufferingRequest& request) {
    if (state_ != State::kRunning) {
        return;
    }
    state_ = State::kIdle;
    const int32_t code = request.result.code;
    if (code != ZUL_OK && code != ZUL_ERR_OFFLINE) {
        ShowResult(request.result);
    }
}

void CBufferingWnd::OnMonitoringComplete(const BufferingRequest& request) {
    if (state_ == State::kRunning) {
        state_ = State::kIdle;
    }
    CopyState(request.raw);
    if (CThreadCommControler* comm = app_.CommControler()) {
        PostWord(*comm, cmd::kWriteBufferingState, 0, 0);
    }
}

void CBufferingWnd::OnReadReturned(const BufferingRequest& request) {
    if (state_ != State::kReading) {
        return;
    }
    state_ = State::kIdle;
    progressTimer_.stop();
    ShowReadProgress(false);
    const int32_t code = request.result.code;
    if (code == ZUL_OK) {
        TakeReadResult();
    }
    if (code == ZUL_OK || code == ZUL_ERR_NO_BUFF_DATA) {
        CopyState(request.raw);
        for (int slot = kSlotJudgementFirst; slot < kSlotJudgementFirst + 8; ++slot) {
            status_[slot] = 0;
        }
    }
    // The values read, or, when the read brought none or failed, those shown before it (the
    // read cleared the graphs).
    RedrawAll();
    ShowStatus();
    UpdateCommands();
    if (code != ZUL_OK && code != ZUL_ERR_OFFLINE) {
        ShowResult(request.result);
    }
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
    if (state_ == State::kStateRead && !requests_.IsOut()) {
        state_ = State::kIdle;  // the request was destroyed without an answer
    }
    // No state read while a modal box or dialog waits for the user.
    if (state_ != State::kIdle || requests_.IsOut() || !app_.Online() ||
        QApplication::activeModalWidget() != nullptr || IsSynchronousCommandRunning() ||
        !IsFormEnabled()) {
        return;
    }
    state_ = State::kStateRead;
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

void CBufferingWnd::ShowReadProgress(bool shown) {
    ui_->progressRead->setVisible(shown);
    ui_->btnCancelRead->setVisible(shown);
}

// ---------------------------------------------------------------------------------------------
// Commands

void CBufferingWnd::Start() {
    if (!AvailableCommands(app_.Online(), IsRunning(), IsReading()).startReadSelfStop ||
        IsSynchronousCommandRunning()) {
        return;
    }
    CancelStateRead();
    // The page's values are what the user sees: they go to the store before they are sent.
    page_->Store(page_->Bank());
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
    state_ = State::kRunning;
    Submit(kStartMonitoring);
    UpdateCommands();
}

void CBufferingWnd::Stop() {
    if (IsReading()) {
        CancelRead();  // Stop also ends a read
        return;
    }
    if (!AvailableCommands(app_.Online(), IsRunning(), IsReading()).stop ||
        IsSynchronousCommandRunning()) {
        return;
    }
    CancelStateRead();
    CThreadCommControler* comm = app_.CommControler();
    ResultInfo ignored;
    RunSynchronous([comm](ResultInfo* info) { return StopBuffering(*comm, info); }, &ignored);
    // Monitoring ends without a callback: the window leaves the running state now.
    state_ = State::kIdle;
    Submit(kStopMonitoring);
    UpdateCommands();
}

void CBufferingWnd::Read() {
    if (!AvailableCommands(app_.Online(), IsRunning(), IsReading()).startReadSelfStop ||
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
    graphs_->ClearGraphs();
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
    ShowReadProgress(true);
    state_ = State::kReading;
    progressTimer_.start();
    Submit(kReadData);
    ShowStatus();
    UpdateCommands();
}

void CBufferingWnd::CancelRead() {
    if (!IsReading()) {
        return;
    }
    // Returns once the thread has dropped the read: nothing more is written into its block, and
    // the block shown was never written.
    requests_.Cancel();
    state_ = State::kIdle;
    progressTimer_.stop();
    ShowReadProgress(false);
    RedrawAll();  // the values shown before the read (the read cleared the graphs)
    ShowStatus();
    UpdateCommands();
}

void CBufferingWnd::Clear() {
    if (IsReading()) {
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

void CBufferingWnd::ReloadSettingsPage() {
    page_->Fill(app_.Store().GetInt<kAppCurMemNo>());
}

void CBufferingWnd::ReadSettingsFromController() {
    if (!app_.Online() || IsRunning() || IsReading() || IsSynchronousCommandRunning()) {
        return;
    }
    CancelStateRead();
    const int32_t bank = page_->Bank();
    page_->Store(bank);
    SettingsStore* store = &app_.Store();
    BufferingSettings values = SettingsOfBank(*store, bank);
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
    page_->Fill(bank);
    ui_->chkSelfStop->setChecked(values.bufferSelfStop != 0);
}

// ---------------------------------------------------------------------------------------------
// Display

void CBufferingWnd::ShowResult(const ResultInfo& result) {
    ReportResult(boxes_, app_.Ui(), result);
}

void CBufferingWnd::ShowResultCode(int32_t code, const std::string& detail1,
                                   const std::string& reason) {
    ResultInfo result;
    SetResult(&result, code, 0, detail1, reason);
    ShowResult(result);
}

void CBufferingWnd::UpdateCommands() {
    const bool online = app_.Online();
    const bool reading = IsReading();
    const CommandAvailability can = AvailableCommands(online, IsRunning(), reading);
    Ui::BufferingWnd& u = *ui_;
    for (QWidget* w : std::initializer_list<QWidget*>{u.btnStart, u.btnRead, u.chkSelfStop}) {
        w->setEnabled(can.startReadSelfStop);
    }
    for (QAction* a : {u.actStart, u.actRead, u.actSelfStop}) {
        a->setEnabled(can.startReadSelfStop);
    }
    // While a read runs, Stop cancels it.
    u.btnStop->setEnabled(can.stop || reading);
    u.actStop->setEnabled(can.stop || reading);
    u.btnClear->setEnabled(can.clear);
    u.actClear->setEnabled(can.clear);
    u.actSave->setEnabled(!reading);
    u.actLoad->setEnabled(!reading);
    u.btnReadSettings->setEnabled(online && !IsRunning() && !reading &&
                                  BufferingControlAllowed(app_.Ui(), u.btnReadSettings));
    page_->ApplyRules();
}

QString CBufferingWnd::StatusText() const {
    std::optional<ReadProgress> progress;
    if (IsReading()) {
        progress = ReadProgress{readDone_, readTotal_};
    }
    return BufferingStatusText(app_.Ui(), status_, progress);
}

void CBufferingWnd::ShowStatus() {
    ui_->lblStatus->setText(StatusText());
}

CTChart& CBufferingWnd::ShownChart() {
    QWidget* page = ui_->tabPages->currentWidget();
    return page == ui_->pageOut1   ? graphs_->Chart(0)
           : page == ui_->pageOut2 ? graphs_->Chart(1)
                                   : graphs_->BothChart();
}

void CBufferingWnd::SetAlwaysFit(bool on) {
    graphs_->SetAlwaysFit(on);
    ui_->actAlwaysFit->setChecked(on);
    app_.Store().SetInt<kBufWndAlwaysFit>(on ? 1 : 0);
}

// ---------------------------------------------------------------------------------------------
// Close

void CBufferingWnd::Shutdown() {
    if (state_ == State::kClosed) {
        return;
    }
    state_ = State::kClosed;
    // Drops a state read, a read or a running monitoring: nothing posts to this window after.
    requests_.Close();
    if (CThreadBuffering* thread = app_.Buffering()) {
        thread->AttachData(nullptr);
    }
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

}  // namespace zul::ui

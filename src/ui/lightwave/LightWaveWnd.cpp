// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lightwave/LightWaveWnd.h"

#include <algorithm>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/Application.h"
#include "base/DiagnosticLog.h"
#include "lightwave/LightWaveRequest.h"
#include "lightwave/ThreadLightWave.h"
#include "settings/MessageBox.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/framework/QtText.h"
#include "ui/framework/Slider.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/UiApplier.h"
#include "ui/lightwave/LightWaveConfForm.h"
#include "ui/lightwave/LightWaveGraphPanel.h"
#include "ui/lightwave/LightWaveIds.h"
#include "ui_LightWaveWnd.h"

namespace zul::ui {

namespace {

constexpr int32_t kTickMs = 100;

}  // namespace

int32_t PlaybackStepTime(int32_t interval, int32_t speed) {
    if (speed <= 0) {
        speed = 1000;
    }
    return static_cast<int32_t>(static_cast<int64_t>(interval) * 1000 / speed);
}

CLightWaveWnd::CLightWaveWnd(Application& app, FormBase* parentForm, QWidget* parent)
    : QMainWindow(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      data_(std::make_unique<LightWaveData>()),
      captures_(
          this, kWmLightWaveReturned,
          [this](std::unique_ptr<LightWaveRequest> done) { OnCaptureReturned(std::move(done)); },
          [this] {
              // Synchronous: the thread holds no capture of ours afterwards, so a new start
              // never reaches a busy thread (which would drop it without an answer).
              if (CThreadLightWave* thread = app_.LightWave()) {
                  thread->Cancel();
              }
          }),
      boxes_(this),
      ui_(std::make_unique<Ui::LightWaveWnd>()) {
    BuildWidgets();

    // Opening: the block goes to the thread, the settings are restored, the timer starts.
    if (CThreadLightWave* thread = app_.LightWave()) {
        thread->AttachData(data_.get());
        thread->SetLineState(Online() ? 1 : 0);
        thread->SetRepeating(0);
    }
    const SettingsStore& store = app_.Store();
    interval_ = std::max(kTickMs, store.GetInt<kLwConfGraphUpdateCycle>());
    graphs_->SetRectDisplay(store.GetInt<kLwConfGraphRectDisp>() != 0);
    for (int head = 0; head < kLightWaveHeads; ++head) {
        graphs_->SetWorkNoDisplay(head, store.GetInt<kLwConfWorkNoDisp>(head) != 0);
    }
    SetPositionItems({.top = kLwFormTop,
                      .left = kLwFormLeft,
                      .width = kLwFormWidth,
                      .height = kLwFormHeight,
                      .max = kLwFormMax,
                      .mode = kLwFormMode});
    ApplyUiDefinition();
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &CLightWaveWnd::Tick);
    timer_.start();
    ShowNewest();
}

CLightWaveWnd::~CLightWaveWnd() {
    CloseSteps();
}

void CLightWaveWnd::BuildWidgets() {
    ui_->setupUi(this);
    ConnectMenu();
    ConnectPlayback();
    BuildHeads();
    ui_->actionAlwaysFit->setChecked(app_.Store().GetInt<kLwWndAlwaysFit>() != 0);
}

void CLightWaveWnd::ConnectMenu() {
    Ui::LightWaveWnd& u = *ui_;
    connect(u.actionSettings, &QAction::triggered, this, &CLightWaveWnd::OpenSettings);
    connect(u.actionExport, &QAction::triggered, this, &CLightWaveWnd::ExportFromDialog);
    connect(u.actionClose, &QAction::triggered, this, &QWidget::close);
    u.actionClose->setShortcut(QKeySequence::Close);
    connect(u.actionResetView, &QAction::triggered, this, [this] { graphs_->ResetView(); });
    u.actionFitToData->setShortcut(Qt::CTRL | Qt::Key_F);
    connect(u.actionFitToData, &QAction::triggered, this, [this] { graphs_->FitToData(); });
    connect(u.actionAlwaysFit, &QAction::toggled, this, &CLightWaveWnd::SetAlwaysFit);
}

void CLightWaveWnd::ConnectPlayback() {
    Ui::LightWaveWnd& u = *ui_;
    startButton_ = u.start;
    // Toggled, not clicked: an assistive tool's toggle action switches the button without a
    // click, and must start and stop capture as a click does.
    connect(startButton_, &QPushButton::toggled, this, [this](bool on) { SetCapture(on); });
    playBackward_ = u.playBackward;
    connect(playBackward_, &QPushButton::clicked, this, &CLightWaveWnd::PlayBackward);
    connect(u.pause, &QPushButton::clicked, this, &CLightWaveWnd::StopPlayback);
    playForward_ = u.playForward;
    connect(playForward_, &QPushButton::clicked, this, &CLightWaveWnd::PlayForward);
    speed_ = FindControl<QComboBox>(this, kLwCtrlSpeedList);
    slider_ = u.history;
    connect(slider_, &CSlider::positionChanged, this, [this](int position) {
        if (position != index_) {
            StepTo(position);
        }
    });
    frameLabel_ = u.frameIndex;
    frameLabel_->setMinimumWidth(frameLabel_->fontMetrics().horizontalAdvance("0000 / 0000"));
    connect(u.settings, &QPushButton::clicked, this, &CLightWaveWnd::OpenSettings);
}

void CLightWaveWnd::BuildHeads() {
    Ui::LightWaveWnd& u = *ui_;
    graphs_ = std::make_unique<LightWaveGraphPanel>(
        app_, std::array<LightWaveGraphWidgets, kLightWaveHeads>{
                  LightWaveGraphWidgets{.chart = u.chartA,
                                        .label1 = u.field2A,
                                        .label2 = u.field1040A,
                                        .peakCell = u.peakCellA},
                  LightWaveGraphWidgets{.chart = u.chartB,
                                        .label1 = u.field2B,
                                        .label2 = u.field1040B,
                                        .peakCell = u.peakCellB}});
    heads_[0] = {.caption = u.captionA,
                 .slot = FindControl<QComboBox>(this, kLwCtrlSlotListA),
                 .store = u.storeA,
                 .show = {u.showA1, u.showA2, u.showA3}};
    heads_[1] = {.caption = u.captionB,
                 .slot = FindControl<QComboBox>(this, kLwCtrlSlotListB),
                 .store = u.storeB,
                 .show = {u.showB1, u.showB2, u.showB3}};
    for (int head = 0; head < kLightWaveHeads; ++head) {
        SetUpHead(head);
    }
}

void CLightWaveWnd::SetAlwaysFit(bool on) {
    graphs_->SetAlwaysFit(on);
    ui_->actionAlwaysFit->setChecked(on);
    app_.Store().SetInt<kLwWndAlwaysFit>(on ? 1 : 0);
}

void CLightWaveWnd::SetUpHead(int head) {
    HeadControls& controls = heads_[head];
    connect(controls.store, &QPushButton::clicked, this, [this, head] { StoreSnapshot(head); });
    for (int slot = 0; slot < kSnapshotsPerHead; ++slot) {
        QCheckBox* show = controls.show[slot];
        // The box is the snapshot's legend: its text takes the series colour.
        QPalette palette = show->palette();
        palette.setColor(QPalette::WindowText, LightWaveGraphPanel::SnapshotColor(slot));
        show->setPalette(palette);
        connect(show, &QCheckBox::toggled, this,
                [this, head, slot](bool on) { SetSnapshotShown(head, slot, on); });
    }
}

void CLightWaveWnd::OnUiDefinitionApplied() {
    const int32_t speed = SelectedSpeed();
    FillChoiceList(kLwCtrlSpeedList, speed_, speed > 0 ? speed : 1000);
    // Entries without a positive speed are refused: they would never step.
    for (int i = speed_->count() - 1; i >= 0; --i) {
        if (speed_->itemData(i).toInt() <= 0) {
            speed_->removeItem(i);
        }
    }
    for (int head = 0; head < kLightWaveHeads; ++head) {
        HeadControls& controls = heads_[head];
        const int32_t slot = SelectedChoiceValue(controls.slot, 0);
        FillChoiceList(head == 0 ? kLwCtrlSlotListA : kLwCtrlSlotListB, controls.slot, slot);
    }
    graphs_->ApplyAxisTitles(app_.Ui());
    UpdateControls();
}

bool CLightWaveWnd::Online() const {
    return app_.Online();
}

int32_t CLightWaveWnd::SelectedSpeed() const {
    if (speed_ == nullptr || speed_->currentIndex() < 0) {
        return 0;
    }
    return speed_->currentData().toInt();
}

int32_t CLightWaveWnd::FrameCount() const {
    return static_cast<int32_t>(std::max(data_->HistorySize(0), data_->HistorySize(1)));
}

QString CLightWaveWnd::Label1(int head) const {
    return graphs_->Label1(head);
}

QString CLightWaveWnd::Label2(int head) const {
    return graphs_->Label2(head);
}

QString CLightWaveWnd::PeakCellText(int head) const {
    return graphs_->PeakCellText(head);
}

// --- Capture ---

void CLightWaveWnd::SetCapture(bool start) {
    if (start) {
        if (!Online() || state_ == LightWaveCapture::kWaiting ||
            state_ == LightWaveCapture::kRequestOut) {
            UpdateControls();
            return;
        }
        state_ = LightWaveCapture::kWaiting;
        counter_ = interval_;  // the first capture follows at the next tick
        if (CThreadLightWave* thread = app_.LightWave()) {
            thread->SetRepeating(1);
        }
    } else {
        StopCapture();
        ShowNewest();
    }
    UpdateControls();
}

void CLightWaveWnd::StopCapture() {
    const bool running =
        state_ == LightWaveCapture::kWaiting || state_ == LightWaveCapture::kRequestOut;
    state_ = LightWaveCapture::kStopped;
    if (running) {
        CancelAtThread();
    }
}

void CLightWaveWnd::CancelAtThread() {
    if (CThreadLightWave* thread = app_.LightWave()) {
        thread->SetRepeating(0);
    }
    captures_.Cancel();  // anything still on its way back is stale
}

void CLightWaveWnd::SubmitCapture() {
    CThreadLightWave* thread = app_.LightWave();
    if (thread == nullptr) {
        return;
    }
    state_ = LightWaveCapture::kRequestOut;
    counter_ = 0;
    thread->SubmitCapture(captures_.Make());
}

void CLightWaveWnd::Tick() {
    if (closed_ || IsSynchronousCommandRunning()) {
        return;
    }
    switch (state_) {
        case LightWaveCapture::kWaiting:
        case LightWaveCapture::kRequestOut:
            if (counter_ < interval_) {
                counter_ += kTickMs;
            }
            if (state_ == LightWaveCapture::kWaiting && counter_ >= interval_ && Online()) {
                SubmitCapture();
            }
            break;
        case LightWaveCapture::kPlayForward:
        case LightWaveCapture::kPlayBackward: {
            const int32_t step = PlaybackStepTime(interval_, SelectedSpeed());
            if (counter_ < step) {
                counter_ += kTickMs;
            }
            if (counter_ >= step) {
                const int32_t last = FrameCount() - 1;
                const int32_t delta = state_ == LightWaveCapture::kPlayForward ? 1 : -1;
                const int32_t next = std::clamp(index_ + delta, 0, std::max(last, 0));
                if (next == index_ || last < 0) {
                    state_ = LightWaveCapture::kStopped;
                    UpdateControls();
                } else {
                    ShowFrame(next);
                    counter_ = 0;
                }
            }
            break;
        }
        case LightWaveCapture::kStopped:
            break;
    }
}

void CLightWaveWnd::SetTimerRunning(bool running) {
    if (running) {
        timer_.start();
    } else {
        timer_.stop();
    }
}

void CLightWaveWnd::OnCaptureReturned(std::unique_ptr<LightWaveRequest> request) {
    // A capture of an earlier start never arrives here (captures_ deletes it); one returning
    // outside state 2 is only deleted.
    if (state_ != LightWaveCapture::kRequestOut) {
        return;
    }
    const int32_t code = request->result.code;
    if (code == ZUL_OK) {
        data_->AppendCurrentToHistory();
        state_ = LightWaveCapture::kWaiting;
        ShowNewest();
    } else if (code == ZUL_ERR_OFFLINE) {
        state_ = LightWaveCapture::kWaiting;
    } else {
        const ResultInfo result = request->result;
        request.reset();
        state_ = LightWaveCapture::kStopped;
        if (CThreadLightWave* thread = app_.LightWave()) {
            thread->SetRepeating(0);
        }
        ShowNewest();
        UpdateControls();  // the toggle shows that capture stopped, message or not
        if (IsFormEnabled() && isVisible() && isActiveWindow()) {
            ReportResult(boxes_, app_.Ui(), result);
        } else {
            // No box for a window in the background: the log keeps why capture stopped.
            LogFailure(LogLevel::kWarn, "lightwave", "capture stopped", result);
        }
        return;
    }
    UpdateControls();
}

// --- History and playback ---

void CLightWaveWnd::StepTo(int32_t index) {
    if (state_ == LightWaveCapture::kWaiting || state_ == LightWaveCapture::kRequestOut) {
        return;  // live capture shows the newest frame
    }
    if (state_ != LightWaveCapture::kStopped) {
        state_ = LightWaveCapture::kStopped;
    }
    const int32_t frames = FrameCount();
    ShowFrame(frames == 0 ? 0 : std::clamp(index, 0, frames - 1));
    UpdateControls();
}

void CLightWaveWnd::PlayForward() {
    if (state_ == LightWaveCapture::kWaiting || state_ == LightWaveCapture::kRequestOut) {
        return;
    }
    const int32_t frames = FrameCount();
    if (frames == 0 || index_ >= frames - 1) {
        state_ = LightWaveCapture::kStopped;  // at the last frame there is nothing to play
    } else {
        state_ = LightWaveCapture::kPlayForward;
        counter_ = 0;
    }
    UpdateControls();
}

void CLightWaveWnd::PlayBackward() {
    if (state_ == LightWaveCapture::kWaiting || state_ == LightWaveCapture::kRequestOut) {
        return;
    }
    if (FrameCount() == 0 || index_ <= 0) {
        state_ = LightWaveCapture::kStopped;
    } else {
        state_ = LightWaveCapture::kPlayBackward;
        counter_ = 0;
    }
    UpdateControls();
}

void CLightWaveWnd::StopPlayback() {
    if (state_ == LightWaveCapture::kPlayForward || state_ == LightWaveCapture::kPlayBackward) {
        state_ = LightWaveCapture::kStopped;
        UpdateControls();
    }
}

void CLightWaveWnd::ShowNewest() {
    const int32_t frames = FrameCount();
    ShowFrame(frames > 0 ? frames - 1 : 0);
}

void CLightWaveWnd::ShowFrame(int32_t index) {
    index_ = std::max(index, 0);
    {
        std::lock_guard lock(data_->mutex);
        for (int head = 0; head < kLightWaveHeads; ++head) {
            const LightWaveHead& source = data_->heads[head];
            LightWaveShownHead& shown = shown_[head];
            shown.valid = static_cast<size_t>(index_) < source.history.size();
            if (shown.valid) {
                shown.frame = source.history[static_cast<size_t>(index_)];
            }
            shown.snapshots = source.snapshots;
        }
    }
    UpdateSliderRange();
    Redraw();
    if (settingsForm_ != nullptr) {
        settingsForm_->ShowWorkInformation();
    }
}

void CLightWaveWnd::UpdateSliderRange() {
    const int32_t frames = FrameCount();
    const QSignalBlocker block(slider_);
    slider_->SetRange(0, std::max(frames - 1, 0));
    slider_->SetPosition(index_);
    frameLabel_->setText(frames == 0 ? QString() : QString("%1 / %2").arg(index_ + 1).arg(frames));
}

// --- Snapshots ---

void CLightWaveWnd::StoreSnapshot(int head) {
    if (!shown_[head].valid) {
        return;
    }
    const int32_t slot =
        std::clamp(SelectedChoiceValue(heads_[head].slot, 0), 0, kSnapshotsPerHead - 1);
    data_->StoreSnapshot(head, slot, shown_[head].frame);
    shown_[head].snapshots[slot] = data_->Snapshot(head, slot);
    UpdateControls();
    Redraw();
}

void CLightWaveWnd::SetSnapshotShown(int head, int slot, bool shown) {
    if (shown_[head].snapshots[slot].shown == (shown ? 1 : 0)) {
        return;
    }
    data_->SetSnapshotShown(head, slot, shown);
    shown_[head].snapshots[slot] = data_->Snapshot(head, slot);
    Redraw();
}

// --- Drawing ---

void CLightWaveWnd::Redraw() {
    for (int head = 0; head < kLightWaveHeads; ++head) {
        graphs_->DrawHead(head, shown_[head]);
    }
    UpdateControls();
    if (redrawHook_) {
        redrawHook_();
    }
}

void CLightWaveWnd::UpdateControls() {
    const bool capturing =
        state_ == LightWaveCapture::kWaiting || state_ == LightWaveCapture::kRequestOut;
    {
        const QSignalBlocker block(startButton_);
        startButton_->setChecked(capturing);
    }
    const UiControlRecord* start = app_.Ui().FindByName("LightWave_BtnStart");
    if (start != nullptr) {
        const QStringList captions = CaptionList(start->caption);
        if (captions.size() >= 2) {
            startButton_->setText(captions[capturing ? 1 : 0]);
            // Read aloud as shown, not as the caption it had when the records were applied.
            startButton_->setAccessibleName(captions[capturing ? 1 : 0]);
        }
    }
    startButton_->setEnabled(Online() || capturing);
    const bool frames = FrameCount() > 0;
    playForward_->setEnabled(!capturing && frames);
    playBackward_->setEnabled(!capturing && frames);
    slider_->setEnabled(!capturing && frames);
    for (int head = 0; head < kLightWaveHeads; ++head) {
        HeadControls& controls = heads_[head];
        controls.store->setEnabled(shown_[head].valid);
        for (int slot = 0; slot < kSnapshotsPerHead; ++slot) {
            const LightWaveSnapshot& snapshot = shown_[head].snapshots[slot];
            const QSignalBlocker block(controls.show[slot]);
            controls.show[slot]->setChecked(snapshot.shown != 0);
            controls.show[slot]->setEnabled(snapshot.stored != 0 || snapshot.shown != 0);
        }
    }
}

void CLightWaveWnd::OnLineStateChanged(int32_t lineState) {
    if (CThreadLightWave* thread = app_.LightWave()) {
        thread->SetLineState(lineState);
    }
    UpdateControls();
}

// --- Settings ---

void CLightWaveWnd::RefreshDisplay() {
    Redraw();
}

void CLightWaveWnd::SetInterval(int32_t ms) {
    interval_ = std::max(kTickMs, ms);
    app_.Store().SetInt<kLwConfGraphUpdateCycle>(interval_);
}

void CLightWaveWnd::SetRectDisplay(bool on) {
    graphs_->SetRectDisplay(on);
    Redraw();
}

void CLightWaveWnd::SetWorkNoDisplay(int head, bool on) {
    graphs_->SetWorkNoDisplay(head, on);
    Redraw();
}

void CLightWaveWnd::OpenSettings() {
    if (settingsForm_ != nullptr) {
        settingsForm_->raise();
        settingsForm_->activateWindow();
        return;
    }
    settingsForm_ = new CLightWaveConfForm(*this, this);
    settingsForm_->setAttribute(Qt::WA_DeleteOnClose);
    connect(settingsForm_, &QObject::destroyed, this, [this] { settingsForm_ = nullptr; });
    settingsForm_->show();
}

void CLightWaveWnd::RestoreFormMode(int32_t mode) {
    formMode_ = mode;
}

std::optional<int32_t> CLightWaveWnd::FormModeToStore() const {
    return formMode_;
}

// --- Closing ---

void CLightWaveWnd::closeEvent(QCloseEvent* event) {
    CloseSteps();
    QMainWindow::closeEvent(event);
}

void CLightWaveWnd::CloseSteps() {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (settingsForm_ != nullptr) {
        delete settingsForm_;
        settingsForm_ = nullptr;
    }
    // Stop repeated capture and cancel a capture still out (closing the requests: anything
    // still on its way is destroyed unread); then the thread lets go of the data.
    state_ = LightWaveCapture::kStopped;
    CThreadLightWave* thread = app_.LightWave();
    if (thread != nullptr) {
        thread->SetRepeating(0);
    }
    captures_.Close();
    if (thread != nullptr) {
        thread->AttachData(nullptr);
    }
    timer_.stop();
    data_->ClearHistoryAndSnapshots();
    SettingsStore& store = app_.Store();
    store.SetInt<kLwConfGraphRectDisp>(graphs_->RectDisplay() ? 1 : 0);
    for (int head = 0; head < kLightWaveHeads; ++head) {
        store.SetInt<kLwConfWorkNoDisp>(graphs_->WorkNoDisplay(head) ? 1 : 0, head);
    }
}

}  // namespace zul::ui

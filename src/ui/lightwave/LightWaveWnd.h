// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave window: the received-light waveform of Head A and Head B as two graphs, live
// capture at the update interval through the light-wave thread, a history of the last 1024
// frames per head to step through and play back, three snapshots per head to compare with, and
// the settings form with Save and Load.
//
// The window keeps the capture session (what is out at the thread, the frames shown, the
// history position) and the commands, in LightWaveWnd.cpp; the graphs of both heads, with their
// display options and the drawing of a head, are a panel of their own (LightWaveGraphPanel); the
// file commands (the export of the graphs, the steps around loading a file from the settings
// form, which saves and loads) are in LightWaveWndFiles.cpp.
//
// Capture states: 0 stopped, 1 repeated capture waiting for the next capture, 2 a capture is
// out, 3 playing the history forward, 4 playing it backward. A 100 ms timer drives capture and
// playback; the counter grows by 100 per tick in states 1 and 2 (so a capture goes out once the
// previous one is back and at least the interval has passed since it was sent) and in states
// 3 and 4 (the playback step).
//
// Lifetime: the window owns its LightWaveData and hands it to the thread on opening. Captures go
// out through a WorkerRequest: a capture that comes back after Stop (or after a newer one was
// sent) is only deleted. Stop and closing cancel the capture at the thread (synchronously), so a
// later Start never meets a busy thread; closing also detaches the data and closes the requests,
// so nothing reaches a closed window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include <QMainWindow>
#include <QTimer>

#include "lightwave/LightWaveData.h"
#include "lightwave/LightWaveRequest.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/WorkerRequest.h"
#include "ui/lightwave/LightWaveGraphPanel.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace Ui {
class LightWaveWnd;
}

namespace zul {

class Application;

}  // namespace zul

namespace zul::ui {
class CSlider;
class CTChart;
}  // namespace zul::ui

namespace zul::ui {

class CLightWaveConfForm;

// Playback step time in ms: interval ÷ (speed × 0.001); a speed of 0 or below counts as real
// time (1000), so the step never divides by zero or stays still.
int32_t PlaybackStepTime(int32_t interval, int32_t speed);

enum class LightWaveCapture : int32_t {
    kStopped = 0,
    kWaiting = 1,
    kRequestOut = 2,
    kPlayForward = 3,
    kPlayBackward = 4,
};

class CLightWaveWnd : public QMainWindow, public FormBase {
    Q_OBJECT

public:
    CLightWaveWnd(Application& app, FormBase* parentForm, QWidget* parent);
    ~CLightWaveWnd() override;

    // --- Commands (controls call these; tests too) ---
    void SetCapture(bool start);  // the start/stop toggle
    void StepTo(int32_t index);
    void PlayForward();
    void PlayBackward();
    void StopPlayback();
    void StoreSnapshot(int head);
    void SetSnapshotShown(int head, int slot, bool shown);
    void OpenSettings();
    // Writes both graphs (side by side for PNG: one file per head "<base>-A.png"/"-B.png";
    // PDF likewise). False when a file could not be written.
    // Both heads' graphs as <name>-A and <name>-B; result names the file that failed and why.
    bool ExportGraphs(const QString& path, ResultInfo* result = nullptr);
    // Both graphs follow their data (remembered).
    void SetAlwaysFit(bool on);

    // One timer tick (the 100 ms timer calls it; tests with the timer off call it directly).
    void Tick();
    void SetTimerRunning(bool running);

    // Before a file is loaded: stops capture and playback. After it: shows the newest frame.
    void PrepareForLoad();
    void LoadFinished();
    // Draws the shown frames again (a head page changed PeakLevel or FloodLightAjust).
    void RefreshDisplay();
    // The settings the form changes.
    void SetInterval(int32_t ms);
    void SetRectDisplay(bool on);
    void SetWorkNoDisplay(int head, bool on);

    // --- State (tests, the settings form) ---
    LightWaveData& Data() { return *data_; }
    Application& App() { return app_; }
    LightWaveCapture State() const { return state_; }
    int32_t Interval() const { return interval_; }
    int32_t Counter() const { return counter_; }
    int32_t ShownIndex() const { return index_; }
    int32_t FrameCount() const;
    bool ShownValid(int head) const { return shown_[head].valid; }
    const LightWaveFrame& ShownFrame(int head) const { return shown_[head].frame; }
    QString Label1(int head) const;
    QString Label2(int head) const;
    QString PeakCellText(int head) const;
    CTChart* Chart(int head) const { return &graphs_->Chart(head); }
    CSlider* Slider() const { return slider_; }
    QPushButton* StartButton() const { return startButton_; }
    QComboBox* SpeedList() const { return speed_; }
    QComboBox* SlotList(int head) const { return heads_[head].slot; }
    QCheckBox* ShowBox(int head, int slot) const { return heads_[head].show[slot]; }
    CLightWaveConfForm* SettingsForm() const { return settingsForm_; }
    // Selected playback speed in thousandths (0 when none is selected).
    int32_t SelectedSpeed() const;

    // Called after every redraw of the graphs (benchmarks, tests).
    void SetRedrawHook(std::function<void()> hook) { redrawHook_ = std::move(hook); }

    // Series of a head's chart: the waveform, snapshots 1-3, the work cells.
    static constexpr int kWaveSeries = LightWaveGraphPanel::kWaveSeries;
    static constexpr int kFirstSnapshotSeries = LightWaveGraphPanel::kFirstSnapshotSeries;
    static constexpr int kWorkSeries = LightWaveGraphPanel::kWorkSeries;

protected:
    void closeEvent(QCloseEvent* event) override;
    void OnUiDefinitionApplied() override;
    void OnLineStateChanged(int32_t lineState) override;
    void RestoreFormMode(int32_t mode) override;
    std::optional<int32_t> FormModeToStore() const override;

private:
    struct HeadControls {
        QLabel* caption = nullptr;
        QComboBox* slot = nullptr;
        QPushButton* store = nullptr;
        std::array<QCheckBox*, kSnapshotsPerHead> show{};
    };

    // The form's widgets in steps: the menu's commands, the capture and playback controls, the
    // graphs and snapshot controls of both heads.
    void BuildWidgets();
    void ConnectMenu();
    void ConnectPlayback();
    void BuildHeads();
    void ExportFromDialog();  // the Export menu command
    void SetUpHead(int head);
    void OnCaptureReturned(std::unique_ptr<LightWaveRequest> request);
    void SubmitCapture();
    void StopCapture();
    void CancelAtThread();
    void ShowFrame(int32_t index);
    void ShowNewest();
    void UpdateSliderRange();
    void Redraw();
    void UpdateControls();
    bool Online() const;
    void CloseSteps();

    Application& app_;
    std::unique_ptr<LightWaveData> data_;
    // The capture out at the light-wave thread (at most one).
    WorkerRequest<LightWaveRequest> captures_;
    QtMessageBoxHost boxes_;
    std::unique_ptr<Ui::LightWaveWnd> ui_;
    QTimer timer_;
    LightWaveCapture state_ = LightWaveCapture::kStopped;
    int32_t counter_ = 0;
    int32_t interval_ = 500;
    int32_t index_ = 0;
    std::array<LightWaveShownHead, kLightWaveHeads> shown_;
    std::unique_ptr<LightWaveGraphPanel> graphs_;
    std::array<HeadControls, kLightWaveHeads> heads_;
    QPushButton* startButton_ = nullptr;
    QPushButton* playBackward_ = nullptr;
    QPushButton* playForward_ = nullptr;
    QComboBox* speed_ = nullptr;
    CSlider* slider_ = nullptr;
    QLabel* frameLabel_ = nullptr;
    CLightWaveConfForm* settingsForm_ = nullptr;
    std::function<void()> redrawHook_;
    int32_t formMode_ = 0;
    bool closed_ = false;
};

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window: the live values, zero-set offsets, lamps and alarm texts of OUT1 and
// OUT2, the zero-set, timing, reset, hold and laser buttons, and a trend strip per output.
//
// A 100 ms timer counts ticks up to MeasureCycle and then starts one cycle on the measurement
// thread; no tick counts while a cycle is out, while the window is locked or hidden, or while
// a synchronous command runs. The finished cycle comes back as window message 1038 and the
// display is refreshed from the settings store. Writes run synchronously (RunSynchronous).
//
// Lifetime: the cycle goes out through a WorkerRequest; closing or destroying the window cancels
// an outstanding cycle synchronously, after which the measurement thread can no longer post to
// it; a message already queued is destroyed unread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include "base/ResultInfo.h"
#include "measurement/MeasurementCycleRequest.h"
#include "settings/SettingsImage.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/WorkerRequest.h"
#include "ui/measurement/MeasurementIds.h"
#include "ui/measurement/MeasurementRules.h"

class QAction;
class QCheckBox;
class QLabel;
class QPushButton;

namespace Ui {
class MeasurementWnd;
}

namespace zul {

class Application;

}  // namespace zul

namespace zul::ui {

class CCapabilityRollingView;
class CTrendStrip;

class CMeasurementWnd : public QMainWindow, public FormBase {
    Q_OBJECT
public:
    // parentForm: the main window (it passes the framework calls on), or null.
    CMeasurementWnd(Application& app, FormBase* parentForm, QWidget* parent = nullptr);
    ~CMeasurementWnd() override;

    // Applies the stored FormMode the first time it is called; later calls do nothing.
    void ApplySavedMode();
    // Run by the image capture button instead of emitting only imageCaptureRequested.
    void SetImageCaptureHook(std::function<void()> hook) { imageCapture_ = std::move(hook); }

    // --- Commands (buttons and menu items call these) ---
    void PressInput(InputKind kind, int output);
    void PressLaser(int head);
    void PressHold(int output);
    void ToggleOutputShown(int output);
    void SetTrendShown(bool shown);
    // The rolling capability figures under each output (a remembered view choice).
    void SetRollingShown(bool shown);

    // --- State (tests, pictures, benchmarks) ---
    OutputsShown Shown() const { return shown_; }
    bool IsHeld(int output) const { return held_[size_t(output)]; }
    bool IsCycleOutstanding() const { return cycles_.IsOut(); }
    bool IsWriteRunning() const { return writeRunning_; }
    bool IsTrendShown() const { return trendShown_; }
    int32_t CyclesCompleted() const { return cyclesCompleted_; }
    const CTrendStrip& Trend(int output) const { return *trend_[size_t(output)]; }
    bool IsRollingShown() const { return rollingShown_; }
    CCapabilityRollingView& Rolling(int output) const { return *rolling_[size_t(output)]; }
    // One timer tick and one display refresh, as the timer and message 1038 run them.
    void Tick();
    void RefreshDisplay();

signals:
    // The window has run its close steps (it is deleted afterwards when WA_DeleteOnClose is set).
    void closed();
    // The image capture button was pressed.
    void imageCaptureRequested();
    // A cycle came back (code 0: displayed).
    void cycleFinished(int code);

protected:
    void closeEvent(QCloseEvent* event) override;
    void OnUiDefinitionApplied() override;
    void RestoreFormMode(int32_t mode) override;
    std::optional<int32_t> FormModeToStore() const override;
    void OnMemoryBankChanged(int32_t oldBank, int32_t newBank) override;

private:
    struct OutputWidgets {
        QLabel* title = nullptr;
        std::array<QLabel*, 5> lamps{};  // ALARM, HI, GO, LOW, STROBE
        QLabel* value = nullptr;
        QLabel* offset = nullptr;
        QLabel* alarm = nullptr;
        std::array<QPushButton*, 3> inputs{};  // zero-set, timing, reset
        QPushButton* hold = nullptr;
        QWidget* panel = nullptr;
    };
    // The window's other controls (numbers in MeasurementIds.h).
    struct Controls {
        QPushButton* close = nullptr;
        QPushButton* imageCapture = nullptr;
        QCheckBox* linkOutputs = nullptr;  // a command on one output runs on both
        QAction* closeMenu = nullptr;
        std::array<QAction*, 2> showOutputMenu{};
    };
    struct Snapshot {
        MeasurementOutputValues values;
        int32_t bank = 0;
        int32_t dispDigit = 0;
    };

    void BuildWidgets();
    void ConnectCommands();
    void OnCycleDone(const ResultInfo& result);
    void AddCycleValues();
    void ShowCycleFailure(const ResultInfo& result);
    void StartCycle();
    void ApplyLayout();
    void UpdateDisplayMenu();
    void SetButtonsEnabled(bool enabled);
    void PaintButton(QPushButton* button, bool active);
    void PaintLamp(QLabel* lamp, bool on, bool connected);
    void RefreshConnected(int32_t bank);
    void RefreshNotConnected();
    void RefreshValues(int output, bool connected);
    void RefreshLamps(int output, bool connected);
    // Shows a value and gives it to assistive tools as the label's description.
    void ShowValueText(QLabel* label, const QString& text);
    void PaintValueText(QLabel* value, bool live);
    void ShowNotConnectedLook();
    void RunWrites(const std::vector<std::pair<TargetCommand, int32_t>>& writes);
    bool RecordEnables(const QWidget* widget) const;
    QString UnitOf(int32_t ctrlId) const;

    Application& app_;
    std::unique_ptr<Ui::MeasurementWnd> ui_;
    // The cycle out at the measurement thread (at most one).
    WorkerRequest<MeasurementCycleRequest> cycles_;
    QTimer timer_;
    std::array<OutputWidgets, 2> out_{};
    Controls controls_;
    std::array<QPushButton*, 2> lasers_{};
    std::array<CTrendStrip*, 2> trend_{};
    std::array<CCapabilityRollingView*, 2> rolling_{};
    std::array<Snapshot, 2> snapshot_{};
    std::array<bool, 2> held_{false, false};
    std::array<QStringList, 2> alarmTexts_;
    std::array<QStringList, 2> alarmTips_;
    QStringList lampStates_;
    OutputsShown shown_;
    int32_t ticks_ = 0;
    bool writeRunning_ = false;
    bool savedModeApplied_ = false;
    bool trendShown_ = false;
    bool rollingShown_ = false;
    bool closing_ = false;
    int32_t cyclesCompleted_ = 0;
    std::function<void()> imageCapture_;
};

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/measurement/MeasurementWnd.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/Application.h"
#include "base/DiagnosticLog.h"
#include "link/RequestBuilders.h"
#include "link/ThreadCommControler.h"
#include "measurement/FormatMeasuredValue.h"
#include "measurement/MeasurementCycleRequest.h"
#include "settings/MessageBox.h"
#include "settings/SettingItem.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/CapabilityFigures.h"
#include "ui/buffering/CapabilityRolling.h"
#include "ui/framework/QtText.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/UiApplier.h"
#include "ui/measurement/TrendStrip.h"
#include "ui_MeasurementWnd.h"

namespace zul::ui {

namespace {

constexpr int kValuePointSize = 28;
constexpr int kLampHeight = 12;    // pixels at 96 dpi
constexpr int kLampCharWidth = 7;  // average character width in pixels at 96 dpi
constexpr const char* kLampStatesName = "Measurement_LampStates";
constexpr int32_t kRollingDecimals = 6;  // millimetres, as the values are written

int32_t LampItemValue(const MeasurementOutputValues& v, size_t lamp) {
    switch (lamp) {
        case 0:
            return v.AlarmState;
        case 1:
            return v.HiState;
        case 2:
            return v.GoState;
        case 3:
            return v.LowState;
        default:
            return v.Strobe;
    }
}

QColor ReadableTextOn(const QColor& back) {
    return back.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace

CMeasurementWnd::CMeasurementWnd(Application& app, FormBase* parentForm, QWidget* parent)
    : QMainWindow(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      ui_(std::make_unique<Ui::MeasurementWnd>()),
      cycles_(
          this, kWmMeasurementCycleDone,
          [this](std::unique_ptr<MeasurementCycleRequest> done) { OnCycleDone(done->result); },
          [this] {
              if (CThreadMeasurement* thread = app_.Measurement()) {
                  thread->CancelMeasurementCycle();
              }
          }) {
    ui_->setupUi(this);
    BuildWidgets();
    SetPositionItems({kMeasFormTop, kMeasFormLeft, 0, 0, 0, kMeasFormMode});
    ConnectCommands();
    ApplyUiDefinition();
    ApplyLayout();
    SetTrendShown(app_.Store().GetInt<kMeasTrendShown>() != 0);
    SetRollingShown(app_.Store().GetInt<kMeasRollingShown>() != 0);
    timer_.setInterval(kMeasurementTimerMs);
    connect(&timer_, &QTimer::timeout, this, &CMeasurementWnd::Tick);
    timer_.start();
}

CMeasurementWnd::~CMeasurementWnd() {
    // Before the widgets go: a cycle out is withdrawn, messages still queued are destroyed.
    cycles_.Close();
    timer_.stop();
    app_.Store().SetInt<kMeasFormMode>(FormModeFromOutputs(shown_));
}

void CMeasurementWnd::BuildWidgets() {
    Ui::MeasurementWnd& u = *ui_;
    const std::array<QWidget*, 2> panels = {u.outputPanel1, u.outputPanel2};
    for (size_t o = 0; o < 2; ++o) {
        const MeasOutputIds& ids = kMeasOutputIds[o];
        OutputWidgets& w = out_[o];
        w.title = FindControl<QLabel>(this, ids.title);
        for (size_t l = 0; l < w.lamps.size(); ++l) {
            w.lamps[l] = FindControl<QLabel>(this, ids.lamps[l]);
        }
        w.value = FindControl<QLabel>(this, ids.value);
        w.offset = FindControl<QLabel>(this, ids.offset);
        w.alarm = FindControl<QLabel>(this, ids.alarm);
        for (size_t k = 0; k < w.inputs.size(); ++k) {
            w.inputs[k] = FindControl<QPushButton>(this, ids.inputs[k]);
        }
        w.hold = FindControl<QPushButton>(this, ids.hold);
        w.panel = panels[o];
    }
    lasers_ = {FindControl<QPushButton>(this, kMeasLaserAButton),
               FindControl<QPushButton>(this, kMeasLaserBButton)};
    controls_ = {.close = FindControl<QPushButton>(this, kMeasCloseButton),
                 .imageCapture = FindControl<QPushButton>(this, kMeasImageCaptureButton),
                 .linkOutputs = FindControl<QCheckBox>(this, kMeasLinkOutputsCheck),
                 .closeMenu = FindControl<QAction>(this, kMeasCloseMenu),
                 .showOutputMenu = {FindControl<QAction>(this, kMeasShowOut1Menu),
                                    FindControl<QAction>(this, kMeasShowOut2Menu)}};
    std::array<QWidget*, 2> hosts = {u.trendHost1, u.trendHost2};
    std::array<QWidget*, 2> rollingHosts = {u.rollingHost1, u.rollingHost2};
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    for (size_t o = 0; o < 2; ++o) {
        auto* layout = new QVBoxLayout(hosts[o]);
        layout->setContentsMargins(0, 0, 0, 0);
        trend_[o] = new CTrendStrip(hosts[o]);
        layout->addWidget(trend_[o]);
        hosts[o]->setVisible(false);
        auto* rollingLayout = new QVBoxLayout(rollingHosts[o]);
        rollingLayout->setContentsMargins(0, 0, 0, 0);
        rolling_[o] = new CCapabilityRollingView(app_.Ui(), rollingHosts[o]);
        rollingLayout->addWidget(rolling_[o]);
        rolling_[o]->WindowBox()->setValue(app_.Store().GetInt<kMeasRollingWindow>());
        rollingHosts[o]->setVisible(false);
        QFont valueFont = font();
        valueFont.setPointSize(kValuePointSize);
        out_[o].value->setFont(valueFont);
        out_[o].offset->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont lampFont = font();
        lampFont.setBold(true);
        lampFont.setPixelSize((kLampHeight * dpiY + 48) / 96);
        // Characters 7 pixels wide at 96 dpi: the font is stretched to that average width.
        const int natural = QFontMetrics(lampFont).averageCharWidth();
        if (natural > 0) {
            const int wanted = (kLampCharWidth * dpiX + 48) / 96;
            lampFont.setStretch(std::clamp(100 * wanted / natural, 50, 200));
        }
        for (QLabel* lamp : out_[o].lamps) {
            lamp->setFont(lampFont);
            lamp->setAutoFillBackground(true);
            lamp->setMinimumWidth((kLampCharWidth * 6 * dpiX + 48) / 96);  // six letters
            lamp->setFrameShape(QFrame::Box);
        }
    }
}

void CMeasurementWnd::ConnectCommands() {
    const std::array<InputKind, 3> kinds = {InputKind::kZeroSet, InputKind::kTiming,
                                            InputKind::kReset};
    for (int o = 0; o < 2; ++o) {
        for (size_t k = 0; k < 3; ++k) {
            connect(out_[size_t(o)].inputs[k], &QPushButton::clicked, this,
                    [this, kind = kinds[k], o] { PressInput(kind, o); });
        }
        connect(out_[size_t(o)].hold, &QPushButton::clicked, this, [this, o] { PressHold(o); });
        connect(lasers_[size_t(o)], &QPushButton::clicked, this, [this, o] { PressLaser(o); });
    }
    connect(controls_.close, &QPushButton::clicked, this, &QWidget::close);
    connect(controls_.closeMenu, &QAction::triggered, this, &QWidget::close);
    for (int o = 0; o < 2; ++o) {
        connect(controls_.showOutputMenu[size_t(o)], &QAction::triggered, this,
                [this, o] { ToggleOutputShown(o); });
    }
    connect(ui_->actionTrend, &QAction::toggled, this, &CMeasurementWnd::SetTrendShown);
    connect(ui_->actionRolling, &QAction::toggled, this, &CMeasurementWnd::SetRollingShown);
    for (CCapabilityRollingView* rolling : rolling_) {
        connect(rolling->WindowBox(), &QSpinBox::valueChanged, this, [this](int window) {
            // Both outputs use the same number of values; remembered as a view choice.
            app_.Store().SetInt<kMeasRollingWindow>(window);
            for (CCapabilityRollingView* each : rolling_) {
                each->WindowBox()->setValue(window);
            }
        });
    }
    connect(controls_.imageCapture, &QPushButton::clicked, this, [this] {
        emit imageCaptureRequested();
        if (imageCapture_) {
            imageCapture_();
        }
    });
}

// ---------------------------------------------------------------------------------------------
// UI definition and layout

void CMeasurementWnd::OnUiDefinitionApplied() {
    const UiDefinition& ui = app_.Ui();
    for (size_t o = 0; o < 2; ++o) {
        const UiControlRecord* record = ui.FindById(CtrlIdOf(out_[o].alarm));
        alarmTexts_[o] = record != nullptr ? CaptionList(record->caption) : QStringList{};
        alarmTips_[o] = record != nullptr ? CaptionList(record->tooltip) : QStringList{};
        // A freshly laid-out lamp shows its off-and-not-connected colour.
        for (QLabel* lamp : out_[o].lamps) {
            PaintLamp(lamp, false, false);
        }
        out_[o].alarm->clear();
        // The value's Color2 is its not-connected text colour, never a background.
        out_[o].value->setAutoFillBackground(false);
    }
    const UiControlRecord* states = ui.FindByName(kLampStatesName);
    lampStates_ = states != nullptr ? CaptionList(states->caption) : QStringList{};
    UpdateDisplayMenu();
    RefreshDisplay();
    // The records put the captions back into the value texts and the lamps off; a held output
    // shows what it holds again (the refresh above leaves held outputs alone).
    const bool connected = app_.Online();
    for (int o = 0; o < 2; ++o) {
        const bool shown = o == 0 ? shown_.out1 : shown_.out2;
        if (shown && held_[size_t(o)] && !writeRunning_) {
            RefreshValues(o, connected);
            RefreshLamps(o, connected);
        }
    }
}

void CMeasurementWnd::RestoreFormMode(int32_t /*mode*/) {
    ApplySavedMode();
}

std::optional<int32_t> CMeasurementWnd::FormModeToStore() const {
    return FormModeFromOutputs(shown_);
}

void CMeasurementWnd::ApplySavedMode() {
    if (savedModeApplied_) {
        return;
    }
    savedModeApplied_ = true;
    const OutputsShown saved = OutputsFromFormMode(app_.Store().GetInt<kMeasFormMode>());
    if (!(saved.out1 && saved.out2)) {
        shown_ = saved;
        ApplyLayout();
    }
}

void CMeasurementWnd::ToggleOutputShown(int output) {
    OutputsShown next = shown_;
    bool& flag = output == 0 ? next.out1 : next.out2;
    flag = !flag;
    if (!next.out1 && !next.out2) {
        UpdateDisplayMenu();  // the item was not available: undo its tick
        return;
    }
    shown_ = next;
    ApplyLayout();
}

void CMeasurementWnd::ApplyLayout() {
    out_[0].panel->setVisible(shown_.out1);
    out_[1].panel->setVisible(shown_.out2);
    ApplyUiDefinition();  // runs OnUiDefinitionApplied: menu state and a refresh
    if (centralWidget()->layout() != nullptr) {
        centralWidget()->layout()->activate();
    }
    adjustSize();
}

void CMeasurementWnd::UpdateDisplayMenu() {
    controls_.showOutputMenu[0]->setChecked(shown_.out1);
    controls_.showOutputMenu[1]->setChecked(shown_.out2);
    // Switching an output off must leave one shown.
    controls_.showOutputMenu[0]->setEnabled(shown_.out2 && RecordEnables(nullptr));
    controls_.showOutputMenu[1]->setEnabled(shown_.out1 && RecordEnables(nullptr));
    ui_->actionTrend->setChecked(trendShown_);
    ui_->actionRolling->setChecked(rollingShown_);
}

void CMeasurementWnd::SetTrendShown(bool shown) {
    trendShown_ = shown;
    // A view choice kept in the settings file; it never raises the save question.
    app_.Store().SetInt<kMeasTrendShown>(shown ? 1 : 0);
    ui_->trendHost1->setVisible(shown);
    ui_->trendHost2->setVisible(shown);
    ui_->actionTrend->setChecked(shown);
    adjustSize();
}

void CMeasurementWnd::SetRollingShown(bool shown) {
    rollingShown_ = shown;
    app_.Store().SetInt<kMeasRollingShown>(shown ? 1 : 0);
    ui_->rollingHost1->setVisible(shown);
    ui_->rollingHost2->setVisible(shown);
    ui_->actionRolling->setChecked(shown);
    adjustSize();
}

// The rolling figures of one bank's limits: values of another bank's process start afresh.
void CMeasurementWnd::OnMemoryBankChanged(int32_t /*oldBank*/, int32_t /*newBank*/) {
    for (CCapabilityRollingView* rolling : rolling_) {
        rolling->Clear();
    }
}

// The latest value of each output that is not held joins its trend strip and rolling figures,
// the figures against the judgement limits of the current bank (they may have been edited).
void CMeasurementWnd::AddCycleValues() {
    const MicronMode& micron = app_.Micron();
    for (size_t o = 0; o < 2; ++o) {
        if (held_[o]) {
            continue;
        }
        const double value = snapshot_[o].values.MeasureValue;
        trend_[o]->AddValue(value);
        CCapabilityRollingView& rolling = *rolling_[o];
        rolling.Model().SetLimits(BankJudgementLimits(app_.Store(), int(o)));
        rolling.SetMicronMode(micron.active ? micron.factor : 1.0,
                              micron.active ? micron.decimals : kRollingDecimals);
        rolling.Push(value);
    }
}

// ---------------------------------------------------------------------------------------------
// Timer and cycles

void CMeasurementWnd::Tick() {
    // A cycle destroyed without coming back (its post failed or was refused) is no longer out.
    if (closing_ || IsPollingLocked() || !isVisible() || cycles_.IsOut() ||
        IsSynchronousCommandRunning()) {
        return;
    }
    const int32_t cycle = std::max(1, app_.Store().GetInt<kSoftMeasureCycle>());
    if (++ticks_ < cycle) {
        return;
    }
    ticks_ = 0;
    if (app_.Online() && app_.Measurement() != nullptr) {
        StartCycle();
    } else {
        RefreshDisplay();
    }
}

void CMeasurementWnd::StartCycle() {
    // A cycle the thread cannot take is destroyed there, and is then no longer out: the next
    // period tries again.
    app_.Measurement()->StartMeasurementCycle(cycles_.Make());
}

void CMeasurementWnd::OnCycleDone(const ResultInfo& result) {
    const int32_t code = result.code;
    if (code != ZUL_OK) {
        ShowCycleFailure(result);
    } else {
        ++cyclesCompleted_;
        RefreshDisplay();
        AddCycleValues();
    }
    emit cycleFinished(code);
}

void CMeasurementWnd::ShowCycleFailure(const ResultInfo& result) {
    // The values stay as the last complete cycle left them, drawn in the colour of a value that
    // is not live and with the reason as their tooltip, so that a controller that stopped
    // answering is not taken for a steady reading. The next complete cycle restores both.
    const QString reason = ToQString(ResultText(app_.Ui(), result));
    for (size_t o = 0; o < 2; ++o) {
        if (held_[o]) {
            continue;
        }
        PaintValueText(out_[o].value, false);
        out_[o].value->setToolTip(reason);
    }
}

// ---------------------------------------------------------------------------------------------
// Display

bool CMeasurementWnd::RecordEnables(const QWidget* widget) const {
    return widget == nullptr || RecordAllowsEnabling(RecordOf(app_.Ui(), widget));
}

QString CMeasurementWnd::UnitOf(int32_t ctrlId) const {
    const UiControlRecord* record = app_.Ui().FindById(ctrlId);
    return record != nullptr ? ToQString(record->unit) : QString{};
}

void CMeasurementWnd::PaintButton(QPushButton* button, bool active) {
    const UiControlRecord* record = RecordOf(app_.Ui(), button);
    const int32_t ref = record == nullptr ? 0 : (active ? record->color2 : record->color1);
    QPalette palette = button->palette();
    if (ref != 0) {
        // A disabled button (no controller) is greyed, not in its state colour.
        const QColor back = ColorFromRef(ref);
        SetEnabledColor(palette, QPalette::Button, back);
        SetEnabledColor(palette, QPalette::ButtonText, ReadableTextOn(back));
    }
    button->setPalette(palette);
    button->setProperty("active", active);
}

void CMeasurementWnd::PaintLamp(QLabel* lamp, bool on, bool connected) {
    const UiControlRecord* record = RecordOf(app_.Ui(), lamp);
    if (record != nullptr) {
        const QColor back = ColorFromRef(LampColorRef(*record, on, connected));
        QPalette palette = lamp->palette();
        palette.setColor(QPalette::Window, back);
        palette.setColor(QPalette::WindowText, ReadableTextOn(back));
        lamp->setPalette(palette);
    }
    // The state as text too, for those who cannot tell the colours apart.
    const QString caption = record != nullptr ? CaptionText(record->caption) : lamp->text();
    const int index = LampStateIndex(on, connected);
    const QString state = index < lampStates_.size() ? lampStates_[index] : QString{};
    const QString described = state.isEmpty() ? caption : caption + ": " + state;
    lamp->setToolTip(described);
    lamp->setAccessibleName(described);
    lamp->setProperty("lampOn", on);
}

void CMeasurementWnd::RefreshDisplay() {
    if (writeRunning_) {
        return;
    }
    SettingsStore& store = app_.Store();
    int32_t bank = 0;
    bool connected = false;
    {
        auto lock = store.Lock();
        connected = app_.Online();
        bank = store.GetInt<kAppCurMemNo>();
        if (connected) {
            RefreshConnected(bank);
        }
    }
    if (!connected) {
        RefreshNotConnected();
    }
    for (int o = 0; o < 2; ++o) {
        const bool shown = o == 0 ? shown_.out1 : shown_.out2;
        if (shown && !held_[size_t(o)]) {
            RefreshValues(o, connected);
            RefreshLamps(o, connected);
        }
    }
    update();
}

void CMeasurementWnd::RefreshConnected(int32_t bank) {
    SettingsStore& store = app_.Store();
    const MeasurementWindowBlock live = store.GetMeasurementWindowBlock();
    for (size_t o = 0; o < 2; ++o) {
        const bool shown = o == 0 ? shown_.out1 : shown_.out2;
        if (!shown) {
            continue;
        }
        OutputWidgets& w = out_[o];
        Snapshot& snap = snapshot_[o];
        PaintButton(w.hold, held_[o]);
        if (held_[o]) {
            snap.values.ZeroSet = live.output[o].ZeroSet;
            snap.values.Timing = live.output[o].Timing;
        } else {
            snap.values = live.output[o];
            snap.bank = bank;
            snap.dispDigit = store.GetInt<kOutDispDigit>(bank, int32_t(o));
        }
        PaintButton(w.inputs[0], snap.values.ZeroSet == 1);
        PaintButton(w.inputs[1], snap.values.Timing == 1);
        if (!held_[o]) {
            PaintButton(w.inputs[2], snap.values.Reset == 1);
        }
        for (QPushButton* button : w.inputs) {
            button->setEnabled(RecordEnables(button));
        }
        w.hold->setEnabled(RecordEnables(w.hold));
        if (!held_[o]) {
            for (size_t l = 0; l < w.lamps.size(); ++l) {
                PaintLamp(w.lamps[l], LampItemValue(snap.values, l) != 0, true);
            }
        }
    }
    for (int head = 0; head < 2; ++head) {
        QPushButton* laser = lasers_[size_t(head)];
        PaintButton(laser, store.GetInt<kHeadLaserOff>(bank, head) == 0);
        laser->setEnabled(RecordEnables(laser));
    }
}

void CMeasurementWnd::RefreshNotConnected() {
    for (size_t o = 0; o < 2; ++o) {
        const bool shown = o == 0 ? shown_.out1 : shown_.out2;
        if (!shown) {
            continue;
        }
        for (QPushButton* button : out_[o].inputs) {
            button->setEnabled(false);
        }
        out_[o].hold->setEnabled(false);
        for (size_t l = 0; l < out_[o].lamps.size(); ++l) {
            PaintLamp(out_[o].lamps[l], out_[o].lamps[l]->property("lampOn").toBool(), false);
        }
    }
    for (QPushButton* laser : lasers_) {
        laser->setEnabled(false);
    }
}

void CMeasurementWnd::RefreshValues(int output, bool connected) {
    OutputWidgets& w = out_[size_t(output)];
    const Snapshot& snap = snapshot_[size_t(output)];
    const UiControlRecord* record = RecordOf(app_.Ui(), w.value);
    PaintValueText(w.value, connected);
    // A live value carries its record's tooltip again (a failed cycle put its reason there).
    w.value->setToolTip(record != nullptr ? ToQString(record->tooltip) : QString());
    const MicronMode& micron = app_.Micron();
    ShowValueText(w.value,
                  ToQString(FormatMeasuredValue(snap.values.MeasureValue, snap.dispDigit, micron)) +
                      UnitOf(CtrlIdOf(w.value)));
    ShowValueText(w.offset,
                  ToQString(FormatMeasuredValue(snap.values.ZeroSetVal, snap.dispDigit, micron)) +
                      UnitOf(CtrlIdOf(w.offset)));
    w.alarm->setText(AlarmListEntry(alarmTexts_[size_t(output)], snap.values.AlarmCode));
    w.alarm->setToolTip(AlarmListEntry(alarmTips_[size_t(output)], snap.values.AlarmCode));
}

void CMeasurementWnd::ShowValueText(QLabel* label, const QString& text) {
    label->setText(text);
    // Named by its record's caption, the value is what a screen reader reads as its text.
    if (const UiControlRecord* record = RecordOf(app_.Ui(), label)) {
        label->setAccessibleName(CaptionText(record->caption));
    }
    label->setAccessibleDescription(text);
}

void CMeasurementWnd::PaintValueText(QLabel* value, bool live) {
    // Color1 of the value's record while it is live, Color2 while it is not.
    const UiControlRecord* record = RecordOf(app_.Ui(), value);
    if (record == nullptr) {
        return;
    }
    const int32_t ref = live ? record->color1 : record->color2;
    QPalette palette = value->palette();
    palette.setColor(QPalette::WindowText,
                     ref != 0 ? ColorFromRef(ref) : QPalette().color(QPalette::WindowText));
    value->setPalette(palette);
}

void CMeasurementWnd::RefreshLamps(int output, bool connected) {
    OutputWidgets& w = out_[size_t(output)];
    const Snapshot& snap = snapshot_[size_t(output)];
    for (size_t l = 0; l < w.lamps.size(); ++l) {
        PaintLamp(w.lamps[l], LampItemValue(snap.values, l) != 0, connected);
    }
}

// ---------------------------------------------------------------------------------------------
// Buttons

void CMeasurementWnd::SetButtonsEnabled(bool enabled) {
    for (OutputWidgets& w : out_) {
        for (QPushButton* button : w.inputs) {
            button->setEnabled(enabled);
            button->repaint();
        }
        w.hold->setEnabled(enabled);
        w.hold->repaint();
    }
    for (QPushButton* laser : lasers_) {
        laser->setEnabled(enabled);
        laser->repaint();
    }
}

void CMeasurementWnd::RunWrites(const std::vector<std::pair<TargetCommand, int32_t>>& writes) {
    if (writeRunning_ || IsSynchronousCommandRunning() || app_.CommControler() == nullptr) {
        return;
    }
    writeRunning_ = true;
    SetButtonsEnabled(false);
    CThreadCommControler* comm = app_.CommControler();
    // A failed write shows no box: the next cycle shows the state the controller has. The log
    // keeps why.
    ResultInfo result;
    if (RunSynchronous(
            [comm, writes](ResultInfo* info) {
                int32_t code = ZUL_OK;
                for (const auto& [command, value] : writes) {
                    code = WriteWord(*comm, info, command.command, command.target, value);
                }
                return code;
            },
            &result) != ZUL_OK) {
        LogFailure(LogLevel::kWarn, "measurement", "write from the measurement window", result);
    }
    writeRunning_ = false;
    SetButtonsEnabled(true);
    RefreshDisplay();
}

void CMeasurementWnd::PressInput(InputKind kind, int output) {
    if (writeRunning_) {
        return;
    }
    const size_t o = size_t(output);
    int32_t present = 0;
    switch (kind) {
        case InputKind::kZeroSet:
            present = snapshot_[o].values.ZeroSet;
            break;
        case InputKind::kTiming:
            present = snapshot_[o].values.Timing;
            break;
        case InputKind::kReset:
            // The live state: a held snapshot keeps an old reset state.
            present = app_.Store().GetInt<kMeasReset>(output);
            break;
    }
    const int32_t value = ToggledInputValue(present);
    std::vector<std::pair<TargetCommand, int32_t>> writes = {
        {InputWriteCommand(kind, output), value}};
    if (controls_.linkOutputs->isChecked()) {
        writes.push_back({InputWriteCommand(kind, 1 - output), value});
    }
    RunWrites(writes);
}

void CMeasurementWnd::PressLaser(int head) {
    if (writeRunning_) {
        return;
    }
    SettingsStore& store = app_.Store();
    int32_t laserOff = 0;
    {
        auto lock = store.Lock();
        laserOff = store.GetInt<kHeadLaserOff>(store.GetInt<kAppCurMemNo>(), head);
    }
    RunWrites({{LaserWriteCommand(head), ToggledInputValue(laserOff)}});
}

void CMeasurementWnd::PressHold(int output) {
    const size_t o = size_t(output);
    held_[o] = !held_[o];
    if (controls_.linkOutputs->isChecked()) {
        held_[1 - o] = held_[o];
    }
    for (size_t i = 0; i < 2; ++i) {
        PaintButton(out_[i].hold, held_[i]);
    }
}

// ---------------------------------------------------------------------------------------------
// Close

void CMeasurementWnd::closeEvent(QCloseEvent* event) {
    if (writeRunning_) {
        // The write's wait runs inside this window's button handler.
        event->ignore();
        return;
    }
    closing_ = true;
    cycles_.Cancel();
    timer_.stop();
    TakeControlValues();
    app_.Store().SetInt<kMeasFormMode>(FormModeFromOutputs(shown_));
    emit closed();
    QMainWindow::closeEvent(event);
}

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/PageOutput.h"

#include "app/Application.h"
#include "settings/SettingItem.h"
#include "ui/adjust/AdjustOpeners.h"
#include "ui/forms/OutputOptionsForm.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/MainControls.h"
#include "ui_PageOutput.h"

namespace zul::ui {

namespace {

// OutPattern values whose calculation uses a measurement target (thickness, step, ...).
bool PatternHasTarget(int32_t outPattern) {
    return outPattern >= 8 && outPattern <= 11;
}

}  // namespace

CPageOutput::CPageOutput(Application& app, FormBase* parentForm, int32_t output, PageHooks hooks,
                         QWidget* parent)
    : CPageBase(app, parentForm, output, std::move(hooks), parent),
      ui_(std::make_unique<Ui::PageOutput>()) {
    ui_->setupUi(this);
    connect(FindControl<QPushButton>(this, kOutScalingButton), &QPushButton::clicked, this,
            &CPageOutput::OpenScaling);
    connect(FindControl<QPushButton>(this, kOutOptionsButton), &QPushButton::clicked, this,
            &CPageOutput::OpenOutputOptions);
    SetBindings(
        {
            {1134, kOutOutPattern, BindKind::kList},
            {1635, kOutMeasureWork, BindKind::kList},
            {1138, kOutReflectionCalc, BindKind::kList},
            {1645, kOutReflectionRate, BindKind::kRealEdit},
            {1753, kOutZeroSetSend, BindKind::kCheck},
            {1154, kOutMeasureMode, BindKind::kMeasureMode},
            {1654, kOutFilterSelect, BindKind::kList},
            {1617, kOutAverageTimes, BindKind::kList},
            {1152, kOutCutOffCycle, BindKind::kList},
            {1174, kOutOffsetInput, BindKind::kRealEdit},
            {1142, kOutDecisionMax, BindKind::kRealEdit},
            {1035, kOutDecisionMin, BindKind::kRealEdit},
            {1146, kOutDecisionHisMax, BindKind::kRealEdit},
            {1039, kOutDecisionHisMin, BindKind::kRealEdit},
            {1644, kOutAnalogOutOnAlarm, BindKind::kList},
            {1169, kOutFixedValueInput, BindKind::kRealEdit},
            {1031, kOutAnalogOutOnUnfixed, BindKind::kRealEdit},
            {1647, kOutDegitalOutOnAlarm, BindKind::kList},
            {1650, kOutAlarmDelayChange, BindKind::kList},
            {1651, kOutDispDigit, BindKind::kList},
            {2032, kOutCalcRef, BindKind::kRealEdit},
        },
        {
            {1601, kOutZeroSet, "%ld", 1601},
            {1622, kOutZeroSetVal, "%0.6lf", 1622},
            {1597, kOutSCALING_MeasureValue1, "%0.6lf", 1398},
            {1598, kOutSCALING_MeasureValue2, "%0.6lf", 1034},
            {1668, kOutSCALING_VoltageValue1, "%0.3lf", 1400},
            {1672, kOutSCALING_VoltageValue2, "%0.3lf", 1036},
        });
}

CPageOutput::~CPageOutput() = default;

void CPageOutput::ApplyRules() {
    const bool target = PatternHasTarget(SelectedValue(kOutPatternList));
    SetRuleEnabled(kOutMeasureWorkList, target);
    SetRuleEnabled(kOutReflectionCalcList, target);
    SetRuleEnabled(kOutReflectionRateEdit, target);
    const int32_t filter = SelectedValue(kOutFilterList);
    SetRuleEnabled(kOutAverageTimesList, filter == 0);
    SetRuleEnabled(kOutCutOffCycleList, filter == 1 || filter == 2);
    SetRuleEnabled(kOutFixedValueEdit, SelectedValue(kOutAnalogOnAlarmList) == 1);
}

std::vector<QAbstractButton*> CPageOutput::OnlineButtons() const {
    return {FindControl<QPushButton>(this, kOutScalingButton)};
}

void CPageOutput::OnControlEdited(int32_t ctrlId) {
    if (ctrlId == kOutPatternList || ctrlId == kOutMeasureWorkList) {
        WriteNow(ctrlId);
        if (Hooks().redrawPictures) {
            Hooks().redrawPictures();
        }
    }
}

void CPageOutput::OpenScaling() {
    if (RunScalingForm(App(), this, Boxes(), Index())) {
        RefreshValueLabels();
    }
}

void CPageOutput::OpenOutputOptions() {
    RunOutputOptionsForm(App(), this, Bank(), Index());
}

}  // namespace zul::ui

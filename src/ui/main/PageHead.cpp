// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/PageHead.h"

#include "app/Application.h"
#include "settings/SettingItem.h"
#include "ui/adjust/AdjustOpeners.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/MainControls.h"
#include "ui_PageHead.h"

namespace zul::ui {

namespace {

// The peak-search cells need the firmware of entry 8 of the version threshold list.
constexpr size_t kPeakSearchThresholdEntry = 7;

}  // namespace

CPageHead::CPageHead(Application& app, FormBase* parentForm, int32_t head, PageHooks hooks,
                     QWidget* parent)
    : CPageBase(app, parentForm, head, std::move(hooks), parent),
      ui_(std::make_unique<Ui::PageHead>()) {
    ui_->setupUi(this);
    connect(FindControl<QPushButton>(this, kHeadCalibrationButton), &QPushButton::clicked, this,
            &CPageHead::OpenCalibration);
    connect(FindControl<QPushButton>(this, kHeadFloodLightButton), &QPushButton::clicked, this,
            &CPageHead::OpenFloodLight);
    SetBindings(
        {
            {1109, kHeadSetupMode, BindKind::kList},
            {1948, kHeadFloodLightAjust, BindKind::kList},
            {1111, kHeadAlarmDelayTimes, BindKind::kIntEdit},
            {1932, kHeadHMeasureMode, BindKind::kList},
            {1113, kHeadOpticalFilter, BindKind::kList},
            {1616, kHeadMeasureWorkBasis, BindKind::kList},
            {1115, kHeadDetectLevel, BindKind::kList},
            {1721, kHeadLaserOff, BindKind::kList},
            {2031, kHeadPeakLevel, BindKind::kIntEdit},
            {2059, kHeadPeakSearchCellA, BindKind::kIntEdit},
            {2062, kHeadPeakSearchCellB, BindKind::kIntEdit},
            {2066, kHeadMedianFilterSize, BindKind::kList},
            {2069, kHeadPsACell, BindKind::kIntEdit},
            {2072, kHeadPsBCell, BindKind::kIntEdit},
        },
        {
            {1123, kHeadCALIB_MeasureValue1, "%0.6lf", 1364},
            {1125, kHeadCALIB_CorrectValue1, "%0.6lf", 1366},
            {1127, kHeadCALIB_MeasureValue2, "%0.6lf", 1369},
            {1129, kHeadCALIB_CorrectValue2, "%0.6lf", 1371},
        });
}

CPageHead::~CPageHead() = default;

void CPageHead::ApplyRules() {
    const bool peakSearch = App().IsVersionAtLeast(kPeakSearchThresholdEntry) &&
                            SelectedValue(kHeadFloodLightList) == 0;
    SetRuleEnabled(kHeadPeakSearchStartEdit, peakSearch);
    SetRuleEnabled(kHeadPeakSearchEndEdit, peakSearch);
}

std::vector<QAbstractButton*> CPageHead::OnlineButtons() const {
    return {FindControl<QPushButton>(this, kHeadCalibrationButton),
            FindControl<QPushButton>(this, kHeadFloodLightButton)};
}

void CPageHead::OnControlEdited(int32_t ctrlId) {
    switch (ctrlId) {
        case kHeadSetupModeList:
        case kHeadMeasureWorkBasisList:
            WriteNow(ctrlId);
            if (Hooks().redrawPictures) {
                Hooks().redrawPictures();
            }
            break;
        case kHeadPeakLevelEdit:
        case kHeadFloodLightList:  // the peak-search rule ran with the page's rules
            WriteNow(ctrlId);
            if (Hooks().lightWaveChanged) {
                Hooks().lightWaveChanged();
            }
            break;
        default:
            break;
    }
}

void CPageHead::OpenCalibration() {
    if (RunCalibrationForm(App(), this, Boxes(), Index())) {
        RefreshValueLabels();
    }
}

void CPageHead::OpenFloodLight() {
    RunFloodLightForm(App(), this, Boxes(), Index());
    // The search stored its result (when it got one) in the bank in use.
    RefreshControl(1948);
    ApplyRules();
}

}  // namespace zul::ui

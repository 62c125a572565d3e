// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/adjust/AdjustPointsForm.h"

#include <algorithm>

#include "app/Application.h"
#include "link/Commands.h"
#include "link/RequestBuilders.h"
#include "link/ThreadCommControler.h"
#include "settings/MessageBox.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/adjust/AdjustIds.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtText.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/PageMicron.h"
#include "ui_AdjustPointsForm.h"

namespace zul::ui {

namespace {

// Control numbers, items and decimals of one kind of form; rows are MV1, second 1, MV2,
// second 2 (second = voltage or correct value).
struct FormIds {
    int32_t window;
    int32_t targetCaption;
    std::array<int32_t, 4> edits;
    std::array<int32_t, 4> items;
    std::array<int, 4> decimals;
    std::array<int32_t, 2> takeButtons;
    int32_t invalidCode;
    int32_t alarmCode;
    FormPositionItems position;
};

const FormIds& IdsOf(AdjustKind kind) {
    static const FormIds scaling{kScalingWindow,
                                 kScalingOutputCaption,
                                 {kScalingMeasureValue1Edit, kScalingVoltageValue1Edit,
                                  kScalingMeasureValue2Edit, kScalingVoltageValue2Edit},
                                 {kOutSCALING_MeasureValue1, kOutSCALING_VoltageValue1,
                                  kOutSCALING_MeasureValue2, kOutSCALING_VoltageValue2},
                                 {6, 3, 6, 3},
                                 {kScalingTake1Button, kScalingTake2Button},
                                 ZUL_ERR_BAD_SCALING,
                                 ZUL_ERR_SCALING_ALARM,
                                 {kScalingFormTop, kScalingFormLeft, 0, 0, 0, 0}};
    static const FormIds calibration{kCalibWindow,
                                     kCalibHeadCaption,
                                     {kCalibMeasureValue1Edit, kCalibCorrectValue1Edit,
                                      kCalibMeasureValue2Edit, kCalibCorrectValue2Edit},
                                     {kHeadCALIB_MeasureValue1, kHeadCALIB_CorrectValue1,
                                      kHeadCALIB_MeasureValue2, kHeadCALIB_CorrectValue2},
                                     {6, 6, 6, 6},
                                     {kCalibTake1Button, kCalibTake2Button},
                                     ZUL_ERR_BAD_CALIB,
                                     ZUL_ERR_CALIB_ALARM,
                                     {kCalibFormTop, kCalibFormLeft, 0, 0, 0, 0}};
    return kind == AdjustKind::kScaling ? scaling : calibration;
}

bool AllPresent(const AdjustPoints& p) {
    return p.measure1 && p.measure2 && p.second1 && p.second2;
}

}  // namespace

CAdjustPointsForm::CAdjustPointsForm(Application& app, AdjustKind kind, int32_t index,
                                     const AdjustPoints& start, QWidget* parent)
    : QDialog(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}),
      app_(app),
      kind_(kind),
      index_(index),
      ui_(std::make_unique<Ui::AdjustPointsForm>()),
      boxes_(this) {
    ui_->setupUi(this);
    const FormIds& ids = IdsOf(kind_);
    SetPositionItems(ids.position);
    SetCtrlId(this, ids.window);
    SetCtrlId(ui_->lblTarget, ids.targetCaption);
    edits_ = {ui_->edit0, ui_->edit1, ui_->edit2, ui_->edit3};
    for (size_t row = 0; row < edits_.size(); ++row) {
        SetCtrlId(edits_[row], ids.edits[row]);
    }
    SetCtrlId(ui_->take0, ids.takeButtons[0]);
    SetCtrlId(ui_->take1, ids.takeButtons[1]);
    SetCtrlId(ui_->okButton, kAdjustOkButton);
    SetCtrlId(ui_->cancelButton, kAdjustCancelButton);
    ui_->valueTarget->setText(kind_ == AdjustKind::kScaling
                                  ? QString::number(index_ + 1)
                                  : QString(QChar(static_cast<char16_t>(u'A' + index_))));

    connect(ui_->take0, &QPushButton::clicked, this, [this] { TakeCurrentValue(0); });
    connect(ui_->take1, &QPushButton::clicked, this, [this] { TakeCurrentValue(1); });
    connect(ui_->okButton, &QPushButton::clicked, this, &CAdjustPointsForm::Apply);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &CAdjustPointsForm::reject);

    ApplyUiDefinition();
    const std::array<std::optional<double>, 4> values = {start.measure1, start.second1,
                                                         start.measure2, start.second2};
    for (size_t row = 0; row < edits_.size(); ++row) {
        if (values[row]) {
            edits_[row]->SetRealValue(*values[row] * LengthScaleOf(app_, ids.edits[row]).factor);
        }
    }
}

CAdjustPointsForm::~CAdjustPointsForm() = default;

void CAdjustPointsForm::OnUiDefinitionApplied() {
    const FormIds& ids = IdsOf(kind_);
    const std::array<QLabel*, 4> captions = {ui_->lbl0, ui_->lbl1, ui_->lbl2, ui_->lbl3};
    const std::array<QLabel*, 4> units = {ui_->unit0, ui_->unit1, ui_->unit2, ui_->unit3};
    const QFontMetrics metrics(font());
    for (size_t row = 0; row < edits_.size(); ++row) {
        const UiControlRecord* record = app_.Ui().FindById(ids.edits[row]);
        captions[row]->setText(record != nullptr ? CaptionText(record->caption) : QString());
        captions[row]->setBuddy(edits_[row]);
        units[row]->setText(record != nullptr ? ToQString(record->unit) : QString());
        edits_[row]->SetDecimals(ids.decimals[row]);
        ScaleEdit(*edits_[row], LengthScaleOf(app_, ids.edits[row]));
        // An 11-character field.
        edits_[row]->setMinimumWidth(metrics.horizontalAdvance(QString(12, QLatin1Char('0'))));
    }
    ApplyAccessibleNames(this);
    const bool online = app_.Online();
    for (QPushButton* take : {ui_->take0, ui_->take1}) {
        take->setEnabled(online && RecordAllowsEnabling(app_.Ui(), CtrlIdOf(take)));
    }
}

AdjustPoints CAdjustPointsForm::Points() const {
    const FormIds& ids = IdsOf(kind_);
    // The fields of lengths hold micrometres in micron mode; the points are millimetres.
    auto value = [this, &ids](size_t row) -> std::optional<double> {
        const auto shown = edits_[row]->RealValue();
        if (!shown) {
            return std::nullopt;
        }
        return *shown / LengthScaleOf(app_, ids.edits[row]).factor;
    };
    AdjustPoints points;
    points.measure1 = value(0);
    points.second1 = value(1);
    points.measure2 = value(2);
    points.second2 = value(3);
    return points;
}

void CAdjustPointsForm::SetBusy(bool busy) {
    busy_ = busy;
    EnableForm(!busy);
}

void CAdjustPointsForm::TakeCurrentValue(int point) {
    CThreadCommControler* comm = app_.CommControler();
    if (busy_ || comm == nullptr || !app_.Online()) {
        return;
    }
    SetBusy(true);
    double read = 0.0;
    ResultInfo result;
    const int32_t target = OutputTarget(index_);
    const int32_t code = RunSynchronous(
        [comm, target, &read](ResultInfo* info) {
            return ReadReal(*comm, info, cmd::kReadMeasuredValue, target, &read);
        },
        &result);
    SetBusy(false);
    if (code != ZUL_OK) {
        ReportResult(boxes_, app_.Ui(), result);
        return;
    }
    const FormIds& ids = IdsOf(kind_);
    const size_t row = point == 0 ? 0 : 2;
    const int32_t item = ids.items[row];
    bool invalid = false;
    {
        // The value is range-checked where it is stored; one that fails is not kept, so the
        // store never holds a value the controller would refuse.
        SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        const int32_t bank = store.GetInt<kAppCurMemNo>();
        const double before = store.GetDouble(item, bank, index_);
        store.SetDouble(item, read, bank, index_);
        invalid = store.IsItemInvalid(app_.Ui(), item, bank, index_);
        if (invalid) {
            store.SetDouble(item, before, bank, index_);
        }
    }
    if (invalid) {
        SetResult(&result, ids.alarmCode);
        ReportResult(boxes_, app_.Ui(), result);
        return;
    }
    edits_[row]->SetRealValue(read * LengthScaleOf(app_, ids.edits[row]).factor);
}

void CAdjustPointsForm::Apply() {
    CThreadCommControler* comm = app_.CommControler();
    if (busy_ || comm == nullptr) {
        return;
    }
    const FormIds& ids = IdsOf(kind_);
    const AdjustPoints points = Points();
    ResultInfo result;
    if (!AllPresent(points)) {
        // A field without a number would let the controller execute on other values than the
        // ones shown; nothing is sent.
        SetResult(&result, ids.invalidCode);
        ReportResult(boxes_, app_.Ui(), result);
        return;
    }
    std::array<double, 4> before{};
    {
        const SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        const int32_t bank = store.GetInt<kAppCurMemNo>();
        for (size_t row = 0; row < before.size(); ++row) {
            before[row] = store.GetDouble(ids.items[row], bank, index_);
        }
    }
    SetBusy(true);
    SettingsStore& store = app_.Store();
    const UiDefinition& ui = app_.Ui();
    const AdjustKind kind = kind_;
    const int32_t index = index_;
    const int32_t code = RunSynchronous(
        [comm, &store, &ui, kind, index, &points](ResultInfo* info) {
            return ApplyAdjustment(*comm, store, ui, kind, index, points, info);
        },
        &result);
    SetBusy(false);
    if (code != ZUL_OK) {
        if (code == ZUL_ERR_RANGE) {
            RestoreInvalidValues(before);
        }
        ReportResult(boxes_, app_.Ui(), result);
        return;
    }
    // The controller executed these very values; they were a valid set.
    if (points.IsValid()) {
        accept();
        return;
    }
    SetResult(&result, ids.invalidCode);
    ReportResult(boxes_, app_.Ui(), result);
}

void CAdjustPointsForm::RestoreInvalidValues(const std::array<double, 4>& before) {
    const FormIds& ids = IdsOf(kind_);
    SettingsStore& store = app_.Store();
    auto lock = store.Lock();
    const int32_t bank = store.GetInt<kAppCurMemNo>();
    for (size_t row = 0; row < before.size(); ++row) {
        if (store.IsItemInvalid(app_.Ui(), ids.items[row], bank, index_)) {
            store.SetDouble(ids.items[row], before[row], bank, index_);
        }
    }
}

void CAdjustPointsForm::reject() {
    if (busy_) {
        return;
    }
    if (kind_ == AdjustKind::kCalibration) {
        if (CThreadCommControler* comm = app_.CommControler()) {
            CancelAdjustment(*comm, kind_, index_);
        }
    }
    QDialog::reject();
}

}  // namespace zul::ui

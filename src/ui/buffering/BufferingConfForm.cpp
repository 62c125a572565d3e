// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingConfForm.h"

#include <QCheckBox>
#include <QLabel>

#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingIds.h"
#include "ui/buffering/BufferingSettingsPage.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtText.h"
#include "ui_BufferingConfForm.h"

namespace zul::ui {

namespace {

// The fields of one output, in the order of the rows.
constexpr std::array<int32_t, 6> kLineFieldIds = {
    kBufVerticalMeasureDispCheck,   kBufVerticalMeasureTopEdit,    kBufVerticalMeasureBottomEdit,
    kBufHorizontalMeasureDispCheck, kBufHorizontalMeasureLeftEdit, kBufHorizontalMeasureRightEdit};

}  // namespace

MeasureLines LoadMeasureLines(const SettingsStore& store, int output) {
    auto lock = store.Lock();
    MeasureLines lines;
    lines.verticalOn = store.GetInt<kBufConfVerticalMeasureDisp>(output) != 0;
    lines.verticalTop = store.GetDouble<kBufConfVerticalMeasureTop>(output);
    lines.verticalBottom = store.GetDouble<kBufConfVerticalMeasureBottom>(output);
    lines.horizontalOn = store.GetInt<kBufConfHorizontalMeasureDisp>(output) != 0;
    lines.horizontalLeft = store.GetInt<kBufConfHorizontalMeasureLeft>(output);
    lines.horizontalRight = store.GetInt<kBufConfHorizontalMeasureRight>(output);
    return lines;
}

void StoreMeasureLines(SettingsStore& store, int output, const MeasureLines& lines) {
    auto lock = store.Lock();
    store.SetInt<kBufConfVerticalMeasureDisp>(lines.verticalOn ? 1 : 0, output);
    store.SetDouble<kBufConfVerticalMeasureTop>(lines.verticalTop, output);
    store.SetDouble<kBufConfVerticalMeasureBottom>(lines.verticalBottom, output);
    store.SetInt<kBufConfHorizontalMeasureDisp>(lines.horizontalOn ? 1 : 0, output);
    store.SetInt<kBufConfHorizontalMeasureLeft>(lines.horizontalLeft, output);
    store.SetInt<kBufConfHorizontalMeasureRight>(lines.horizontalRight, output);
}

CBufferingConfForm::CBufferingConfForm(const FormContext& context, FormBase* parentForm,
                                       QWidget* parent)
    : QDialog(parent),
      FormBase(this, context, parentForm),
      ui_(std::make_unique<Ui::BufferingConfForm>()) {
    ui_->setupUi(this);
    setModal(false);
    Ui::BufferingConfForm& u = *ui_;
    for (int o = 0; o < 2; ++o) {
        fields_[size_t(o)] = {
            FindOutputControl<QCheckBox>(this, kBufVerticalMeasureDispCheck, o),
            FindOutputControl<CNumericEdit>(this, kBufVerticalMeasureTopEdit, o),
            FindOutputControl<CNumericEdit>(this, kBufVerticalMeasureBottomEdit, o),
            FindOutputControl<QCheckBox>(this, kBufHorizontalMeasureDispCheck, o),
            FindOutputControl<CNumericEdit>(this, kBufHorizontalMeasureLeftEdit, o),
            FindOutputControl<CNumericEdit>(this, kBufHorizontalMeasureRightEdit, o)};
    }
    for (OutputFields& f : fields_) {
        connect(f.verticalOn, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
        connect(f.horizontalOn, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    }
    connect(u.btnApply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(u.btnCloseConf, &QPushButton::clicked, this, &QWidget::close);
    SetPositionItems({kBufConfFormTop, kBufConfFormLeft});
    ApplyUiDefinition();
    Load();
}

CBufferingConfForm::~CBufferingConfForm() = default;

void CBufferingConfForm::OnUiDefinitionApplied() {
    const UiDefinition* ui = Context().ui;
    if (ui == nullptr) {
        return;
    }
    // Row labels carry the caption of their field; the column titles are the output titles.
    for (int32_t id : kLineFieldIds) {
        QLabel* label = CaptionLabelOf(*this, FindControl(this, id));
        const UiControlRecord* record = ui->FindById(id);
        if (label != nullptr && record != nullptr) {
            label->setText(CaptionText(record->caption));
        }
    }
    for (int o = 0; o < 2; ++o) {
        const UiControlRecord* title =
            ui->FindById(o == 0 ? kBufOut1TitleRecord : kBufOut2TitleRecord);
        (o == 0 ? ui_->lblOut1 : ui_->lblOut2)
            ->setText(title != nullptr ? CaptionText(title->caption) : QString());
    }
    for (OutputFields& f : fields_) {
        f.verticalOn->setText(QString());
        f.horizontalOn->setText(QString());
    }
    UpdateEnabled();
}

void CBufferingConfForm::Load() {
    if (Context().store == nullptr) {
        return;
    }
    for (int o = 0; o < 2; ++o) {
        const MeasureLines lines = LoadMeasureLines(*Context().store, o);
        OutputFields& f = fields_[size_t(o)];
        f.verticalOn->setChecked(lines.verticalOn);
        f.top->SetRealValue(lines.verticalTop);
        f.bottom->SetRealValue(lines.verticalBottom);
        f.horizontalOn->setChecked(lines.horizontalOn);
        f.left->SetIntValue(lines.horizontalLeft);
        f.right->SetIntValue(lines.horizontalRight);
    }
    UpdateEnabled();
}

bool CBufferingConfForm::Apply() {
    if (Context().store == nullptr) {
        return false;
    }
    std::array<MeasureLines, 2> all{};
    for (size_t o = 0; o < 2; ++o) {
        const OutputFields& f = fields_[o];
        const auto top = f.top->RealValue();
        const auto bottom = f.bottom->RealValue();
        const auto left = f.left->IntValue();
        const auto right = f.right->IntValue();
        if (!top || !bottom || !left || !right || !f.top->IsInRange() || !f.bottom->IsInRange() ||
            !f.left->IsInRange() || !f.right->IsInRange()) {
            return false;
        }
        all[o] = {f.verticalOn->isChecked(),   *top,  *bottom,
                  f.horizontalOn->isChecked(), *left, *right};
    }
    for (int o = 0; o < 2; ++o) {
        StoreMeasureLines(*Context().store, o, all[size_t(o)]);
    }
    emit linesChanged();
    return true;
}

void CBufferingConfForm::UpdateEnabled() {
    for (OutputFields& f : fields_) {
        f.top->setEnabled(f.verticalOn->isChecked());
        f.bottom->setEnabled(f.verticalOn->isChecked());
        f.left->setEnabled(f.horizontalOn->isChecked());
        f.right->setEnabled(f.horizontalOn->isChecked());
    }
}

}  // namespace zul::ui

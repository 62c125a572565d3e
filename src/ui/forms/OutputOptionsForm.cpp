// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/OutputOptionsForm.h"

#include <QComboBox>
#include <QLabel>

#include "app/Application.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/adjust/AdjustOpeners.h"
#include "ui/forms/FormControls.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtText.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/PageMicron.h"
#include "ui_OutputOptionsForm.h"

namespace zul::ui {

namespace {

bool IsReal(int32_t item) {
    return kSettingItems[item - 1].valueType == kValueReal;
}

}  // namespace

COutputOptionsForm::COutputOptionsForm(Application& app, int32_t bank, int32_t output,
                                       QWidget* parent)
    : QDialog(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}),
      app_(app),
      bank_(bank),
      output_(output),
      ui_(std::make_unique<Ui::OutputOptionsForm>()),
      copy_{{{kOutTriggerSelect, 1380, 0.0},
             {kOutOuterTriggerSelect, 1384, 0.0},
             {kOutInnerTriggerEdge, 1382, 0.0},
             {kOutInnerTriggerLevel, 1386, 0.0},
             {kOutInnerTriggerHis, 1388, 0.0},
             {kOutTriggerDelay, 1390, 0.0},
             {kOutTriggerSampleTerm, 1038, 0.0},
             {kOutCycleTriggerTerm, 1393, 0.0}}} {
    ui_->setupUi(this);
    {
        const SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        for (Option& option : copy_) {
            option.value = IsReal(option.item) ? store.GetDouble(option.item, bank_, output_)
                                               : store.GetInt(option.item, bank_, output_);
        }
    }
    connect(FindControl<QPushButton>(this, kOptionsOkButton), &QPushButton::clicked, this,
            &COutputOptionsForm::accept);
    connect(FindControl<QPushButton>(this, kOptionsCancelButton), &QPushButton::clicked, this,
            &COutputOptionsForm::reject);
    ApplyUiDefinition();
    ShowCopy();
}

COutputOptionsForm::~COutputOptionsForm() = default;

void COutputOptionsForm::OnUiDefinitionApplied() {
    for (const Option& option : copy_) {
        const UiControlRecord* record = app_.Ui().FindById(option.ctrlId);
        auto* caption = findChild<QLabel*>(QStringLiteral("lbl%1").arg(option.ctrlId));
        auto* unit = findChild<QLabel*>(QStringLiteral("unit%1").arg(option.ctrlId));
        if (caption != nullptr) {
            caption->setText(record != nullptr ? CaptionText(record->caption) : QString());
            caption->setBuddy(FindControl<QWidget>(this, option.ctrlId));
        }
        if (unit != nullptr) {
            unit->setText(record != nullptr ? ToQString(record->unit) : QString());
        }
        if (auto* edit = FindControl<CNumericEdit>(this, option.ctrlId)) {
            ScaleEdit(*edit, LengthScaleOf(app_, option.ctrlId));
        }
    }
    ApplyAccessibleNames(this);
}

void COutputOptionsForm::ShowCopy() {
    for (const Option& option : copy_) {
        QWidget* control = FindControl<QWidget>(this, option.ctrlId);
        if (auto* box = qobject_cast<QComboBox*>(control)) {
            FillChoiceList(option.ctrlId, box, static_cast<int32_t>(option.value));
        } else if (auto* edit = qobject_cast<CNumericEdit*>(control)) {
            if (IsReal(option.item)) {
                edit->SetRealValue(option.value * LengthScaleOf(app_, option.ctrlId).factor);
            } else {
                edit->SetIntValue(static_cast<int32_t>(option.value));
            }
        }
    }
}

void COutputOptionsForm::TakeIntoCopy() {
    for (Option& option : copy_) {
        QWidget* control = FindControl<QWidget>(this, option.ctrlId);
        if (auto* box = qobject_cast<QComboBox*>(control)) {
            if (box->currentIndex() >= 0) {
                option.value = SelectedChoiceValue(box);
            }
        } else if (auto* edit = qobject_cast<CNumericEdit*>(control)) {
            if (IsReal(option.item)) {
                if (const auto value = edit->RealValue()) {
                    option.value = *value / LengthScaleOf(app_, option.ctrlId).factor;
                }
            } else if (const auto value = edit->IntValue()) {
                option.value = *value;
            }
        }
    }
}

void COutputOptionsForm::accept() {
    TakeIntoCopy();
    {
        SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        for (const Option& option : copy_) {
            if (IsReal(option.item)) {
                store.SetDouble(option.item, option.value, bank_, output_);
            } else {
                store.SetInt(option.item, static_cast<int32_t>(option.value), bank_, output_);
            }
        }
    }
    QDialog::accept();
}

bool RunOutputOptionsForm(Application& app, QWidget* /*parent*/, int32_t bank, int32_t output) {
    COutputOptionsForm form(app, bank, output);
    return RunModalOverDisabledWindows(form, form) == QDialog::Accepted;
}

}  // namespace zul::ui

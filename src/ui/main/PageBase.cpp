// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/PageBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include "app/Application.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtText.h"
#include "ui/framework/RadioChoice.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/PageMicron.h"

namespace zul::ui {

namespace {

const SettingItem& ItemOf(int32_t id) {
    return kSettingItems[id - 1];
}

bool IsCounted(int32_t id) {
    return id >= kFirstItemId && id <= kLastItemId && ItemOf(id).storageClass == kStorageCounted;
}

// Half a unit of the last decimal shown: two reals closer than this look the same.
double Tolerance(int decimals) {
    return 0.5 * std::pow(10.0, -std::clamp(decimals, 0, 15));
}

QString Formatted(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return QString::fromLatin1(buffer);
}

// A caption as read aloud: mnemonic marks removed ("&&" stands for one ampersand).
QString SpokenCaption(const QString& caption) {
    QString spoken;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && ++i >= caption.size()) {
            break;
        }
        spoken += caption[i];
    }
    return spoken.trimmed();
}

QString FormattedInt(const char* format, int32_t value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, static_cast<long>(value));
    return QString::fromLatin1(buffer);
}

}  // namespace

CPageBase::CPageBase(Application& app, FormBase* parentForm, int32_t index, PageHooks hooks,
                     QWidget* parent)
    : QWidget(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      index_(index),
      hooks_(std::move(hooks)),
      boxes_(this) {
    const SettingsStore& store = app_.Store();
    bank_ = std::clamp(store.GetInt<kAppCurMemNo>(), 0, kBankCount - 1);
}

CPageBase::~CPageBase() = default;

void CPageBase::SetBindings(std::vector<PageBinding> bindings, std::vector<PageValueLabel> labels) {
    labels_ = std::move(labels);
    bound_.clear();
    for (const PageBinding& binding : bindings) {
        Bound bound;
        bound.binding = binding;
        const QString id = QString::number(binding.ctrlId);
        if (binding.kind == BindKind::kMeasureMode) {
            bound.control = FindControl<QComboBox>(this, kMeasureModeList);
            for (int32_t radio = kMeasureModeRadioFirst; radio <= kMeasureModeRadioLast; ++radio) {
                if (auto* button = FindControl<QAbstractButton>(this, radio)) {
                    bound.radios.push_back(button);
                }
            }
        } else {
            bound.control = findChild<QWidget*>(QStringLiteral("ctrl") + id);
        }
        // The measurement mode is captioned at its list, the control that offers every mode.
        const QString captioned =
            binding.kind == BindKind::kMeasureMode ? QString::number(kMeasureModeList) : id;
        bound.caption = findChild<QLabel*>(QStringLiteral("lbl") + captioned);
        bound.unit = findChild<QLabel*>(QStringLiteral("unit") + captioned);
        if (bound.control == nullptr) {
            continue;
        }
        if (bound.caption != nullptr) {
            bound.caption->setBuddy(bound.control);
        }
        bound_.push_back(std::move(bound));
    }
    for (Bound& bound : bound_) {
        ConnectEdits(bound);
    }
    ApplyUiDefinition();
    RefreshFromStore(bank_);
}

void CPageBase::ConnectEdits(Bound& bound) {
    const int32_t ctrlId = bound.binding.ctrlId;
    if (auto* box = qobject_cast<QComboBox*>(bound.control)) {
        connect(box, &QComboBox::currentIndexChanged, this, [this, ctrlId] { Edited(ctrlId); });
    } else if (auto* edit = qobject_cast<CNumericEdit*>(bound.control)) {
        connect(edit, &QLineEdit::textChanged, this, [this, ctrlId] {
            if (!loading_) {
                if (Bound* b = Find(ctrlId)) {
                    b->edited = true;
                    UpdateChangeMark(*b);
                }
            }
        });
        connect(edit, &QLineEdit::editingFinished, this, [this, ctrlId] { Edited(ctrlId); });
    } else if (auto* check = qobject_cast<QCheckBox*>(bound.control)) {
        connect(check, &QCheckBox::toggled, this, [this, ctrlId] { Edited(ctrlId); });
    }
    for (QAbstractButton* radio : bound.radios) {
        connect(radio, &QAbstractButton::clicked, this, [this, ctrlId, radio] {
            Bound* b = Find(ctrlId);
            auto* box = b != nullptr ? qobject_cast<QComboBox*>(b->control) : nullptr;
            const UiControlRecord* record = app_.Ui().FindById(CtrlIdOf(radio));
            if (box == nullptr || record == nullptr) {
                return;
            }
            const int at = box->findData(RadioValue(*record, 0));
            if (at >= 0) {
                box->setCurrentIndex(at);  // the list's change handler does the rest
            }
        });
    }
}

void CPageBase::Edited(int32_t ctrlId) {
    if (loading_) {
        return;
    }
    Bound* bound = Find(ctrlId);
    if (bound == nullptr) {
        return;
    }
    bound->edited = true;
    if (bound->binding.kind == BindKind::kMeasureMode) {
        SyncRadiosToList(*bound);
    }
    UpdateChangeMark(*bound);
    ApplyRules();
    OnControlEdited(ctrlId);
}

CPageBase::Bound* CPageBase::Find(int32_t ctrlId) {
    for (Bound& bound : bound_) {
        if (bound.binding.ctrlId == ctrlId) {
            return &bound;
        }
    }
    return nullptr;
}

const CPageBase::Bound* CPageBase::Find(int32_t ctrlId) const {
    return const_cast<CPageBase*>(this)->Find(ctrlId);
}

void CPageBase::RefreshFromStore(int32_t bank) {
    bank_ = std::clamp(bank, 0, kBankCount - 1);
    loading_ = true;
    {
        const SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        for (Bound& bound : bound_) {
            ShowValue(bound, bank_);
            bound.edited = false;
        }
    }
    loading_ = false;
    RefreshValueLabels();
    RefreshChangeMarks();
    ApplyRules();
    ApplyOnlineEnabling();
}

void CPageBase::ShowValue(Bound& bound, int32_t bank) {
    const SettingsStore& store = app_.Store();
    const int32_t item = bound.binding.item;
    switch (bound.binding.kind) {
        case BindKind::kList:
        case BindKind::kMeasureMode: {
            auto* box = static_cast<QComboBox*>(bound.control);
            const int32_t value = store.GetInt(item, bank, index_);
            if (bound.filled && box->count() > 0) {
                // The entries are those of the record already: only the selection changes (a
                // value the list lacks selects the first entry, as filling would).
                const int at = box->findData(value);
                box->setCurrentIndex(at >= 0 ? at : 0);
            } else {
                FillChoiceList(CtrlIdOf(box), box, value);
                bound.filled = true;
            }
            if (bound.binding.kind == BindKind::kMeasureMode) {
                SyncRadiosToList(bound);
            }
            break;
        }
        case BindKind::kIntEdit:
            static_cast<CNumericEdit*>(bound.control)
                ->SetIntValue(store.GetInt(item, bank, index_));
            break;
        case BindKind::kRealEdit:
            static_cast<CNumericEdit*>(bound.control)
                ->SetRealValue(store.GetDouble(item, bank, index_) *
                               LengthScaleOf(app_, bound.binding.ctrlId).factor);
            break;
        case BindKind::kCheck:
            static_cast<QCheckBox*>(bound.control)
                ->setChecked(store.GetInt(item, bank, index_) != 0);
            break;
    }
}

void CPageBase::SyncRadiosToList(Bound& bound) {
    const int32_t value = SelectedChoiceValue(static_cast<QComboBox*>(bound.control));
    for (QAbstractButton* radio : bound.radios) {
        const UiControlRecord* record = app_.Ui().FindById(CtrlIdOf(radio));
        const bool match = record != nullptr && RadioValue(*record, 0) == value;
        // Radios are not auto-exclusive here, so that none is checked for a list-only value.
        radio->setChecked(match);
    }
}

void CPageBase::TakeIntoStore(int32_t bank) {
    if (bank < 0 || bank >= kBankCount) {
        return;
    }
    SettingsStore& store = app_.Store();
    auto lock = store.Lock();
    for (Bound& bound : bound_) {
        if (bound.edited && TakeValue(bound, bank)) {
            bound.edited = false;
        }
    }
}

bool CPageBase::TakeValue(const Bound& bound, int32_t bank) {
    SettingsStore& store = app_.Store();
    const int32_t item = bound.binding.item;
    switch (bound.binding.kind) {
        case BindKind::kList:
        case BindKind::kMeasureMode: {
            const auto* box = static_cast<const QComboBox*>(bound.control);
            if (box->currentIndex() < 0) {
                return false;
            }
            return store.SetInt(item, SelectedChoiceValue(box), bank, index_);
        }
        case BindKind::kIntEdit: {
            const auto value = static_cast<const CNumericEdit*>(bound.control)->IntValue();
            return value && store.SetInt(item, *value, bank, index_);
        }
        case BindKind::kRealEdit: {
            const auto value = static_cast<const CNumericEdit*>(bound.control)->RealValue();
            const double factor = LengthScaleOf(app_, bound.binding.ctrlId).factor;
            return value && store.SetDouble(item, *value / factor, bank, index_);
        }
        case BindKind::kCheck:
            return store.SetInt(item, static_cast<const QCheckBox*>(bound.control)->isChecked(),
                                bank, index_);
    }
    return false;
}

void CPageBase::WriteNow(int32_t ctrlId) {
    if (Bound* bound = Find(ctrlId)) {
        SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        if (TakeValue(*bound, bank_)) {
            bound->edited = false;
        }
    }
}

void CPageBase::RefreshControl(int32_t ctrlId) {
    if (Bound* bound = Find(ctrlId)) {
        loading_ = true;
        ShowValue(*bound, bank_);
        loading_ = false;
        bound->edited = false;
        UpdateChangeMark(*bound);
    }
}

int32_t CPageBase::SelectedValue(int32_t ctrlId) const {
    const Bound* bound = Find(ctrlId);
    if (bound == nullptr) {
        return -1;
    }
    if (const auto* box = qobject_cast<const QComboBox*>(bound->control)) {
        return SelectedChoiceValue(box);
    }
    if (const auto* edit = qobject_cast<const CNumericEdit*>(bound->control)) {
        return edit->IntValue().value_or(-1);
    }
    return -1;
}

void CPageBase::RefreshValueLabels() {
    const SettingsStore& store = app_.Store();
    auto lock = store.Lock();
    for (const PageValueLabel& shown : labels_) {
        auto* label = FindControl<QLabel>(this, shown.ctrlId);
        if (label == nullptr) {
            continue;
        }
        const bool real = ItemOf(shown.item).valueType == kValueReal;
        const LengthScale scale = LengthScaleOf(app_, shown.captionCtrl);
        QString text;
        if (real && scale.decimals >= 0) {
            const double value = store.GetDouble(shown.item, bank_, index_);
            text = QString::number(value * scale.factor, 'f', scale.decimals);
        } else if (real) {
            text = Formatted(shown.format, store.GetDouble(shown.item, bank_, index_));
        } else {
            text = FormattedInt(shown.format, store.GetInt(shown.item, bank_, index_));
        }
        label->setText(text);
        // A screen reader names the value by the caption beside it and reads the value itself.
        const auto* caption = findChild<QLabel*>(QStringLiteral("lbl%1").arg(shown.ctrlId));
        if (caption != nullptr && !caption->text().isEmpty()) {
            label->setAccessibleName(SpokenCaption(caption->text()));
        }
        label->setAccessibleDescription(text);
    }
}

void CPageBase::RefreshChangeMarks() {
    for (Bound& bound : bound_) {
        UpdateChangeMark(bound);
    }
}

void CPageBase::UpdateChangeMark(Bound& bound) {
    if (bound.caption == nullptr) {
        return;
    }
    const int32_t item = bound.binding.item;
    bool changed = false;
    if (IsCounted(item)) {
        const SettingsStore& store = app_.Store();
        switch (bound.binding.kind) {
            case BindKind::kList:
            case BindKind::kMeasureMode: {
                const auto* box = static_cast<const QComboBox*>(bound.control);
                changed = box->currentIndex() >= 0 &&
                          SelectedChoiceValue(box) != store.GetSnapshotInt(item, bank_, index_);
                break;
            }
            case BindKind::kIntEdit: {
                const auto value = static_cast<const CNumericEdit*>(bound.control)->IntValue();
                changed = value.value_or(store.GetInt(item, bank_, index_)) !=
                          store.GetSnapshotInt(item, bank_, index_);
                break;
            }
            case BindKind::kRealEdit: {
                const auto* edit = static_cast<const CNumericEdit*>(bound.control);
                const double factor = LengthScaleOf(app_, bound.binding.ctrlId).factor;
                const double value = edit->RealValue() ? *edit->RealValue() / factor
                                                       : store.GetDouble(item, bank_, index_);
                changed = !(std::fabs(value - store.GetSnapshotDouble(item, bank_, index_)) <
                            Tolerance(edit->Decimals()) / factor);
                break;
            }
            case BindKind::kCheck:
                changed = static_cast<const QCheckBox*>(bound.control)->isChecked() !=
                          (store.GetSnapshotInt(item, bank_, index_) != 0);
                break;
        }
    }
    QFont font = bound.caption->font();
    if (font.bold() != changed) {
        font.setBold(changed);
        bound.caption->setFont(font);
    }
}

bool CPageBase::IsMarkedChanged(int32_t ctrlId) const {
    const Bound* bound = Find(ctrlId);
    return bound != nullptr && bound->caption != nullptr && bound->caption->font().bold();
}

bool CPageBase::RecordAllows(int32_t ctrlId) const {
    return RecordAllowsEnabling(app_.Ui(), ctrlId);
}

void CPageBase::SetRuleEnabled(int32_t ctrlId, bool rule) {
    if (auto* widget = FindControl<QWidget>(this, ctrlId)) {
        widget->setEnabled(rule && RecordAllows(ctrlId));
    }
}

bool CPageBase::IsOnline() const {
    return app_.Online();
}

void CPageBase::ApplyOnlineEnabling() {
    const bool online = IsOnline();
    for (QAbstractButton* button : OnlineButtons()) {
        button->setEnabled(online && RecordAllows(CtrlIdOf(button)));
    }
}

void CPageBase::ApplyCaptions() {
    const UiDefinition& ui = app_.Ui();
    auto setTexts = [&ui](int32_t recordId, QLabel* caption, QLabel* unit) {
        const UiControlRecord* record = ui.FindById(recordId);
        if (caption != nullptr) {
            caption->setText(record != nullptr ? CaptionText(record->caption) : QString());
        }
        if (unit != nullptr) {
            unit->setText(record != nullptr ? ToQString(record->unit) : QString());
            unit->setVisible(!unit->text().isEmpty());
        }
    };
    for (Bound& bound : bound_) {
        const int32_t recordId = CtrlIdOf(bound.control);
        setTexts(recordId, bound.caption, bound.unit);
        if (bound.caption != nullptr && bound.control != nullptr) {
            bound.caption->setVisible(!bound.control->isHidden());
            if (bound.unit != nullptr && bound.control->isHidden()) {
                bound.unit->setVisible(false);
            }
        }
    }
    for (const PageValueLabel& shown : labels_) {
        setTexts(shown.captionCtrl, findChild<QLabel*>(QStringLiteral("lbl%1").arg(shown.ctrlId)),
                 findChild<QLabel*>(QStringLiteral("unit%1").arg(shown.ctrlId)));
    }
    ApplyAccessibleNames(this);
}

void CPageBase::OnUiDefinitionApplied() {
    // The records replaced the captions of the value labels and refilled the lists with the
    // selections they had; the page's own texts and rules go on top.
    ApplyCaptions();
    RefreshValueLabels();
    for (Bound& bound : bound_) {
        bound.filled = qobject_cast<QComboBox*>(bound.control) != nullptr;
        if (auto* edit = qobject_cast<CNumericEdit*>(bound.control)) {
            ScaleEdit(*edit, LengthScaleOf(app_, bound.binding.ctrlId));
        }
        if (bound.binding.kind == BindKind::kMeasureMode) {
            SyncRadiosToList(bound);
        }
    }
    ApplyRules();
    ApplyOnlineEnabling();
}

void CPageBase::OnLineStateChanged(int32_t /*lineState*/) {
    ApplyOnlineEnabling();
}

void CPageBase::OnMemoryBankChanged(int32_t /*oldBank*/, int32_t newBank) {
    // The edits belong to the bank the page showed (the old bank); they are kept there before
    // the new bank's values are shown.
    TakeIntoStore(bank_);
    RefreshFromStore(newBank);
}

void CPageBase::OnTakeControlValues() {
    TakeIntoStore(bank_);
}

}  // namespace zul::ui

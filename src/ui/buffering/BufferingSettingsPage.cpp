// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingSettingsPage.h"

#include <algorithm>
#include <mutex>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "app/Application.h"
#include "buffering/BufferingData.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingFormat.h"
#include "ui/buffering/BufferingIds.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtText.h"
#include "ui/framework/UiApplier.h"

namespace zul::ui {

namespace {

constexpr int32_t kMaxStoreNumBoth = kMaxBufferedValues / 2;

using Kind = CBufferingSettingsPage::Kind;
using Editable = CBufferingSettingsPage::Editable;

}  // namespace

bool BufferingControlAllowed(const UiDefinition& ui, const QWidget* control) {
    const UiControlRecord* record = RecordOf(ui, control);
    return RecordAllowsEnabling(record) && RecordAllowsShowing(record);
}

QLabel* CaptionLabelOf(const QWidget& root, const QWidget* control) {
    if (control == nullptr) {
        return nullptr;
    }
    for (QLabel* label : root.findChildren<QLabel*>()) {
        if (label->buddy() == control) {
            return label;
        }
    }
    return nullptr;
}

const std::vector<CBufferingSettingsPage::Binding>& CBufferingSettingsPage::Bindings() {
    static const std::vector<Binding> bindings = {
        {kBufBufferModeList, kBufBufferMode, 0, Kind::kList, Editable::kAlways, true, 0},
        {kBufBufferTypeList, kBufBufferType, 0, Kind::kList, Editable::kAlways, true, 0},
        {kBufBufferRateList, kBufBufferRate, 0, Kind::kList, Editable::kAlways, false, 0},
        {kBufStoreNumEdit, kBufStoreNum, 0, Kind::kIntEdit, Editable::kAlways, true, 0},
        {kBufSampleTriggerStoreNumEdit, kBufSampleTriggerStoreNum, 0, Kind::kIntEdit,
         Editable::kSamplingTriggerModes, false, 0},
        {kBufTriggerPointEdit, kBufTriggerPoint, 0, Kind::kIntEdit, Editable::kTriggerModes, false,
         0},
        {kBufTriggerDelayEdit, kBufTriggerDelay, 0, Kind::kIntEdit, Editable::kTriggerModes, false,
         0},
        {kBufEventConditionList, kBufEventCondition, 0, Kind::kList, Editable::kTriggerModes, false,
         kBufOut1TitleRecord},
        {kBufEventConditionList, kBufEventCondition, 1, Kind::kList, Editable::kTriggerModes, false,
         kBufOut2TitleRecord},
    };
    return bindings;
}

CBufferingSettingsPage::CBufferingSettingsPage(Application& app, FormBase& form, QWidget& page,
                                               BufferingData& data, std::function<bool()> online)
    : QObject(&page),
      app_(app),
      form_(form),
      data_(data),
      online_(std::move(online)),
      comment_(page.findChild<QLineEdit*>("edtComment")),
      commentCaption_(page.findChild<QLabel*>("lblComment")) {
    for (const Binding& binding : Bindings()) {
        QWidget* control = FindOutputControl(&page, binding.ctrlId, binding.output);
        if (control == nullptr) {
            continue;
        }
        bound_.push_back({&binding, control, CaptionLabelOf(page, control)});
        if (!binding.drivesRules) {
            continue;
        }
        const auto rerun = [this] {
            if (!filling_) {
                ApplyRules();
            }
        };
        if (auto* box = qobject_cast<QComboBox*>(control)) {
            connect(box, &QComboBox::currentIndexChanged, this, rerun);
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            connect(edit, &QLineEdit::textChanged, this, rerun);
        }
    }
}

void CBufferingSettingsPage::Fill(int32_t bank) {
    filling_ = true;
    {
        const SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        for (const Bound& bound : bound_) {
            ShowValue(bound, bank);
        }
    }
    ShowComment();
    bank_ = bank;
    filling_ = false;
    ApplyRules();
}

void CBufferingSettingsPage::ShowValue(const Bound& bound, int32_t bank) {
    const SettingsStore& store = app_.Store();
    const Binding& b = *bound.binding;
    const int32_t value = store.GetInt(b.item, bank, b.output);
    if (b.kind == Kind::kList) {
        form_.FillChoiceList(b.ctrlId, static_cast<QComboBox*>(bound.control), value);
    } else {
        static_cast<CNumericEdit*>(bound.control)->SetIntValue(value);
    }
}

void CBufferingSettingsPage::ShowComment() {
    std::lock_guard lock(data_.mutex);
    comment_->setText(ToQString(data_.trailer.comment));
}

void CBufferingSettingsPage::Store(int32_t bank) const {
    {
        SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        for (const Bound& bound : bound_) {
            StoreValue(bound, bank);
        }
    }
    std::lock_guard lock(data_.mutex);
    data_.trailer.comment = ToStdString(comment_->text());
}

void CBufferingSettingsPage::StoreValue(const Bound& bound, int32_t bank) const {
    SettingsStore& store = app_.Store();
    const Binding& b = *bound.binding;
    if (b.kind == Kind::kList) {
        const auto* box = static_cast<const QComboBox*>(bound.control);
        if (box->count() > 0) {
            store.SetInt(b.item, SelectedChoiceValue(box), bank, b.output);
        }
    } else if (const std::optional<int32_t> value =
                   static_cast<const CNumericEdit*>(bound.control)->IntValue()) {
        // Numbers that do not parse keep the store's value.
        store.SetInt(b.item, *value, bank, b.output);
    }
}

bool CBufferingSettingsPage::RuleHolds(Editable editable, int32_t mode) const {
    switch (editable) {
        case Editable::kAlways:
            return true;
        case Editable::kTriggerModes:
            return mode == 1 || mode == 3 || mode == 5;
        case Editable::kSamplingTriggerModes:
            return GroupsBySamplingTrigger(mode);
    }
    return false;
}

void CBufferingSettingsPage::ApplyRules() {
    if (filling_) {
        return;
    }
    const UiDefinition& ui = app_.Ui();
    const bool online = online_();
    const int32_t mode = SelectedChoiceValue(static_cast<QComboBox*>(ControlOf(kBufBufferMode)), 0);
    comment_->setEnabled(online && BufferingControlAllowed(ui, comment_));
    for (const Bound& bound : bound_) {
        const bool rule = RuleHolds(bound.binding->editable, mode);
        bound.control->setEnabled(online && rule && BufferingControlAllowed(ui, bound.control));
    }
    ApplyRanges();
}

// Ranges that depend on the other fields: the count by the outputs, the sampling-trigger count
// and the trigger point by the count.
void CBufferingSettingsPage::ApplyRanges() {
    auto* storeNum = static_cast<CNumericEdit*>(ControlOf(kBufStoreNum));
    const int32_t type = SelectedChoiceValue(static_cast<QComboBox*>(ControlOf(kBufBufferType)), 0);
    const int32_t storeMax = type == kBufferTypeBoth ? kMaxStoreNumBoth : kMaxBufferedValues;
    storeNum->SetRange(1, storeMax);
    const int32_t count = std::clamp(storeNum->IntValue().value_or(1), 1, storeMax);
    static_cast<CNumericEdit*>(ControlOf(kBufSampleTriggerStoreNum))->SetRange(1, count);
    static_cast<CNumericEdit*>(ControlOf(kBufTriggerPoint))->SetRange(1, count);
}

QWidget* CBufferingSettingsPage::ControlOf(int32_t item) const {
    for (const Bound& bound : bound_) {
        if (bound.binding->item == item) {
            return bound.control;
        }
    }
    return nullptr;
}

void CBufferingSettingsPage::ApplyTexts() {
    const UiDefinition& ui = app_.Ui();
    const auto captionOf = [&ui](const QWidget* field) {
        const UiControlRecord* record = RecordOf(ui, field);
        return record != nullptr ? CaptionText(record->caption) : QString();
    };
    commentCaption_->setText(captionOf(comment_));
    for (const Bound& bound : bound_) {
        if (bound.caption == nullptr) {
            continue;
        }
        QString text = captionOf(bound.control);
        if (const UiControlRecord* suffix = ui.FindById(bound.binding->captionSuffix)) {
            text += " " + CaptionText(suffix->caption);
        }
        bound.caption->setText(text);
    }
}

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/BankSelector.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QComboBox>
#include <QItemSelectionModel>

#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/UiApplier.h"

namespace zul::ui {

namespace {

constexpr int32_t kBankSelectorId = 1097;

}  // namespace

BankSelector::BankSelector(FormBase& form, SettingsStore& store, QComboBox* box)
    : form_(form), store_(store), box_(box) {
    QObject::connect(box_, &QComboBox::currentIndexChanged, &context_, [this] { OnSelected(); });
    FollowAccessibleSelection();
}

void BankSelector::ReadFromStore() {
    bank_ = std::clamp(store_.GetInt<kAppCurMemNo>(), 0, kBankCount - 1);
}

void BankSelector::Fill() {
    filling_ = true;
    form_.FillChoiceList(kBankSelectorId, box_, bank_, true);
    filling_ = false;
    ShowInList();
}

void BankSelector::ShowInList() {
    QAbstractItemView* list = box_->view();
    if (list->isVisible() || list->selectionModel() == nullptr) {
        return;
    }
    const QModelIndex current =
        box_->model()->index(box_->currentIndex(), box_->modelColumn(), box_->rootModelIndex());
    showingInList_ = true;
    if (current.isValid()) {
        list->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
    } else {
        list->selectionModel()->clearSelection();
    }
    showingInList_ = false;
}

void BankSelector::OnSelected() {
    if (filling_) {
        return;
    }
    const int32_t newBank = SelectedChoiceValue(box_, bank_);
    const int32_t oldBank = bank_;
    if (newBank == oldBank || newBank < 0 || newBank >= kBankCount) {
        return;
    }
    // The pages keep their values in the bank they showed; then every window shows the new one.
    form_.TakeControlValues();
    bank_ = newBank;
    {
        auto lock = store_.Lock();
        store_.SetInt<kAppCurMemNo>(newBank);
        store_.SetInt<kCtrlCurMemNo>(newBank);
    }
    form_.MemoryBankChanged(oldBank, newBank);
}

void BankSelector::FollowAccessibleSelection() {
    QObject::connect(box_->view()->selectionModel(), &QItemSelectionModel::selectionChanged,
                     &context_, [this] { OnListSelection(); });
    QObject::connect(box_, &QComboBox::currentIndexChanged, &context_, [this] { ShowInList(); });
    ShowInList();
}

void BankSelector::OnListSelection() {
    // An open list is the user's to browse: its choice counts when it is taken.
    QAbstractItemView* list = box_->view();
    if (showingInList_ || list->isVisible()) {
        return;
    }
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    if (selected.size() == 1 && selected.front().row() != box_->currentIndex()) {
        box_->setCurrentIndex(selected.front().row());
    }
    // A toggle that cleared the selection leaves the bank as it was, and shown so again.
    QMetaObject::invokeMethod(
        &context_, [this] { ShowInList(); }, Qt::QueuedConnection);
}

}  // namespace zul::ui

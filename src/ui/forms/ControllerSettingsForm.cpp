// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/ControllerSettingsForm.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/Application.h"
#include "app/SettingsCommands.h"
#include "link/ControllerInfo.h"
#include "link/ThreadCommControler.h"
#include "settings/MessageBox.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtText.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/TransferProgressForm.h"
#include "ui_ControllerSettingsForm.h"

namespace zul::ui {

namespace {

// The system items the form edits, in the order shown (UsbConfig has no control).
constexpr int32_t kSystemItems[] = {
    kMemCmnRs232cBaudrate,  kMemCmnRs232cDateLen,     kMemCmnRs232cParity,
    kMemCmnRs232cOutMode,   kMemCmnRs232cOutType,     kMemCmnConsoleLockSelect,
    kMemCmnConsoleLanguage, kMemCmnMemChangePriority, kMemCmnRemoteInterLock,
    kMemCmnMeasureCycle,    kMemCmnConsoleNo,         kMemCmnMemCopyFrom,
    kMemCmnMemCopyTo,
};

}  // namespace

CControllerSettingsForm::CControllerSettingsForm(Application& app, FormBase* parentForm,
                                                 QWidget* parent)
    : QDialog(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      copy_(std::make_unique<SettingsStore>(app.Store())),
      boxes_(this),
      ui_(std::make_unique<Ui::ControllerSettingsForm>()) {
    ui_->setupUi(this);
    setWindowFlag(Qt::Window);
    // Each system item's control is named after its control number; the item's record says
    // whether it is a list or an edit.
    for (int32_t itemId : kSystemItems) {
        const SettingItem* item = FindItem(itemId);
        if (item == nullptr || item->control1 == 0) {
            continue;
        }
        Row row;
        row.itemId = itemId;
        row.ctrlId = item->control1;
        row.label = findChild<QLabel*>(QStringLiteral("lbl%1").arg(row.ctrlId));
        QWidget* control = FindControl<QWidget>(this, row.ctrlId);
        row.list = qobject_cast<QComboBox*>(control);
        row.edit = qobject_cast<CNumericEdit*>(control);
        if (row.label != nullptr && (row.list != nullptr || row.edit != nullptr)) {
            rows_.push_back(row);
        }
    }
    readButton_ = ui_->readSystem;
    writeButton_ = ui_->writeSystem;
    connect(readButton_, &QPushButton::clicked, this, [this] { ReadSystem(); });
    connect(writeButton_, &QPushButton::clicked, this, [this] { WriteSystem(); });
    connect(ui_->close, &QPushButton::clicked, this, &QDialog::close);

    SetPositionItems({.top = kCtrlWndFormTop, .left = kCtrlWndFormLeft});
    ApplyUiDefinition();
    ShowCopy();
}

CControllerSettingsForm::~CControllerSettingsForm() = default;

void CControllerSettingsForm::OnUiDefinitionApplied() {
    for (Row& row : rows_) {
        const UiControlRecord* record = app_.Ui().FindById(row.ctrlId);
        row.label->setText(record != nullptr ? CaptionText(record->caption) : QString());
        QWidget* control = ControlOf(row.itemId);
        // An item the controller does not offer is neither shown nor written.
        const bool supported =
            copy_ == nullptr ||
            copy_->IsItemSupported(app_.Ui(), app_.FirmwareVersion(), row.itemId);
        if (!supported) {
            control->setEnabled(false);
        }
        row.label->setVisible(!control->isHidden());
        row.label->setEnabled(control->isEnabled());
    }
    if (copy_ != nullptr) {
        ShowCopy();
    }
    UpdateCommands();
}

void CControllerSettingsForm::OnLineStateChanged(int32_t /*lineState*/) {
    UpdateCommands();
}

QWidget* CControllerSettingsForm::ControlOf(int32_t itemId) const {
    for (const Row& row : rows_) {
        if (row.itemId == itemId) {
            return row.list != nullptr ? static_cast<QWidget*>(row.list) : row.edit;
        }
    }
    return nullptr;
}

void CControllerSettingsForm::ShowCopy() {
    for (Row& row : rows_) {
        const int32_t value = copy_->GetInt(row.itemId);
        if (row.list != nullptr) {
            FillChoiceList(row.ctrlId, row.list, value);
        } else {
            row.edit->SetIntValue(value);
        }
    }
}

void CControllerSettingsForm::UpdateCommands() {
    const bool online = app_.Online();
    readButton_->setEnabled(online && !busy_);
    writeButton_->setEnabled(online && !busy_);
}

int32_t CControllerSettingsForm::TakeControls(ResultInfo* result) {
    for (const Row& row : rows_) {
        if (!ControlOf(row.itemId)->isEnabled()) {
            continue;  // unsupported: the copy keeps the value the controller gave
        }
        QString shown;
        if (row.list != nullptr) {
            copy_->SetInt(row.itemId, SelectedChoiceValue(row.list, copy_->GetInt(row.itemId)));
            shown = row.list->currentText();
        } else {
            shown = row.edit->text().trimmed();
            const std::optional<int32_t> value = row.edit->IntValue();
            if (!value) {
                return SetResult(result, ZUL_ERR_RANGE, 0, ToStdString(row.label->text()),
                                 ToStdString(shown));
            }
            copy_->SetInt(row.itemId, *value);
        }
        if (copy_->IsItemInvalid(app_.Ui(), row.itemId)) {
            return SetResult(result, ZUL_ERR_RANGE, 0, ToStdString(row.label->text()),
                             ToStdString(shown));
        }
    }
    return SetResult(result, ZUL_OK);
}

int32_t CControllerSettingsForm::ReadSystem() {
    ResultInfo result;
    const int32_t code = RunTransfer(true, &result);
    if (code != ZUL_OK && code != ZUL_ERR_ABORT) {
        ReportResult(boxes_, app_.Ui(), result);
    }
    return code;
}

int32_t CControllerSettingsForm::WriteSystem() {
    ResultInfo result;
    const int32_t code = RunTransfer(false, &result);
    if (code != ZUL_OK && code != ZUL_ERR_ABORT) {
        ReportResult(boxes_, app_.Ui(), result);
    }
    return code;
}

int32_t CControllerSettingsForm::RunTransfer(bool read, ResultInfo* result) {
    if (busy_ || IsSynchronousCommandRunning() || app_.CommControler() == nullptr ||
        !app_.Online()) {
        return SetResult(result, ZUL_ERR_OFFLINE);
    }
    // Every value is checked before anything is sent. A read replaces them all, so a value
    // being typed does not stand in its way.
    if (!read && TakeControls(result) != ZUL_OK) {
        return result->code;
    }
    busy_ = true;
    UpdateCommands();
    int32_t code = ZUL_OK;
    if (!read) {
        code = RunSynchronous(
            [this](ResultInfo* r) {
                return CheckMemoryMatch(*app_.CommControler(), r, app_.ControllerStateFromStore());
            },
            result);
    }
    if (code == ZUL_OK) {
        std::unique_ptr<SettingsTransfer> transfer = MakeSettingsTransfer(
            app_, read ? TransferOperation::kReadSystem : TransferOperation::kWriteSystem, result,
            copy_.get());
        code = result->code;
        if (transfer) {
            CTransferProgressForm progress(Context(), this, this);
            code = progress.Run(*transfer, result);
            if (code == ZUL_OK && progress.Finished()) {
                ApplySettingsTransfer(app_, *transfer);
                if (read) {
                    copy_->SetSystemBlock(transfer->Store().GetSystemBlock());
                } else {
                    app_.Store().SetSystemBlock(copy_->GetSystemBlock());
                }
            } else if (code == ZUL_OK) {
                code = SetResult(result, ZUL_ERR_ABORT);
            }
        }
    }
    busy_ = false;
    ShowCopy();
    UpdateCommands();
    return code;
}

}  // namespace zul::ui

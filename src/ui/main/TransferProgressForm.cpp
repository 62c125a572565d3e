// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/TransferProgressForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QTimer>

#include "settings/SettingsTransfer.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/MainControls.h"
#include "ui_TransferProgressForm.h"

namespace zul::ui {

namespace {

// The record of the Cancel button. Without it (an older UI definition) the button keeps the
// text of the framework's standard Cancel button.
constexpr const char* kCancelRecord = "Transfer_BtnCancel";

}  // namespace

CTransferProgressForm::CTransferProgressForm(const FormContext& context, FormBase* parentForm,
                                             QWidget* parent)
    : QDialog(parent),
      FormBase(this, context, parentForm),
      ui_(std::make_unique<Ui::TransferProgressForm>()) {
    ui_->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    CancelButton()->setProperty(kUiNameProperty, kCancelRecord);
    connect(ui_->buttonBox, &QDialogButtonBox::rejected, this, &CTransferProgressForm::reject);
    ApplyUiDefinition();
}

QPushButton* CTransferProgressForm::CancelButton() const {
    return ui_->buttonBox->button(QDialogButtonBox::Cancel);
}

CTransferProgressForm::~CTransferProgressForm() = default;

int CTransferProgressForm::Percent() const {
    return FindControl<QProgressBar>(this, kTransferProgressBar)->value();
}

void CTransferProgressForm::SetPercent(int percent) {
    FindControl<QProgressBar>(this, kTransferProgressBar)->setValue(percent);
    emit PercentChanged(percent);
}

int32_t CTransferProgressForm::Run(SettingsTransfer& transfer, ResultInfo* result) {
    ClearResult(result);
    transfer_ = &transfer;
    running_ = true;
    cancelRequested_ = false;
    finished_ = false;
    SetPercent(0);

    // The form takes no input but its Cancel (and Escape), while its owner stays disabled. The
    // worker reports through queued calls; they are dropped if the form is gone, which Run
    // prevents by waiting.
    ClearInheritedHolds();
    CancelButton()->setEnabled(true);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    transfer.SetProgress([this](int32_t percent) {
        QMetaObject::invokeMethod(
            this, [this, percent] { SetPercent(percent); }, Qt::QueuedConnection);
    });
    transfer.Start([this] {
        QMetaObject::invokeMethod(
            this, [this] { OnWorkerEnded(); }, Qt::QueuedConnection);
    });
    QTimer::singleShot(0, this, [this] { emit Started(); });
    exec();
    transfer.Wait();
    transfer.SetProgress({});
    QGuiApplication::restoreOverrideCursor();
    transfer_ = nullptr;

    ResultInfo outcome = transfer.Result();
    if (!finished_) {
        outcome = ResultInfo{};
        outcome.code = ZUL_ERR_ABORT;
    }
    if (result != nullptr) {
        *result = outcome;
    }
    return outcome.code;
}

void CTransferProgressForm::OnWorkerEnded() {
    running_ = false;
    // A result counts only when nobody asked the form to close before the worker ended.
    finished_ = !cancelRequested_;
    if (finished_) {
        accept();
    } else {
        QDialog::reject();
    }
}

void CTransferProgressForm::RequestCancel() {
    if (!running_) {
        return;
    }
    cancelRequested_ = true;
    CancelButton()->setEnabled(false);  // asked once; the form closes when the worker ends
    if (transfer_ != nullptr) {
        transfer_->Cancel();
    }
}

void CTransferProgressForm::reject() {
    if (running_) {
        RequestCancel();  // closes when the worker has ended
        return;
    }
    QDialog::reject();
}

void CTransferProgressForm::closeEvent(QCloseEvent* event) {
    if (running_) {
        RequestCancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace zul::ui

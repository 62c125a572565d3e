// SPDX-License-Identifier: GPL-3.0-or-later
// The progress form of a settings transfer: a top-most form with a bar from 0 to 100, a Cancel
// button and the wait cursor, shown modally while the transfer runs on its worker thread. The
// worker's progress and its end arrive as queued calls on the GUI thread. Cancel, Escape and the
// window's close button stop the transfer (the request in flight is withdrawn); the form stays
// until the worker has ended and the result is then ZUL_ERR_ABORT.
#pragma once

#include <cstdint>

#include <QDialog>

#include "base/ResultInfo.h"
#include "ui/framework/FormBase.h"

class QPushButton;

namespace Ui {
class TransferProgressForm;
}

namespace zul {
class SettingsTransfer;
}

namespace zul::ui {

class CTransferProgressForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    CTransferProgressForm(const FormContext& context, FormBase* parentForm, QWidget* parent);
    ~CTransferProgressForm() override;

    // Starts transfer on its worker thread and shows the form modally until it has ended.
    // Returns the transfer's code, or ZUL_ERR_ABORT when the form was closed first; result
    // (optional) receives the details. Finished() tells whether the result may be applied.
    int32_t Run(SettingsTransfer& transfer, ResultInfo* result = nullptr);
    bool Finished() const { return finished_; }

    int Percent() const;
    QPushButton* CancelButton() const;
    // Shows a percentage (the worker's progress; also for pictures of the form).
    void SetPercent(int percent);

    // Emitted on the GUI thread when a run has started (tests close the form from here).
    Q_SIGNAL void Started();
    Q_SIGNAL void PercentChanged(int percent);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnWorkerEnded();
    void RequestCancel();

    std::unique_ptr<Ui::TransferProgressForm> ui_;
    SettingsTransfer* transfer_ = nullptr;
    bool running_ = false;
    bool cancelRequested_ = false;
    bool finished_ = false;
};

}  // namespace zul::ui

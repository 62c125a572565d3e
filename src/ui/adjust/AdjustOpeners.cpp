// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/adjust/AdjustOpeners.h"

#include <QDialog>

#include "adjust/AdjustSequences.h"
#include "app/Application.h"
#include "link/ControllerInfo.h"
#include "link/ThreadCommControler.h"
#include "settings/MessageBox.h"
#include "ui/adjust/AdjustPointsForm.h"
#include "ui/adjust/FloodLightForm.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/SyncCommand.h"

namespace zul::ui {

namespace {

ModalRunner& Runner() {
    static ModalRunner runner;
    return runner;
}

// CheckMemoryMatch; a failure is shown and false returned. Off line it passes without a request.
bool BankMatches(Application& app, MessageBoxHost& boxes) {
    CThreadCommControler* comm = app.CommControler();
    if (comm == nullptr) {
        return false;
    }
    ResultInfo result;
    const int32_t code = RunSynchronous(
        [&app, comm](ResultInfo* info) {
            return CheckMemoryMatch(*comm, info, app.ControllerStateFromStore());
        },
        &result);
    if (code != ZUL_OK) {
        ReportResult(boxes, app.Ui(), result);
        return false;
    }
    return true;
}

}  // namespace

ModalRunner SetModalRunner(ModalRunner runner) {
    ModalRunner previous = std::move(Runner());
    Runner() = std::move(runner);
    return previous;
}

int RunModal(QDialog& form) {
    if (Runner()) {
        return Runner()(form);
    }
    return form.exec();
}

int RunModalOverDisabledWindows(QDialog& dialog, FormBase& form) {
    // The form exists before the windows are disabled and is enabled again on its own, so it is
    // the one window that takes input; the counts balance before every window is enabled.
    FormBase::DisableAllWindows();
    form.EnableForm(true);
    const int result = RunModal(dialog);
    form.EnableForm(false);
    FormBase::EnableAllWindows();
    return result;
}

bool RunScalingForm(Application& app, QWidget* /*parent*/, MessageBoxHost& boxes, int32_t output) {
    if (!BankMatches(app, boxes)) {
        return false;
    }
    const AdjustPoints points = StoredAdjustPoints(app.Store(), AdjustKind::kScaling, output);
    CAdjustPointsForm form(app, AdjustKind::kScaling, output, points);
    const bool accepted = RunModalOverDisabledWindows(form, form) == QDialog::Accepted;
    if (accepted) {
        StoreAdjustPoints(app.Store(), AdjustKind::kScaling, output, form.Points());
    }
    return accepted;
}

bool RunCalibrationForm(Application& app, QWidget* /*parent*/, MessageBoxHost& boxes,
                        int32_t head) {
    if (!BankMatches(app, boxes)) {
        return false;
    }
    CThreadCommControler* comm = app.CommControler();
    ResultInfo result;
    if (RunSynchronous(
            [comm, head](ResultInfo* info) { return OpenCalibration(*comm, head, info); },
            &result) != ZUL_OK) {
        ReportResult(boxes, app.Ui(), result);
        return false;
    }
    const AdjustPoints points = StoredAdjustPoints(app.Store(), AdjustKind::kCalibration, head);
    CAdjustPointsForm form(app, AdjustKind::kCalibration, head, points);
    const bool accepted = RunModalOverDisabledWindows(form, form) == QDialog::Accepted;
    if (accepted) {
        StoreAdjustPoints(app.Store(), AdjustKind::kCalibration, head, form.Points());
    }
    return accepted;
}

bool RunFloodLightForm(Application& app, QWidget* /*parent*/, MessageBoxHost& boxes, int32_t head) {
    if (!BankMatches(app, boxes)) {
        return false;
    }
    CFloodLightForm form(app, head);
    RunModalOverDisabledWindows(form, form);
    return true;
}

}  // namespace zul::ui

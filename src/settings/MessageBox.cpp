// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/MessageBox.h"

#include "base/DiagnosticLog.h"
#include "settings/MessageTexts.h"
#include "settings/UiDefinition.h"

namespace zul {

std::string ResultText(const UiDefinition& ui, const ResultInfo& result) {
    return SubstituteDetails(ui.GetErrorText(result.code), result.detail1, result.detail2);
}

void ReportResult(MessageBoxHost& host, const UiDefinition& ui, const ResultInfo& result) {
    if (result.code == ZUL_OK) {
        return;
    }
    // The box goes away; the log keeps what it said.
    LogFailure(LogLevel::kError, "message", "error box", result);
    host.ShowMessageBox(ResultText(ui, result), kMbError);
}

int32_t ConfirmThenAct(MessageBoxHost& host, const UiDefinition& ui, int32_t questionIndex,
                       int32_t doneIndex, const ConfirmedAction& action, std::string_view detail1,
                       std::string_view detail2) {
    const std::string question =
        SubstituteDetails(ui.GetMessageText(questionIndex), detail1, detail2);
    if (host.ShowMessageBox(question, kMbYesNo) != kAnswerYes) {
        return ZUL_ERR_ABORT;
    }
    ResultInfo result;
    host.SetWaitCursor(true);
    const int32_t code = action(&result);
    host.SetWaitCursor(false);
    if (code != ZUL_OK) {
        if (result.code == ZUL_OK) {
            result.code = code;
        }
        ReportResult(host, ui, result);
        return code;
    }
    host.ShowMessageBox(SubstituteDetails(ui.GetMessageText(doneIndex), detail1, detail2),
                        kMbNotice);
    return ZUL_OK;
}

}  // namespace zul

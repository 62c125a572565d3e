// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes as the core asks for them. The desktop program implements MessageBoxHost with
// its dialog boxes, the command-line companion with the terminal; the core only chooses the
// text and the style and acts on the answer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/ResultInfo.h"

namespace zul {

class UiDefinition;

// Styles (the values of the classic message-box style bits).
enum MessageBoxStyle : uint32_t {
    kMbNotice = 0x00,       // OK, no icon
    kMbError = 0x10,        // OK, stop icon
    kMbYesNoCancel = 0x33,  // Yes/No/Cancel, exclamation icon
    kMbYesNo = 0x34,        // Yes/No, exclamation icon
};

// The button pressed.
enum MessageBoxAnswer : int32_t {
    kAnswerOk = 1,
    kAnswerCancel = 2,
    kAnswerYes = 6,
    kAnswerNo = 7,
};

class MessageBoxHost {
public:
    virtual ~MessageBoxHost() = default;
    // A modal box with the application title as caption and text as body. The implementation
    // disables its owner form (and the form's children) while the box is open.
    virtual MessageBoxAnswer ShowMessageBox(const std::string& text, MessageBoxStyle style) = 0;
    // Shows or ends the wait cursor around an action; a terminal may ignore it.
    virtual void SetWaitCursor(bool /*on*/) {}
};

// The text that reports a result: the result's text with "%1" and "%2" replaced by its details.
std::string ResultText(const UiDefinition& ui, const ResultInfo& result);

// Shows ResultText in an error box. Nothing is shown for success.
void ReportResult(MessageBoxHost& host, const UiDefinition& ui, const ResultInfo& result);

// An action of the confirm-then-act pattern: fills the result, returns its code.
using ConfirmedAction = std::function<int32_t(ResultInfo* info)>;

// Asks the question message (Yes/No, "%1"/"%2" replaced by the details); unless the answer is
// Yes nothing happens and ZUL_ERR_ABORT is returned. Otherwise runs the action under the wait
// cursor; a failure is reported as an error, a success shows the completion notice. Returns the
// action's code.
int32_t ConfirmThenAct(MessageBoxHost& host, const UiDefinition& ui, int32_t questionIndex,
                       int32_t doneIndex, const ConfirmedAction& action,
                       std::string_view detail1 = {}, std::string_view detail2 = {});

}  // namespace zul

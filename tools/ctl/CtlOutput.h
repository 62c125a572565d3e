// SPDX-License-Identifier: GPL-3.0-or-later
// What qvm8ctl prints: results on standard output (plain lines or one JSON object per result),
// failures as one line on standard error, and the transfer progress bar on a terminal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ResultJson.h"
#include "base/ResultInfo.h"
#include "settings/MessageBox.h"

namespace zul {
class UiDefinition;
}

namespace zul::ctl {

// "qvm8ctl: <KEY>: <text>" with the detail texts filled in and line breaks as blanks.
std::string FailureLine(const UiDefinition* ui, const ResultInfo& result,
                        std::string_view fallbackText = {});

class Output {
public:
    explicit Output(bool json) : json_(json) {}
    bool Json() const { return json_; }

    // One result: plain "key: value" lines, or one JSON object.
    void Result(const std::vector<JsonField>& json,
                const std::vector<std::pair<std::string, std::string>>& plain);
    // A notice text (plain) or {"message": text} (JSON).
    void Notice(std::string_view text);
    // Prints the failure line and returns the result code as exit status.
    int Fail(const UiDefinition* ui, const ResultInfo& result, std::string_view fallbackText = {});

private:
    bool json_;
};

// Draws "[####    ]  42%" on standard error when it is a terminal; nothing otherwise.
class ProgressBar {
public:
    ProgressBar();
    ~ProgressBar();
    void Update(int32_t percent);
    void Finish();

private:
    bool terminal_;
    int32_t shown_ = -1;
};

// The message boxes of the core on a terminal: the command line is the confirmation, so
// questions are answered Yes; notices go to the output; error boxes print nothing, because
// qvm8ctl reports every failure itself in its fixed one-line form.
class TerminalMessageHost : public MessageBoxHost {
public:
    explicit TerminalMessageHost(Output& out) : out_(out) {}
    MessageBoxAnswer ShowMessageBox(const std::string& text, MessageBoxStyle style) override;

private:
    Output& out_;
};

}  // namespace zul::ctl

// SPDX-License-Identifier: GPL-3.0-or-later
#include "CtlOutput.h"

#include <unistd.h>

#include <cstdio>

#include "settings/UiDefinition.h"

namespace zul::ctl {

std::string FailureLine(const UiDefinition* ui, const ResultInfo& result,
                        std::string_view fallbackText) {
    std::string text =
        fallbackText.empty() && ui != nullptr ? ResultText(*ui, result) : std::string(fallbackText);
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return "qvm8ctl: " + std::string(ResultKey(result.code)) + ": " + text;
}

void Output::Result(const std::vector<JsonField>& json,
                    const std::vector<std::pair<std::string, std::string>>& plain) {
    if (json_) {
        std::printf("%s\n", JsonObject(json).c_str());
    } else {
        for (const auto& [key, value] : plain) {
            std::printf("%s: %s\n", key.c_str(), value.c_str());
        }
    }
    std::fflush(stdout);
}

void Output::Notice(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\r') {
            c = ' ';
        }
    }
    if (json_) {
        std::printf("{\"message\": %s}\n", JsonString(text).c_str());
    } else {
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);
}

int Output::Fail(const UiDefinition* ui, const ResultInfo& given, std::string_view fallbackText) {
    ResultInfo result = given;
    if (result.code == ZUL_ERR_COMM_RES && result.detail1.empty() && result.osError != 0) {
        // An error reply carries only the controller's error number.
        char number[16];
        std::snprintf(number, sizeof number, "%02d", result.osError);
        result.detail1 = number;
    }
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", FailureLine(ui, result, fallbackText).c_str());
    return result.code != ZUL_OK ? result.code : ZUL_ERR;
}

ProgressBar::ProgressBar() : terminal_(::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    Finish();
}

void ProgressBar::Update(int32_t percent) {
    if (!terminal_) {
        return;
    }
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    if (percent == shown_) {
        return;
    }
    shown_ = percent;
    constexpr int kWidth = 40;
    int filled = percent * kWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), ' ');
    std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), percent);
    std::fflush(stderr);
}

void ProgressBar::Finish() {
    if (terminal_ && shown_ >= 0) {
        std::fprintf(stderr, "\n");
        std::fflush(stderr);
        shown_ = -1;
    }
}

MessageBoxAnswer TerminalMessageHost::ShowMessageBox(const std::string& text,
                                                     MessageBoxStyle style) {
    switch (style) {
        case kMbYesNo:
        case kMbYesNoCancel:
            return kAnswerYes;
        case kMbNotice:
            out_.Notice(text);
            return kAnswerOk;
        default:
            return kAnswerOk;
    }
}

}  // namespace zul::ctl

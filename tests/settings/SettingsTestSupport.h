// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the settings-model tests: a private HOME and XDG folders per test, and UI
// definition files that pass the completeness check.
#pragma once

#include <stdlib.h>

#include <string>
#include <string_view>

#include "TestFolder.h"
#include "base/ResultInfo.h"
#include "settings/MessageTexts.h"
#include "settings/UiRequiredIds.h"

namespace zul::test {

// Points HOME and the XDG folders at a fresh temporary folder for the life of the object.
class PrivateHome {
public:
    PrivateHome() {
        ::setenv("HOME", folder_.Path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", folder_.File("config").c_str(), 1);
        ::setenv("XDG_STATE_HOME", folder_.File("state").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", folder_.File("cache").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", folder_.Path().c_str(), 1);
        ::setenv("XDG_DOCUMENTS_DIR", folder_.File("docs").c_str(), 1);
    }
    const TestFolder& Folder() const { return folder_; }
    std::string File(const std::string& name) const { return folder_.File(name); }

private:
    TestFolder folder_;
};

// A UI definition text: the given records first (so that they win lookups), then a bare record
// for every required id and name that the test did not supply.
inline std::string CompleteUiText(std::string_view records) {
    std::string text(records);
    text += "\n";
    for (int32_t id : RequiredControlIds()) {
        text += "[Req" + std::to_string(id) + "]\nCtrlID=" + std::to_string(id) + "\n";
    }
    for (std::string_view name : RequiredCaptionKeys()) {
        text += "[" + std::string(name) + "]\nCaption=\"" + std::string(name) + "\"\n";
    }
    for (int32_t code = 0; code < kResultCodeCount; ++code) {
        if (!ResultKey(code).empty()) {
            text += "[" + std::string(ResultKey(code)) + "]\nCaption=\"text of " +
                    std::string(ResultKey(code)) + "\"\n";
        }
    }
    for (int32_t index = 0; index < kMessageCount; ++index) {
        text += "[" + std::string(MessageKey(index)) + "]\nCaption=\"message " +
                std::to_string(index) + "\"\n";
    }
    return text;
}

inline std::string ShippedUiDefinitionPath() {
    return std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs";
}

}  // namespace zul::test

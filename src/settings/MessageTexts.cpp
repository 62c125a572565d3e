// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/MessageTexts.h"

#include <array>

namespace zul {

namespace {

constexpr std::array<std::string_view, kMessageCount> kMessageKeys = {
    "ZUL_MSG_CONFIRM_SAVE_MEM",      "ZUL_MSG_CONFIRM_INIT_MEM", "ZUL_MSG_CONFIRM_INIT_ALL_MEM",
    "ZUL_MSG_SAVE_MEM_DONE",         "ZUL_MSG_INIT_MEM_DONE",    "ZUL_MSG_CONFIRM_UPDATEASSOC",
    "ZUL_MSG_CONFIRM_DELETEASSOC",   "ZUL_MSG_UPDATEASSOC_DONE", "ZUL_MSG_DELETEASSOC_DONE",
    "ZUL_MSG_CONFIRM_SAVE_SET_OPEN",
};

}  // namespace

std::string_view MessageKey(int32_t index) {
    if (index < 0 || index >= kMessageCount) {
        return {};
    }
    return kMessageKeys[static_cast<size_t>(index)];
}

std::string SubstituteDetails(std::string_view text, std::string_view detail1,
                              std::string_view detail2) {
    std::string out;
    out.reserve(text.size() + detail1.size() + detail2.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            out += text[i + 1] == '1' ? detail1 : detail2;
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// Keys of the confirmation and notice messages, and the substitution of detail texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

enum MessageIndex : int32_t {
    kMsgConfirmSaveMem = 0,
    kMsgConfirmInitMem = 1,
    kMsgConfirmInitAllMem = 2,
    kMsgSaveMemDone = 3,
    kMsgInitMemDone = 4,
    kMsgConfirmUpdateAssoc = 5,
    kMsgConfirmDeleteAssoc = 6,
    kMsgUpdateAssocDone = 7,
    kMsgDeleteAssocDone = 8,
    kMsgConfirmSaveSetOpen = 9,
};

inline constexpr int32_t kMessageCount = 10;

// "ZUL_MSG_..." key of a message, empty outside 0..9.
std::string_view MessageKey(int32_t index);

// Replaces every "%1" by detail1 and every "%2" by detail2 in one pass, so that a detail that
// itself holds "%1" or "%2" is inserted as it stands.
std::string SubstituteDetails(std::string_view text, std::string_view detail1,
                              std::string_view detail2);

}  // namespace zul

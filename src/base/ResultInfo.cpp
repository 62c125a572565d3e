// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ResultInfo.h"

#include <array>

namespace zul {

namespace {

constexpr std::array<std::string_view, kResultCodeCount> kKeys = {
    "ZUL_OK",
    "ZUL_ERR",
    "ZUL_ERR_INI_FILE_READ",
    "ZUL_ERR_INI_FILE_WRITE",
    "ZUL_ERR_COMM_TIMEOUT",
    "ZUL_ERR_COMM_RES",
    "ZUL_ERR_FILE_READ",
    "ZUL_ERR_FILE_WRITE",
    "ZUL_ERR_OS_FILE_READ",
    "ZUL_ERR_OS_FILE_WRITE",
    "ZUL_ERR_MEMORY_OVER",
    "ZUL_ERR_OS_RS_OPEN",
    "ZUL_ERR_RS_SEND",
    "ZUL_ERR_OS_RS_SEND",
    "ZUL_ERR_USB_SEND",
    "ZUL_ERR_FT_USB_OPEN",
    "ZUL_ERR_FT_USB_SEND",
    "ZUL_ERR_ABORT",
    "ZUL_ERR_RANGE",
    "ZUL_ERR_FLOOD_LIGHT_SEARCH",
    "ZUL_ERR_NO_PRINTER",
    "ZUL_ERR_BUFFERING_BUSY",
    "ZUL_ERR_MEM_CHANGE_PRIORITY",
    "",
    "ZUL_ERR_DIALOG_CREATE",
    "ZUL_ERR_NODATA_SAVING",
    "ZUL_ERR_BAD_CALIB",
    "ZUL_ERR_BAD_SCALING",
    "ZUL_ERR_CALIB_ALARM",
    "ZUL_ERR_SCALING_ALARM",
    "ZUL_ERR_USB_DEVICE",
    "ZUL_ERR_RS_DEVICE",
    "ZUL_ERR_OFFLINE",
    "ZUL_ERR_CUR_MEM_NO_MATCH",
    "ZUL_ERR_NO_BUFF_DATA",
    "ZUL_ERR_INI_FILE_LOCKED",
};

}  // namespace

std::string_view ResultKey(int32_t code) {
    if (code < 0 || code >= kResultCodeCount) {
        return {};
    }
    return kKeys[static_cast<size_t>(code)];
}

int32_t ResultCodeOfKey(std::string_view key) {
    if (key.empty()) {
        return -1;
    }
    for (size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i] == key) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

void ClearResult(ResultInfo* info) {
    if (info != nullptr) {
        info->Clear();
    }
}

int32_t SetResult(ResultInfo* info, int32_t code, int32_t osError, std::string detail1,
                  std::string detail2) {
    if (info != nullptr) {
        info->code = code;
        info->osError = osError;
        info->detail1 = std::move(detail1);
        info->detail2 = std::move(detail2);
    }
    return code;
}

}  // namespace zul

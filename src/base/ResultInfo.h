// SPDX-License-Identifier: GPL-3.0-or-later
// Result codes and the result record every fallible operation fills.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

enum ResultCode : int32_t {
    ZUL_OK = 0,
    ZUL_ERR = 1,
    ZUL_ERR_INI_FILE_READ = 2,
    ZUL_ERR_INI_FILE_WRITE = 3,
    ZUL_ERR_COMM_TIMEOUT = 4,
    ZUL_ERR_COMM_RES = 5,
    ZUL_ERR_FILE_READ = 6,
    ZUL_ERR_FILE_WRITE = 7,
    ZUL_ERR_OS_FILE_READ = 8,
    ZUL_ERR_OS_FILE_WRITE = 9,
    ZUL_ERR_MEMORY_OVER = 10,
    ZUL_ERR_OS_RS_OPEN = 11,
    ZUL_ERR_RS_SEND = 12,
    ZUL_ERR_OS_RS_SEND = 13,
    ZUL_ERR_USB_SEND = 14,
    ZUL_ERR_FT_USB_OPEN = 15,
    ZUL_ERR_FT_USB_SEND = 16,
    ZUL_ERR_ABORT = 17,
    ZUL_ERR_RANGE = 18,
    ZUL_ERR_FLOOD_LIGHT_SEARCH = 19,
    ZUL_ERR_NO_PRINTER = 20,
    ZUL_ERR_BUFFERING_BUSY = 21,
    ZUL_ERR_MEM_CHANGE_PRIORITY = 22,
    // 23 is not used and never raised.
    ZUL_ERR_DIALOG_CREATE = 24,
    ZUL_ERR_NODATA_SAVING = 25,
    ZUL_ERR_BAD_CALIB = 26,
    ZUL_ERR_BAD_SCALING = 27,
    ZUL_ERR_CALIB_ALARM = 28,
    ZUL_ERR_SCALING_ALARM = 29,
    ZUL_ERR_USB_DEVICE = 30,
    ZUL_ERR_RS_DEVICE = 31,
    ZUL_ERR_OFFLINE = 32,
    ZUL_ERR_CUR_MEM_NO_MATCH = 33,
    ZUL_ERR_NO_BUFF_DATA = 34,
    ZUL_ERR_INI_FILE_LOCKED = 35,
};

inline constexpr int32_t kResultCodeCount = 36;

// The result record. Callees clear it first and fill it on failure; a null pointer is accepted
// everywhere a ResultInfo* is taken.
struct ResultInfo {
    int32_t code = ZUL_OK;
    int32_t osError = 0;
    std::string detail1;
    std::string detail2;

    void Clear() {
        code = ZUL_OK;
        osError = 0;
        detail1.clear();
        detail2.clear();
    }
    bool Ok() const { return code == ZUL_OK; }
};

// The key of a result code ("ZUL_OK", "ZUL_ERR_COMM_TIMEOUT", ...): the section of the UI
// definition file that holds its text. Empty for 23 and for values outside 0..35.
std::string_view ResultKey(int32_t code);

// The code of a key, or -1 when the key names no result code.
int32_t ResultCodeOfKey(std::string_view key);

// Clears *info when info is not null.
void ClearResult(ResultInfo* info);

// Fills *info (when not null) and returns code, so that callers can write
// `return SetResult(info, ZUL_ERR_RANGE);`.
int32_t SetResult(ResultInfo* info, int32_t code, int32_t osError = 0, std::string detail1 = {},
                  std::string detail2 = {});

}  // namespace zul

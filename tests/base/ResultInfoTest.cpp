// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ResultInfo.h"

#include <gtest/gtest.h>

namespace zul {
namespace {

TEST(ResultInfo, KeysMatchTheirCodes) {
    EXPECT_EQ(ResultKey(ZUL_OK), "ZUL_OK");
    EXPECT_EQ(ResultKey(ZUL_ERR_COMM_TIMEOUT), "ZUL_ERR_COMM_TIMEOUT");
    EXPECT_EQ(ResultKey(ZUL_ERR_MEM_CHANGE_PRIORITY), "ZUL_ERR_MEM_CHANGE_PRIORITY");
    EXPECT_EQ(ResultKey(ZUL_ERR_DIALOG_CREATE), "ZUL_ERR_DIALOG_CREATE");
    EXPECT_EQ(ResultKey(ZUL_ERR_INI_FILE_LOCKED), "ZUL_ERR_INI_FILE_LOCKED");
    EXPECT_EQ(ResultKey(23), "");
    EXPECT_EQ(ResultKey(36), "");
    EXPECT_EQ(ResultKey(-1), "");
    for (int32_t code = 0; code < kResultCodeCount; ++code) {
        if (code == 23) {
            continue;
        }
        EXPECT_EQ(ResultCodeOfKey(ResultKey(code)), code) << code;
    }
    EXPECT_EQ(ResultCodeOfKey(""), -1);
    EXPECT_EQ(ResultCodeOfKey("ZUL_ERR_NOPE"), -1);
}

TEST(ResultInfo, SetAndClearAcceptNull) {
    EXPECT_EQ(SetResult(nullptr, ZUL_ERR_RANGE), ZUL_ERR_RANGE);
    ClearResult(nullptr);

    ResultInfo info;
    EXPECT_EQ(SetResult(&info, ZUL_ERR_OS_RS_OPEN, 2, "COM1", "x"), ZUL_ERR_OS_RS_OPEN);
    EXPECT_EQ(info.code, ZUL_ERR_OS_RS_OPEN);
    EXPECT_EQ(info.osError, 2);
    EXPECT_EQ(info.detail1, "COM1");
    EXPECT_EQ(info.detail2, "x");
    ClearResult(&info);
    EXPECT_TRUE(info.Ok());
    EXPECT_EQ(info.osError, 0);
    EXPECT_TRUE(info.detail1.empty());
    EXPECT_TRUE(info.detail2.empty());
}

}  // namespace
}  // namespace zul

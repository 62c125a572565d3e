// SPDX-License-Identifier: GPL-3.0-or-later
// Real fields of replies: a text that spells no number reads as 0.0, never as an infinite or
// undefined value that would be shown and stored as a measurement.
#include <gtest/gtest.h>

#include <cmath>

#include "link/FieldCodec.h"

namespace zul {
namespace {

TEST(RealField, InfinityAndNanAreNoReadings) {
    for (const char* text :
         {"+inf0000000", "-infinity00", "nan00000000", "+nan(1)0000", "info", " INF", "-Inf"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseRealField(text), 0.0);
        int32_t cursor = 0;
        EXPECT_EQ(ReadReal11(text, cursor), 0.0);
    }
}

TEST(RealField, ReadingsStillRead) {
    EXPECT_DOUBLE_EQ(ParseRealField("+001.200000"), 1.2);
    EXPECT_DOUBLE_EQ(ParseRealField("-000.500000"), -0.5);
    EXPECT_DOUBLE_EQ(ParseRealField("  .5"), 0.5);
    // The measurement reply the fuzzer found: the second output's field holds "info".
    std::string reply = "%EE$RMB+001.2000St9type_info";
    int32_t cursor = 7;
    EXPECT_DOUBLE_EQ(ReadReal11(reply, cursor), 1.2);
    cursor = 7 + 17;
    EXPECT_TRUE(std::isfinite(ReadReal11(reply, cursor)));
}

}  // namespace
}  // namespace zul

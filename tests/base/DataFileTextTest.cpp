// SPDX-License-Identifier: GPL-3.0-or-later
// Number texts of the data files.
#include <gtest/gtest.h>

#include "base/DataFileText.h"

namespace zul {
namespace {

TEST(DataFileText, LeadingDoubleReadsNumbersOnly) {
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("0.688261"), 0.688261);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("  -1.5xyz"), -1.5);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble(".25"), 0.25);
    EXPECT_EQ(ParseLeadingDouble("abc"), 0.0);
    EXPECT_EQ(ParseLeadingDouble("+-1"), 0.0);
    // A value in a buffering file that spells an infinity or "nan" is no value.
    for (const char* text : {"inf", "-inf", "+INFINITY", "nan", "-nan(0x1)", "Infinite"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseLeadingDouble(text), 0.0);
    }
}

}  // namespace
}  // namespace zul

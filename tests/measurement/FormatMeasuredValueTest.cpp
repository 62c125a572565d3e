// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "measurement/FormatMeasuredValue.h"

namespace zul {
namespace {

TEST(FormatMeasuredValue, DecimalsFollowTheDisplayDigits) {
    MicronMode off;
    EXPECT_EQ(FormatMeasuredValue(1.2345678, 0, off), "+1.234568");
    EXPECT_EQ(FormatMeasuredValue(1.2345678, 1, off), "+1.23457");
    EXPECT_EQ(FormatMeasuredValue(1.2345678, 2, off), "+1.2346");
    EXPECT_EQ(FormatMeasuredValue(1.2345678, 3, off), "+1.235");
    EXPECT_EQ(FormatMeasuredValue(1.2345678, 4, off), "+1.23");
    EXPECT_EQ(FormatMeasuredValue(1.2345678, 5, off), "+1.2");
    EXPECT_EQ(FormatMeasuredValue(1.2345678, 9, off), "+1.23457");
    EXPECT_EQ(FormatMeasuredValue(-0.25, 3, off), "-0.250");
}

TEST(FormatMeasuredValue, RoundsAtPointFortyNineInsideTheRange) {
    MicronMode off;
    // floor(x * scale + 0.51): at three decimals 0.000492 already rounds up, 0.000485 not.
    EXPECT_EQ(FormatMeasuredValue(0.000492, 3, off), "+0.001");
    EXPECT_EQ(FormatMeasuredValue(0.000485, 3, off), "+0.000");
    EXPECT_EQ(FormatMeasuredValue(-0.000492, 3, off), "-0.001");
    // Tiny magnitudes are zero with a plus sign.
    EXPECT_EQ(FormatMeasuredValue(-0.00000001, 0, off), "+0.000000");
}

TEST(FormatMeasuredValue, OutOfRangeValuesAreTruncatedAndClamped) {
    MicronMode off;
    EXPECT_EQ(FormatMeasuredValue(950.99999, 4, off), "+950.99");
    EXPECT_EQ(FormatMeasuredValue(-950.99999, 4, off), "-950.99");
    EXPECT_EQ(FormatMeasuredValue(12345.0, 4, off), "+999.99");
    EXPECT_EQ(FormatMeasuredValue(-12345.0, 5, off), "-999.9");
}

TEST(FormatMeasuredValue, MicronModeScalesAndTakesItsDecimals) {
    MicronMode micron;
    micron.active = true;
    micron.factor = 1000.0;
    micron.decimals = 3;
    EXPECT_EQ(FormatMeasuredValue(1.2345678, 4, micron), "+1234.568");
    EXPECT_EQ(FormatMeasuredValue(-0.000001, 4, micron), "-0.001");
}

}  // namespace
}  // namespace zul

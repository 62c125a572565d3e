// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace zul {
namespace {

TEST(NumberText, DecimalLikeAtoiWithSaturation) {
    EXPECT_EQ(ParseDecimal("  -42xyz"), -42);
    EXPECT_EQ(ParseDecimal("+7"), 7);
    EXPECT_EQ(ParseDecimal("abc"), 0);
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal("0x10"), 0);
    EXPECT_EQ(ParseDecimal("99999999999"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ParseDecimal("-99999999999"), std::numeric_limits<int32_t>::min());
}

TEST(NumberText, ControlIdsInThreeBases) {
    EXPECT_EQ(ParseCInteger("0x4F8"), 1272);
    EXPECT_EQ(ParseCInteger("0X4f8"), 1272);
    EXPECT_EQ(ParseCInteger("010"), 8);
    EXPECT_EQ(ParseCInteger("1272"), 1272);
    EXPECT_EQ(ParseCInteger("junk"), 0);
}

TEST(NumberText, HexadecimalVersions) {
    EXPECT_EQ(ParseHexUnsigned("200"), 0x200u);
    EXPECT_EQ(ParseHexUnsigned("1a2"), 0x1A2u);
    EXPECT_EQ(ParseHexUnsigned("0x224"), 0x224u);
    EXPECT_EQ(ParseHexUnsigned(""), 0u);
    EXPECT_EQ(ParseHexUnsigned("FFFFFFFFFF"), std::numeric_limits<uint32_t>::max());
}

TEST(NumberText, RealsAndTheirLimits) {
    EXPECT_DOUBLE_EQ(ParseReal("10.800000"), 10.8);
    EXPECT_DOUBLE_EQ(ParseReal(" -1.5e-3 mm"), -0.0015);
    EXPECT_EQ(ParseReal("none"), 0.0);
    // Values no register or display can carry read as no number.
    EXPECT_EQ(ParseReal("inf"), 0.0);
    EXPECT_EQ(ParseReal("nan"), 0.0);
    EXPECT_EQ(ParseReal("1e999"), 0.0);

    EXPECT_EQ(TruncateToInt32(-2.9), -2);
    EXPECT_EQ(TruncateToInt32(2.9), 2);
    EXPECT_EQ(TruncateToInt32(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(TruncateToInt32(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(TruncateToInt32(std::nan("")), 0);

    EXPECT_EQ(FormatReal(10.8), "10.800000");
    EXPECT_EQ(FormatReal(-0.5), "-0.500000");
    EXPECT_EQ(FormatInt(-17), "-17");
}

TEST(NumberText, StrictDecimalTakesExactlyTheNumber) {
    int32_t value = 5;
    EXPECT_TRUE(ParseDecimalExact("00042", value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(ParseDecimalExact("-2147483648", value));
    EXPECT_EQ(value, std::numeric_limits<int32_t>::min());
    EXPECT_TRUE(ParseDecimalExact("+2147483647", value));
    EXPECT_EQ(value, std::numeric_limits<int32_t>::max());
    value = 5;
    for (const char* bad : {"", "+", "-", " 42", "42 ", "4 2", "4x", "0x10", "2147483648",
                            "-2147483649", "99999999999999999999999", "+-1", "1e3", "\t1"}) {
        EXPECT_FALSE(ParseDecimalExact(bad, value)) << bad;
        EXPECT_EQ(value, 5) << bad;
    }
    uint32_t unsignedValue = 5;
    EXPECT_TRUE(ParseUnsignedExact("4294967295", unsignedValue));
    EXPECT_EQ(unsignedValue, 4294967295u);
    for (const char* bad : {"", "+1", "-1", "4294967296", "12a", " 1"}) {
        EXPECT_FALSE(ParseUnsignedExact(bad, unsignedValue)) << bad;
    }
}

TEST(NumberText, StrictHexTakesOneToEightDigits) {
    uint32_t value = 5;
    EXPECT_TRUE(ParseHexExact("fF", value));
    EXPECT_EQ(value, 0xFFu);
    EXPECT_TRUE(ParseHexExact("FFFFFFFF", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    value = 5;
    for (const char* bad : {"", "G", "F ", " F", "0x1", "+1", "-1", "1FFFFFFFF", "1.0"}) {
        EXPECT_FALSE(ParseHexExact(bad, value)) << bad;
        EXPECT_EQ(value, 5u) << bad;
    }
}

TEST(NumberText, StrictRealIsFixedPointOnly) {
    double value = 5.0;
    EXPECT_TRUE(ParseRealExact("+001.500000", value));
    EXPECT_DOUBLE_EQ(value, 1.5);
    EXPECT_TRUE(ParseRealExact("-.5", value));
    EXPECT_DOUBLE_EQ(value, -0.5);
    EXPECT_TRUE(ParseRealExact("7.", value));
    EXPECT_DOUBLE_EQ(value, 7.0);
    value = 5.0;
    for (const char* bad : {"", "+", ".", "+.", "1.2.3", "1e3", "inf", "nan", " 1.0", "1.0 ", "1,5",
                            "0x1p3", "++1"}) {
        EXPECT_FALSE(ParseRealExact(bad, value)) << bad;
        EXPECT_EQ(value, 5.0) << bad;
    }
}

TEST(NumberText, ScanSignedDecimalStopsAtTheFirstNonDigit) {
    std::string_view text = "+5-12x";
    size_t pos = 0;
    int64_t value = 0;
    ASSERT_TRUE(ScanSignedDecimal(text, pos, value, 15));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(pos, 2u);
    ASSERT_TRUE(ScanSignedDecimal(text, pos, value, 15));
    EXPECT_EQ(value, -12);
    EXPECT_EQ(pos, 5u);
    EXPECT_FALSE(ScanSignedDecimal(text, pos, value, 15));  // "x": no number
    EXPECT_EQ(pos, 5u);
    EXPECT_EQ(value, -12);
    pos = 0;
    EXPECT_FALSE(ScanSignedDecimal("-", pos, value, 15));
    EXPECT_FALSE(ScanSignedDecimal("1234", pos, value, 3));  // too many digits
    EXPECT_EQ(pos, 0u);
    ASSERT_TRUE(ScanSignedDecimal("-999999999999999999", pos, value, 18));
    EXPECT_EQ(value, -999999999999999999LL);
}

TEST(NumberText, LenientFormsShareTheStrictDigitRules) {
    // Hexadecimal with and without prefix, either case, leading blanks; "%2x"-like stops.
    EXPECT_EQ(ParseHexUnsigned("  0X1f"), 0x1Fu);
    EXPECT_EQ(ParseHexUnsigned("0xg"), 0u);
    EXPECT_EQ(ParseHexUnsigned("12 34"), 0x12u);
    EXPECT_EQ(ParseCInteger("-0x10"), -16);
    EXPECT_EQ(ParseCInteger("08"), 0);  // octal stops at 8
    EXPECT_EQ(ParseDecimal("\n\t 12"), 12);
    // Reals ignore the process locale and refuse what is not finite.
    EXPECT_DOUBLE_EQ(ParseReal("+2.5e1x"), 25.0);
    EXPECT_EQ(ParseReal("--1"), 0.0);
    EXPECT_EQ(ParseReal("-inf"), 0.0);
}

// The desktop program runs in the user's locale; a decimal-comma locale must not change how
// settings and data files are read and written.
TEST(NumberText, RealsIgnoreTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old != nullptr ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale installed";
    }
    const double read = ParseReal("10.800000");
    const std::string written = FormatReal(10.8);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_DOUBLE_EQ(read, 10.8);
    EXPECT_EQ(written, "10.800000");
}

TEST(NumberText, FormatRealWritesSixDecimals) {
    EXPECT_EQ(FormatReal(10.8), "10.800000");
    EXPECT_EQ(FormatReal(-0.0000004), "-0.000000");
    EXPECT_EQ(FormatReal(1e20), "100000000000000000000.000000");
    EXPECT_EQ(FormatInt(-42), "-42");
}

}  // namespace
}  // namespace zul

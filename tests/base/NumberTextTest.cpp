#include "base/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

}  // namespace
}  // namespace zul

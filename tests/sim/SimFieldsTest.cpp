// SPDX-License-Identifier: GPL-3.0-or-later
// Field encodings of the controller's side.
#include <gtest/gtest.h>

#include "SimFields.h"
#include "SimMemory.h"

namespace zul::sim {
namespace {

TEST(SimFields, FormatsAsTheProtocolWritesThem) {
    EXPECT_EQ(FormatReal11(1.5), "+001.500000");
    EXPECT_EQ(FormatReal11(-0.25), "-000.250000");
    EXPECT_EQ(FormatReal11(0.0), "+000.000000");
    EXPECT_EQ(FormatMicros11(-1), "-000.000001");
    EXPECT_EQ(FormatMicros11(999999999), "+999.999999");
    EXPECT_EQ(FormatSigned11(-5), "-0000000005");
    EXPECT_EQ(FormatSigned11(7), "+0000000007");
    EXPECT_EQ(FormatDecimal(123456, 5), "23456");
    EXPECT_EQ(FormatHexWord(0x1234), "3412");
    EXPECT_EQ(FormatHexWord(0x00FF), "FF00");
}

TEST(SimFields, ParsesStrictly) {
    EXPECT_EQ(ParseHexWord("3412"), 0x1234);
    EXPECT_EQ(ParseHexWord("ff00"), 0x00FF);
    EXPECT_FALSE(ParseHexWord("34G2"));
    EXPECT_FALSE(ParseHexWord("341"));
    EXPECT_EQ(ParseDigits("00042"), 42);
    EXPECT_FALSE(ParseDigits(""));
    EXPECT_FALSE(ParseDigits("4 2"));
    EXPECT_FALSE(ParseDigits("-42"));
    EXPECT_EQ(ParseSigned11("-0000000005"), -5);
    EXPECT_FALSE(ParseSigned11("00000000005"));
    EXPECT_DOUBLE_EQ(*ParseReal11("+001.500000"), 1.5);
    EXPECT_DOUBLE_EQ(*ParseReal11("-000.250000"), -0.25);
    EXPECT_DOUBLE_EQ(*ParseReal11("   -12.5000"), -12.5);
    EXPECT_FALSE(ParseReal11("+001.5x0000"));
    EXPECT_FALSE(ParseReal11("+00.1.50000"));
    EXPECT_FALSE(ParseReal11("+++++++++++"));
    EXPECT_EQ(ToMicros(-1.2345), -1234500);
    EXPECT_EQ(ToMicros(0.0000005), 1);
}

TEST(SimMemoryTest, LongsAndTexts) {
    SimMemory m;
    m.SetLong(3000, -1);
    EXPECT_EQ(m.Word(3000), 0xFFFF);
    EXPECT_EQ(m.Word(3001), 0xFFFF);
    EXPECT_EQ(m.Long(3000), -1);
    m.SetLong(3000, 0x12345678);
    EXPECT_EQ(m.Word(3000), 0x5678);
    EXPECT_EQ(m.Word(3001), 0x1234);
    m.SetText(118, 2, "ABC");
    EXPECT_EQ(m.Word(118), 0x4142);
    EXPECT_EQ(m.Word(119), 0x4320);
    EXPECT_EQ(m.Text(118, 2), "ABC ");
    EXPECT_FALSE(m.Contains(19999, 2));
    EXPECT_TRUE(m.Contains(19999, 1));
    EXPECT_FALSE(m.Contains(20000, 0));
}

TEST(SimMemoryTest, FactorySettingsAndBanks) {
    SimMemory m;
    m.InitialiseAll();
    EXPECT_EQ(m.CurrentBank(), 0);
    for (int b = 0; b < kBankCount; ++b) {
        EXPECT_EQ(m.Word(OutputBlock(BankAddress(b), 1) + out::kOutPattern), 1) << b;
        EXPECT_EQ(m.Long(CommonBlock(BankAddress(b)) + common::kStoreNum), 1000) << b;
    }
    EXPECT_EQ(m.Word(OutputBlock(kWorkingCopy, 0) + out::kOutPattern), 0);
    // Banks are 800 words apart, the last ends before the light-wave area.
    EXPECT_EQ(BankAddress(3), 5800u);
    EXPECT_LE(BankAddress(15) + kBankWords, kLightTrigger);
    EXPECT_EQ(OutputBlock(kWorkingCopy, 0) + out::kZeroSetVal, 2807u);
    EXPECT_EQ(OutputBlock(kWorkingCopy, 1) + out::kZeroSetVal, 3007u);
    EXPECT_EQ(HeadBlock(kWorkingCopy, 1) + head::kCalibrating, 2719u);
}

}  // namespace
}  // namespace zul::sim

// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FieldCodec.h"

#include <gtest/gtest.h>
#include <clocale>

#include "link/TraceEscape.h"

namespace zul {
namespace {

std::string Written(const std::function<void(std::string&, int32_t&)>& write) {
    std::string text;
    int32_t cursor = 0;
    write(text, cursor);
    EXPECT_EQ(cursor, static_cast<int32_t>(text.size()));
    return text;
}

TEST(FieldWrite, DecimalKeepsRightmostDigits) {
    EXPECT_EQ(FormatDecimal(123456, 5), "23456");
    EXPECT_EQ(FormatDecimal(7, 5), "00007");
    EXPECT_EQ(FormatDecimal(0, 5), "00000");
    EXPECT_EQ(FormatDecimal(99999, 5), "99999");
    // A negative number travels as its 32-bit pattern 4294967295.
    EXPECT_EQ(FormatDecimal(-1, 5), "67295");
    EXPECT_EQ(FormatDecimal(2619, 5), "02619");
}

TEST(FieldWrite, TargetIsLastDigit) {
    EXPECT_EQ(Written([](auto& t, auto& c) { WriteTarget(t, c, 13); }), "3");
    EXPECT_EQ(Written([](auto& t, auto& c) { WriteTarget(t, c, 0); }), "0");
}

TEST(FieldWrite, SignedElevenCharacters) {
    EXPECT_EQ(FormatSigned11(-5), "-0000000005");
    EXPECT_EQ(FormatSigned11(7), "+0000000007");
    EXPECT_EQ(FormatSigned11(0), "+0000000000");
    EXPECT_EQ(FormatSigned11(INT32_MIN), "-2147483648");
    EXPECT_EQ(FormatSigned11(INT32_MAX), "+2147483647");
}

TEST(FieldWrite, RealElevenCharacters) {
    EXPECT_EQ(FormatReal11(1.5), "+001.500000");
    EXPECT_EQ(FormatReal11(-0.25), "-000.250000");
    EXPECT_EQ(FormatReal11(0.0), "+000.000000");
    EXPECT_EQ(FormatReal11(999.9999994), "+999.999999");
    EXPECT_EQ(FormatReal11(-123.456789), "-123.456789");
    // Magnitudes of 1000 and more lose their leading characters, the sign first.
    EXPECT_EQ(FormatReal11(1234.5), "1234.500000");
    EXPECT_EQ(FormatReal11(-12345.5), "2345.500000");
}

TEST(FieldWrite, RealIgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old != nullptr ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale installed";
    }
    EXPECT_EQ(FormatReal11(1.5), "+001.500000");
    int32_t cursor = 0;
    EXPECT_DOUBLE_EQ(ReadReal11("+001.500000", cursor), 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FieldWrite, HexWordLowByteFirst) {
    EXPECT_EQ(FormatHexWord(0x1234), "3412");
    EXPECT_EQ(FormatHexWord(0x00FF), "FF00");
    EXPECT_EQ(FormatHexWord(0x0102), "0201");
    EXPECT_EQ(FormatHexWord(0xABCDEF01), "01EF");  // only the low 16 bits
}

TEST(FieldWrite, WritingAtACursorOverwritesAndAppends) {
    std::string text = "%EE#XXX";
    int32_t cursor = 4;
    WriteText(text, cursor, "RMC");
    EXPECT_EQ(text, "%EE#RMC");
    EXPECT_EQ(cursor, 7);
    cursor = 100;  // clamped to the end
    WriteDecimal(text, cursor, 3, 2);
    EXPECT_EQ(text, "%EE#RMC03");
    EXPECT_EQ(cursor, 9);
    cursor = 8;  // overwrite one character, append the other
    WriteText(text, cursor, "45");
    EXPECT_EQ(text, "%EE#RMC045");
}

TEST(FieldRead, DecimalFields) {
    int32_t cursor = 7;
    EXPECT_EQ(ReadDecimal("%EE$RMC00003", cursor, 5), 3);
    EXPECT_EQ(cursor, 12);
    EXPECT_EQ(ParseDecimalField("-0012"), -12);
    EXPECT_EQ(ParseDecimalField("  +42"), 42);
    EXPECT_EQ(ParseDecimalField("12x45"), 12);
    EXPECT_EQ(ParseDecimalField("abcde"), 0);
    EXPECT_EQ(ParseDecimalField(""), 0);
    EXPECT_EQ(ParseDecimalField("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimalField("+9999999999"), INT32_MAX);
}

TEST(FieldRead, ShortReplyGivesShortZeroFields) {
    int32_t cursor = 7;
    EXPECT_EQ(ReadDecimal("%EE$RMC", cursor, 5), 0);
    EXPECT_EQ(cursor, 7);
    cursor = 7;
    EXPECT_EQ(ReadDecimal("%EE$RMC12", cursor, 5), 12);
    EXPECT_EQ(cursor, 9);
    EXPECT_EQ(ReadHexWord("%EE$RMC12", cursor), 0);
    cursor = 0;
    EXPECT_EQ(ReadHexWord("FF", cursor), 0);  // the high byte is missing: no word
    cursor = 0;
    EXPECT_EQ(ReadHexWord("F G0", cursor), 0);  // not "%2x": a blank or letter is no digit
}

// The strict readers of reply data take the whole field or nothing.
TEST(FieldTake, FieldsMustBeCompleteAndOfTheirKind) {
    int32_t value = -1;
    int32_t cursor = 7;
    EXPECT_TRUE(TakeDecimal("%EE$RMC00003", cursor, 5, value));
    EXPECT_EQ(value, 3);
    EXPECT_EQ(cursor, 12);
    for (const char* bad : {"%EE$RMC", "%EE$RMC003", "%EE$RMC0A003", "%EE$RMC 0003", "%EE$RMC+0003",
                            "%EE$RMC-0003", "%EE$RMC0003\t"}) {
        cursor = 7;
        value = -1;
        EXPECT_FALSE(TakeDecimal(bad, cursor, 5, value)) << bad;
        EXPECT_EQ(cursor, 7) << bad;
        EXPECT_EQ(value, -1) << bad;
    }
    cursor = 0;
    EXPECT_TRUE(TakeSigned11("-0000000042", cursor, value));
    EXPECT_EQ(value, -42);
    for (const char* bad : {"00000000042", "+000000004", "+00000000x2", "+2147483648",
                            "-2147483649", "++000000042", " -000000042"}) {
        cursor = 0;
        EXPECT_FALSE(TakeSigned11(bad, cursor, value)) << bad;
        EXPECT_EQ(cursor, 0) << bad;
    }
    cursor = 0;
    EXPECT_TRUE(TakeSigned11("-2147483648", cursor, value));
    EXPECT_EQ(value, INT32_MIN);

    double real = 7.0;
    cursor = 0;
    EXPECT_TRUE(TakeReal11("+001.500000", cursor, real));
    EXPECT_DOUBLE_EQ(real, 1.5);
    for (const char* bad :
         {"+001.50000", "+001.5000x0", "+1.50000e+0", "+00.1.50000", "+nan0000000", "+inf0000000",
          "  +1.500000", "+001.5000 0", "+001.50000\n"}) {
        cursor = 0;
        real = 7.0;
        EXPECT_FALSE(TakeReal11(bad, cursor, real)) << bad;
        EXPECT_EQ(real, 7.0) << bad;
        EXPECT_EQ(cursor, 0) << bad;
    }

    uint16_t word = 9;
    cursor = 0;
    EXPECT_TRUE(TakeHexWord("ff0a", cursor, word));
    EXPECT_EQ(word, 0x0AFF);
    for (const char* bad : {"FF0", "F 0A", "FG0A", "+F0A", "0xFF", "-1FF"}) {
        cursor = 0;
        word = 9;
        EXPECT_FALSE(TakeHexWord(bad, cursor, word)) << bad;
        EXPECT_EQ(word, 9) << bad;
    }
    EXPECT_FALSE(ParseHexWordField("FF00A", word));
    EXPECT_FALSE(ParseHexWordField("", word));
}

TEST(FieldRead, HexWordAndReal) {
    int32_t cursor = 0;
    EXPECT_EQ(ReadHexWord("FF00", cursor), 255);
    cursor = 0;
    EXPECT_EQ(ReadHexWord("3412", cursor), 0x1234);
    cursor = 0;
    EXPECT_EQ(ReadHexWord("ff0a", cursor), 0x0AFF);  // lower case accepted
    cursor = 0;
    EXPECT_DOUBLE_EQ(ReadReal11("-000.250000", cursor), -0.25);
    EXPECT_EQ(cursor, 11);
    EXPECT_DOUBLE_EQ(ParseRealField("garbage"), 0.0);
    EXPECT_DOUBLE_EQ(ParseRealField("+1e2"), 100.0);
}

TEST(FieldRead, FreeSignedInteger) {
    int32_t cursor = 2;
    EXPECT_EQ(ReadSignedInt("xx-123,5", cursor), -123);
    EXPECT_EQ(cursor, 6);
    cursor = 0;
    EXPECT_EQ(ReadSignedInt("+77", cursor), 77);
    cursor = 0;
    EXPECT_EQ(ReadSignedInt("abc", cursor), 0);
    EXPECT_EQ(cursor, 0);
}

TEST(FieldRead, EveryWriterRoundTrips) {
    for (int32_t v : {0, 1, -1, 12345, -99999, INT32_MAX, INT32_MIN}) {
        int32_t cursor = 0;
        EXPECT_EQ(ReadDecimal(FormatSigned11(v), cursor, kSigned11Width), v);
    }
    for (uint32_t v : {0u, 1u, 255u, 256u, 0x7FFFu, 0xFFFFu}) {
        int32_t cursor = 0;
        EXPECT_EQ(ReadHexWord(FormatHexWord(v), cursor), v);
    }
    for (double v : {0.0, 1.5, -0.25, 999.5, -999.999999, 0.000001}) {
        int32_t cursor = 0;
        EXPECT_NEAR(ReadReal11(FormatReal11(v), cursor), v, 5e-7);
    }
    // The strict readers accept everything the writers produce.
    for (int32_t v : {0, 1, -1, 12345, -99999, INT32_MAX, INT32_MIN}) {
        int32_t cursor = 0;
        int32_t read = 0;
        EXPECT_TRUE(TakeSigned11(FormatSigned11(v), cursor, read));
        EXPECT_EQ(read, v);
    }
    for (int32_t v : {0, 1, 99999, 12345}) {
        int32_t cursor = 0;
        int32_t read = -1;
        EXPECT_TRUE(TakeDecimal(FormatDecimal(v, 5), cursor, 5, read));
        EXPECT_EQ(read, v);
    }
    for (uint32_t v : {0u, 1u, 255u, 256u, 0x7FFFu, 0xFFFFu}) {
        int32_t cursor = 0;
        uint16_t read = 0;
        EXPECT_TRUE(TakeHexWord(FormatHexWord(v), cursor, read));
        EXPECT_EQ(read, v);
    }
    for (double v : {0.0, 1.5, -0.25, 999.5, -999.999999, 0.000001}) {
        int32_t cursor = 0;
        double read = 99.0;
        EXPECT_TRUE(TakeReal11(FormatReal11(v), cursor, read)) << FormatReal11(v);
        EXPECT_NEAR(read, v, 5e-7);
    }
}

TEST(VersionText, HighByteHexPointLowByteTwoDigits) {
    EXPECT_EQ(FormatVersionText(0x0123), "1.23");
    EXPECT_EQ(FormatVersionText(0x1A05), "1A.05");
    EXPECT_EQ(FormatVersionText(0x0000), "0.00");
    EXPECT_EQ(FormatVersionText(0xFFFF), "FF.FF");
}

TEST(TraceEscaping, ControlBytesBackslashAndHighBytes) {
    EXPECT_EQ(EscapeTraceBytes("%EE#RMC06A\r"), "%EE#RMC06A\\r");
    EXPECT_EQ(EscapeTraceBytes("a\nb\\c"), "a\\nb\\\\c");
    EXPECT_EQ(EscapeTraceBytes(std::string("\x00\x1f\x7f\xff\x80\xfe", 6)),
              std::string("\\x00\\x1f\\x7f\\xff\x80\xfe"));
    EXPECT_EQ(FormatTraceLine("RS", "SND", "%EE#RMC06A\r"), "RS, SND,   11, %EE#RMC06A\\r");
    EXPECT_EQ(FormatTraceLine("US", "RCV", std::string(12345, 'x')).substr(0, 15),
              "US, RCV, 12345,");
}

}  // namespace
}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ProfileText.h"

#include <gtest/gtest.h>

namespace zul {
namespace {

using List = std::vector<std::string>;

TEST(ProfileLine, QuotedValueKeepsItsSemicolonAndCommentStartsAtTheNext) {
    ProfileLine line = SplitProfileLine("Key = \"a;b c\" ; the comment ");
    EXPECT_TRUE(line.hasSeparator);
    EXPECT_EQ(line.key, "Key");
    EXPECT_EQ(line.value, "a;b c");
    EXPECT_EQ(line.comment, "; the comment");
    EXPECT_EQ(line.text, "Key = \"a;b c\"");
}

TEST(ProfileLine, SeparatorQuotesAndLineEnds) {
    ProfileLine quotedKey = SplitProfileLine("\"a=b\"=c=d");
    EXPECT_EQ(quotedKey.key, "a=b");
    EXPECT_EQ(quotedKey.value, "c=d");

    ProfileLine doubled = SplitProfileLine("k=\"say \"\"hi\"\";\"");
    EXPECT_EQ(doubled.value, "say \"hi\";");
    EXPECT_TRUE(doubled.comment.empty());

    ProfileLine plain = SplitProfileLine("  just text ;c");
    EXPECT_FALSE(plain.hasSeparator);
    EXPECT_EQ(plain.text, "just text");
    EXPECT_EQ(plain.comment, ";c");
    EXPECT_TRUE(plain.key.empty());

    ProfileLine cut = SplitProfileLine("k=v\rjunk=1\n");
    EXPECT_EQ(cut.value, "v");
    EXPECT_EQ(SplitProfileLine("k=v\nmore").value, "v");

    ProfileLine commentOnly = SplitProfileLine("; only a comment");
    EXPECT_TRUE(commentOnly.text.empty());
    EXPECT_EQ(commentOnly.comment, "; only a comment");

    ProfileLine empty = SplitProfileLine("k=");
    EXPECT_TRUE(empty.hasSeparator);
    EXPECT_EQ(empty.key, "k");
    EXPECT_EQ(empty.value, "");

    // Text not beginning with a quote is left as it is.
    EXPECT_EQ(SplitProfileLine("k=a\"b\"").value, "a\"b\"");
}

TEST(ProfileTrim, IdeographicSpaceButNeverPartOfACharacter) {
    EXPECT_EQ(TrimText("\xE3\x80\x80 \tx y\t\xE3\x80\x80 "), "x y");
    // "ぁ@" ends in the bytes 0x81 0x40; they belong to the text.
    EXPECT_EQ(TrimText("\xE3\x81\x81@"), "\xE3\x81\x81@");
    EXPECT_EQ(TrimText("\x81\x40"), "\x81\x40");
    EXPECT_EQ(TrimText(" \t "), "");
    // A partial ideographic space is not a blank.
    EXPECT_EQ(TrimText("a\xE3\x80"), "a\xE3\x80");
}

TEST(ProfileQuote, WhatNeedsQuotes) {
    for (const char* text : {"a b", "a\tb", "a\"b", "a=b", "a,b", "[a", "a]", "{", "}", "(", ")",
                             "<", ">", "a;b", "\xE3\x80\x80x"}) {
        EXPECT_TRUE(NeedsQuotes(text)) << text;
    }
    for (const char* text : {"", "abc", "1.500000", "-12", "C:\\x", "\xE3\x81\x81@"}) {
        EXPECT_FALSE(NeedsQuotes(text)) << text;
        EXPECT_EQ(QuoteText(text), text);
    }
    EXPECT_EQ(QuoteText("a b"), "\"a b\"");
    EXPECT_EQ(QuoteText("say \"hi\""), "\"say \"\"hi\"\"\"");
}

TEST(ProfileQuote, QuotedKeysAndValuesReadBackUnchanged) {
    for (std::string text : {"a b", " lead", "trail ", "x=y", "semi;colon", "q\"uote\"", "\"\"",
                             "[sec]", "<sub>", "1,500000", "\xE3\x80\x80wide"}) {
        ProfileLine line = SplitProfileLine(QuoteText(text) + "=" + QuoteText(text) + " ;c");
        EXPECT_EQ(line.key, text);
        EXPECT_EQ(line.value, text);
        EXPECT_EQ(line.comment, ";c");
    }
}

TEST(ProfileEscape, EscapesAndBack) {
    EXPECT_EQ(EscapeText("a\nb\rc\\d\x01\t\x7f\xff\x1f e"),
              "a\\nb\\rc\\\\d\\x01\\x09\\x7f\\xff\\x1f e");
    EXPECT_EQ(EscapeText(std::string("\0z", 2)), "\\x00z");
    EXPECT_EQ(EscapeText("\x0b\x0c\x0e"), "\\x0b\\x0c\\x0e");
    EXPECT_EQ(EscapeText("plain \xE3\x81\x81"), "plain \xE3\x81\x81");

    EXPECT_EQ(UnescapeText("a\\nb\\rc\\\\d\\x41\\X4a\\q"), "a\nb\rc\\dAJq");
    EXPECT_EQ(UnescapeText("end\\"), "end");
    EXPECT_EQ(UnescapeText("\\xZ1"), "xZ1");
    EXPECT_EQ(UnescapeText("\\x4"), "x4");
    EXPECT_EQ(UnescapeText("\\x00"), std::string("\0", 1));

    std::string every;
    for (int c = 0; c < 256; ++c) {
        every += static_cast<char>(c);
    }
    std::string escaped = EscapeText(every);
    EXPECT_EQ(escaped.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(UnescapeText(escaped), every);
}

TEST(ProfileCommaList, Splitting) {
    EXPECT_EQ(SplitCommaList(""), List{});
    EXPECT_EQ(SplitCommaList("a"), (List{"a"}));
    EXPECT_EQ(SplitCommaList("a,b"), (List{"a", "b"}));
    EXPECT_EQ(SplitCommaList("a,b,"), (List{"a", "b"}));
    EXPECT_EQ(SplitCommaList("a,,b"), (List{"a", "", "b"}));
    EXPECT_EQ(SplitCommaList(","), (List{""}));
    EXPECT_EQ(SplitCommaList(" a , b"), (List{" a ", " b"}));
    EXPECT_EQ(SplitCommaList("\"x,y\",z"), (List{"x,y", "z"}));
    EXPECT_EQ(SplitCommaList("\"say \"\"hi\"\"\",2"), (List{"say \"hi\"", "2"}));
    EXPECT_EQ(SplitCommaList("a,\"\""), (List{"a", ""}));
    EXPECT_EQ(SplitCommaList("1;\"2,5\";3", ';'), (List{"1", "2,5", "3"}));
    EXPECT_EQ(SplitCommaList("1\t2", '\t'), (List{"1", "2"}));
}

TEST(ProfileText, EqualsNoCase) {
    EXPECT_TRUE(EqualsNoCase("CtrlAlias", "CTRLALIAS"));
    EXPECT_TRUE(EqualsNoCase("", ""));
    EXPECT_FALSE(EqualsNoCase("csv", "csvx"));
    EXPECT_FALSE(EqualsNoCase("a_b", "a-b"));
}

}  // namespace
}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Frame.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zul {
namespace {

using Frames = std::vector<std::string>;

TEST(FrameBuild, BccAndTerminator) {
    EXPECT_EQ(AppendBcc("%EE#RMC0"), "%EE#RMC06A");
    EXPECT_EQ(AppendBcc("%EE$RMC00003"), "%EE$RMC000036E");
    EXPECT_EQ(AppendNoBcc("%EE#RMC0"), "%EE#RMC0**");
    EXPECT_EQ(Terminate(AppendBcc("%EE#RMC0")), "%EE#RMC06A\r");
    EXPECT_EQ(Terminate("").size(), 1u);
}

TEST(FrameBuild, BccIsZeroPaddedUpperCase) {
    // "%EE#" alone XORs to 0x25^0x45^0x45^0x23 = 0x06.
    EXPECT_EQ(AppendBcc("%EE#"), "%EE#06");
    std::string text = "%EE#WDD0";
    std::string framed = AppendBcc(text);
    EXPECT_TRUE(CheckBcc(framed.data(), text.size(), framed[text.size()], framed[text.size() + 1]));
}

TEST(FrameCheck, AcceptsEitherCaseAndRejectsNonHex) {
    const std::string text = "%EE$RMC00003";
    EXPECT_TRUE(CheckBcc(text.data(), text.size(), '6', 'E'));
    EXPECT_TRUE(CheckBcc(text.data(), text.size(), '6', 'e'));
    EXPECT_FALSE(CheckBcc(text.data(), text.size(), '6', 'F'));
    EXPECT_FALSE(CheckBcc(text.data(), text.size(), '*', '*'));
    EXPECT_FALSE(CheckBcc(text.data(), text.size(), 'G', '0'));
}

TEST(FrameExtract, FrameSplitAcrossReads) {
    FrameExtractor extractor;
    EXPECT_TRUE(extractor.Push("xx%EE$RMC000", true).empty());
    EXPECT_EQ(extractor.Push("036E\r", true), Frames{"%EE$RMC00003"});
    EXPECT_EQ(extractor.Buffered(), 0u);
}

TEST(FrameExtract, BadBccIsDroppedAndBufferEmptied) {
    FrameExtractor extractor;
    EXPECT_TRUE(extractor.Push("xx%EE$RMC000", true).empty());
    EXPECT_TRUE(extractor.Push("036F\r", true).empty());
    EXPECT_EQ(extractor.Buffered(), 0u);
}

TEST(FrameExtract, ShortFrames) {
    // 7 bytes: "%EE$" + BCC + CR is delivered as "%EE$".
    std::string seven = Terminate(AppendBcc("%EE$"));
    ASSERT_EQ(seven.size(), 7u);
    FrameExtractor extractor;
    EXPECT_EQ(extractor.Push(seven, true), Frames{"%EE$"});
    // 6 bytes: "%EE" + two characters + CR is never delivered, with or without BCC.
    EXPECT_TRUE(extractor.Push("%EE06\r", true).empty());
    EXPECT_TRUE(extractor.Push("%EE**\r", false).empty());
}

TEST(FrameExtract, BccSwitch) {
    FrameExtractor on;
    EXPECT_TRUE(on.Push("%EE$RMC00003**\r", true).empty());
    FrameExtractor off;
    EXPECT_EQ(off.Push("%EE$RMC00003**\r", false), Frames{"%EE$RMC00003"});
    EXPECT_EQ(off.Push("%EE$RMC00003ZZ\r", false), Frames{"%EE$RMC00003"});
}

TEST(FrameExtract, GarbageBetweenFramesAndFalseStarts) {
    std::string good1 = Terminate(AppendBcc("%EE$RMC00003"));
    std::string good2 = Terminate(AppendBcc("%EE$RSP0123"));
    std::string stream = "\x01%E%X%EE" + good1 + "noise%%EE$BAD00\r" + good2 + "%E";
    FrameExtractor extractor;
    EXPECT_EQ(extractor.Push(stream, true), (Frames{"%EE$RMC00003", "%EE$RSP0123"}));
    EXPECT_EQ(extractor.Buffered(), 2u);  // "%E" waits for more
}

// A stream of good and corrupted frames cut at random places yields exactly the good frames,
// whatever the cut points.
TEST(FrameExtract, RandomChunkingOfMixedStream) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 200; ++round) {
        std::string stream;
        Frames expected;
        for (int i = 0; i < 20; ++i) {
            std::string text = "%EE$R" + std::string(1, static_cast<char>('A' + i)) + "D" +
                               std::to_string(rng() % 100000);
            std::string frame = Terminate(AppendBcc(text));
            switch (rng() % 4) {
                case 0:  // corrupt the BCC
                    frame[frame.size() - 2] = frame[frame.size() - 2] == '0' ? '1' : '0';
                    break;
                case 1:  // noise without "%" in front
                    stream += "zz\n";
                    expected.push_back(text);
                    break;
                default:
                    expected.push_back(text);
                    break;
            }
            stream += frame;
        }
        FrameExtractor extractor;
        Frames got;
        size_t pos = 0;
        while (pos < stream.size()) {
            size_t n = 1 + rng() % 17;
            for (auto& f : extractor.Push(std::string_view(stream).substr(pos, n), true)) {
                got.push_back(f);
            }
            pos += n;
        }
        ASSERT_EQ(got, expected) << "round " << round;
        EXPECT_EQ(extractor.Buffered(), 0u);
    }
}

TEST(FrameExtract, EndlessStartsWithoutCarriageReturnStayBounded) {
    FrameExtractor extractor;
    std::string chunk;
    for (int i = 0; i < 1000; ++i) {
        chunk += "%EE";
    }
    for (int i = 0; i < 500; ++i) {  // 1.5 MB of "%EE" without a carriage return
        EXPECT_TRUE(extractor.Push(chunk, true).empty());
        ASSERT_LE(extractor.Buffered(), kMaxReceiveBuffer);
    }
    std::string good = Terminate(AppendBcc("%EE$RMC00003"));
    EXPECT_EQ(extractor.Push(good, true), Frames{"%EE$RMC00003"});
    EXPECT_EQ(extractor.Buffered(), 0u);
}

TEST(FrameExtract, FrameThatLostItsEndDoesNotSwallowTheNext) {
    std::string good = Terminate(AppendBcc("%EE$RMC00003"));
    FrameExtractor extractor;
    // Two truncated copies of the same reply XOR to zero, so only the start rule saves the
    // good frame that follows them.
    EXPECT_EQ(extractor.Push("%EE$RMC0%EE$RMC0" + good, true), Frames{"%EE$RMC00003"});
    EXPECT_EQ(extractor.Push("%EE$RSP01" + good, false), Frames{"%EE$RMC00003"});
}

TEST(FrameExtract, LongestLegalReplySurvivesTheCap) {
    std::string data(33000, '0');
    std::string text = "%EE$RDD" + data;
    std::string frame = Terminate(AppendBcc(text));
    FrameExtractor extractor;
    extractor.Push(std::string(40000, 'x') + "%EE", true);
    size_t half = frame.size() / 2;
    EXPECT_TRUE(extractor.Push(frame.substr(0, half), true).empty());
    EXPECT_EQ(extractor.Push(frame.substr(half), true), Frames{text});
}

TEST(FrameMatch, EchoModeZero) {
    auto r = MatchReply("%EE#RMC0", kEchoMode3Letters, "%EE$RMC00003");
    EXPECT_EQ(r.kind, ReplyMatch::kAccepted);
    EXPECT_EQ(r.text, "%EE$RMC00003");
    EXPECT_EQ(MatchReply("%EE#RSP", kEchoMode3Letters, "%EE$RMC00003").kind, ReplyMatch::kNotReply);
    EXPECT_EQ(MatchReply("%EE#RMC0", kEchoMode3Letters, "%EE$").kind, ReplyMatch::kNotReply);
    EXPECT_EQ(MatchReply("%EE#RMC0", kEchoMode3Letters, "%EE").kind, ReplyMatch::kNotReply);
}

TEST(FrameMatch, EchoModeOneInsertsD) {
    auto r = MatchReply("%EE#RDD0012300002", kEchoMode2Letters, "%EE$RD00010002");
    EXPECT_EQ(r.kind, ReplyMatch::kAccepted);
    EXPECT_EQ(r.text, "%EE$RDD00010002");
    EXPECT_EQ(r.text.substr(kReplyDataOffset), "00010002");
    EXPECT_EQ(MatchReply("%EE#WDD0012300002", kEchoMode2Letters, "%EE$RD").kind,
              ReplyMatch::kNotReply);
}

TEST(FrameMatch, ErrorReplies) {
    auto r = MatchReply("%EE#RMC0", kEchoMode3Letters, "%EE!22");
    EXPECT_EQ(r.kind, ReplyMatch::kError);
    EXPECT_EQ(r.errorCode, 22);
    r = MatchReply("%EE#RDD00001", kEchoMode2Letters, "%EE!05");
    EXPECT_EQ(r.kind, ReplyMatch::kError);
    EXPECT_EQ(r.errorCode, 5);
    EXPECT_EQ(MatchReply("%EE#RMC0", kEchoMode3Letters, "%EE!2").kind, ReplyMatch::kNotReply);
}

TEST(FrameMatch, OtherEchoModesNeverMatch) {
    EXPECT_EQ(MatchReply("%EE#RMC0", 2, "%EE$RMC00003").kind, ReplyMatch::kNotReply);
    EXPECT_EQ(MatchReply("%EE#RMC0", -1, "%EE!22").kind, ReplyMatch::kNotReply);
}

}  // namespace
}  // namespace zul

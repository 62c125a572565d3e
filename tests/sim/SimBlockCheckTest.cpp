// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's block check against the tool's: two routines written apart must agree on every
// frame, so that a fault in one cannot hide in both.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "SimBlockCheck.h"
#include "link/Frame.h"

namespace zul::sim {
namespace {

// Texts of every kind the line carries: requests, accepted and error replies, the empty text,
// every single byte, and random texts of every length up to a full request.
std::vector<std::string> SampleTexts() {
    std::vector<std::string> texts = {"",
                                      "%EE#RDD0011800124",
                                      "%EE#RMC0",
                                      "%EE$RMC00003",
                                      "%EE!40",
                                      "%EE#WDD00118001184142",
                                      "%EE$RLB+000.688261-242-5004+2795",
                                      "%EE#RMB5"};
    for (int byte = 0; byte < 256; ++byte) {
        texts.emplace_back(1, static_cast<char>(byte));
    }
    std::mt19937 random(20261208);
    for (size_t length = 2; length < 512; length += 3) {
        std::string text(length, '\0');
        for (char& c : text) {
            c = static_cast<char>(random() & 0xFF);
        }
        texts.push_back(text);
    }
    return texts;
}

TEST(SimBlockCheck, KnownValues) {
    // Worked out by hand: the exclusive or of the bytes.
    EXPECT_EQ(BlockCheckOf("%EE#RDD0011800124"), "5B");
    EXPECT_EQ(BlockCheckOf("%EE#RMC0"), "6A");
    EXPECT_EQ(BlockCheckOf("%EE!40"), "00");
    EXPECT_EQ(BlockCheckOf(""), "00");
    EXPECT_EQ(FrameReply("%EE$RMC00003"), "%EE$RMC000036E\r");
    EXPECT_TRUE(BlockCheckMatches("%EE#RMC06a"));
    EXPECT_FALSE(BlockCheckMatches("%EE#RMC06B"));
    EXPECT_FALSE(BlockCheckMatches("%EE#RMC0**"));
    EXPECT_FALSE(BlockCheckMatches("0"));
}

TEST(SimBlockCheck, AgreesWithTheToolOnEveryFrame) {
    for (const std::string& text : SampleTexts()) {
        SCOPED_TRACE(testing::PrintToString(text));
        // What the tool sends, the emulator accepts, and the reverse.
        EXPECT_EQ(Terminate(AppendBcc(text)), FrameReply(text));
        std::string framed = AppendBcc(text);
        EXPECT_TRUE(BlockCheckMatches(framed));
        EXPECT_TRUE(CheckBcc(text.data(), text.size(), framed[framed.size() - 2],
                             framed[framed.size() - 1]));
        // Both refuse the same wrong checks, of either case.
        for (const char* check : {"00", "5b", "FF", "G0", "**", "a0", "0A"}) {
            std::string wrong = text + check;
            EXPECT_EQ(BlockCheckMatches(wrong),
                      CheckBcc(text.data(), text.size(), check[0], check[1]))
                << check;
        }
    }
}

}  // namespace
}  // namespace zul::sim

// SPDX-License-Identifier: GPL-3.0-or-later
// What the frame extraction dropped, told apart from what it delivered and from line noise.
#include "link/FrameDiscards.h"

#include <gtest/gtest.h>

#include "link/Frame.h"

namespace zul {
namespace {

// Runs one extraction over the bytes and finds what it dropped, as the raw thread does.
std::vector<DiscardedFrame> Extract(std::string bytes, bool bccOn, std::vector<std::string>* frames,
                                    std::string buffer = {}) {
    std::string consumed = buffer + bytes;
    *frames = ExtractFrames(buffer, bytes, bccOn);
    consumed.resize(consumed.size() - buffer.size());
    return FindDiscardedFrames(consumed, *frames, bccOn);
}

TEST(FrameDiscards, BadBlockCheckBeforeTheGoodFrameWithTheSameText) {
    std::string good = Terminate(AppendBcc("%EE$RMC00003"));
    std::string bad = good;
    bad[bad.size() - 2] = 'F';  // "6F" instead of "6E"
    std::vector<std::string> frames;
    auto discarded = Extract("noise" + bad + "\x01" + good, true, &frames);
    ASSERT_EQ(frames, (std::vector<std::string>{"%EE$RMC00003"}));
    ASSERT_EQ(discarded.size(), 1u);
    EXPECT_EQ(discarded[0].bytes, "%EE$RMC000036F");
    EXPECT_EQ(discarded[0].reason, DiscardReason::kBadBcc);
    EXPECT_EQ(discarded[0].framesBefore, 0u);  // it came first on the line
}

TEST(FrameDiscards, OrderShortFramesStarsAndNoise) {
    std::string first = Terminate(AppendBcc("%EE$RSP00001"));
    std::string second = Terminate(AppendBcc("%EE$RMC00002"));
    std::vector<std::string> frames;
    // A good frame, a frame too short to be one, noise with an end but no start, a frame with
    // "**" while the check is on, a good frame, and the start of one still arriving.
    auto discarded = Extract(
        first + "%EE0\r" + "garbage\r" + "%EE$RMC00008**\r" + second + "%EE$RM", true, &frames);
    ASSERT_EQ(frames, (std::vector<std::string>{"%EE$RSP00001", "%EE$RMC00002"}));
    ASSERT_EQ(discarded.size(), 2u);
    EXPECT_EQ(discarded[0].bytes, "%EE0");
    EXPECT_EQ(discarded[0].reason, DiscardReason::kBroken);
    EXPECT_EQ(discarded[0].framesBefore, 1u);
    EXPECT_EQ(discarded[1].bytes, "%EE$RMC00008**");
    EXPECT_EQ(discarded[1].reason, DiscardReason::kBadBcc);
    EXPECT_EQ(discarded[1].framesBefore, 1u);
}

TEST(FrameDiscards, FrameCompletedFromAnEarlierReadAndNothingDroppedWithBccOff) {
    std::vector<std::string> frames;
    // The start came with an earlier read and waits in the buffer.
    auto discarded = Extract("036E\r", true, &frames, "%EE$RMC000");
    EXPECT_EQ(frames, (std::vector<std::string>{"%EE$RMC00003"}));
    EXPECT_TRUE(discarded.empty());
    discarded = Extract("%EE$RMC00007zz\r%EE$RMC00008**\r", false, &frames);
    EXPECT_EQ(frames.size(), 2u);
    EXPECT_TRUE(discarded.empty());
}

}  // namespace
}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/DeltaDecoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace zul {
namespace {

constexpr double kSentinel = -12345.0;

std::string Reply(const std::string& data) {
    return "%EE$RLB" + data;
}

TEST(DeltaDecoder, DecodesFirstValueAndSignedDifferences) {
    std::vector<double> out(3, kSentinel);
    ResultInfo info;
    ASSERT_EQ(DecodeValueBlock(Reply("+001.000000+5-12"), out, &info), ZUL_OK);
    EXPECT_TRUE(info.Ok());
    EXPECT_NEAR(out[0], 1.000000, 1e-12);
    EXPECT_NEAR(out[1], 1.000005, 1e-12);
    EXPECT_NEAR(out[2], 0.999993, 1e-12);
}

TEST(DeltaDecoder, DifferencesWithoutSignAndAcrossZero) {
    std::vector<double> out(4, kSentinel);
    ASSERT_EQ(DecodeValueBlock(Reply("-000.0000021-1-3000000"), out, nullptr), ZUL_OK);
    EXPECT_NEAR(out[0], -0.000002, 1e-12);
    EXPECT_NEAR(out[1], -0.000001, 1e-12);
    EXPECT_NEAR(out[2], -0.000002, 1e-12);
    EXPECT_NEAR(out[3], -3.000002, 1e-12);
}

TEST(DeltaDecoder, SingleValueBlockHoldsOnlyTheFirstValue) {
    std::vector<double> out(1, kSentinel);
    ASSERT_EQ(DecodeValueBlock(Reply("-949.999999"), out, nullptr), ZUL_OK);
    EXPECT_NEAR(out[0], -949.999999, 1e-9);
    ASSERT_EQ(DecodeValueBlock(Reply("  -1.500000"), out, nullptr), ZUL_OK);
    EXPECT_NEAR(out[0], -1.5, 1e-12);
}

// A long chain must not drift: every decoded value stays on the millionth it encodes, which
// needs the small bias before truncation.
TEST(DeltaDecoder, LongChainStaysOnExactMillionths) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int64_t> step(-2000000, 2000000);
    const size_t count = 2900;
    std::vector<int64_t> micro(count);
    micro[0] = 123456789;  // 123.456789
    for (size_t i = 1; i < count; ++i) {
        micro[i] = std::clamp<int64_t>(micro[i - 1] + step(rng), -950000000, 950000000);
    }
    char first[32];
    std::snprintf(first, sizeof first, "%+011.6f", micro[0] / 1e6);
    std::string data = first;
    for (size_t i = 1; i < count; ++i) {
        int64_t d = micro[i] - micro[i - 1];
        data += (d < 0 ? "-" : "+") + std::to_string(d < 0 ? -d : d);
    }
    std::vector<double> out(count, kSentinel);
    ASSERT_EQ(DecodeValueBlock(Reply(data), out, nullptr), ZUL_OK);
    for (size_t i = 0; i < count; ++i) {
        ASSERT_NEAR(out[i], micro[i] / 1e6, 1e-9) << "value " << i;
    }
}

TEST(DeltaDecoder, TruncatesMagnitudeAfterSmallBias) {
    // Just below a whole millionth: the bias lifts it to that millionth.
    EXPECT_NEAR(ApplyDelta(0.0000029999999, 0), 0.000003, 1e-12);
    EXPECT_NEAR(ApplyDelta(-0.0000029999999, 0), -0.000003, 1e-12);
    // Half a millionth is not rounded up.
    EXPECT_NEAR(ApplyDelta(0.0000025, 0), 0.000002, 1e-12);
    EXPECT_NEAR(ApplyDelta(-0.0000025, 0), -0.000002, 1e-12);
}

// A reply that holds fewer values than asked for is a failed reply and stores nothing.
TEST(DeltaDecoder, ShortReplyFailsAndStoresNothing) {
    std::vector<double> out(3, kSentinel);
    ResultInfo info;
    EXPECT_EQ(DecodeValueBlock(Reply("+001.000000+5"), out, &info), ZUL_ERR_COMM_RES);
    EXPECT_EQ(info.code, ZUL_ERR_COMM_RES);
    for (double v : out) {
        EXPECT_EQ(v, kSentinel);
    }
    EXPECT_EQ(DecodeValueBlock(Reply("+001.000000"), out, nullptr), ZUL_ERR_COMM_RES);
    EXPECT_EQ(DecodeValueBlock(Reply("+001.0000"), std::span(out).first(1), nullptr),
              ZUL_ERR_COMM_RES);
    EXPECT_EQ(DecodeValueBlock("%EE$RLB", std::span(out).first(1), nullptr), ZUL_ERR_COMM_RES);
    EXPECT_EQ(DecodeValueBlock("", std::span(out).first(1), nullptr), ZUL_ERR_COMM_RES);
    for (double v : out) {
        EXPECT_EQ(v, kSentinel);
    }
}

TEST(DeltaDecoder, MalformedRepliesFail) {
    std::vector<double> out(2, kSentinel);
    const char* bad[] = {
        "+001.000000+",                 // sign without digits
        "+001.000000+5+",               // trailing sign
        "+001.000000+5 ",               // trailing blank
        "+0a1.000000+5",                // letter in the first value
        "+1.0.000000+5",                // two points
        "           +5",                // blank first value
        "+001.000000x5",                // garbage separator
        "+001.0000001234567890123456",  // difference too long to be a value
    };
    for (const char* data : bad) {
        EXPECT_EQ(DecodeValueBlock(Reply(data), out, nullptr), ZUL_ERR_COMM_RES) << data;
        EXPECT_EQ(out[0], kSentinel) << data;
    }
    // More values than asked for.
    EXPECT_EQ(DecodeValueBlock(Reply("+001.000000+5-6"), out, nullptr), ZUL_ERR_COMM_RES);
    EXPECT_EQ(out[0], kSentinel);
}

TEST(DeltaDecoder, EmptyDestinationIsACallerError) {
    ResultInfo info;
    EXPECT_EQ(DecodeValueBlock(Reply("+001.000000"), std::span<double>(), &info), ZUL_ERR);
}

}  // namespace
}  // namespace zul

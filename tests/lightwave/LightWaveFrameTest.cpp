// SPDX-License-Identifier: GPL-3.0-or-later
#include "lightwave/LightWaveFrame.h"

#include <gtest/gtest.h>

#include <vector>

#include "lightwave/LightWaveReadList.h"

namespace zul {
namespace {

// Each word holds its address minus 17000, so a field shows which address it came from.
std::vector<uint16_t> AddressPattern() {
    std::vector<uint16_t> area(static_cast<size_t>(kFrameAreaWords));
    for (int32_t i = 0; i < kFrameAreaWords; ++i) {
        area[static_cast<size_t>(i)] = static_cast<uint16_t>(kFrameAreaFirst + i - 17000);
    }
    return area;
}

TEST(LightWaveFrame, FieldsComeFromTheirAddresses) {
    LightWaveFrame a;
    LightWaveFrame b;
    ASSERT_TRUE(FillLightWaveFrames(AddressPattern(), 0x1111, 0xFFFF, a, b));
    EXPECT_EQ(a.Field(1), 201);
    EXPECT_EQ(b.Field(1), 202);
    EXPECT_EQ(a.Field(2), 203);
    EXPECT_EQ(b.Field(2), 204);
    for (int32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(a.Field(3 + i), 205 + i);
        EXPECT_EQ(b.Field(3 + i), 213 + i);
    }
    EXPECT_EQ(a.Field(11), 221);
    EXPECT_EQ(b.Field(11), 225);
    // 12 and 13 take their pair crosswise.
    EXPECT_EQ(a.Field(12), 223);
    EXPECT_EQ(a.Field(13), 222);
    EXPECT_EQ(b.Field(12), 227);
    EXPECT_EQ(b.Field(13), 226);
    EXPECT_EQ(a.Field(14), 224);
    EXPECT_EQ(b.Field(14), 228);
    EXPECT_EQ(a.Field(15), 229);
    EXPECT_EQ(b.Field(15), 230);
    EXPECT_EQ(a.Sample(1), 231);
    EXPECT_EQ(a.Sample(1024), 1254);
    EXPECT_EQ(b.Sample(1), 1255);
    EXPECT_EQ(b.Sample(1024), 2278);
    EXPECT_EQ(a.Field(1040), 0x1111);
    EXPECT_EQ(b.Field(1040), 65535);  // words are unsigned
}

TEST(LightWaveFrame, WrongAreaSizeLeavesFramesUntouched) {
    LightWaveFrame a;
    LightWaveFrame b;
    a.Field(1) = 7;
    std::vector<uint16_t> area = AddressPattern();
    area.pop_back();
    EXPECT_FALSE(FillLightWaveFrames(area, 1, 2, a, b));
    EXPECT_EQ(a.Field(1), 7);
    EXPECT_EQ(b.Field(1040), 0);
}

TEST(LightWaveReadList, CaptureReadsWithAndWithoutExtraWords) {
    LightWaveReadList list;
    list.BuildCaptureList(false);
    std::vector<DataAreaRead> one = {{17201, 19278}};
    EXPECT_EQ(list.Reads(), one);
    EXPECT_EQ(DataAreaReadCommand(list.Reads()[0]), "%EE#RDD1720119278");

    list.BuildCaptureList(true);
    std::vector<DataAreaRead> two = {{44, 45}, {17201, 19278}};
    EXPECT_EQ(list.Reads(), two);
    EXPECT_EQ(list.Words().size(), 2080u);
}

TEST(LightWaveReadList, LongRunsAreCutAtTheReplyLimit) {
    LightWaveReadList list;
    for (int32_t address = 1; address <= 9000; ++address) {
        list.Insert(address);
    }
    list.Insert(500);  // already listed
    ASSERT_EQ(list.Reads().size(), 2u);
    EXPECT_EQ(list.Reads()[0].Count(), kMaxWordsPerRead);
    EXPECT_LE(4 + 4 * kMaxWordsPerRead + 9, kMaxDataAreaReply);
    EXPECT_GT(4 + 4 * (kMaxWordsPerRead + 1) + 9, kMaxDataAreaReply);
    EXPECT_EQ(list.Reads()[1].last, 9000);
    EXPECT_EQ(list.Words().size(), 9000u);
}

TEST(LightWaveReadList, WordsAreLowByteFirst) {
    uint16_t word = 0;
    ASSERT_TRUE(ParseDataAreaWord("3412", word));
    EXPECT_EQ(word, 0x1234);
    ASSERT_TRUE(ParseDataAreaWord("ffFF", word));
    EXPECT_EQ(word, 0xFFFF);
    EXPECT_FALSE(ParseDataAreaWord("12G4", word));
    EXPECT_FALSE(ParseDataAreaWord("123", word));
    EXPECT_EQ(DataAreaWriteCommand(kCaptureTriggerAddress, {1}), "%EE#WDD17200172000100");
    EXPECT_EQ(DataAreaWriteCommand(10, {0x1234, 0xABCD}), "%EE#WDD00010000113412CDAB");
}

TEST(LightWaveReadList, RepliesLandAtInsertionPositionsAndFillFrames) {
    LightWaveReadList list;
    list.BuildCaptureList(true);
    ResultInfo info;
    ASSERT_EQ(list.StoreReply(0, "%EE$RDD3412FFFF", &info), ZUL_OK);
    EXPECT_EQ(list.WordAt(44), 0x1234);
    EXPECT_EQ(list.WordAt(45), 0xFFFF);
    // Insertion order: 17201.. first, then 44 and 45 at the end.
    EXPECT_EQ(list.Words()[2078], 0x1234);
    EXPECT_EQ(list.Words()[2079], 0xFFFF);

    std::string reply = "%EE$RDD";
    for (int32_t i = 0; i < kFrameAreaWords; ++i) {
        char word[8];
        std::snprintf(word, sizeof word, "%02X%02X", (i + 1) & 0xFF, (i + 1) >> 8);
        reply += word;
    }
    ASSERT_EQ(list.StoreReply(1, reply, &info), ZUL_OK);
    EXPECT_EQ(list.Words()[0], 1);
    EXPECT_EQ(list.WordAt(19278), 2078);

    LightWaveFrame a;
    LightWaveFrame b;
    ASSERT_TRUE(list.FillFrames(a, b));
    EXPECT_EQ(a.Field(1), 1);
    EXPECT_EQ(b.Field(1), 2);
    EXPECT_EQ(a.Field(13), 22);  // 17222
    EXPECT_EQ(b.Sample(1024), 2078);
    EXPECT_EQ(a.Field(1040), 0x1234);
    EXPECT_EQ(b.Field(1040), 0xFFFF);
}

TEST(LightWaveReadList, BadRepliesStoreNothing) {
    LightWaveReadList list;
    list.BuildCaptureList(true);
    ASSERT_EQ(list.StoreReply(0, "%EE$RDD01000200", nullptr), ZUL_OK);
    ResultInfo info;
    EXPECT_EQ(list.StoreReply(0, "%EE$RDD3412", &info), ZUL_ERR_COMM_RES);
    EXPECT_EQ(list.StoreReply(0, "%EE$RDD3412FFFF00", &info), ZUL_ERR_COMM_RES);
    EXPECT_EQ(list.StoreReply(0, "%EE$RDD3412FFGF", &info), ZUL_ERR_COMM_RES);
    EXPECT_EQ(info.detail1, "%EE#RDD0004400045");
    EXPECT_EQ(info.detail2, "%EE$RD3412FFGF");  // as the controller sent it
    EXPECT_EQ(list.StoreReply(0, "%EE$RDD", &info), ZUL_ERR_COMM_RES);
    EXPECT_EQ(list.StoreReply(0, "%EE$RDD3412 FFF", &info), ZUL_ERR_COMM_RES);
    EXPECT_EQ(list.StoreReply(0, "%EE$RDD3412+FFF", &info), ZUL_ERR_COMM_RES);
    EXPECT_EQ(list.StoreReply(2, "%EE$RDD3412FFFF", &info), ZUL_ERR);
    EXPECT_EQ(list.WordAt(44), 1);
    EXPECT_EQ(list.WordAt(45), 2);
}

}  // namespace
}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// The register maps and the word conversions of the settings transfer.
#include "settings/RegisterMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "settings/SettingItem.h"

namespace zul {
namespace {

// Words transferred per block: head 34, output 77, common 19 (the rest is left alone), and
// every entry starts where the ones before it end.
TEST(RegisterMaps, EntriesTileTheirBlocksAndNameRealItems) {
    struct Case {
        std::span<const RegisterMapEntry> map;
        int32_t transferred;
        int32_t blockWords;
        int32_t index2Kind;
    };
    for (const Case& c : {Case{HeadRegisterMap(), 34, 100, kIndexHead},
                          Case{OutputRegisterMap(), 77, 200, kIndexOutput},
                          Case{CommonRegisterMap(), 19, 200, kIndexNone}}) {
        int32_t next = 0;
        int32_t transferred = 0;
        std::set<int32_t> items;
        for (const RegisterMapEntry& e : c.map) {
            EXPECT_EQ(e.word1, next);
            if (e.encoding != kEncKeep && e.encoding != kEncUntouched && e.wordCount == 2) {
                EXPECT_EQ(e.word2, e.word1 + 1);
            }
            next += e.wordCount;
            transferred += TransferredWords(e);
            if (e.itemId != 0) {
                const SettingItem* item = FindItem(e.itemId);
                ASSERT_NE(item, nullptr) << e.itemId;
                EXPECT_EQ(item->index1Kind, kIndexBank) << item->key;
                if (c.index2Kind != kIndexNone) {
                    EXPECT_EQ(item->index2Kind, c.index2Kind) << item->key;
                }
                EXPECT_TRUE(items.insert(e.itemId).second) << item->key;
                bool real = e.encoding >= kEncMilliSigned && e.encoding <= kEncMicro2;
                if (e.encoding != kEncKeep) {
                    EXPECT_EQ(real, item->valueType == kValueReal) << item->key;
                }
            }
        }
        EXPECT_EQ(next, c.blockWords);
        EXPECT_EQ(transferred, c.transferred);
    }
    ASSERT_EQ(SystemRegisterMap().size(), 2u);
    EXPECT_EQ(SystemRegisterMap()[0].word1, 205);
    EXPECT_EQ(SystemRegisterMap()[0].itemId, kSysBufBufferSelfStop);
    EXPECT_EQ(TransferredWords(SystemRegisterMap()[1]), 0);
}

TEST(RegisterMaps, BlockAddresses) {
    EXPECT_EQ(BankAddress(0), 3400u);
    EXPECT_EQ(BankAddress(15), 15400u);
    EXPECT_EQ(HeadBlockAddress(BankAddress(2), 1), 5100u);
    EXPECT_EQ(OutputBlockAddress(BankAddress(2), 0), 5200u);
    EXPECT_EQ(OutputBlockAddress(BankAddress(2), 1), 5400u);
    EXPECT_EQ(CommonBlockAddress(BankAddress(2)), 5600u);
    EXPECT_EQ(CommonBlockAddress(kWorkingCopyAddress), 3200u);
}

TEST(RegisterMaps, SystemCommandRowsPairReadAndWriteOfOneSetting) {
    std::vector<int32_t> ids;
    for (const SystemCommandRow& row : SystemCommandTable()) {
        EXPECT_EQ(row.kind, 0);
        EXPECT_EQ(row.readCommand.substr(0, 5), "%EE#R");
        EXPECT_EQ(row.writeCommand.substr(0, 5), "%EE#W");
        EXPECT_EQ(row.readCommand.substr(5), row.writeCommand.substr(5));
        ids.push_back(row.itemId);
    }
    EXPECT_EQ(ids, (std::vector<int32_t>{104, 98, 99, 100, 102, 106, 107, 109}));
}

TEST(RegisterMaps, MakingValuesIntegerAndThousandths) {
    EXPECT_EQ(MakeInteger(1.5, 1.0), 1);
    EXPECT_EQ(MakeInteger(-2.999999, 1.0), -3);
    EXPECT_EQ(MakeInteger(-2.98, 1.0), -2);
    EXPECT_EQ(MakeInteger(0.1234565, 1000000.0), 123456);
    EXPECT_EQ(MakeInteger(-1.2345, 1000000.0), -1234500);
    EXPECT_EQ(MakeInteger(10.8, 1000.0), 10800);
    EXPECT_EQ(MakeInteger(1e12, 1.0), 2147483647);  // limited, never undefined
    EXPECT_EQ(MakeInteger(-1e12, 1.0), -2147483647);
    EXPECT_EQ(MakeInteger(std::nan(""), 1.0), 0);

    EXPECT_EQ(ThousandthsOf(-1.2345), -1235);
    EXPECT_EQ(ThousandthsOf(1.2345), 1235);
    EXPECT_EQ(ThousandthsOf(1.2344), 1234);
    EXPECT_EQ(ThousandthsOf(-0.0004), 0);
    EXPECT_EQ(ThousandthsOf(10.0), 10000);

    EXPECT_EQ(JoinWords(0x1CA0, 0xFFE9), -1500000);
    EXPECT_EQ(LowWord(-1500000), 0x1CA0);
    EXPECT_EQ(HighWord(-1500000), 0xFFE9);
    EXPECT_EQ(JoinWords(LowWord(70000), HighWord(70000)), 70000);
}

}  // namespace
}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "SettingsTestSupport.h"
#include "settings/UsbDeviceLister.h"

namespace zul {
namespace {

using test::PrivateHome;

class SettingsStoreTest : public ::testing::Test {
protected:
    PrivateHome home_;
    SettingsStore store_;
};

TEST_F(SettingsStoreTest, InitialValues) {
    EXPECT_EQ(store_.GetInt<kLwConfGraphUpdateCycle>(), 500);
    EXPECT_EQ(store_.GetText<kAppLogFolder>(), "log");
    EXPECT_EQ(store_.GetText<kAppImageFolder>(), "image");
    EXPECT_EQ(store_.GetInt<kHeadSetupMode>(15, 1), 0);
    EXPECT_EQ(store_.GetText<kSoftUsbConnect>(), "");
    EXPECT_EQ(store_.GetFilePath(), home_.File("config/Brantwick ORTA Sensor/QV-M8 ZuL/qv-m8.zul"));
    EXPECT_TRUE(store_.IsUnchanged());
}

TEST_F(SettingsStoreTest, AccessorsReachOneInstanceEach) {
    ASSERT_TRUE(store_.SetInt<kHeadSetupMode>(3, 15, 1));
    for (int32_t bank = 0; bank < kBankCount; ++bank) {
        for (int32_t head = 0; head < kHeadCount; ++head) {
            EXPECT_EQ(store_.GetInt(kHeadSetupMode, bank, head), bank == 15 && head == 1 ? 3 : 0);
        }
    }
    BankBlock bank;
    ASSERT_TRUE(store_.GetBank(15, bank));
    EXPECT_EQ(bank.head[1].SetupMode, 3);
    EXPECT_EQ(bank.head[0].SetupMode, 0);
    EXPECT_FALSE(store_.GetBank(16, bank));
    EXPECT_FALSE(store_.GetBank(-1, bank));

    ASSERT_TRUE(store_.SetText<kSoftMemAlias>("Line 3", 3));
    EXPECT_EQ(store_.GetImage().formSoftware.MemAlias[3], "Line 3");
    EXPECT_EQ(store_.GetText(kSoftMemAlias, 2), "");

    ASSERT_TRUE(store_.SetDouble<kOutDecisionMax>(1.5, 7, 1));
    EXPECT_EQ(store_.GetImage().bank[7].output[1].DecisionMax, 1.5);
    ASSERT_TRUE(store_.SetInt<kBufEventCondition>(4, 2, 1));
    EXPECT_EQ(store_.GetImage().bank[2].common.EventCondition[1], 4);
    ASSERT_TRUE(store_.SetDouble<kMeasZeroSetVal>(-0.25, 1));
    EXPECT_EQ(store_.GetMeasurementWindowBlock().output[1].ZeroSetVal, -0.25);
    ASSERT_TRUE(store_.SetInt<kLwConfWorkNoDisp>(1, 1));
    EXPECT_EQ(store_.GetImage().formLightWaveConf.WorkNoDisp, (std::array<int32_t, 2>{0, 1}));
    ASSERT_TRUE(store_.SetInt<kBufWndWaveDataChange>(1, 0));
    EXPECT_EQ(store_.GetBufferingWindowBlock().WaveDataChange[0], 1);
    ASSERT_TRUE(store_.SetInt<kLwFormWidth>(640));
    EXPECT_EQ(store_.GetLightWaveWindowBlock().FormWidth, 640);
    // An index of kind "none" is ignored.
    ASSERT_TRUE(store_.SetInt<kMemCmnMeasureCycle>(9, 99, -4));
    EXPECT_EQ(store_.GetSystemBlock().MeasureCycle, 9);
}

TEST_F(SettingsStoreTest, MismatchedOrOutOfRangeAccessIsRejectedUntouched) {
    store_.SetInt(kHeadSetupMode, 4, 1, 1);
    store_.SetDouble(kOutReflectionRate, 0.5, 1, 1);
    store_.SetText(kAppLogFolder, "keep");
    const SettingsImage before = store_.GetImage();

    EXPECT_FALSE(store_.SetDouble(kHeadSetupMode, 9.0, 1, 1));
    EXPECT_FALSE(store_.SetText(kHeadSetupMode, "9", 1, 1));
    EXPECT_FALSE(store_.SetInt(kOutReflectionRate, 9, 1, 1));
    EXPECT_FALSE(store_.SetInt(kAppLogFolder, 9));
    EXPECT_FALSE(store_.SetInt(0, 9));
    EXPECT_FALSE(store_.SetInt(kLastItemId + 1, 9));
    EXPECT_FALSE(store_.SetInt(kHeadSetupMode, 9, 16, 0));
    EXPECT_FALSE(store_.SetInt(kHeadSetupMode, 9, 0, 2));
    EXPECT_FALSE(store_.SetInt(kHeadSetupMode, 9, -1, 0));
    EXPECT_FALSE(store_.SetText(kSoftMemAlias, "x", 16));
    EXPECT_FALSE(store_.SetDouble(kMeasMeasureValue, 1.0, 2));

    EXPECT_EQ(store_.GetDouble(kHeadSetupMode, 1, 1), 0.0);
    EXPECT_EQ(store_.GetText(kHeadSetupMode, 1, 1), "");
    EXPECT_EQ(store_.GetInt(kAppLogFolder), 0);
    EXPECT_EQ(store_.GetInt(kHeadSetupMode, 16, 0), 0);
    EXPECT_EQ(store_.GetInt(0), 0);

    EXPECT_TRUE(store_.GetImage() == before);
    EXPECT_EQ(store_.GetInt(kHeadSetupMode, 1, 1), 4);
}

TEST_F(SettingsStoreTest, ChangeDetectionByStorageClass) {
    store_.MarkSaved();
    EXPECT_TRUE(store_.IsUnchanged());

    store_.SetInt<kMainFormTop>(120);  // class 2
    store_.SetText<kMainCurFolder>("/tmp");
    EXPECT_TRUE(store_.IsUnchanged());
    store_.SetDouble<kOutMeasureValue>(3.25, 0, 1);  // class 0
    store_.SetInt<kCtrlLineState>(1);
    EXPECT_TRUE(store_.IsUnchanged());

    store_.SetInt<kCommonSamplingCycle>(2, 5);  // class 1
    EXPECT_FALSE(store_.IsUnchanged());
    store_.SetInt<kCommonSamplingCycle>(0, 5);
    EXPECT_TRUE(store_.IsUnchanged());

    store_.SetDouble<kOutDecisionMin>(-0.000001, 15, 1);
    EXPECT_FALSE(store_.IsUnchanged());
    store_.SetDouble<kOutDecisionMin>(0.0, 15, 1);
    EXPECT_TRUE(store_.IsUnchanged());

    store_.SetText<kSoftMemAlias>("a", 15);
    EXPECT_FALSE(store_.IsUnchanged());
    store_.MarkSaved();
    EXPECT_TRUE(store_.IsUnchanged());
    EXPECT_EQ(store_.GetSnapshotText(kSoftMemAlias, 15), "a");

    std::vector<std::string> names{"ORTA QV-M8 (A1)"};
    std::vector<std::string> aliases{"left"};
    store_.SetAliasLists(names, aliases);
    EXPECT_FALSE(store_.IsUnchanged());
    store_.MarkSaved();
    aliases[0] = "right";
    store_.SetAliasLists(names, aliases);
    EXPECT_FALSE(store_.IsUnchanged());
}

TEST_F(SettingsStoreTest, AliasListsStayPairs) {
    store_.SetAliasLists({"a", "b", "c"}, {"x", "y"});
    std::vector<std::string> names;
    std::vector<std::string> aliases;
    store_.GetAliasLists(names, aliases);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(aliases, (std::vector<std::string>{"x", "y"}));
}

TEST_F(SettingsStoreTest, CopiesAreIndependent) {
    store_.SetInt<kOutAverageTimes>(4, 3, 0);
    store_.MarkSaved();
    SettingsStore copy(store_);
    EXPECT_EQ(copy.GetInt<kOutAverageTimes>(3, 0), 4);
    EXPECT_TRUE(copy.IsUnchanged());
    EXPECT_EQ(copy.GetFilePath(), store_.GetFilePath());

    copy.SetInt<kOutAverageTimes>(6, 3, 0);
    copy.SetFilePath("/elsewhere/other.zul");
    EXPECT_EQ(store_.GetInt<kOutAverageTimes>(3, 0), 4);
    EXPECT_NE(store_.GetFilePath(), "/elsewhere/other.zul");

    store_ = copy;
    EXPECT_EQ(store_.GetInt<kOutAverageTimes>(3, 0), 6);
    EXPECT_EQ(store_.GetFilePath(), "/elsewhere/other.zul");
    EXPECT_FALSE(store_.IsUnchanged());  // the snapshot came along
    copy.SetInt<kOutAverageTimes>(1, 3, 0);
    EXPECT_EQ(store_.GetInt<kOutAverageTimes>(3, 0), 6);

    store_ = store_;  // self-assignment keeps everything
    EXPECT_EQ(store_.GetInt<kOutAverageTimes>(3, 0), 6);
}

TEST_F(SettingsStoreTest, CopyBankAndBlocks) {
    store_.SetInt<kHeadPeakLevel>(40, 2, 1);
    store_.SetDouble<kOutZeroSetVal>(0.125, 2, 0);
    store_.SetInt<kBufStoreNum>(1000, 2);
    store_.SetInt<kHeadPeakLevel>(10, 9, 1);
    EXPECT_TRUE(store_.CopyBank(9, 2));
    EXPECT_EQ(store_.GetInt<kHeadPeakLevel>(9, 1), 40);
    EXPECT_EQ(store_.GetDouble<kOutZeroSetVal>(9, 0), 0.125);
    EXPECT_EQ(store_.GetInt<kBufStoreNum>(9), 1000);
    EXPECT_EQ(store_.GetInt<kHeadPeakLevel>(2, 1), 40);
    EXPECT_FALSE(store_.CopyBank(16, 2));
    EXPECT_FALSE(store_.CopyBank(2, -1));

    SystemBlock system = store_.GetSystemBlock();
    system.Rs232cParity = 2;
    system.BufferSelfStop = 1;
    store_.SetSystemBlock(system);
    EXPECT_EQ(store_.GetInt<kMemCmnRs232cParity>(), 2);
    EXPECT_EQ(store_.GetInt<kSysBufBufferSelfStop>(), 1);
}

TEST_F(SettingsStoreTest, FilePathIsMadeAbsolute) {
    const std::string before = store_.GetFilePath();
    store_.SetFilePath("");
    EXPECT_EQ(store_.GetFilePath(), before);
    store_.SetFilePath("/data/a.zul");
    EXPECT_EQ(store_.GetFilePath(), "/data/a.zul");
    store_.SetFilePath("b.zul");
    EXPECT_EQ(store_.GetFilePath().front(), '/');
    EXPECT_EQ(store_.GetFilePath().substr(store_.GetFilePath().size() - 6), "/b.zul");
}

class FixedLister : public UsbDeviceLister {
public:
    std::vector<UsbDeviceEntry> devices;
    std::vector<UsbDeviceEntry> ListUsbDevices() override { return devices; }
};

TEST_F(SettingsStoreTest, PromoteUsbDevice) {
    FixedLister lister;
    lister.devices = {
        {"ORTA QV-M8", "S1"}, {"Other bridge", "X"}, {"ORTA QV-M8", ""}, {"ORTA QV-M8", "S2"}};
    std::vector<std::string> attached;

    store_.SetText<kSoftUsbConnect>("ORTA QV-M8 (S2)");
    store_.PromoteUsbDevice(lister, attached, false);
    EXPECT_EQ(attached,
              (std::vector<std::string>{"ORTA QV-M8 (S2)", "ORTA QV-M8 (S1)", "ORTA QV-M8"}));
    EXPECT_EQ(store_.GetText<kSoftUsbConnect>(), "ORTA QV-M8 (S2)");

    // A device no longer attached: without inserting, the first attached one is taken.
    store_.SetText<kSoftUsbConnect>("ORTA QV-M8 (GONE)");
    store_.PromoteUsbDevice(lister, attached, false);
    EXPECT_EQ(attached.size(), 3u);
    EXPECT_EQ(store_.GetText<kSoftUsbConnect>(), "ORTA QV-M8 (S1)");

    store_.SetText<kSoftUsbConnect>("ORTA QV-M8 (GONE)");
    store_.PromoteUsbDevice(lister, attached, true);
    EXPECT_EQ(attached.size(), 4u);
    EXPECT_EQ(attached.front(), "ORTA QV-M8 (GONE)");
    EXPECT_EQ(store_.GetText<kSoftUsbConnect>(), "ORTA QV-M8 (GONE)");

    lister.devices.clear();
    store_.SetText<kSoftUsbConnect>("NoUSB");
    store_.PromoteUsbDevice(lister, attached, false);
    EXPECT_TRUE(attached.empty());
    EXPECT_EQ(store_.GetText<kSoftUsbConnect>(), "NoUSB");
}

TEST_F(SettingsStoreTest, ConcurrentWritersReadersAndAssignment) {
    // Writers on the main store, a reader of whole banks, and an editor that copies the store
    // and assigns the copy back, as windows and worker threads do.
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int32_t i = 0; i < 2000; ++i) {
            store_.SetInt<kHeadPeakLevel>(i, i % kBankCount, i % kHeadCount);
            store_.SetDouble<kOutMeasureValue>(i * 0.5, 0, i % kOutputCount);
        }
        stop = true;
    });
    std::thread reader([&] {
        BankBlock bank;
        while (!stop) {
            ASSERT_TRUE(store_.GetBank(3, bank));
            (void)store_.IsUnchanged();
        }
    });
    for (int i = 0; i < 50; ++i) {
        SettingsStore copy(store_);
        copy.SetInt<kCommonSamplingCycle>(i, 0);
        store_ = copy;
    }
    writer.join();
    reader.join();
    EXPECT_EQ(store_.GetInt<kCommonSamplingCycle>(0), 49);
}

}  // namespace
}  // namespace zul

namespace zul {
namespace {

// The id-as-template accessors accept only the matching value type and ids 1..kLastItemId.
template <int32_t Id>
constexpr bool kIntAccess = requires(SettingsStore& s) {
    s.GetInt<Id>();
    s.SetInt<Id>(0);
};
template <int32_t Id>
constexpr bool kRealAccess = requires(SettingsStore& s) {
    s.GetDouble<Id>();
    s.SetDouble<Id>(0.0);
};
template <int32_t Id>
constexpr bool kTextAccess = requires(SettingsStore& s) {
    s.GetText<Id>();
    s.SetText<Id>("");
};

static_assert(kIntAccess<kHeadSetupMode> && !kRealAccess<kHeadSetupMode> &&
              !kTextAccess<kHeadSetupMode>);
static_assert(kRealAccess<kOutReflectionRate> && !kIntAccess<kOutReflectionRate>);
static_assert(kTextAccess<kSoftMemAlias> && !kIntAccess<kSoftMemAlias>);
static_assert(!kIntAccess<0> && !kIntAccess<kLastItemId + 1> && !kRealAccess<-1> &&
              !kTextAccess<kLastItemId + 1>);

}  // namespace
}  // namespace zul

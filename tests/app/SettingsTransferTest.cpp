// SPDX-License-Identifier: GPL-3.0-or-later
// Settings transfers end to end: an Application connected to the emulated controller.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

#include "AppTestSupport.h"
#include "SimMemory.h"
#include "app/SettingsCommands.h"
#include "settings/SettingsDiff.h"
#include "settings/SettingsTransfer.h"

namespace zul::test {
namespace {

// A register-block request frame: first and last address and the data after them.
struct BlockFrame {
    bool write = false;
    uint32_t first = 0;
    uint32_t last = 0;
    std::string data;
};

std::vector<BlockFrame> BlockFrames(const std::vector<std::string>& frames) {
    std::vector<BlockFrame> result;
    for (const std::string& frame : frames) {
        if (frame.rfind("%EE#RDD", 0) != 0 && frame.rfind("%EE#WDD", 0) != 0) {
            continue;
        }
        BlockFrame block;
        block.write = frame[4] == 'W';
        block.first = static_cast<uint32_t>(std::stoul(frame.substr(7, 5)));
        block.last = static_cast<uint32_t>(std::stoul(frame.substr(12, 5)));
        block.data = frame.substr(17, frame.size() - 17 - 2);  // without the block check
        result.push_back(block);
    }
    return result;
}

// The value the last register-block write frame carried for the address.
std::optional<uint16_t> WrittenValue(const std::vector<std::string>& frames, uint32_t address) {
    std::optional<uint16_t> value;
    for (const BlockFrame& frame : BlockFrames(frames)) {
        if (frame.write && frame.first <= address && address <= frame.last) {
            std::string hex = frame.data.substr(4 * (address - frame.first), 4);
            // Low byte first.
            value = static_cast<uint16_t>(std::stoul(hex.substr(0, 2), nullptr, 16) |
                                          std::stoul(hex.substr(2, 2), nullptr, 16) << 8);
        }
    }
    return value;
}

size_t CountFrames(const std::vector<std::string>& frames, std::string_view prefix) {
    size_t n = 0;
    for (const std::string& frame : frames) {
        n += frame.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return n;
}

// Bank b's block addresses as the controller's memory map gives them.
constexpr uint32_t Bank(int b) {
    return 3400 + 800 * static_cast<uint32_t>(b);
}

class TransferTest : public EmulatorTest {
protected:
    int32_t Run(TransferOperation operation, ResultInfo* result = nullptr,
                const SettingsStore* source = nullptr, const TransferProgressFn& progress = {}) {
        ResultInfo local;
        return RunSettingsTransfer(app, operation, result ? result : &local, progress, source);
    }
    void SetLong(uint32_t address, int32_t value) {
        sim.WithController([&](sim::SimController& c) { c.Memory().SetLong(address, value); });
    }
    int32_t Long(uint32_t address) {
        return sim.WithController([&](sim::SimController& c) { return c.Memory().Long(address); });
    }
    void SelectBank(int bank) {
        sim.WithController([&](sim::SimController& c) { c.Memory().SelectBank(bank); });
    }
};

TEST_F(TransferTest, ReadAllReadsEveryMappedWordInConsecutiveRunsAndDecodesThem) {
    SelectBank(7);
    SetLong(Bank(5) + 400 + 29, -1500000);  // OUT2 DecisionMax of bank 5: -1.5
    sim.WriteWord(Bank(15) + 100 + 0, 1);   // Head B SetupMode of bank 15
    SetLong(Bank(3) + 600 + 8, 70000);      // StoreNum of bank 3 (two words)
    SetLong(Bank(2) + 600 + 17, -25);       // TriggerDelay of bank 2 (signed)
    sim.WriteWord(205, 1);                  // BufferSelfStop

    ResultInfo result;
    ASSERT_EQ(Run(TransferOperation::kReadAll, &result), ZUL_OK) << ResultKey(result.code);

    std::vector<std::string> frames = sim.ReceivedFrames();
    std::set<uint32_t> addresses;
    size_t words = 0;
    for (const BlockFrame& frame : BlockFrames(frames)) {
        EXPECT_FALSE(frame.write);
        ASSERT_LE(frame.first, frame.last);
        words += frame.last - frame.first + 1;
        for (uint32_t a = frame.first; a <= frame.last; ++a) {
            EXPECT_TRUE(addresses.insert(a).second) << "word read twice: " << a;
        }
    }
    EXPECT_EQ(words, 16u * (2 * 34 + 2 * 77 + 19) + 1);
    // Runs are maximal: no frame starts right after the previous one ends.
    std::vector<BlockFrame> blocks = BlockFrames(frames);
    for (size_t i = 1; i < blocks.size(); ++i) {
        EXPECT_NE(blocks[i].first, blocks[i - 1].last + 1);
    }
    EXPECT_EQ(CountFrames(frames, "%EE#RMC0"), 1u);
    EXPECT_EQ(CountFrames(frames, "%EE#W"), 0u);

    SettingsStore& store = app.Store();
    EXPECT_DOUBLE_EQ(store.GetDouble<kOutDecisionMax>(5, 1), -1.5);
    EXPECT_EQ(store.GetInt<kHeadSetupMode>(15, 1), 1);
    EXPECT_EQ(store.GetInt<kHeadSetupMode>(15, 0), 0);
    EXPECT_EQ(store.GetInt<kBufStoreNum>(3), 70000);
    EXPECT_EQ(store.GetInt<kBufTriggerDelay>(2), -25);
    EXPECT_EQ(store.GetInt<kSysBufBufferSelfStop>(), 1);
    EXPECT_EQ(store.GetInt<kCtrlCurMemNo>(), 7);
    EXPECT_EQ(store.GetInt<kAppCurMemNo>(), 7);
}

TEST_F(TransferTest, FailedReadAllLeavesTheMainStoreUntouched) {
    app.Store().SetDouble<kOutDecisionMax>(1.25, 0, 0);
    SetLong(Bank(0) + 200 + 29, 2000000);
    sim::SimFaults faults;
    faults.silent = 1000;
    sim.SetFaults(faults);
    ResultInfo result;
    EXPECT_EQ(Run(TransferOperation::kReadAll, &result), ZUL_ERR_COMM_TIMEOUT);
    EXPECT_DOUBLE_EQ(app.Store().GetDouble<kOutDecisionMax>(0, 0), 1.25);
}

TEST_F(TransferTest, WriteAllWritesTheCurrentBankTwiceAndSwitchesToTheFileBank) {
    SelectBank(3);
    ASSERT_EQ(Run(TransferOperation::kReadAll), ZUL_OK);
    SettingsStore& store = app.Store();
    store.SetDouble<kOutDecisionMax>(2.5, 3, 0);
    store.SetDouble<kOutDecisionMax>(0.75, 9, 1);
    store.SetInt<kAppCurMemNo>(3);
    sim.ClearReceivedFrames();

    ResultInfo result;
    ASSERT_EQ(Run(TransferOperation::kWriteAll, &result), ZUL_OK)
        << ResultKey(result.code) << " " << result.detail1 << " " << result.detail2;
    EXPECT_EQ(Long(Bank(3) + 200 + 29), 2500000);
    EXPECT_EQ(Long(2600 + 200 + 29), 2500000);  // working copy of bank 3
    EXPECT_EQ(Long(Bank(9) + 400 + 29), 750000);

    // Every written word of bank 3 goes out once at the bank and once at the working copy.
    std::map<uint32_t, int> written;
    for (const BlockFrame& frame : BlockFrames(sim.ReceivedFrames())) {
        if (frame.write) {
            EXPECT_EQ(frame.data.size(), 4 * (frame.last - frame.first + 1));
            EXPECT_LE(frame.last - frame.first + 1, 123u);
            for (uint32_t a = frame.first; a <= frame.last; ++a) {
                ++written[a];
            }
        }
    }
    for (uint32_t offset : {0u, 100u, 200u, 400u, 600u}) {
        EXPECT_EQ(written[Bank(3) + offset], 1) << offset;
        EXPECT_EQ(written[2600 + offset], 1) << offset;
    }
    EXPECT_EQ(written[2600 + 600 + 19], 0);  // the rest of a block is left alone
    std::vector<std::string> frames = sim.ReceivedFrames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().substr(0, 13), "%EE#WMC000003");
}

TEST_F(TransferTest, CalibrationChangeMarksTheWorkingCopyOnceOnly) {
    SelectBank(2);
    ASSERT_EQ(Run(TransferOperation::kReadAll), ZUL_OK);
    SettingsStore& store = app.Store();
    store.SetDouble<kHeadCALIB_MeasureValue1>(store.GetDouble<kHeadCALIB_MeasureValue1>(2, 0) + 0.5,
                                              2, 0);
    sim.ClearReceivedFrames();
    ASSERT_EQ(Run(TransferOperation::kWriteAll), ZUL_OK);
    std::vector<std::string> frames = sim.ReceivedFrames();
    EXPECT_EQ(WrittenValue(frames, 2600 + 15), 1);        // working copy, head A
    EXPECT_EQ(WrittenValue(frames, 2600 + 100 + 15), 0);  // head B unchanged
    EXPECT_EQ(WrittenValue(frames, Bank(2) + 15), 0);     // never in the bank itself
    EXPECT_EQ(WrittenValue(frames, 2600 + 200 + 45), 0);  // no scaling change

    // Unchanged values: the marker goes back as the controller holds it.
    sim.ClearReceivedFrames();
    ASSERT_EQ(Run(TransferOperation::kWriteAll), ZUL_OK);
    EXPECT_EQ(WrittenValue(sim.ReceivedFrames(), 2600 + 15), sim.ReadWord(2600 + 15));
    EXPECT_EQ(WrittenValue(sim.ReceivedFrames(), 2600 + 15), 0);
}

TEST_F(TransferTest, ScalingVoltageGoesToWord62InThousandthsRoundedAwayFromZero) {
    SelectBank(0);
    ASSERT_EQ(Run(TransferOperation::kReadAll), ZUL_OK);
    app.Store().SetDouble<kOutSCALING_VoltageValue1>(-1.2345, 0, 1);
    app.Store().SetDouble<kOutSCALING_VoltageValue2>(2.0005, 0, 1);
    sim.ClearReceivedFrames();
    ASSERT_EQ(Run(TransferOperation::kWriteAll), ZUL_OK);
    EXPECT_EQ(static_cast<int16_t>(sim.ReadWord(Bank(0) + 400 + 62)), -1235);
    EXPECT_EQ(static_cast<int16_t>(sim.ReadWord(2600 + 400 + 62)), -1235);
    EXPECT_EQ(sim.ReadWord(2600 + 400 + 63), 2001);
    EXPECT_EQ(Long(2600 + 400 + 41), -1234500);
    EXPECT_EQ(WrittenValue(sim.ReceivedFrames(), 2600 + 400 + 45), 1);  // scaling changed
    EXPECT_EQ(WrittenValue(sim.ReceivedFrames(), Bank(0) + 400 + 45), 0);
}

TEST_F(TransferTest, ZeroSetWordsFollowZeroSetSend) {
    SelectBank(1);
    ASSERT_EQ(Run(TransferOperation::kReadAll), ZUL_OK);
    // The controller's own zero-set after the read.
    sim.WriteWord(Bank(1) + 200 + 6, 1);
    SetLong(Bank(1) + 200 + 7, 123456);
    SettingsStore& store = app.Store();
    store.SetInt<kOutZeroSet>(0, 1, 0);
    store.SetDouble<kOutZeroSetVal>(-0.5, 1, 0);
    store.SetInt<kOutZeroSetSend>(0, 1, 0);
    ASSERT_EQ(Run(TransferOperation::kWriteAll), ZUL_OK);
    EXPECT_EQ(sim.ReadWord(Bank(1) + 200 + 6), 1);
    EXPECT_EQ(Long(Bank(1) + 200 + 7), 123456);

    store.SetInt<kOutZeroSetSend>(1, 1, 0);
    ASSERT_EQ(Run(TransferOperation::kWriteAll), ZUL_OK);
    EXPECT_EQ(sim.ReadWord(Bank(1) + 200 + 6), 0);
    EXPECT_EQ(Long(Bank(1) + 200 + 7), -500000);
}

TEST_F(TransferTest, InvalidValueOrRefusedBankChangeStopsBeforeAnyWrite) {
    ASSERT_EQ(Run(TransferOperation::kReadAll), ZUL_OK);
    app.Store().SetInt<kBufStoreNum>(0, 4);
    sim.ClearReceivedFrames();
    EXPECT_EQ(Run(TransferOperation::kWriteAll), ZUL_ERR_RANGE);
    EXPECT_EQ(CountFrames(sim.ReceivedFrames(), "%EE#W"), 0u);
    EXPECT_EQ(CountFrames(sim.ReceivedFrames(), "%EE#RDD"), 0u);

    app.Store().SetInt<kBufStoreNum>(1000, 4);
    app.Store().SetInt<kAppCurMemNo>(16);  // no such bank to switch to
    sim.ClearReceivedFrames();
    EXPECT_EQ(Run(TransferOperation::kWriteAll), ZUL_ERR_RANGE);
    EXPECT_TRUE(sim.ReceivedFrames().empty());

    app.Store().SetInt<kAppCurMemNo>(0);
    sim.WriteWord(140, 1);  // memory-change priority: the terminals decide
    sim.ClearReceivedFrames();
    EXPECT_EQ(Run(TransferOperation::kWriteAll), ZUL_ERR_MEM_CHANGE_PRIORITY);
    EXPECT_EQ(CountFrames(sim.ReceivedFrames(), "%EE#W"), 0u);
    EXPECT_EQ(app.ReconnectMode(), 0);
}

TEST_F(TransferTest, ReadAllThenWriteAllLeavesTheControllerUnchanged) {
    SetLong(Bank(4) + 200 + 27, -333333);
    SetLong(Bank(11) + 400 + 75, 4200000);
    sim.WriteWord(Bank(6) + 100 + 31, 7);
    SelectBank(4);  // the working copy holds bank 4
    const std::vector<uint16_t> before = sim.ReadWords(0, sim::kMemoryWords);
    ASSERT_EQ(Run(TransferOperation::kReadAll), ZUL_OK);
    ResultInfo result;
    ASSERT_EQ(Run(TransferOperation::kWriteAll, &result), ZUL_OK)
        << ResultKey(result.code) << " " << result.detail1 << " " << result.detail2;
    const std::vector<uint16_t> after = sim.ReadWords(0, sim::kMemoryWords);
    ASSERT_EQ(before.size(), after.size());
    for (size_t a = 0; a < before.size(); ++a) {
        EXPECT_EQ(before[a], after[a]) << "word " << a;
    }
}

TEST_F(TransferTest, DefaultsWrittenAndReadBackCompareEqualItemByItem) {
    SettingsStore defaults;
    defaults.ResetToDefaults(app.Ui());
    defaults.SetInt<kAppCurMemNo>(0);
    ResultInfo result;
    ASSERT_EQ(Run(TransferOperation::kWriteAll, &result, &defaults), ZUL_OK)
        << ResultKey(result.code);
    ASSERT_EQ(Run(TransferOperation::kReadAll, &result), ZUL_OK);
    const SettingsStore& back = app.Store();
    int compared = 0;
    for (const SettingItem& item : kSettingItems) {
        // Settings of a memory bank that the controller keeps in its registers.
        if (item.valueType == kValueEnd || item.storageClass == kStorageRuntime ||
            item.index1Kind != kIndexBank || item.id == kBufEventCondition ||
            std::string_view(item.section).find("MEM%m") != 0 || item.id == kOutZeroSet ||
            item.id == kOutZeroSetVal || item.id == kHeadLaserOff) {
            continue;
        }
        for (int32_t bank = 0; bank < 16; ++bank) {
            for (int32_t i2 = 0; i2 < IndexRange(item.index2Kind); ++i2) {
                if (item.valueType == kValueReal) {
                    EXPECT_NEAR(back.GetDouble(item.id, bank, i2),
                                defaults.GetDouble(item.id, bank, i2), 1e-6)
                        << item.key << " bank " << bank;
                } else if (item.valueType != kValueText) {
                    EXPECT_EQ(back.GetInt(item.id, bank, i2), defaults.GetInt(item.id, bank, i2))
                        << item.key << " bank " << bank;
                }
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 1000);
}

TEST_F(TransferTest, ProgressRisesToHundredAndCancelStopsWithAbort) {
    std::vector<int32_t> seen;
    ASSERT_EQ(
        Run(TransferOperation::kWriteAll, nullptr, nullptr, [&](int32_t p) { seen.push_back(p); }),
        ZUL_OK);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_NE(std::find(seen.begin(), seen.end(), 50), seen.end());  // reading done

    SettingsTransfer transfer(TransferOperation::kReadAll, app.Store(), *app.CommControler(),
                              app.Environment(), app.Ui());
    transfer.SetProgress([&](int32_t) { transfer.Cancel(); });
    sim.ClearReceivedFrames();
    EXPECT_EQ(transfer.Run(), ZUL_ERR_ABORT);
    EXPECT_EQ(transfer.Result().code, ZUL_ERR_ABORT);
    EXPECT_LE(CountFrames(sim.ReceivedFrames(), "%EE#RDD"), 1u);
}

TEST_F(TransferTest, WorkerThreadRunAndCancelFromOutside) {
    SettingsTransfer transfer(TransferOperation::kReadAll, app.Store(), *app.CommControler(),
                              app.Environment(), app.Ui());
    Event finished;
    ASSERT_TRUE(transfer.Start([&] { finished.Set(); }));
    EXPECT_FALSE(transfer.Start());
    ASSERT_TRUE(finished.WaitFor(std::chrono::seconds(30)));
    transfer.Wait();
    EXPECT_TRUE(transfer.Finished());
    EXPECT_EQ(transfer.Result().code, ZUL_OK);
}

// A controller at its factory settings must accept its own system settings back.
TEST_F(TransferTest, FactorySystemSettingsWriteBackAsRead) {
    ResultInfo result;
    ASSERT_EQ(Run(TransferOperation::kReadSystem, &result), ZUL_OK) << ResultKey(result.code);
    SettingsStore edited(app.Store());
    ASSERT_EQ(Run(TransferOperation::kWriteSystem, &result, &edited), ZUL_OK)
        << ResultKey(result.code) << " " << result.detail1;
}

TEST_F(TransferTest, SystemSettingsReadAndWrite) {
    sim.WriteWord(141, 2);  // controller baud rate
    sim.WriteWord(146, 3);  // measure cycle
    sim.WriteWord(147, 1);  // remote interlock
    sim.WriteWord(149, 1);  // output mode
    ResultInfo result;
    ASSERT_EQ(Run(TransferOperation::kReadSystem, &result), ZUL_OK) << ResultKey(result.code);
    SettingsStore& store = app.Store();
    EXPECT_EQ(store.GetInt<kMemCmnRs232cBaudrate>(), 2);
    EXPECT_EQ(store.GetInt<kMemCmnMeasureCycle>(), 3);
    EXPECT_EQ(store.GetInt<kMemCmnRemoteInterLock>(), 1);
    // Over RS-232C the output mode is not read.
    EXPECT_EQ(CountFrames(sim.ReceivedFrames(), "%EE#RSD"), 0u);

    SettingsStore edited(store);
    edited.SetInt<kMemCmnConsoleNo>(5);
    edited.SetInt<kMemCmnRs232cOutMode>(1);
    ASSERT_EQ(Run(TransferOperation::kWriteSystem, &result, &edited), ZUL_OK)
        << ResultKey(result.code);
    EXPECT_EQ(sim.ReadWord(148), 5);
    EXPECT_EQ(sim.ReadWord(149), 0);  // written as 0 over RS-232C
    EXPECT_EQ(app.ReconnectMode(), 0);

    edited.SetInt<kMemCmnRs232cBaudrate>(99);
    sim.ClearReceivedFrames();
    EXPECT_EQ(Run(TransferOperation::kWriteSystem, &result, &edited), ZUL_ERR_RANGE);
    EXPECT_EQ(CountFrames(sim.ReceivedFrames(), "%EE#W"), 0u);
}

}  // namespace
}  // namespace zul::test

namespace zul::test {
namespace {

TEST_F(TransferTest, SamplingCycleChangeRaisesReconnectModeWhileWriting) {
    SelectBank(0);
    ASSERT_EQ(Run(TransferOperation::kReadAll), ZUL_OK);
    const int32_t sampling = app.Store().GetInt<kCommonSamplingCycle>(0);
    app.Store().SetInt<kCommonSamplingCycle>(sampling == 0 ? 1 : 0, 0);
    std::vector<int32_t> modes;
    sim.ClearReceivedFrames();
    ASSERT_EQ(Run(TransferOperation::kWriteAll, nullptr, nullptr,
                  [&](int32_t) { modes.push_back(app.ReconnectMode()); }),
              ZUL_OK);
    EXPECT_EQ(CountFrames(sim.ReceivedFrames(), "%EE#RSP5"), 1u);
    ASSERT_GT(modes.size(), 2u);
    EXPECT_EQ(modes[1], 1);  // raised before the registers move
    EXPECT_EQ(app.ReconnectMode(), 0);

    // Unchanged: the link is not expected to restart.
    modes.clear();
    ASSERT_EQ(Run(TransferOperation::kWriteAll, nullptr, nullptr,
                  [&](int32_t) { modes.push_back(app.ReconnectMode()); }),
              ZUL_OK);
    EXPECT_EQ(std::count(modes.begin(), modes.end(), 1), 0);
}

// Runs the transfer on its worker thread. When it has not ended within the limit, the link is
// closed (which wakes the waiting worker) and false is returned.
bool EndsWithin(Application& app, SettingsTransfer& transfer, std::chrono::milliseconds limit) {
    Event finished;
    if (!transfer.Start([&] { finished.Set(); })) {
        return false;
    }
    const bool ended = finished.WaitFor(limit);
    if (!ended) {
        app.CommControler()->Disconnect();
    }
    transfer.Wait();
    return ended;
}

// A controller that stops answering part-way while its line stays open (a cable pulled at the
// far end), during a write that changes the sampling cycle and so runs in reconnect mode: the
// write ends by itself with the time-out, and nothing is taken as written.
TEST_F(TransferTest, WriteAllToAControllerThatGoesQuietEndsAndTakesNothingAsWritten) {
    SelectBank(0);
    ASSERT_EQ(Run(TransferOperation::kReadAll), ZUL_OK);
    SettingsStore& main = app.Store();
    main.SetInt<kCommonSamplingCycle>(main.GetInt<kCommonSamplingCycle>(0) == 0 ? 1 : 0, 0);
    main.SetInt<kAppCurMemNo>(2);  // the settings are bank 2's: the write would switch to it
    const SettingsStore before(main);
    const std::vector<uint16_t> bank2 = sim.ReadWords(Bank(2), 800);
    // Reply time-out 1 s, reconnect give-up 5 x 100 ms: a request ends 1.5 s after it went out.
    app.Environment().SetReconnectSettings(1, 5);
    sim::SimFaults faults;
    faults.quietAfter = 20;
    sim.SetFaults(faults);
    sim.ClearReceivedFrames();

    ResultInfo result;
    std::unique_ptr<SettingsTransfer> transfer =
        MakeSettingsTransfer(app, TransferOperation::kWriteAll, &result);
    ASSERT_NE(transfer, nullptr);
    std::vector<int32_t> modes;
    transfer->SetProgress([&](int32_t) { modes.push_back(app.ReconnectMode()); });
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(EndsWithin(app, *transfer, std::chrono::seconds(10)))
        << "the write waited for the quiet controller";
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1400));
    EXPECT_EQ(transfer->Result().code, ZUL_ERR_COMM_TIMEOUT);
    ASSERT_FALSE(modes.empty());
    EXPECT_EQ(modes.back(), 1);  // it was in reconnect mode when the controller went quiet
    EXPECT_EQ(app.ReconnectMode(), 0);
    // 20 answered, the 21st never, and nothing after it.
    const std::vector<std::string> frames = sim.ReceivedFrames();
    EXPECT_EQ(frames.size(), 21u);
    EXPECT_EQ(CountFrames(frames, "%EE#W"), 0u);

    // Nothing is taken as written: the main store, its controller bank and its changed state
    // are as before, and the controller still has its own values on its old bank.
    EXPECT_EQ(main.GetInt<kCtrlCurMemNo>(), before.GetInt<kCtrlCurMemNo>());
    EXPECT_EQ(main.GetInt<kAppCurMemNo>(), 2);
    EXPECT_EQ(main.IsUnchanged(), before.IsUnchanged());
    const std::vector<SettingInstance> instances = ControllerReadInstances({});
    EXPECT_TRUE(CompareSettings(before, main, instances).differences.empty());
    sim.SetFaults(sim::SimFaults{});
    EXPECT_EQ(sim.ReadWords(Bank(2), 800), bank2);
    EXPECT_EQ(sim.WithController([](sim::SimController& c) { return c.Memory().CurrentBank(); }),
              0);

    // The link is still usable once the controller answers again.
    EXPECT_EQ(Run(TransferOperation::kReadSystem, &result), ZUL_OK) << ResultKey(result.code);
}

// Cancel does not wait for the reply time-out of the request in flight.
TEST_F(TransferTest, CancelWithdrawsTheRequestInFlight) {
    app.Store().SetInt<kSoftRs232cTimeout>(4);  // 10 s
    app.CommControler()->ReloadTimeout();
    sim::SimFaults faults;
    faults.quiet = true;
    sim.SetFaults(faults);
    SettingsTransfer transfer(TransferOperation::kReadAll, app.Store(), *app.CommControler(),
                              app.Environment(), app.Ui());
    Event finished;
    ASSERT_TRUE(transfer.Start([&] { finished.Set(); }));
    ASSERT_TRUE(sim.WaitForRequests(1, std::chrono::milliseconds(3000)));
    auto cancelled = std::chrono::steady_clock::now();
    transfer.Cancel();
    const bool ended = finished.WaitFor(std::chrono::milliseconds(3000));
    if (!ended) {
        app.CommControler()->Disconnect();
    }
    transfer.Wait();
    ASSERT_TRUE(ended) << "the cancelled transfer waited for its request's time-out";
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::milliseconds(3000));
    EXPECT_EQ(transfer.Result().code, ZUL_ERR_ABORT);
    EXPECT_EQ(sim.ReceivedFrames().size(), 1u);  // nothing more went out
    // The controller is free for the next request at once.
    sim.SetFaults(sim::SimFaults{});
    ResultInfo result;
    EXPECT_EQ(Run(TransferOperation::kReadSystem, &result), ZUL_OK) << ResultKey(result.code);
}

TEST_F(TransferTest, OlderFirmwareCarriesUnsupportedItemsThrough) {
    DisconnectController(app);
    sim.SetFirmware(0x0210);
    ResultInfo result;
    ASSERT_EQ(ConnectController(app, &result), ZUL_OK);
    ASSERT_EQ(app.FirmwareVersion(), 0x0210u);
    SelectBank(0);
    sim.WriteWord(3400 + 23, 17);  // PeakSearchCellA of bank 0, head A (offered from 2.24)
    ASSERT_EQ(Run(TransferOperation::kReadAll), ZUL_OK);
    EXPECT_NE(app.Store().GetInt<kHeadPeakSearchCellA>(0, 0), 17);  // not taken over
    app.Store().SetInt<kHeadPeakSearchCellA>(300, 0, 0);
    app.Store().SetInt<kHeadPeakSearchCellA>(0, 1, 0);  // invalid, but not checked either
    sim.ClearReceivedFrames();
    ASSERT_EQ(Run(TransferOperation::kWriteAll, &result), ZUL_OK) << ResultKey(result.code);
    EXPECT_EQ(sim.ReadWord(3400 + 23), 17);
    EXPECT_EQ(CountFrames(sim.ReceivedFrames(), "%EE#RSP"), 1u);  // 2.10 is at least 2.00

    DisconnectController(app);
    sim.SetFirmware(0x0123);
    ASSERT_EQ(ConnectController(app, &result), ZUL_OK);
    sim.ClearReceivedFrames();
    ASSERT_EQ(Run(TransferOperation::kWriteAll, &result), ZUL_OK) << ResultKey(result.code);
    EXPECT_EQ(CountFrames(sim.ReceivedFrames(), "%EE#RSP"), 0u);
}

}  // namespace
}  // namespace zul::test

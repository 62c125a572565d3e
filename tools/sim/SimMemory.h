// SPDX-License-Identifier: GPL-3.0-or-later
// The emulated controller's word memory and its map.
//
// Map (word addresses, 16-bit words):
//   44, 45          received-light amount of the last light-wave capture, Head A / Head B
//   118..123        controller name, 12 characters, two per word, high byte first
//   124             firmware version word (0x0224 is version 2.24)
//   140..151        system settings (see kSys* below); 147 is the remote interlock
//   152..159        Head A sensor text, 16 characters; 160..167 Head B sensor text
//   200             current memory bank (0..15)
//   205             buffering self-stop
//   2600..3399      working copy of the current bank: heads at 2600/2700, outputs at 2800/3000,
//                   common part at 3200. The controller measures with these words.
//   3400 + 800 b    bank b (0..15): heads +0/+100, outputs +200/+400, common part +600
//   17200           light-wave capture trigger (write 1; reads 0 when the capture is done)
//   17201..19278    light-wave frame: 30 header words, 1024 samples of Head A, 1024 of Head B
// Every other address below kMemoryWords exists and reads 0; addresses from kMemoryWords on are
// outside the memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ResultInfo.h"
#include "settings/SettingItem.h"  // kBankCount

namespace zul::sim {

inline constexpr uint32_t kMemoryWords = 20000;

inline constexpr uint32_t kLightAmountA = 44;
inline constexpr uint32_t kNameFirst = 118;  // 6 words
inline constexpr uint32_t kVersionWord = 124;
inline constexpr uint32_t kSensorAFirst = 152;  // 8 words
inline constexpr uint32_t kSensorBFirst = 160;  // 8 words
inline constexpr uint32_t kCurrentBankWord = 200;
inline constexpr uint32_t kBufferSelfStopWord = 205;

// System settings served by the individual system commands.
inline constexpr uint32_t kSysMemChangePriority = 140;  // RYU/WYU: 1 = terminal inputs decide
inline constexpr uint32_t kSysBaudrate = 141;           // RSA/WSA
inline constexpr uint32_t kSysDataLength = 142;         // RSB/WSB
inline constexpr uint32_t kSysParity = 143;             // RSC/WSC
inline constexpr uint32_t kSysConsoleLock = 144;        // RPL/WPL
inline constexpr uint32_t kSysConsoleLanguage = 145;
inline constexpr uint32_t kSysMeasureCycle = 146;  // RKS/WKS
inline constexpr uint32_t kSysRemoteInterLock = 147;
inline constexpr uint32_t kSysConsoleNo = 148;  // RKG/WKG
inline constexpr uint32_t kSysOutMode = 149;    // RSD/WSD
inline constexpr uint32_t kSysOutType = 150;    // RSE/WSE

inline constexpr uint32_t kWorkingCopy = 2600;
inline constexpr uint32_t kBankBase = 3400;
inline constexpr uint32_t kBankWords = 800;
inline constexpr uint32_t kHeadWords = 100;
inline constexpr uint32_t kOutputWords = 200;
inline constexpr uint32_t kCommonWords = 200;

inline constexpr uint32_t kLightTrigger = 17200;
inline constexpr uint32_t kLightHeader = 17201;    // 30 words
inline constexpr uint32_t kLightSamplesA = 17231;  // 1024 words
inline constexpr uint32_t kLightSamplesB = 18255;  // 1024 words
inline constexpr uint32_t kLightCells = 1024;

// Word offsets inside a head block.
namespace head {
inline constexpr uint32_t kSetupMode = 0;
inline constexpr uint32_t kFloodLight = 1;  // emitted-light amount, 1..100 %
inline constexpr uint32_t kAlarmDelay = 3;
inline constexpr uint32_t kMeasureWorkBasis = 5;
inline constexpr uint32_t kCalibMeasure1 = 7;  // two words each, millionths of a millimetre
inline constexpr uint32_t kCalibMeasure2 = 9;
inline constexpr uint32_t kCalibCorrect1 = 11;
inline constexpr uint32_t kCalibCorrect2 = 13;
inline constexpr uint32_t kCalibChanged = 15;
inline constexpr uint32_t kLaserOff = 17;
inline constexpr uint32_t kCalibrating = 19;  // 1 while the calibration form is open
inline constexpr uint32_t kPeakSearchCellA = 23;
inline constexpr uint32_t kPeakSearchCellB = 24;
inline constexpr uint32_t kPsACell = 32;
inline constexpr uint32_t kPsBCell = 33;
}  // namespace head

// Word offsets inside an output block.
namespace out {
inline constexpr uint32_t kOutPattern = 0;
inline constexpr uint32_t kMeasureWork = 1;
inline constexpr uint32_t kReflectionRate = 3;  // two words
inline constexpr uint32_t kZeroSet = 6;
inline constexpr uint32_t kZeroSetVal = 7;  // two words, millionths
inline constexpr uint32_t kFilterSelect = 24;
inline constexpr uint32_t kAverageTimes = 25;
inline constexpr uint32_t kOffset = 27;  // two words each from here, millionths
inline constexpr uint32_t kDecisionMax = 29;
inline constexpr uint32_t kDecisionMin = 31;
inline constexpr uint32_t kHysteresisMax = 33;
inline constexpr uint32_t kHysteresisMin = 35;
inline constexpr uint32_t kScalingMeasure1 = 37;
inline constexpr uint32_t kScalingMeasure2 = 39;
inline constexpr uint32_t kScalingVoltage1 = 41;
inline constexpr uint32_t kScalingVoltage2 = 43;
inline constexpr uint32_t kScalingChanged = 45;
inline constexpr uint32_t kFixedValue = 48;
inline constexpr uint32_t kUnfixedValue = 50;
inline constexpr uint32_t kEventCondition = 55;
inline constexpr uint32_t kStateRead = 56;
inline constexpr uint32_t kFinalDataPoint = 57;  // two words
inline constexpr uint32_t kVoltage1Thousandths = 62;
inline constexpr uint32_t kVoltage2Thousandths = 63;
inline constexpr uint32_t kCalcRef = 75;  // two words, millionths
}  // namespace out

// Word offsets inside the common block.
namespace common {
inline constexpr uint32_t kSamplingCycle = 0;
inline constexpr uint32_t kBufferMode = 5;
inline constexpr uint32_t kBufferType = 6;
inline constexpr uint32_t kBufferRate = 7;
inline constexpr uint32_t kStoreNum = 8;                // two words
inline constexpr uint32_t kSampleTriggerStoreNum = 10;  // two words
inline constexpr uint32_t kTriggerPoint = 12;           // two words
inline constexpr uint32_t kTriggerDelay = 17;           // two words, signed
}  // namespace common

constexpr uint32_t BankAddress(int bank) {
    return kBankBase + kBankWords * uint32_t(bank);
}
constexpr uint32_t HeadBlock(uint32_t bankOrWorking, int headIndex) {
    return bankOrWorking + kHeadWords * uint32_t(headIndex);
}
constexpr uint32_t OutputBlock(uint32_t bankOrWorking, int outputIndex) {
    return bankOrWorking + 200 + kOutputWords * uint32_t(outputIndex);
}
constexpr uint32_t CommonBlock(uint32_t bankOrWorking) {
    return bankOrWorking + 600;
}

class SimMemory {
public:
    SimMemory();

    bool Contains(uint32_t first, uint32_t count) const {
        return first < kMemoryWords && count <= kMemoryWords - first;
    }
    uint16_t Word(uint32_t address) const { return address < kMemoryWords ? words_[address] : 0; }
    void SetWord(uint32_t address, uint16_t value) {
        if (address < kMemoryWords) {
            words_[address] = value;
        }
    }
    // Two words, low word first, as a signed 32-bit number.
    int32_t Long(uint32_t address) const;
    void SetLong(uint32_t address, int32_t value);
    int16_t Signed(uint32_t address) const { return static_cast<int16_t>(Word(address)); }

    // Characters packed two per word, high byte first, padded with blanks.
    void SetText(uint32_t first, uint32_t wordCount, std::string_view text);
    std::string Text(uint32_t first, uint32_t wordCount) const;

    int CurrentBank() const { return Word(kCurrentBankWord) & 0x0F; }

    // Copies bank b into the working copy and makes it current.
    void SelectBank(int bank);
    // Copies the working copy into the current bank.
    void SaveWorkingCopy();
    // Factory settings of one bank (and of the working copy when it is the current one).
    void InitialiseBank(int bank);
    // Factory settings of all banks, the working copy and the system settings; bank 0 current.
    void InitialiseAll();
    // Identity registers: name, version word, sensor texts.
    void SetIdentity(uint16_t version);

    const std::vector<uint16_t>& Words() const { return words_; }

    // The state file: one "address value" pair (decimal) per line for every non-zero word,
    // after a first line "qvm8-sim memory 1".
    int32_t Save(const std::string& path, ResultInfo* info) const;
    int32_t Load(const std::string& path, ResultInfo* info);

private:
    void WriteBankDefaults(uint32_t base);

    std::vector<uint16_t> words_;
};

}  // namespace zul::sim

// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/RegisterMaps.h"

#include <cmath>
#include <limits>

#include "link/Commands.h"

namespace zul {

namespace {

// {encoding, note, wordCount, word1, word2, itemId}
constexpr RegisterMapEntry kHeadMap[] = {
    {kEncUnsigned, 0, 1, 0, 0, 8},       // SetupMode
    {kEncUnsigned, 0, 1, 1, 0, 9},       // FloodLightAjust
    {kEncKeep, 0, 1, 2, 0, 0},           //
    {kEncUnsigned, 0, 1, 3, 0, 10},      // AlarmDelayTimes
    {kEncKeep, 0, 1, 4, 0, 12},          // OpticalFilter
    {kEncUnsigned, 0, 1, 5, 0, 13},      // MeasureWorkBasis
    {kEncKeep, 0, 1, 6, 0, 14},          // DetectLevel
    {kEncMicroCalib, 0, 2, 7, 8, 22},    // CALIB_MeasureValue1
    {kEncMicroCalib, 0, 2, 9, 10, 24},   // CALIB_MeasureValue2
    {kEncMicroCalib, 0, 2, 11, 12, 23},  // CALIB_CorrectValue1
    {kEncMicroCalib, 0, 2, 13, 14, 25},  // CALIB_CorrectValue2
    {kEncCalibChanged, 0, 1, 15, 0, 0},  //
    {kEncKeep, 0, 1, 16, 0, 0},          //
    {kEncReadOnly, 0, 1, 17, 0, 15},     // LaserOff
    {kEncUnsigned, 0, 1, 18, 0, 11},     // HMeasureMode
    {kEncKeep, 0, 1, 19, 0, 0},          //
    {kEncUnsigned, 0, 1, 20, 0, 16},     // PeakLevel
    {kEncKeep, 0, 1, 21, 0, 0},          //
    {kEncKeep, 0, 1, 22, 0, 0},          //
    {kEncUnsigned, 0, 1, 23, 0, 17},     // PeakSearchCellA
    {kEncUnsigned, 0, 1, 24, 0, 18},     // PeakSearchCellB
    {kEncKeep, 0, 6, 25, 0, 0},          //
    {kEncUnsigned, 0, 1, 31, 0, 19},     // MedianFilterSize
    {kEncUnsigned, 0, 1, 32, 0, 20},     // PsACell
    {kEncUnsigned, 0, 1, 33, 0, 21},     // PsBCell
    {kEncUntouched, 0, 66, 34, 0, 0},    //
};

constexpr RegisterMapEntry kOutputMap[] = {
    {kEncUnsigned, 0, 1, 0, 0, 28},         // OutPattern
    {kEncUnsigned, 0, 1, 1, 0, 29},         // MeasureWork
    {kEncUnsigned, 0, 1, 2, 0, 30},         // ReflectionCalc
    {kEncMicro2, 0, 2, 3, 4, 31},           // ReflectionRate
    {kEncKeep, 0, 1, 5, 0, 71},             // Extension
    {kEncZeroSetWord, 0, 1, 6, 0, 33},      // ZeroSet
    {kEncMicroZeroSet, 0, 2, 7, 8, 34},     // ZeroSetVal
    {kEncKeep, 0, 1, 9, 0, 37},             // Hold
    {kEncUnsigned, 0, 1, 10, 0, 38},        // MeasureMode
    {kEncKeep, 0, 1, 11, 0, 39},            // TriggerSelect
    {kEncKeep, 0, 1, 12, 0, 40},            // OuterTriggerSelect
    {kEncKeep, 0, 1, 13, 0, 41},            // InnerTriggerEdge
    {kEncKeep, 0, 2, 14, 0, 42},            // InnerTriggerLevel
    {kEncKeep, 0, 2, 16, 0, 43},            // InnerTriggerHis
    {kEncKeep, 0, 2, 18, 0, 44},            // TriggerDelay
    {kEncKeep, 0, 2, 20, 0, 45},            // TriggerSampleTerm
    {kEncKeep, 0, 2, 22, 0, 46},            // CycleTriggerTerm
    {kEncUnsigned, 0, 1, 24, 0, 47},        // FilterSelect
    {kEncUnsigned, 0, 1, 25, 0, 48},        // AverageTimes
    {kEncUnsigned, 0, 1, 26, 0, 49},        // CutOffCycle
    {kEncMicro, 0, 2, 27, 28, 50},          // OffsetInput
    {kEncMicro, 0, 2, 29, 30, 51},          // DecisionMax
    {kEncMicro, 0, 2, 31, 32, 52},          // DecisionMin
    {kEncMicro2, 0, 2, 33, 34, 53},         // DecisionHisMax
    {kEncMicro2, 0, 2, 35, 36, 54},         // DecisionHisMin
    {kEncMicroScaling, 0, 2, 37, 38, 55},   // SCALING_MeasureValue1
    {kEncMicroScaling, 0, 2, 39, 40, 57},   // SCALING_MeasureValue2
    {kEncMicroVoltage1, 0, 2, 41, 42, 56},  // SCALING_VoltageValue1
    {kEncMicroVoltage2, 0, 2, 43, 44, 58},  // SCALING_VoltageValue2
    {kEncScalingChanged, 0, 1, 45, 0, 0},   //
    {kEncKeep, 0, 1, 46, 0, 0},             //
    {kEncUnsigned, 0, 1, 47, 0, 59},        // AnalogOutOnAlarm
    {kEncMicro, 0, 2, 48, 49, 60},          // FixedValueInput
    {kEncMicro, 0, 2, 50, 51, 61},          // AnalogOutOnUnfixed
    {kEncUnsigned, 0, 1, 52, 0, 62},        // DegitalOutOnAlarm
    {kEncUnsigned, 0, 1, 53, 0, 63},        // AlarmDelayChange
    {kEncUnsigned, 0, 1, 54, 0, 64},        // DispDigit
    {kEncUnsigned, 0, 1, 55, 0, 86},        // EventCondition%o
    {kEncKeep, 0, 1, 56, 0, 88},            // StateRead%o
    {kEncKeep, 0, 2, 57, 0, 89},            // FinalDataPoint%o
    {kEncKeep, 0, 3, 59, 0, 0},             //
    {kEncKeep, 0, 1, 62, 0, 0},             // voltage 1 in thousandths
    {kEncKeep, 0, 1, 63, 0, 0},             // voltage 2 in thousandths
    {kEncKeep, 0, 11, 64, 0, 0},            //
    {kEncMicro, 0, 2, 75, 76, 65},          // CalcRef
    {kEncUntouched, 0, 123, 77, 0, 0},      //
};

constexpr RegisterMapEntry kCommonMap[] = {
    {kEncUnsigned, 0, 1, 0, 0, 73},     // SamplingCycle
    {kEncUnsigned, 0, 1, 1, 0, 74},     // PreventInterference
    {kEncUnsigned, 0, 1, 2, 0, 75},     // TerminalInputCtrl
    {kEncUnsigned, 0, 1, 3, 0, 76},     // InputChattering
    {kEncKeep, 0, 1, 4, 0, 77},         // AlarmOutChange
    {kEncUnsigned, 0, 1, 5, 0, 79},     // BufferMode
    {kEncUnsigned, 0, 1, 6, 0, 80},     // BufferType
    {kEncUnsigned, 0, 1, 7, 0, 81},     // BufferRate
    {kEncLong2, 0, 2, 8, 9, 82},        // StoreNum
    {kEncLong2, 0, 2, 10, 11, 83},      // SampleTriggerStoreNum
    {kEncLong2, 0, 2, 12, 13, 84},      // TriggerPoint
    {kEncKeep, 0, 1, 14, 0, 0},         //
    {kEncUnsigned, 0, 1, 15, 0, 78},    // OutputOffDelay
    {kEncKeep, 0, 1, 16, 0, 0},         //
    {kEncLong2, 0, 2, 17, 18, 85},      // TriggerDelay
    {kEncUntouched, 0, 181, 19, 0, 0},  //
};

constexpr RegisterMapEntry kSystemMap[] = {
    {kEncUnsigned, 0, 1, 205, 0, 114},  // BufferSelfStop
    {kEncUntouched, 0, 1, 206, 0, 0},
};

constexpr SystemCommandRow kSystemCommands[] = {
    {0, 104, cmd::kReadMemChangePriority, cmd::kWriteMemChangePriority},
    {0, 98, cmd::kReadControllerBaudrate, cmd::kWriteControllerBaudrate},
    {0, 99, cmd::kReadControllerDateLen, cmd::kWriteControllerDateLen},
    {0, 100, cmd::kReadControllerParity, cmd::kWriteControllerParity},
    {0, 102, cmd::kReadConsoleLockSelect, cmd::kWriteConsoleLockSelect},
    {0, 106, cmd::kReadMeasureCycle, cmd::kWriteMeasureCycle},
    {0, 107, cmd::kReadConsoleNo, cmd::kWriteConsoleNo},
    {0, 109, cmd::kReadRs232cOutType, cmd::kWriteRs232cOutType},
};

}  // namespace

std::span<const RegisterMapEntry> HeadRegisterMap() {
    return kHeadMap;
}
std::span<const RegisterMapEntry> OutputRegisterMap() {
    return kOutputMap;
}
std::span<const RegisterMapEntry> CommonRegisterMap() {
    return kCommonMap;
}
std::span<const RegisterMapEntry> SystemRegisterMap() {
    return kSystemMap;
}
std::span<const SystemCommandRow> SystemCommandTable() {
    return kSystemCommands;
}
bool IsReadRow(const SystemCommandRow& row) {
    return row.kind == 0 && !row.readCommand.empty();
}
bool IsWrittenRow(const SystemCommandRow& row) {
    return row.kind == 0 && !row.writeCommand.empty();
}

int32_t TransferredWords(const RegisterMapEntry& entry) {
    return entry.encoding == kEncUntouched ? 0 : entry.wordCount;
}

int32_t MakeInteger(double value, double scale) {
    double scaled = value * scale;
    if (std::isnan(scaled)) {
        return 0;
    }
    double magnitude = std::trunc(std::fabs(scaled) + 0.01);
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    if (magnitude > kMax) {
        magnitude = kMax;
    }
    int32_t result = static_cast<int32_t>(magnitude);
    return scaled < 0 ? -result : result;
}

int32_t ThousandthsOf(double value) {
    int64_t micro = MakeInteger(value, 1000000.0);
    int64_t magnitude = micro < 0 ? -micro : micro;
    int64_t rounded = (magnitude + 500) / 1000;
    return static_cast<int32_t>(micro < 0 ? -rounded : rounded);
}

int32_t JoinWords(uint16_t low, uint16_t high) {
    return static_cast<int32_t>(static_cast<uint32_t>(high) << 16 | low);
}
uint16_t LowWord(int32_t value) {
    return static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu);
}
uint16_t HighWord(int32_t value) {
    return static_cast<uint16_t>(static_cast<uint32_t>(value) >> 16);
}

}  // namespace zul

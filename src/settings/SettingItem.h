// SPDX-License-Identifier: GPL-3.0-or-later
// The constant table of every setting item: what type the value has, whether it exists once,
// per memory bank, per head or per output, where it is stored in the settings file, which
// controls of the UI definition edit it, and which default, validation and display rules apply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zul {

// Storage classes.
inline constexpr int32_t kStorageRuntime = 0;    // never written to the settings file
inline constexpr int32_t kStorageCounted = 1;    // in the file; counts as a change
inline constexpr int32_t kStorageUncounted = 2;  // in the file; never counts as a change

// Value types.
inline constexpr int32_t kValueEnd = -1;  // the end row
inline constexpr int32_t kValueInt = 1;
inline constexpr int32_t kValueBool = 2;  // kept as an integer 0/1
inline constexpr int32_t kValueText = 3;
inline constexpr int32_t kValueReal = 4;

// What an index selects.
inline constexpr int32_t kIndexNone = 0;
inline constexpr int32_t kIndexBank = 1;
inline constexpr int32_t kIndexHead = 2;
inline constexpr int32_t kIndexOutput = 3;

inline constexpr int32_t kBankCount = 16;
inline constexpr int32_t kHeadCount = 2;
inline constexpr int32_t kOutputCount = 2;

inline constexpr int32_t kFirstItemId = 1;
inline constexpr int32_t kLastItemId = 214;
inline constexpr int32_t kItemCount = 214;

// Control binding and default source.
inline constexpr int32_t kControlNone = 1;         // default from defaultText
inline constexpr int32_t kControlSingle = 2;       // default of control1's record
inline constexpr int32_t kControlUsbDevice = 3;    // as 2, and seeds the USB device lists
inline constexpr int32_t kControlMeasureMode = 4;  // radios 1154..1157, list 1658
inline constexpr int32_t kControlRadio2 = 5;       // radios control1, control2
inline constexpr int32_t kControlRadio3 = 6;       // radios control3, control1, control2
inline constexpr int32_t kControlPerOutput = 7;    // as 2, plus the output index

// The fixed records of the measurement-mode choice.
inline constexpr int32_t kMeasureModeRadioFirst = 1154;
inline constexpr int32_t kMeasureModeRadioLast = 1157;
inline constexpr int32_t kMeasureModeList = 1658;

struct SettingItem {
    int32_t storageClass;
    int32_t valueType;
    int32_t id;
    int32_t index1Kind;
    int32_t index2Kind;
    const char* section;
    const char* key;
    int32_t controlKind;
    const char* defaultText;
    int32_t validationKind;
    int32_t displayKind;
    int32_t control1;
    int32_t control2;
    int32_t control3;
};

// Item ids, named after their section and key (placeholders left out).
enum ItemId : int32_t {
    kCtrlLineState = 1,
    kCtrlVersion = 2,
    kCtrlType = 3,
    kCtrlSensorA = 4,
    kCtrlSensorB = 5,
    kCtrlCurMemNo = 6,
    kCtrlCurMemAlias = 7,
    kHeadSetupMode = 8,
    kHeadFloodLightAjust = 9,
    kHeadAlarmDelayTimes = 10,
    kHeadHMeasureMode = 11,
    kHeadOpticalFilter = 12,
    kHeadMeasureWorkBasis = 13,
    kHeadDetectLevel = 14,
    kHeadLaserOff = 15,
    kHeadPeakLevel = 16,
    kHeadPeakSearchCellA = 17,
    kHeadPeakSearchCellB = 18,
    kHeadMedianFilterSize = 19,
    kHeadPsACell = 20,
    kHeadPsBCell = 21,
    kHeadCALIB_MeasureValue1 = 22,
    kHeadCALIB_CorrectValue1 = 23,
    kHeadCALIB_MeasureValue2 = 24,
    kHeadCALIB_CorrectValue2 = 25,
    kHeadCALIB_Span = 26,
    kHeadCALIB_Shift = 27,
    kOutOutPattern = 28,
    kOutMeasureWork = 29,
    kOutReflectionCalc = 30,
    kOutReflectionRate = 31,
    kOutZeroSetSend = 32,
    kOutZeroSet = 33,
    kOutZeroSetVal = 34,
    kOutTiming = 35,
    kOutReset = 36,
    kOutHold = 37,
    kOutMeasureMode = 38,
    kOutTriggerSelect = 39,
    kOutOuterTriggerSelect = 40,
    kOutInnerTriggerEdge = 41,
    kOutInnerTriggerLevel = 42,
    kOutInnerTriggerHis = 43,
    kOutTriggerDelay = 44,
    kOutTriggerSampleTerm = 45,
    kOutCycleTriggerTerm = 46,
    kOutFilterSelect = 47,
    kOutAverageTimes = 48,
    kOutCutOffCycle = 49,
    kOutOffsetInput = 50,
    kOutDecisionMax = 51,
    kOutDecisionMin = 52,
    kOutDecisionHisMax = 53,
    kOutDecisionHisMin = 54,
    kOutSCALING_MeasureValue1 = 55,
    kOutSCALING_VoltageValue1 = 56,
    kOutSCALING_MeasureValue2 = 57,
    kOutSCALING_VoltageValue2 = 58,
    kOutAnalogOutOnAlarm = 59,
    kOutFixedValueInput = 60,
    kOutAnalogOutOnUnfixed = 61,
    kOutDegitalOutOnAlarm = 62,
    kOutAlarmDelayChange = 63,
    kOutDispDigit = 64,
    kOutCalcRef = 65,
    kOutAlarmState = 66,
    kOutHiState = 67,
    kOutGoState = 68,
    kOutLowState = 69,
    kOutStrobe = 70,
    kOutExtension = 71,
    kOutMeasureValue = 72,
    kCommonSamplingCycle = 73,
    kCommonPreventInterference = 74,
    kCommonTerminalInputCtrl = 75,
    kCommonInputChattering = 76,
    kCommonAlarmOutChange = 77,
    kCommonOutputOffDelay = 78,
    kBufBufferMode = 79,
    kBufBufferType = 80,
    kBufBufferRate = 81,
    kBufStoreNum = 82,
    kBufSampleTriggerStoreNum = 83,
    kBufTriggerPoint = 84,
    kBufTriggerDelay = 85,
    kBufEventCondition = 86,
    kBufStoreStop = 87,
    kBufStateRead = 88,
    kBufFinalDataPoint = 89,
    kBufDataReading = 90,
    kBufUpperLimit1JudgeResult = 91,
    kBufUpperLimit2JudgeResult = 92,
    kBufLowerLimit1JudgeResult = 93,
    kBufLowerLimit2JudgeResult = 94,
    kBufTriggerCount = 95,
    kMemCmnMemCopyFrom = 96,
    kMemCmnMemCopyTo = 97,
    kMemCmnRs232cBaudrate = 98,
    kMemCmnRs232cDateLen = 99,
    kMemCmnRs232cParity = 100,
    kMemCmnUsbConfig = 101,
    kMemCmnConsoleLockSelect = 102,
    kMemCmnConsoleLanguage = 103,
    kMemCmnMemChangePriority = 104,
    kMemCmnRemoteInterLock = 105,
    kMemCmnMeasureCycle = 106,
    kMemCmnConsoleNo = 107,
    kMemCmnRs232cOutMode = 108,
    kMemCmnRs232cOutType = 109,
    kSysBufUpperLimit1JudgeCount = 110,
    kSysBufUpperLimit2JudgeCount = 111,
    kSysBufLowerLimit1JudgeCount = 112,
    kSysBufLowerLimit2JudgeCount = 113,
    kSysBufBufferSelfStop = 114,
    kMainFormTop = 115,
    kMainFormLeft = 116,
    kMainCurFolder = 117,
    kMainChkAll = 118,
    kMeasFormMode = 119,
    kMeasFormTop = 120,
    kMeasFormLeft = 121,
    kMeasMeasureValue = 122,
    kMeasZeroSet = 123,
    kMeasZeroSetVal = 124,
    kMeasTiming = 125,
    kMeasReset = 126,
    kMeasAlarmState = 127,
    kMeasStrobe = 128,
    kMeasHiState = 129,
    kMeasGoState = 130,
    kMeasLowState = 131,
    kMeasExtension = 132,
    kMeasAlarmCode = 133,
    kMeasConfFormTop = 134,
    kMeasConfFormLeft = 135,
    kLwFormMode = 136,
    kLwFormTop = 137,
    kLwFormLeft = 138,
    kLwFormWidth = 139,
    kLwFormHeight = 140,
    kLwFormMax = 141,
    kLwConfFormTop = 142,
    kLwConfFormLeft = 143,
    kLwConfCurFolder = 144,
    kLwConfGraphUpdateCycle = 145,
    kLwConfGraphRectDisp = 146,
    kLwConfWorkNoDisp = 147,
    kBufWndFormMode = 148,
    kBufWndFormTop = 149,
    kBufWndFormLeft = 150,
    kBufWndFormWidth = 151,
    kBufWndFormHeight = 152,
    kBufWndFormMax = 153,
    kBufWndWaveDataChange = 154,
    kBufConfFormTop = 155,
    kBufConfFormLeft = 156,
    kBufConfCurFolder = 157,
    kBufConfVerticalMeasureDisp = 158,
    kBufConfVerticalMeasureTop = 159,
    kBufConfVerticalMeasureBottom = 160,
    kBufConfHorizontalMeasureDisp = 161,
    kBufConfHorizontalMeasureLeft = 162,
    kBufConfHorizontalMeasureRight = 163,
    kBufInfoFormTop = 164,
    kBufInfoFormLeft = 165,
    kFloodFormTop = 166,
    kFloodFormLeft = 167,
    kCalibFormTop = 168,
    kCalibFormLeft = 169,
    kCfgListFormTop = 170,
    kCfgListFormLeft = 171,
    kCfgListFormWidth = 172,
    kCfgListFormHeight = 173,
    kCfgListFormMax = 174,
    kCfgPrintFormTop = 175,
    kCfgPrintFormLeft = 176,
    kCfgPrintSaveFolder = 177,
    kCfgPrintOutputDivision = 178,
    kCtrlWndFormTop = 179,
    kCtrlWndFormLeft = 180,
    kSoftFormTop = 181,
    kSoftFormLeft = 182,
    kSoftCommunicationType = 183,
    kSoftRs232cPort = 184,
    kSoftRs232cBaudrate = 185,
    kSoftRs232cDateLen = 186,
    kSoftRs232cParity = 187,
    kSoftRs232cTimeout = 188,
    kSoftRs232cBCC = 189,
    kSoftUsbConnect = 190,
    kSoftMemAlias = 191,
    kSoftPolicyPriority = 192,
    kSoftCsvSeparator = 193,
    kSoftCsvUnderdigit = 194,
    kSoftMeasureCycle = 195,
    kSoftMeasUnit = 196,
    kVerFormTop = 197,
    kVerFormLeft = 198,
    kCaptureFormTop = 199,
    kCaptureFormLeft = 200,
    kCaptureSaveFolder = 201,
    kCaptureOutputDivision = 202,
    kAppCurMemNo = 203,
    kAppCurMemAlias = 204,
    kAppLogEnableFlag = 205,
    kAppLogFolder = 206,
    kAppImageFolder = 207,
    kScalingFormTop = 208,
    kScalingFormLeft = 209,
    kMeasTrendShown = 210,
    kBufWndAlwaysFit = 211,
    kLwWndAlwaysFit = 212,
    kMeasRollingShown = 213,
    kMeasRollingWindow = 214,
};

// The 214 rows, row n holding id n, followed by the end row.
inline constexpr SettingItem kSettingItems[] = {
    {0, 1, 1, 0, 0, "CONTROLLER", "LineState", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 3, 2, 0, 0, "CONTROLLER", "Version", 2, "", 0, 1, 0x440, 0x0, 0x0},
    {0, 3, 3, 0, 0, "CONTROLLER", "Type", 2, "", 0, 1, 0x442, 0x0, 0x0},
    {0, 3, 4, 0, 0, "CONTROLLER", "SensorA", 2, "", 0, 1, 0x444, 0x0, 0x0},
    {0, 3, 5, 0, 0, "CONTROLLER", "SensorB", 2, "", 0, 1, 0x446, 0x0, 0x0},
    {1, 1, 6, 0, 0, "CONTROLLER", "CurMemNo", 2, "", 1, 1, 0x449, 0x0, 0x0},
    {0, 3, 7, 0, 0, "CONTROLLER", "CurMemAlias", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 8, 1, 2, "MEM%m_HEAD%h", "SetupMode", 2, "", 1, 1, 0x455, 0x0, 0x0},
    {1, 1, 9, 1, 2, "MEM%m_HEAD%h", "FloodLightAjust", 2, "", 1, 1, 0x79C, 0x0, 0x0},
    {1, 1, 10, 1, 2, "MEM%m_HEAD%h", "AlarmDelayTimes", 2, "", 1, 1, 0x457, 0x0, 0x0},
    {1, 1, 11, 1, 2, "MEM%m_HEAD%h", "HMeasureMode", 2, "", 1, 1, 0x78C, 0x0, 0x0},
    {1, 1, 12, 1, 2, "MEM%m_HEAD%h", "OpticalFilter", 2, "", 1, 1, 0x459, 0x0, 0x0},
    {1, 1, 13, 1, 2, "MEM%m_HEAD%h", "MeasureWorkBasis", 2, "", 1, 1, 0x650, 0x0, 0x0},
    {1, 1, 14, 1, 2, "MEM%m_HEAD%h", "DetectLevel", 2, "", 1, 1, 0x45B, 0x0, 0x0},
    {1, 1, 15, 1, 2, "MEM%m_HEAD%h", "LaserOff", 2, "", 1, 1, 0x6B9, 0x0, 0x0},
    {1, 1, 16, 1, 2, "MEM%m_HEAD%h", "PeakLevel", 2, "", 1, 1, 0x7EF, 0x0, 0x0},
    {1, 1, 17, 1, 2, "MEM%m_HEAD%h", "PeakSearchCellA", 2, "", 1, 1, 0x80B, 0x0, 0x0},
    {1, 1, 18, 1, 2, "MEM%m_HEAD%h", "PeakSearchCellB", 2, "", 1, 1, 0x80E, 0x0, 0x0},
    {1, 1, 19, 1, 2, "MEM%m_HEAD%h", "MedianFilterSize", 2, "", 1, 1, 0x812, 0x0, 0x0},
    {1, 1, 20, 1, 2, "MEM%m_HEAD%h", "PsACell", 2, "", 1, 1, 0x815, 0x0, 0x0},
    {1, 1, 21, 1, 2, "MEM%m_HEAD%h", "PsBCell", 2, "", 1, 1, 0x818, 0x0, 0x0},
    {1, 4, 22, 1, 2, "MEM%m_HEAD%h", "CALIB_MeasureValue1", 2, "", 1, 1, 0x554, 0x0, 0x0},
    {1, 4, 23, 1, 2, "MEM%m_HEAD%h", "CALIB_CorrectValue1", 2, "", 1, 1, 0x556, 0x0, 0x0},
    {1, 4, 24, 1, 2, "MEM%m_HEAD%h", "CALIB_MeasureValue2", 2, "", 1, 1, 0x559, 0x0, 0x0},
    {1, 4, 25, 1, 2, "MEM%m_HEAD%h", "CALIB_CorrectValue2", 2, "", 1, 1, 0x55B, 0x0, 0x0},
    {0, 4, 26, 1, 2, "MEM%m_HEAD%h", "CALIB_Span", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 4, 27, 1, 2, "MEM%m_HEAD%h", "CALIB_Shift", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 28, 1, 3, "MEM%m_OUT%o", "OutPattern", 7, "", 1, 1, 0x46E, 0x0, 0x0},
    {1, 1, 29, 1, 3, "MEM%m_OUT%o", "MeasureWork", 2, "", 1, 1, 0x663, 0x0, 0x0},
    {1, 1, 30, 1, 3, "MEM%m_OUT%o", "ReflectionCalc", 2, "", 1, 1, 0x472, 0x0, 0x0},
    {1, 4, 31, 1, 3, "MEM%m_OUT%o", "ReflectionRate", 2, "0.5000", 1, 1, 0x66D, 0x0, 0x0},
    {0, 1, 32, 1, 3, "MEM%m_OUT%o", "ZeroSetSend", 2, "", 0, 0, 0x6D9, 0x0, 0x0},
    {1, 1, 33, 1, 3, "MEM%m_OUT%o", "ZeroSet", 2, "", 1, 1, 0x641, 0x0, 0x0},
    {1, 4, 34, 1, 3, "MEM%m_OUT%o", "ZeroSetVal", 2, "", 1, 1, 0x656, 0x0, 0x0},
    {0, 1, 35, 1, 3, "MEM%m_OUT%o", "Timing", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 36, 1, 3, "MEM%m_OUT%o", "Reset", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 37, 1, 3, "MEM%m_OUT%o", "Hold", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 38, 1, 3, "MEM%m_OUT%o", "MeasureMode", 4, "", 2, 2, 0x67A, 0x0, 0x0},
    {1, 1, 39, 1, 3, "MEM%m_OUT%o", "TriggerSelect", 2, "", 1, 1, 0x564, 0x0, 0x0},
    {1, 1, 40, 1, 3, "MEM%m_OUT%o", "OuterTriggerSelect", 2, "", 1, 1, 0x568, 0x0, 0x0},
    {1, 1, 41, 1, 3, "MEM%m_OUT%o", "InnerTriggerEdge", 2, "", 1, 1, 0x566, 0x0, 0x0},
    {1, 4, 42, 1, 3, "MEM%m_OUT%o", "InnerTriggerLevel", 2, "", 1, 1, 0x56A, 0x0, 0x0},
    {1, 4, 43, 1, 3, "MEM%m_OUT%o", "InnerTriggerHis", 2, "", 1, 1, 0x56C, 0x0, 0x0},
    {1, 1, 44, 1, 3, "MEM%m_OUT%o", "TriggerDelay", 2, "", 1, 1, 0x56E, 0x0, 0x0},
    {1, 1, 45, 1, 3, "MEM%m_OUT%o", "TriggerSampleTerm", 2, "", 1, 1, 0x40E, 0x0, 0x0},
    {1, 1, 46, 1, 3, "MEM%m_OUT%o", "CycleTriggerTerm", 2, "", 1, 1, 0x571, 0x0, 0x0},
    {1, 1, 47, 1, 3, "MEM%m_OUT%o", "FilterSelect", 2, "", 1, 1, 0x676, 0x0, 0x0},
    {1, 1, 48, 1, 3, "MEM%m_OUT%o", "AverageTimes", 2, "", 1, 1, 0x651, 0x0, 0x0},
    {1, 1, 49, 1, 3, "MEM%m_OUT%o", "CutOffCycle", 2, "", 1, 1, 0x480, 0x0, 0x0},
    {1, 4, 50, 1, 3, "MEM%m_OUT%o", "OffsetInput", 2, "", 1, 1, 0x496, 0x0, 0x0},
    {1, 4, 51, 1, 3, "MEM%m_OUT%o", "DecisionMax", 2, "", 1, 1, 0x476, 0x0, 0x0},
    {1, 4, 52, 1, 3, "MEM%m_OUT%o", "DecisionMin", 2, "", 1, 1, 0x40B, 0x0, 0x0},
    {1, 4, 53, 1, 3, "MEM%m_OUT%o", "DecisionHisMax", 2, "", 1, 1, 0x47A, 0x0, 0x0},
    {1, 4, 54, 1, 3, "MEM%m_OUT%o", "DecisionHisMin", 2, "", 1, 1, 0x40F, 0x0, 0x0},
    {1, 4, 55, 1, 3, "MEM%m_OUT%o", "SCALING_MeasureValue1", 2, "", 1, 1, 0x576, 0x0, 0x0},
    {1, 4, 56, 1, 3, "MEM%m_OUT%o", "SCALING_VoltageValue1", 2, "", 1, 1, 0x578, 0x0, 0x0},
    {1, 4, 57, 1, 3, "MEM%m_OUT%o", "SCALING_MeasureValue2", 2, "", 1, 1, 0x40A, 0x0, 0x0},
    {1, 4, 58, 1, 3, "MEM%m_OUT%o", "SCALING_VoltageValue2", 2, "", 1, 1, 0x40C, 0x0, 0x0},
    {1, 1, 59, 1, 3, "MEM%m_OUT%o", "AnalogOutOnAlarm", 2, "", 1, 1, 0x66C, 0x0, 0x0},
    {1, 4, 60, 1, 3, "MEM%m_OUT%o", "FixedValueInput", 2, "10.800", 1, 1, 0x491, 0x0, 0x0},
    {1, 4, 61, 1, 3, "MEM%m_OUT%o", "AnalogOutOnUnfixed", 2, "10.800", 1, 1, 0x407, 0x0, 0x0},
    {1, 1, 62, 1, 3, "MEM%m_OUT%o", "DegitalOutOnAlarm", 2, "", 1, 1, 0x66F, 0x0, 0x0},
    {1, 1, 63, 1, 3, "MEM%m_OUT%o", "AlarmDelayChange", 2, "", 1, 1, 0x672, 0x0, 0x0},
    {1, 1, 64, 1, 3, "MEM%m_OUT%o", "DispDigit", 2, "", 1, 1, 0x673, 0x0, 0x0},
    {1, 4, 65, 1, 3, "MEM%m_OUT%o", "CalcRef", 2, "", 1, 1, 0x7F0, 0x0, 0x0},
    {0, 1, 66, 1, 3, "MEM%m_OUT%o", "AlarmState", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 67, 1, 3, "MEM%m_OUT%o", "HiState", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 68, 1, 3, "MEM%m_OUT%o", "GoState", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 69, 1, 3, "MEM%m_OUT%o", "LowState", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 70, 1, 3, "MEM%m_OUT%o", "Strobe", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 71, 1, 3, "MEM%m_OUT%o", "Extension", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 4, 72, 1, 3, "MEM%m_OUT%o", "MeasureValue", 1, "", 0, 1, 0x4A6, 0x0, 0x0},
    {1, 1, 73, 1, 0, "MEM%m_COMMON", "SamplingCycle", 2, "", 1, 1, 0x665, 0x0, 0x0},
    {1, 1, 74, 1, 0, "MEM%m_COMMON", "PreventInterference", 2, "", 1, 1, 0x667, 0x0, 0x0},
    {1, 1, 75, 1, 0, "MEM%m_COMMON", "TerminalInputCtrl", 2, "", 1, 1, 0x668, 0x0, 0x0},
    {1, 1, 76, 1, 0, "MEM%m_COMMON", "InputChattering", 2, "", 1, 1, 0x725, 0x0, 0x0},
    {0, 1, 77, 1, 0, "MEM%m_COMMON", "AlarmOutChange", 2, "", 1, 1, 0x66B, 0x0, 0x0},
    {1, 1, 78, 1, 0, "MEM%m_COMMON", "OutputOffDelay", 2, "", 1, 1, 0x7DC, 0x0, 0x0},
    {1, 1, 79, 1, 0, "MEM%m_BUFFERING", "BufferMode", 2, "", 1, 1, 0x4F8, 0x0, 0x0},
    {1, 1, 80, 1, 0, "MEM%m_BUFFERING", "BufferType", 2, "", 1, 1, 0x4FA, 0x0, 0x0},
    {1, 1, 81, 1, 0, "MEM%m_BUFFERING", "BufferRate", 2, "", 1, 1, 0x43D, 0x0, 0x0},
    {1, 1, 82, 1, 0, "MEM%m_BUFFERING", "StoreNum", 2, "", 6, 1, 0x500, 0x0, 0x0},
    {1, 1, 83, 1, 0, "MEM%m_BUFFERING", "SampleTriggerStoreNum", 2, "", 7, 1, 0x74B, 0x0, 0x0},
    {1, 1, 84, 1, 0, "MEM%m_BUFFERING", "TriggerPoint", 2, "", 5, 1, 0x502, 0x0, 0x0},
    {1, 1, 85, 1, 0, "MEM%m_BUFFERING", "TriggerDelay", 2, "", 1, 1, 0x7E7, 0x0, 0x0},
    {1, 1, 86, 1, 3, "MEM%m_BUFFERING", "EventCondition%o", 2, "", 1, 1, 0x504, 0x0, 0x0},
    {0, 1, 87, 1, 0, "MEM%m_BUFFERING", "StoreStop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 88, 1, 3, "MEM%m_BUFFERING", "StateRead%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 89, 1, 3, "MEM%m_BUFFERING", "FinalDataPoint%o", 1, "", 0, 1, 0x4EA, 0x0, 0x0},
    {0, 1, 90, 1, 0, "MEM%m_BUFFERING", "DataReading", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 91, 1, 3, "MEM%m_BUFFERING", "UpperLimit1JudgeResult%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 92, 1, 3, "MEM%m_BUFFERING", "UpperLimit2JudgeResult%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 93, 1, 3, "MEM%m_BUFFERING", "LowerLimit1JudgeResult%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 94, 1, 3, "MEM%m_BUFFERING", "LowerLimit2JudgeResult%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 95, 1, 3, "MEM%m_BUFFERING", "TriggerCount%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 96, 0, 0, "MEM_CMN", "MemCopyFrom", 2, "", 1, 1, 0x402, 0x0, 0x0},
    {1, 1, 97, 0, 0, "MEM_CMN", "MemCopyTo", 2, "", 1, 1, 0x403, 0x0, 0x0},
    {1, 1, 98, 0, 0, "MEM_CMN", "Rs232cBaudrate", 2, "", 1, 1, 0x58E, 0x0, 0x0},
    {1, 1, 99, 0, 0, "MEM_CMN", "Rs232cDateLen", 2, "", 1, 1, 0x590, 0x0, 0x0},
    {1, 1, 100, 0, 0, "MEM_CMN", "Rs232cParity", 2, "", 1, 1, 0x592, 0x0, 0x0},
    {1, 1, 101, 0, 0, "MEM_CMN", "UsbConfig", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 102, 0, 0, "MEM_CMN", "ConsoleLockSelect", 2, "", 1, 1, 0x596, 0x0, 0x0},
    {1, 1, 103, 0, 0, "MEM_CMN", "ConsoleLanguage", 2, "", 1, 1, 0x598, 0x0, 0x0},
    {1, 1, 104, 0, 0, "MEM_CMN", "MemChangePriority", 2, "", 1, 1, 0x645, 0x0, 0x0},
    {1, 1, 105, 0, 0, "MEM_CMN", "RemoteInterLock", 2, "", 1, 1, 0x647, 0x0, 0x0},
    {1, 1, 106, 0, 0, "MEM_CMN", "MeasureCycle", 2, "", 1, 1, 0x655, 0x0, 0x0},
    {1, 1, 107, 0, 0, "MEM_CMN", "ConsoleNo", 2, "", 1, 1, 0x408, 0x0, 0x0},
    {1, 1, 108, 0, 0, "MEM_CMN", "Rs232cOutMode", 2, "", 1, 1, 0x7F6, 0x0, 0x0},
    {1, 1, 109, 0, 0, "MEM_CMN", "Rs232cOutType", 2, "", 1, 1, 0x7F8, 0x0, 0x0},
    {0, 1, 110, 0, 0, "SYS_BUFFERING", "UpperLimit1JudgeCount", 2, "", 0, 1, 0x764, 0x0, 0x0},
    {0, 1, 111, 0, 0, "SYS_BUFFERING", "UpperLimit2JudgeCount", 2, "", 0, 1, 0x766, 0x0, 0x0},
    {0, 1, 112, 0, 0, "SYS_BUFFERING", "LowerLimit1JudgeCount", 2, "", 0, 1, 0x768, 0x0, 0x0},
    {0, 1, 113, 0, 0, "SYS_BUFFERING", "LowerLimit2JudgeCount", 2, "", 0, 1, 0x76A, 0x0, 0x0},
    {1, 1, 114, 0, 0, "SYS_BUFFERING", "BufferSelfStop", 2, "", 1, 1, 0x806, 0x0, 0x0},
    {2, 1, 115, 0, 0, "FORM_MAIN", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 116, 0, 0, "FORM_MAIN", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 3, 117, 0, 0, "FORM_MAIN", "CurFolder", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 118, 0, 0, "FORM_MAIN", "ChkAll", 2, "", 0, 1, 0x44D, 0x0, 0x0},
    {2, 1, 119, 0, 0, "FORM_MEASUREMENT", "FormMode", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 120, 0, 0, "FORM_MEASUREMENT", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 121, 0, 0, "FORM_MEASUREMENT", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 4, 122, 3, 0, "FORM_MEASUREMENT", "MeasureValue%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 123, 3, 0, "FORM_MEASUREMENT", "ZeroSet%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 4, 124, 3, 0, "FORM_MEASUREMENT", "ZeroSetVal%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 125, 3, 0, "FORM_MEASUREMENT", "Timing%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 126, 3, 0, "FORM_MEASUREMENT", "Reset%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 127, 3, 0, "FORM_MEASUREMENT", "AlarmState%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 128, 3, 0, "FORM_MEASUREMENT", "Strobe%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 129, 3, 0, "FORM_MEASUREMENT", "HiState%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 130, 3, 0, "FORM_MEASUREMENT", "GoState%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 131, 3, 0, "FORM_MEASUREMENT", "LowState%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 132, 3, 0, "FORM_MEASUREMENT", "Extension%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 133, 3, 0, "FORM_MEASUREMENT", "AlarmCode%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 134, 0, 0, "FORM_MEASUREMENTCONF", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 135, 0, 0, "FORM_MEASUREMENTCONF", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 136, 0, 0, "FORM_LIGHTWAVE", "FormMode", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 137, 0, 0, "FORM_LIGHTWAVE", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 138, 0, 0, "FORM_LIGHTWAVE", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 139, 0, 0, "FORM_LIGHTWAVE", "FormWidth", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 140, 0, 0, "FORM_LIGHTWAVE", "FormHeight", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 141, 0, 0, "FORM_LIGHTWAVE", "FormMax", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 142, 0, 0, "FORM_LIGHTWAVECONF", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 143, 0, 0, "FORM_LIGHTWAVECONF", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 3, 144, 0, 0, "FORM_LIGHTWAVECONF", "CurFolder", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 145, 0, 0, "FORM_LIGHTWAVECONF", "GraphUpdateCycle", 2, "500", 1, 1, 0x3ED, 0x0, 0x0},
    {1, 1, 146, 0, 0, "FORM_LIGHTWAVECONF", "GraphRectDisp", 2, "", 1, 1, 0x4C4, 0x0, 0x0},
    {1, 1, 147, 2, 0, "FORM_LIGHTWAVECONF", "WorkNoDisp%h", 2, "", 1, 1, 0x4C6, 0x0, 0x0},
    {2, 1, 148, 0, 0, "FORM_BUFFERING", "FormMode", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 149, 0, 0, "FORM_BUFFERING", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 150, 0, 0, "FORM_BUFFERING", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 151, 0, 0, "FORM_BUFFERING", "FormWidth", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 152, 0, 0, "FORM_BUFFERING", "FormHeight", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 153, 0, 0, "FORM_BUFFERING", "FormMax", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 154, 3, 0, "FORM_BUFFERING", "WaveDataChange%o", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 155, 0, 0, "FORM_BUFFERINGCONF", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 156, 0, 0, "FORM_BUFFERINGCONF", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 3, 157, 0, 0, "FORM_BUFFERINGCONF", "CurFolder", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 158, 3, 0, "FORM_BUFFERINGCONF", "VerticalMeasureDisp%o", 2, "", 1, 1, 0x50A, 0x0, 0x0},
    {1, 4, 159, 3, 0, "FORM_BUFFERINGCONF", "VerticalMeasureTop%o", 2, "", 1, 1, 0x50C, 0x0, 0x0},
    {1, 4, 160, 3, 0, "FORM_BUFFERINGCONF", "VerticalMeasureBottom%o", 2, "", 1, 1, 0x50E, 0x0,
     0x0},
    {1, 1, 161, 3, 0, "FORM_BUFFERINGCONF", "HorizontalMeasureDisp%o", 2, "", 1, 1, 0x677, 0x0,
     0x0},
    {1, 1, 162, 3, 0, "FORM_BUFFERINGCONF", "HorizontalMeasureLeft%o", 2, "", 1, 1, 0x510, 0x0,
     0x0},
    {1, 1, 163, 3, 0, "FORM_BUFFERINGCONF", "HorizontalMeasureRight%o", 2, "", 1, 1, 0x3FB, 0x0,
     0x0},
    {0, 1, 164, 0, 0, "FORM_BUFFERINGINFO", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 165, 0, 0, "FORM_BUFFERINGINFO", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 166, 0, 0, "FORM_FLOODLIGHT", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 167, 0, 0, "FORM_FLOODLIGHT", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 168, 0, 0, "FORM_CALIBURATION", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 169, 0, 0, "FORM_CALIBURATION", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 170, 0, 0, "FORM_CONFIGLIST", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 171, 0, 0, "FORM_CONFIGLIST", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 172, 0, 0, "FORM_CONFIGLIST", "FormWidth", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 173, 0, 0, "FORM_CONFIGLIST", "FormHeight", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 174, 0, 0, "FORM_CONFIGLIST", "FormMax", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 175, 0, 0, "FORM_CONFIGPRINT", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 176, 0, 0, "FORM_CONFIGPRINT", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 3, 177, 0, 0, "FORM_CONFIGPRINT", "SaveFolder", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 178, 0, 0, "FORM_CONFIGPRINT", "OutputDivision", 6, "", 4, 4, 0x584, 0x585, 0x586},
    {2, 1, 179, 0, 0, "FORM_CONTROLLER", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 180, 0, 0, "FORM_CONTROLLER", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 181, 0, 0, "FORM_SOFTWARE", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 182, 0, 0, "FORM_SOFTWARE", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 183, 0, 0, "FORM_SOFTWARE", "CommunicationType", 5, "", 3, 3, 0x430, 0x6DD, 0x0},
    {1, 1, 184, 0, 0, "FORM_SOFTWARE", "Rs232cPort", 2, "", 1, 1, 0x3FF, 0x0, 0x0},
    {1, 1, 185, 0, 0, "FORM_SOFTWARE", "Rs232cBaudrate", 2, "", 1, 1, 0x3FC, 0x0, 0x0},
    {1, 1, 186, 0, 0, "FORM_SOFTWARE", "Rs232cDateLen", 2, "", 1, 1, 0x3FD, 0x0, 0x0},
    {1, 1, 187, 0, 0, "FORM_SOFTWARE", "Rs232cParity", 2, "", 1, 1, 0x3FE, 0x0, 0x0},
    {1, 1, 188, 0, 0, "FORM_SOFTWARE", "Rs232cTimeout", 2, "", 1, 1, 0x400, 0x0, 0x0},
    {1, 1, 189, 0, 0, "FORM_SOFTWARE", "Rs232cBCC", 5, "", 3, 3, 0x432, 0x6DB, 0x0},
    {1, 3, 190, 0, 0, "FORM_SOFTWARE", "UsbConnect", 3, "NoUSB", 0, 0, 0x401, 0x0, 0x0},
    {1, 3, 191, 1, 0, "FORM_SOFTWARE", "MemAlias%m", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 192, 0, 0, "FORM_SOFTWARE", "PolicyPriority", 2, "", 1, 1, 0x404, 0x0, 0x0},
    {1, 1, 193, 0, 0, "FORM_SOFTWARE", "CsvSeparator", 6, "", 4, 4, 0x434, 0x695, 0x698},
    {1, 1, 194, 0, 0, "FORM_SOFTWARE", "CsvUnderdigit", 5, "", 3, 3, 0x69A, 0x69C, 0x0},
    {1, 1, 195, 0, 0, "FORM_SOFTWARE", "MeasureCycle", 2, "", 1, 1, 0x739, 0x0, 0x0},
    {1, 1, 196, 0, 0, "FORM_SOFTWARE", "MeasUnit", 2, "", 1, 1, 0x7FA, 0x0, 0x0},
    {2, 1, 197, 0, 0, "FORM_VERSION", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 198, 0, 0, "FORM_VERSION", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 199, 0, 0, "FORM_CAPTURE", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 200, 0, 0, "FORM_CAPTURE", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 3, 201, 0, 0, "FORM_CAPTURE", "SaveFolder", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {0, 1, 202, 0, 0, "FORM_CAPTURE", "OutputDivision", 6, "", 4, 4, 0x5BA, 0x5BB, 0x5BC},
    {1, 1, 203, 0, 0, "ZUL_APP_DATA", "CurMemNo", 2, "", 1, 1, 0x449, 0x0, 0x0},
    {0, 3, 204, 0, 0, "ZUL_APP_DATA", "CurMemAlias", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 1, 205, 0, 0, "ZUL_APP_DATA", "LogEnableFlag", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {1, 3, 206, 0, 0, "ZUL_APP_DATA", "LogFolder", 1, "log", 0, 0, 0x0, 0x0, 0x0},
    {1, 3, 207, 0, 0, "ZUL_APP_DATA", "ImageFolder", 1, "image", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 208, 0, 0, "FORM_ANALOGSCALING", "FormTop", 1, "", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 209, 0, 0, "FORM_ANALOGSCALING", "FormLeft", 1, "", 0, 0, 0x0, 0x0, 0x0},
    // The measurement window's trend strips (1 = shown); a view choice, never a change.
    {2, 1, 210, 0, 0, "FORM_MEASUREMENT", "TrendShown", 1, "0", 0, 0, 0x0, 0x0, 0x0},
    // The graphs of the buffering and light-wave windows follow their data (1); view choices.
    {2, 1, 211, 0, 0, "FORM_BUFFERING", "AlwaysFit", 1, "0", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 212, 0, 0, "FORM_LIGHTWAVE", "AlwaysFit", 1, "0", 0, 0, 0x0, 0x0, 0x0},
    // The measurement window's rolling capability figures (1 = shown) and the number of latest
    // values they use; view choices.
    {2, 1, 213, 0, 0, "FORM_MEASUREMENT", "RollingShown", 1, "0", 0, 0, 0x0, 0x0, 0x0},
    {2, 1, 214, 0, 0, "FORM_MEASUREMENT", "RollingWindow", 1, "100", 0, 0, 0x0, 0x0, 0x0},
    {0, kValueEnd, 0, 0, 0, "", "", 0, "", 0, 0, 0, 0, 0},
};

static_assert(sizeof(kSettingItems) / sizeof(kSettingItems[0]) == kItemCount + 1);

// The row with that id, or nullptr. A linear scan that stops at the end row.
constexpr const SettingItem* FindItem(int32_t id) {
    for (const SettingItem& row : kSettingItems) {
        if (row.valueType == kValueEnd) {
            break;
        }
        if (row.id == id) {
            return &row;
        }
    }
    return nullptr;
}

// The value type of an item, or kValueEnd when the id names no item.
constexpr int32_t ItemValueType(int32_t id) {
    // Scans by index rather than through FindItem's pointer, so that the result stays a
    // constant expression under every sanitizer.
    for (size_t i = 0; kSettingItems[i].valueType != kValueEnd; ++i) {
        if (kSettingItems[i].id == id) {
            return kSettingItems[i].valueType;
        }
    }
    return kValueEnd;
}

constexpr bool IsIntItem(int32_t id) {
    return ItemValueType(id) == kValueInt || ItemValueType(id) == kValueBool;
}
constexpr bool IsRealItem(int32_t id) {
    return ItemValueType(id) == kValueReal;
}
constexpr bool IsTextItem(int32_t id) {
    return ItemValueType(id) == kValueText;
}

// Number of values an index of that kind selects among (1 for kIndexNone).
constexpr int32_t IndexRange(int32_t kind) {
    switch (kind) {
        case kIndexBank:
            return kBankCount;
        case kIndexHead:
            return kHeadCount;
        case kIndexOutput:
            return kOutputCount;
        default:
            return 1;
    }
}

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// All values of the settings store in one plain image: the controller block, the 16 memory
// banks, the system block and one block per window or option section. Fields follow the item
// order of the setting item table and carry the items' keys as names.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <string>
#include <vector>

namespace zul {

struct ControllerBlock {
    int32_t LineState = 0;
    std::string Version;
    std::string Type;
    std::string SensorA;
    std::string SensorB;
    int32_t CurMemNo = 0;
    std::string CurMemAlias;
    bool operator==(const ControllerBlock&) const = default;
};

struct HeadBlock {
    int32_t SetupMode = 0;
    int32_t FloodLightAjust = 0;
    int32_t AlarmDelayTimes = 0;
    int32_t HMeasureMode = 0;
    int32_t OpticalFilter = 0;
    int32_t MeasureWorkBasis = 0;
    int32_t DetectLevel = 0;
    int32_t LaserOff = 0;
    int32_t PeakLevel = 0;
    int32_t PeakSearchCellA = 0;
    int32_t PeakSearchCellB = 0;
    int32_t MedianFilterSize = 0;
    int32_t PsACell = 0;
    int32_t PsBCell = 0;
    double CALIB_MeasureValue1 = 0.0;
    double CALIB_CorrectValue1 = 0.0;
    double CALIB_MeasureValue2 = 0.0;
    double CALIB_CorrectValue2 = 0.0;
    double CALIB_Span = 0.0;
    double CALIB_Shift = 0.0;
    bool operator==(const HeadBlock&) const = default;
};

struct OutputBlock {
    int32_t OutPattern = 0;
    int32_t MeasureWork = 0;
    int32_t ReflectionCalc = 0;
    double ReflectionRate = 0.0;
    int32_t ZeroSetSend = 0;
    int32_t ZeroSet = 0;
    double ZeroSetVal = 0.0;
    int32_t Timing = 0;
    int32_t Reset = 0;
    int32_t Hold = 0;
    int32_t MeasureMode = 0;
    int32_t TriggerSelect = 0;
    int32_t OuterTriggerSelect = 0;
    int32_t InnerTriggerEdge = 0;
    double InnerTriggerLevel = 0.0;
    double InnerTriggerHis = 0.0;
    int32_t TriggerDelay = 0;
    int32_t TriggerSampleTerm = 0;
    int32_t CycleTriggerTerm = 0;
    int32_t FilterSelect = 0;
    int32_t AverageTimes = 0;
    int32_t CutOffCycle = 0;
    double OffsetInput = 0.0;
    double DecisionMax = 0.0;
    double DecisionMin = 0.0;
    double DecisionHisMax = 0.0;
    double DecisionHisMin = 0.0;
    double SCALING_MeasureValue1 = 0.0;
    double SCALING_VoltageValue1 = 0.0;
    double SCALING_MeasureValue2 = 0.0;
    double SCALING_VoltageValue2 = 0.0;
    int32_t AnalogOutOnAlarm = 0;
    double FixedValueInput = 0.0;
    double AnalogOutOnUnfixed = 0.0;
    int32_t DegitalOutOnAlarm = 0;
    int32_t AlarmDelayChange = 0;
    int32_t DispDigit = 0;
    double CalcRef = 0.0;
    int32_t AlarmState = 0;
    int32_t HiState = 0;
    int32_t GoState = 0;
    int32_t LowState = 0;
    int32_t Strobe = 0;
    int32_t Extension = 0;
    double MeasureValue = 0.0;
    bool operator==(const OutputBlock&) const = default;
};

struct BankCommonBlock {
    int32_t SamplingCycle = 0;
    int32_t PreventInterference = 0;
    int32_t TerminalInputCtrl = 0;
    int32_t InputChattering = 0;
    int32_t AlarmOutChange = 0;
    int32_t OutputOffDelay = 0;
    int32_t BufferMode = 0;
    int32_t BufferType = 0;
    int32_t BufferRate = 0;
    int32_t StoreNum = 0;
    int32_t SampleTriggerStoreNum = 0;
    int32_t TriggerPoint = 0;
    int32_t TriggerDelay = 0;
    std::array<int32_t, 2> EventCondition{};
    int32_t StoreStop = 0;
    std::array<int32_t, 2> StateRead{};
    std::array<int32_t, 2> FinalDataPoint{};
    int32_t DataReading = 0;
    std::array<int32_t, 2> UpperLimit1JudgeResult{};
    std::array<int32_t, 2> UpperLimit2JudgeResult{};
    std::array<int32_t, 2> LowerLimit1JudgeResult{};
    std::array<int32_t, 2> LowerLimit2JudgeResult{};
    std::array<int32_t, 2> TriggerCount{};
    bool operator==(const BankCommonBlock&) const = default;
};

struct SystemBlock {
    int32_t MemCopyFrom = 0;
    int32_t MemCopyTo = 0;
    int32_t Rs232cBaudrate = 0;
    int32_t Rs232cDateLen = 0;
    int32_t Rs232cParity = 0;
    int32_t UsbConfig = 0;
    int32_t ConsoleLockSelect = 0;
    int32_t ConsoleLanguage = 0;
    int32_t MemChangePriority = 0;
    int32_t RemoteInterLock = 0;
    int32_t MeasureCycle = 0;
    int32_t ConsoleNo = 0;
    int32_t Rs232cOutMode = 0;
    int32_t Rs232cOutType = 0;
    int32_t UpperLimit1JudgeCount = 0;
    int32_t UpperLimit2JudgeCount = 0;
    int32_t LowerLimit1JudgeCount = 0;
    int32_t LowerLimit2JudgeCount = 0;
    int32_t BufferSelfStop = 0;
    bool operator==(const SystemBlock&) const = default;
};

struct MainWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    std::string CurFolder;
    int32_t ChkAll = 0;
    bool operator==(const MainWindowBlock&) const = default;
};

struct MeasurementOutputValues {
    double MeasureValue = 0.0;
    int32_t ZeroSet = 0;
    double ZeroSetVal = 0.0;
    int32_t Timing = 0;
    int32_t Reset = 0;
    int32_t AlarmState = 0;
    int32_t Strobe = 0;
    int32_t HiState = 0;
    int32_t GoState = 0;
    int32_t LowState = 0;
    int32_t Extension = 0;
    int32_t AlarmCode = 0;
    bool operator==(const MeasurementOutputValues&) const = default;
};

struct MeasurementWindowBlock {
    int32_t FormMode = 0;
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    int32_t TrendShown = 0;
    int32_t RollingShown = 0;
    int32_t RollingWindow = 0;
    std::array<MeasurementOutputValues, 2> output{};
    bool operator==(const MeasurementWindowBlock&) const = default;
};

struct MeasurementConfWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    bool operator==(const MeasurementConfWindowBlock&) const = default;
};

struct LightWaveWindowBlock {
    int32_t FormMode = 0;
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    int32_t FormWidth = 0;
    int32_t FormHeight = 0;
    int32_t FormMax = 0;
    int32_t AlwaysFit = 0;
    bool operator==(const LightWaveWindowBlock&) const = default;
};

struct LightWaveConfWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    std::string CurFolder;
    int32_t GraphUpdateCycle = 500;
    int32_t GraphRectDisp = 0;
    std::array<int32_t, 2> WorkNoDisp{};
    bool operator==(const LightWaveConfWindowBlock&) const = default;
};

struct BufferingWindowBlock {
    int32_t FormMode = 0;
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    int32_t FormWidth = 0;
    int32_t FormHeight = 0;
    int32_t FormMax = 0;
    std::array<int32_t, 2> WaveDataChange{};
    int32_t AlwaysFit = 0;
    bool operator==(const BufferingWindowBlock&) const = default;
};

struct BufferingConfWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    std::string CurFolder;
    std::array<int32_t, 2> VerticalMeasureDisp{};
    std::array<double, 2> VerticalMeasureTop{};
    std::array<double, 2> VerticalMeasureBottom{};
    std::array<int32_t, 2> HorizontalMeasureDisp{};
    std::array<int32_t, 2> HorizontalMeasureLeft{};
    std::array<int32_t, 2> HorizontalMeasureRight{};
    bool operator==(const BufferingConfWindowBlock&) const = default;
};

struct BufferingInfoWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    bool operator==(const BufferingInfoWindowBlock&) const = default;
};

struct FloodLightWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    bool operator==(const FloodLightWindowBlock&) const = default;
};

struct CalibrationWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    bool operator==(const CalibrationWindowBlock&) const = default;
};

struct ConfigListWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    int32_t FormWidth = 0;
    int32_t FormHeight = 0;
    int32_t FormMax = 0;
    bool operator==(const ConfigListWindowBlock&) const = default;
};

struct ConfigPrintWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    std::string SaveFolder;
    int32_t OutputDivision = 0;
    bool operator==(const ConfigPrintWindowBlock&) const = default;
};

struct ControllerWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    bool operator==(const ControllerWindowBlock&) const = default;
};

struct SoftwareWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    int32_t CommunicationType = 0;
    int32_t Rs232cPort = 0;
    int32_t Rs232cBaudrate = 0;
    int32_t Rs232cDateLen = 0;
    int32_t Rs232cParity = 0;
    int32_t Rs232cTimeout = 0;
    int32_t Rs232cBCC = 0;
    std::string UsbConnect;
    std::vector<std::string> usbDeviceNames;    // known USB controllers
    std::vector<std::string> usbDeviceAliases;  // the user's name of each
    std::array<std::string, 16> MemAlias{};
    int32_t PolicyPriority = 0;
    int32_t CsvSeparator = 0;
    int32_t CsvUnderdigit = 0;
    int32_t MeasureCycle = 0;
    int32_t MeasUnit = 0;
    std::string currentDeviceName;
    std::string currentAlias;
    bool operator==(const SoftwareWindowBlock&) const = default;
};

struct VersionWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    std::array<std::string, 9> texts{};  // for the version window's own use
    bool operator==(const VersionWindowBlock&) const = default;
};

struct CaptureWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    std::string SaveFolder;
    int32_t OutputDivision = 0;
    bool operator==(const CaptureWindowBlock&) const = default;
};

struct AppDataBlock {
    int32_t CurMemNo = 0;
    std::string CurMemAlias;
    int32_t LogEnableFlag = 0;
    std::string LogFolder = "log";
    std::string ImageFolder = "image";
    bool operator==(const AppDataBlock&) const = default;
};

struct AnalogScalingWindowBlock {
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    bool operator==(const AnalogScalingWindowBlock&) const = default;
};

struct BankBlock {
    std::array<HeadBlock, 2> head{};
    std::array<OutputBlock, 2> output{};
    BankCommonBlock common;
    bool operator==(const BankBlock&) const = default;
};

struct SettingsImage {
    ControllerBlock controller;
    std::array<BankBlock, 16> bank{};
    SystemBlock system;
    MainWindowBlock formMain;
    MeasurementWindowBlock formMeasurement;
    MeasurementConfWindowBlock formMeasurementConf;
    LightWaveWindowBlock formLightWave;
    LightWaveConfWindowBlock formLightWaveConf;
    BufferingWindowBlock formBuffering;
    BufferingConfWindowBlock formBufferingConf;
    BufferingInfoWindowBlock formBufferingInfo;
    FloodLightWindowBlock formFloodLight;
    CalibrationWindowBlock formCalibration;
    ConfigListWindowBlock formConfigList;
    ConfigPrintWindowBlock formConfigPrint;
    ControllerWindowBlock formController;
    SoftwareWindowBlock formSoftware;
    VersionWindowBlock formVersion;
    CaptureWindowBlock formCapture;
    AppDataBlock appData;
    AnalogScalingWindowBlock formAnalogScaling;
    bool operator==(const SettingsImage&) const = default;
};

}  // namespace zul

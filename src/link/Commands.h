// SPDX-License-Identifier: GPL-3.0-or-later
// Every command string the tool sends to the controller. A command string is the frame start
// "%EE#" and the mnemonic, sometimes followed by a fixed digit that belongs to the command.
#pragma once

#include <cstdint>
#include <string_view>

namespace zul::cmd {

// Register blocks (answered with a two-letter echo).
inline constexpr std::string_view kReadRegisters = "%EE#RDD";
inline constexpr std::string_view kWriteRegisters = "%EE#WDD";

// Memory bank and system settings.
inline constexpr std::string_view kReadCurrentMemory = "%EE#RMC";
inline constexpr std::string_view kWriteCurrentMemory = "%EE#WMC";
inline constexpr std::string_view kReadSamplingCycle = "%EE#RSP";
inline constexpr std::string_view kReadRs232cOutMode = "%EE#RSD";
inline constexpr std::string_view kWriteRs232cOutMode = "%EE#WSD";
inline constexpr std::string_view kReadMemChangePriority = "%EE#RYU";
inline constexpr std::string_view kWriteMemChangePriority = "%EE#WYU";
inline constexpr std::string_view kReadControllerBaudrate = "%EE#RSA";
inline constexpr std::string_view kWriteControllerBaudrate = "%EE#WSA";
inline constexpr std::string_view kReadControllerDateLen = "%EE#RSB";
inline constexpr std::string_view kWriteControllerDateLen = "%EE#WSB";
inline constexpr std::string_view kReadControllerParity = "%EE#RSC";
inline constexpr std::string_view kWriteControllerParity = "%EE#WSC";
inline constexpr std::string_view kReadConsoleLockSelect = "%EE#RPL";
inline constexpr std::string_view kWriteConsoleLockSelect = "%EE#WPL";
inline constexpr std::string_view kReadMeasureCycle = "%EE#RKS";
inline constexpr std::string_view kWriteMeasureCycle = "%EE#WKS";
inline constexpr std::string_view kReadConsoleNo = "%EE#RKG";
inline constexpr std::string_view kWriteConsoleNo = "%EE#WKG";
inline constexpr std::string_view kReadRs232cOutType = "%EE#RSE";
inline constexpr std::string_view kWriteRs232cOutType = "%EE#WSE";

// Main window commands.
inline constexpr std::string_view kWriteInitialize = "%EE#WIN";
inline constexpr std::string_view kWriteMemoryWrite = "%EE#WWR";

// Live measurement.
inline constexpr std::string_view kReadMeasurementBlock = "%EE#RMB5";
inline constexpr std::string_view kReadZeroSet = "%EE#RZS";
inline constexpr std::string_view kReadTiming = "%EE#RTI";
inline constexpr std::string_view kReadReset = "%EE#RRS";
inline constexpr std::string_view kReadLaserRemote = "%EE#RLR";
inline constexpr std::string_view kReadOutputAlarm = "%EE#ROA";
inline constexpr std::string_view kWriteZeroSetOut1 = "%EE#WZS3";
inline constexpr std::string_view kWriteZeroSetOut2 = "%EE#WZS4";
inline constexpr std::string_view kWriteTimingOut1 = "%EE#WTI3";
inline constexpr std::string_view kWriteTimingOut2 = "%EE#WTI4";
inline constexpr std::string_view kWriteResetOut1 = "%EE#WRS3";
inline constexpr std::string_view kWriteResetOut2 = "%EE#WRS4";
inline constexpr std::string_view kWriteLaserRemoteHeadA = "%EE#WLR1";
inline constexpr std::string_view kWriteLaserRemoteHeadB = "%EE#WLR2";

// Buffering.
inline constexpr std::string_view kReadBufferingState = "%EE#RBS";
inline constexpr std::string_view kWriteBufferingState = "%EE#WBS";
inline constexpr std::string_view kReadBufferingData = "%EE#RBD";
inline constexpr std::string_view kWriteBufferingData = "%EE#WBD";
inline constexpr std::string_view kReadTriggerType = "%EE#RTT";
inline constexpr std::string_view kWriteTriggerType = "%EE#WTT";
inline constexpr std::string_view kReadBufferingRate = "%EE#RBR";
inline constexpr std::string_view kWriteBufferingRate = "%EE#WBR";
inline constexpr std::string_view kReadStoreStop = "%EE#RSS";
inline constexpr std::string_view kWriteStoreStop = "%EE#WSS";
inline constexpr std::string_view kReadBufferingCount = "%EE#RBC";
inline constexpr std::string_view kWriteBufferingCount = "%EE#WBC";
inline constexpr std::string_view kReadSamplingRate = "%EE#RSR";
inline constexpr std::string_view kWriteSamplingRate = "%EE#WSR";
inline constexpr std::string_view kReadTriggerPoint = "%EE#RTP";
inline constexpr std::string_view kWriteTriggerPoint = "%EE#WTP";
inline constexpr std::string_view kReadTriggerDelay = "%EE#RTL";
inline constexpr std::string_view kWriteTriggerDelay = "%EE#WTL";
inline constexpr std::string_view kReadEventCondition = "%EE#RTR";
inline constexpr std::string_view kWriteEventCondition = "%EE#WTR";
inline constexpr std::string_view kReadTriggerState = "%EE#RTS";
inline constexpr std::string_view kReadFinalDataPoint = "%EE#RLD";
inline constexpr std::string_view kReadTriggerCount = "%EE#RLE";
inline constexpr std::string_view kReadBufferedValues = "%EE#RLB";

// Adjustment.
inline constexpr std::string_view kReadMeasuredValue = "%EE#RMD";
inline constexpr std::string_view kWriteAnalogHigh = "%EE#WAH";
inline constexpr std::string_view kWriteAnalogLow = "%EE#WAL";
inline constexpr std::string_view kWriteAnalogValueHigh = "%EE#WVH";
inline constexpr std::string_view kWriteAnalogValueLow = "%EE#WVL";
inline constexpr std::string_view kWriteAnalogScaling = "%EE#WAS";
inline constexpr std::string_view kWriteCalibrationA = "%EE#WCA";
inline constexpr std::string_view kWriteCalibrationB = "%EE#WCB";
inline constexpr std::string_view kWriteCalibrationHeightA = "%EE#WHA";
inline constexpr std::string_view kWriteCalibrationHeightB = "%EE#WHB";
inline constexpr std::string_view kWriteCalibrationExecute = "%EE#WCE";
inline constexpr std::string_view kWriteFloodLightSearch = "%EE#WFC";
inline constexpr std::string_view kReadFloodLightProgress = "%EE#RFC";
inline constexpr std::string_view kReadFloodLightResult = "%EE#RFB";

// Settings items that have their own read and write command, in table order. The table ends
// with an item number of -1.
struct ItemCommandPair {
    int32_t itemId;
    std::string_view read;
    std::string_view write;
};

inline constexpr ItemCommandPair kItemCommands[] = {
    {104, kReadMemChangePriority, kWriteMemChangePriority},
    {98, kReadControllerBaudrate, kWriteControllerBaudrate},
    {99, kReadControllerDateLen, kWriteControllerDateLen},
    {100, kReadControllerParity, kWriteControllerParity},
    {102, kReadConsoleLockSelect, kWriteConsoleLockSelect},
    {106, kReadMeasureCycle, kWriteMeasureCycle},
    {107, kReadConsoleNo, kWriteConsoleNo},
    {109, kReadRs232cOutType, kWriteRs232cOutType},
    {-1, {}, {}},
};

}  // namespace zul::cmd

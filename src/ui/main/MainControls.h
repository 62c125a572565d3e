// SPDX-License-Identifier: GPL-3.0-or-later
// The control numbers of the main window, its settings pages and the transfer progress form
// (records Main_*, Head_*, Out_* and Menu_* of the UI definition), named after what they are.
#pragma once

#include <cstdint>

namespace zul::ui {

// --- Main window: controller and connection ---
inline constexpr int32_t kMainConnectButton = 1013;   // Connection
inline constexpr int32_t kMainVersionText = 1088;     // Firmware version
inline constexpr int32_t kMainTypeText = 1090;        // Controller type
inline constexpr int32_t kMainSensorAText = 1092;     // Head A
inline constexpr int32_t kMainSensorBText = 1094;     // Head B
inline constexpr int32_t kMainMemoryBankList = 1097;  // Memory bank
inline constexpr int32_t kMainExpandButton = 1015;    // << Compact / Details >>
inline constexpr int32_t kMainSettingsPages = 1620;   // the tabs Head A .. Common

// --- Main window: settings commands ---
inline constexpr int32_t kMainReadSettingsButton = 1628;   // Read from controller
inline constexpr int32_t kMainWriteSettingsButton = 1629;  // Write to controller
inline constexpr int32_t kMainSaveMemoryButton = 1630;     // Save in controller
inline constexpr int32_t kMainInitMemoryButton = 1631;     // Initialise memory
inline constexpr int32_t kMainAllBanksCheck = 1101;        // All banks

// --- Main window: child windows ---
inline constexpr int32_t kMainMeasurementButton = 1010;  // Measurement
inline constexpr int32_t kMainLightWaveButton = 1011;    // Light wave
inline constexpr int32_t kMainBufferingButton = 1012;    // Buffering
inline constexpr int32_t kMainConfigListButton = 1770;   // Configuration list
inline constexpr int32_t kMainCaptureButton = 1461;      // Capture image

// --- Main window: output pictures ---
inline constexpr int32_t kMainOutPatternCaption = 1102;  // Output pattern
inline constexpr int32_t kMainOutPatternPicture = 1103;
inline constexpr int32_t kMainOut1Caption = 1104;  // OUT1 configuration
inline constexpr int32_t kMainOut1Picture = 1105;
inline constexpr int32_t kMainOut2Caption = 1106;  // OUT2 configuration
inline constexpr int32_t kMainOut2Picture = 1107;

// --- Main window: menu items ---
inline constexpr int32_t kMenuOpenSettingsFile = 32771;
inline constexpr int32_t kMenuSaveSettingsFileAs = 32772;
inline constexpr int32_t kMenuSaveMemoryBank = 32775;
inline constexpr int32_t kMenuInitMemoryBank = 32776;
inline constexpr int32_t kMenuReadSettings = 32777;
inline constexpr int32_t kMenuWriteSettings = 32778;
inline constexpr int32_t kMenuInitAllMemoryBanks = 32779;
inline constexpr int32_t kMenuExit = 32780;
inline constexpr int32_t kMenuMeasurement = 32781;
inline constexpr int32_t kMenuBuffering = 32782;
inline constexpr int32_t kMenuConfigList = 32784;
inline constexpr int32_t kMenuControllerSettings = 32785;
inline constexpr int32_t kMenuSoftwareSettings = 32786;
inline constexpr int32_t kMenuAbout = 32787;
inline constexpr int32_t kMenuLightWave = 32788;
inline constexpr int32_t kMenuRegisterAssociation = 32799;
inline constexpr int32_t kMenuRemoveAssociation = 32800;

// --- Head pages ---
inline constexpr int32_t kHeadCalibrationButton = 1120;       // Calibration...
inline constexpr int32_t kHeadFloodLightButton = 1131;        // Light intensity search...
inline constexpr int32_t kHeadSetupModeList = 1109;           // Setup mode
inline constexpr int32_t kHeadAlarmDelayEdit = 1111;          // Alarm delay (samples)
inline constexpr int32_t kHeadMeasureWorkBasisList = 1616;    // Reference surface
inline constexpr int32_t kHeadFloodLightList = 1948;          // Light intensity control
inline constexpr int32_t kHeadPeakLevelEdit = 2031;           // Peak detection level
inline constexpr int32_t kHeadPeakSearchStartEdit = 2059;     // Peak search start cell
inline constexpr int32_t kHeadPeakSearchEndEdit = 2062;       // Peak search end cell
inline constexpr int32_t kHeadCalibMeasureValue1Text = 1123;  // Measured value 1
inline constexpr int32_t kHeadCalibCorrectValue1Text = 1125;  // Correct value 1
inline constexpr int32_t kHeadCalibCorrectValue2Text = 1129;  // Correct value 2

// --- Output pages ---
inline constexpr int32_t kOutScalingButton = 1165;               // Analog scaling...
inline constexpr int32_t kOutOptionsButton = 2140;               // Trigger options...
inline constexpr int32_t kOutPatternList = 1134;                 // Calculation
inline constexpr int32_t kOutMeasureWorkList = 1635;             // Measurement target
inline constexpr int32_t kOutReflectionCalcList = 1138;          // Refraction correction
inline constexpr int32_t kOutReflectionRateEdit = 1645;          // Refraction coefficient
inline constexpr int32_t kOutDecisionMaxEdit = 1142;             // Upper limit (HI)
inline constexpr int32_t kOutDecisionMinEdit = 1035;             // Lower limit (LOW)
inline constexpr int32_t kOutFilterList = 1654;                  // Filter
inline constexpr int32_t kOutAverageTimesList = 1617;            // Averaging count
inline constexpr int32_t kOutCutOffCycleList = 1152;             // Cut-off frequency
inline constexpr int32_t kOutMeasureModeNormalRadio = 1154;      // Normal
inline constexpr int32_t kOutMeasureModePeakRadio = 1155;        // Peak hold
inline constexpr int32_t kOutMeasureModeBottomRadio = 1156;      // Bottom hold
inline constexpr int32_t kOutMeasureModePeakToPeakRadio = 1157;  // Peak-to-peak hold
inline constexpr int32_t kOutMeasureModeList = 1658;             // Measurement mode
inline constexpr int32_t kOutAnalogOnAlarmList = 1644;           // Analog output on alarm
inline constexpr int32_t kOutFixedValueEdit = 1169;              // Fixed voltage on alarm
inline constexpr int32_t kOutOffsetEdit = 1174;                  // Offset
inline constexpr int32_t kOutZeroSetList = 1601;                 // Zero-set
inline constexpr int32_t kOutZeroSetValueEdit = 1622;            // Zero-set offset
inline constexpr int32_t kOutZeroSetSendCheck = 1753;            // Send zero-set with the settings
inline constexpr int32_t kOutScalingMeasure1Text = 1597;         // Measured value 1
inline constexpr int32_t kOutScalingMeasure2Text = 1598;         // Measured value 2
inline constexpr int32_t kOutScalingVoltage1Text = 1668;         // Output voltage 1
inline constexpr int32_t kOutScalingVoltage2Text = 1672;         // Output voltage 2
// On the output options form.
inline constexpr int32_t kOutTriggerSelectList = 1380;      // Trigger
inline constexpr int32_t kOutInnerTriggerLevelEdit = 1386;  // Internal trigger level
inline constexpr int32_t kOutCycleTriggerTermEdit = 1393;   // Trigger cycle

// --- Common page ---
inline constexpr int32_t kCommonSamplingCycleList = 1637;  // Sampling cycle

// --- Transfer progress form ---
inline constexpr int32_t kTransferProgressBar = 2111;

}  // namespace zul::ui

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
inline constexpr int32_t kHeadCalibrationButton = 1120;  // Calibration...
inline constexpr int32_t kHeadFloodLightButton = 1131;   // Light intensity search...

// --- Output pages ---
inline constexpr int32_t kOutScalingButton = 1165;  // Analog scaling...
inline constexpr int32_t kOutOptionsButton = 2140;  // Trigger options...

// --- Transfer progress form ---
inline constexpr int32_t kTransferProgressBar = 2111;

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
// The control numbers of the forms of this folder (records Software_*, Capture_*, ConfigPrint_*
// and Adjust_* of the UI definition), named after what they are.
#pragma once

#include <cstdint>

namespace zul::ui {

// --- Software settings form: communication ---
inline constexpr int32_t kSoftUsbRadio = 1072;            // USB
inline constexpr int32_t kSoftRs232cRadio = 1757;         // RS-232C
inline constexpr int32_t kSoftPortList = 1023;            // Port
inline constexpr int32_t kSoftBaudrateList = 1020;        // Speed
inline constexpr int32_t kSoftDataBitsList = 1021;        // Data bits
inline constexpr int32_t kSoftParityList = 1022;          // Parity
inline constexpr int32_t kSoftTimeoutList = 1024;         // Reply time-out
inline constexpr int32_t kSoftBccOffRadio = 1074;         // Without block check
inline constexpr int32_t kSoftBccOnRadio = 1755;          // With block check
inline constexpr int32_t kSoftSystemDeviceList = 2102;    // the system's serial devices
inline constexpr int32_t kSoftPointPortButton = 2103;     // Use for this port
inline constexpr int32_t kSoftPortDeviceFormat = 2109;    // "%1 (%2)": port name and device
inline constexpr int32_t kSoftUsbDeviceList = 1025;       // the USB controllers
inline constexpr int32_t kSoftUsbAliasEdit = 2105;        // Name (of the USB controller)
inline constexpr int32_t kSoftPolicyPriorityList = 1028;  // Communication priority
// --- Software settings form: display and files ---
inline constexpr int32_t kSoftMeasureCycleEdit = 1849;   // Measurement update (x100 ms)
inline constexpr int32_t kSoftMeasUnitList = 2042;       // Length unit
inline constexpr int32_t kSoftCsvCommaRadio = 1076;      // Comma
inline constexpr int32_t kSoftCsvSemicolonRadio = 1685;  // Semicolon
inline constexpr int32_t kSoftCsvTabRadio = 1688;        // Tab
inline constexpr int32_t kSoftDecimalPointRadio = 1690;  // Decimal point
inline constexpr int32_t kSoftDecimalCommaRadio = 1692;  // Decimal comma
inline constexpr int32_t kSoftMemAliasTable = 2108;      // the names of the memory banks
inline constexpr int32_t kSoftOkButton = 2126;
inline constexpr int32_t kSoftCancelButton = 2127;

// --- Image capture form ---
inline constexpr int32_t kCaptureMainWindowRadio = 1466;    // Main window
inline constexpr int32_t kCaptureActiveWindowRadio = 1467;  // Active window
inline constexpr int32_t kCaptureAllWindowsRadio = 1468;    // All tool windows
inline constexpr int32_t kCaptureFormatList = 2605;         // Format

// --- Configuration print form ---
inline constexpr int32_t kConfigPrintAllBanksRadio = 1412;     // All memory banks
inline constexpr int32_t kConfigPrintCurrentBankRadio = 1413;  // Current memory bank
inline constexpr int32_t kConfigPrintSystemRadio = 1414;       // System settings only

// --- Output options form (OK and Cancel share the point forms' records) ---
inline constexpr int32_t kOptionsOkButton = 2152;
inline constexpr int32_t kOptionsCancelButton = 2153;

}  // namespace zul::ui

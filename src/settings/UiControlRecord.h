// SPDX-License-Identifier: GPL-3.0-or-later
// One record (section) of the UI definition file: the texts, choices, range, colours, state and
// controller version of one window, menu command or control.
#pragma once

#include <cstdint>
#include <string>

namespace zul {

// Record types (key Type).
inline constexpr int32_t kUiTypeInt = 0;
inline constexpr int32_t kUiTypeBool = 1;
inline constexpr int32_t kUiTypeReal = 2;
inline constexpr int32_t kUiTypeText = 3;

// Control kinds (key CtrlKind) that the item rules look at.
inline constexpr int32_t kUiKindList = 6;    // drop-down list
inline constexpr int32_t kUiKindRadio = 13;  // radio button

// A Default, MaxVal or MinVal value: the text as read and its numeric value by the record type
// (integer types: integer and the same as a real; real type: real and truncated integer; text
// type: the text and its leading decimal number).
struct UiValue {
    std::string text;
    int32_t integer = 0;
    double real = 0.0;
};

struct UiControlRecord {
    std::string name;
    int32_t ctrlId = 0;
    int32_t ctrlKind = 0;
    std::string caption;
    int32_t captionCount = 0;
    UiValue defaultValue;
    UiValue maxValue;
    UiValue minValue;
    std::string unit;
    int32_t color1 = 0;
    int32_t color2 = 0;
    int32_t color3 = 0;
    int32_t color4 = 0;
    int32_t visible = 0;  // non-zero hides the control
    int32_t enable = 0;   // non-zero disables the control
    std::string tooltip;
    std::string selectList;    // comma list of choice texts
    std::string selectValues;  // comma list of choice values
    int32_t selectCount = 0;
    int32_t type = kUiTypeText;
    int32_t micron = 0;  // 1: "mm" in the caption, 2: "mm" in the unit follows micron mode
    uint32_t ctrlVersion = 0;
    bool hideIfUnsupported = false;
    std::string originalCaption;
    std::string originalUnit;
    int32_t originalVisible = 0;
    int32_t originalEnable = 0;
};

}  // namespace zul

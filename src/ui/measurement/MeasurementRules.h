// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's rules that need no widget: which outputs a FormMode shows, what a
// switch button sends, which alarm text a code picks and which colour a lamp takes.
#pragma once

#include <cstdint>
#include <string_view>

#include <QStringList>

namespace zul {

struct UiControlRecord;

}  // namespace zul

namespace zul::ui {

// Which outputs are shown. At least one is.
struct OutputsShown {
    bool out1 = true;
    bool out2 = true;
    bool operator==(const OutputsShown&) const = default;
};

// FormMode: 0 both, 1 OUT1 only, 2 OUT2 only; any other value shows both.
OutputsShown OutputsFromFormMode(int32_t formMode);
int32_t FormModeFromOutputs(const OutputsShown& shown);

// The value a zero-set, timing, reset or laser button sends: 1 when the input (or LaserOff) is
// 0 now, else 0.
constexpr int32_t ToggledInputValue(int32_t present) {
    return present == 0 ? 1 : 0;
}

// Entry `code` of a comma-separated caption list; empty when the code is negative or beyond
// the list.
QString AlarmListEntry(const QStringList& entries, int32_t code);

// Colour reference (0x00BBGGRR) of a lamp: Color1 off and connected, Color2 off and not
// connected, Color3 on and connected, Color4 on and not connected.
int32_t LampColorRef(const UiControlRecord& record, bool on, bool connected);

// Index into the lamp state texts ("off", "on", "off (not connected)", "on (not connected)").
constexpr int LampStateIndex(bool on, bool connected) {
    return (on ? 1 : 0) + (connected ? 0 : 2);
}

// The command text of a write button without its target digit, and the digit: zero-set,
// timing and reset of an output (0 OUT1, 1 OUT2), or the laser of a head (0 A, 1 B).
enum class InputKind { kZeroSet, kTiming, kReset };
struct TargetCommand {
    std::string_view command;  // e.g. "%EE#WZS"
    int32_t target = 0;        // 3/4 for OUT1/OUT2, 1/2 for head A/B
};
TargetCommand InputWriteCommand(InputKind kind, int output);
TargetCommand LaserWriteCommand(int head);

}  // namespace zul::ui

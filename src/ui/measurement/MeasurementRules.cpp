// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/measurement/MeasurementRules.h"

#include "link/Commands.h"
#include "settings/UiControlRecord.h"

namespace zul::ui {

namespace {

// Splits a command constant of Commands.h ("%EE#WZS3") into its text and target digit.
TargetCommand SplitTarget(std::string_view full) {
    return {full.substr(0, full.size() - 1), full.back() - '0'};
}

}  // namespace

OutputsShown OutputsFromFormMode(int32_t formMode) {
    switch (formMode) {
        case 1:
            return {true, false};
        case 2:
            return {false, true};
        default:
            return {true, true};
    }
}

int32_t FormModeFromOutputs(const OutputsShown& shown) {
    if (shown.out1 && !shown.out2) {
        return 1;
    }
    if (shown.out2 && !shown.out1) {
        return 2;
    }
    return 0;
}

QString AlarmListEntry(const QStringList& entries, int32_t code) {
    if (code < 0 || code >= entries.size()) {
        return {};
    }
    return entries[code];
}

int32_t LampColorRef(const UiControlRecord& record, bool on, bool connected) {
    if (on) {
        return connected ? record.color3 : record.color4;
    }
    return connected ? record.color1 : record.color2;
}

TargetCommand InputWriteCommand(InputKind kind, int output) {
    switch (kind) {
        case InputKind::kZeroSet:
            return SplitTarget(output == 0 ? cmd::kWriteZeroSetOut1 : cmd::kWriteZeroSetOut2);
        case InputKind::kTiming:
            return SplitTarget(output == 0 ? cmd::kWriteTimingOut1 : cmd::kWriteTimingOut2);
        case InputKind::kReset:
            break;
    }
    return SplitTarget(output == 0 ? cmd::kWriteResetOut1 : cmd::kWriteResetOut2);
}

TargetCommand LaserWriteCommand(int head) {
    return SplitTarget(head == 0 ? cmd::kWriteLaserRemoteHeadA : cmd::kWriteLaserRemoteHeadB);
}

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "adjust/AdjustSequences.h"

#include <array>

#include "link/Commands.h"
#include "link/RegisterBlock.h"
#include "link/RequestBuilders.h"

namespace zul {

namespace {

constexpr uint32_t kCalibrationOpenWordA = 2619;
constexpr uint32_t kHeadBlockStride = 100;

struct PointStep {
    std::optional<double> AdjustPoints::*field;
    int32_t item;
    std::string_view command;
};

struct KindCommands {
    std::array<PointStep, 4> steps;
    std::string_view execute;
    int32_t invalidCode;
    int32_t alarmCode;
    int32_t measureItem[2];
};

const KindCommands& CommandsOf(AdjustKind kind) {
    static const KindCommands scaling{
        {{{&AdjustPoints::measure1, kOutSCALING_MeasureValue1, cmd::kWriteAnalogHigh},
          {&AdjustPoints::measure2, kOutSCALING_MeasureValue2, cmd::kWriteAnalogLow},
          {&AdjustPoints::second1, kOutSCALING_VoltageValue1, cmd::kWriteAnalogValueHigh},
          {&AdjustPoints::second2, kOutSCALING_VoltageValue2, cmd::kWriteAnalogValueLow}}},
        cmd::kWriteAnalogScaling,
        ZUL_ERR_BAD_SCALING,
        ZUL_ERR_SCALING_ALARM,
        {kOutSCALING_MeasureValue1, kOutSCALING_MeasureValue2}};
    static const KindCommands calibration{
        {{{&AdjustPoints::measure1, kHeadCALIB_MeasureValue1, cmd::kWriteCalibrationA},
          {&AdjustPoints::measure2, kHeadCALIB_MeasureValue2, cmd::kWriteCalibrationB},
          {&AdjustPoints::second1, kHeadCALIB_CorrectValue1, cmd::kWriteCalibrationHeightA},
          {&AdjustPoints::second2, kHeadCALIB_CorrectValue2, cmd::kWriteCalibrationHeightB}}},
        cmd::kWriteCalibrationExecute,
        ZUL_ERR_BAD_CALIB,
        ZUL_ERR_CALIB_ALARM,
        {kHeadCALIB_MeasureValue1, kHeadCALIB_MeasureValue2}};
    return kind == AdjustKind::kScaling ? scaling : calibration;
}

int32_t TargetOf(AdjustKind kind, int32_t index) {
    return kind == AdjustKind::kScaling ? OutputTarget(index) : HeadTarget(index);
}

int32_t RunApply(CommGate& gate, SettingsStore& store, const UiDefinition& ui, AdjustKind kind,
                 int32_t index, const AdjustPoints& points, ResultInfo* result) {
    const KindCommands& commands = CommandsOf(kind);
    int32_t target = TargetOf(kind, index);
    int32_t bank = store.GetInt<kAppCurMemNo>();
    for (const PointStep& step : commands.steps) {
        const std::optional<double>& value = points.*step.field;
        if (!value) {
            continue;  // the field holds no number
        }
        bool invalid = false;
        {
            // The store lock is held for the store's part only, never while a command waits,
            // so that the link threads can read their settings meanwhile.
            auto lock = store.Lock();
            store.SetDouble(step.item, *value, bank, index);
            invalid = store.IsItemInvalid(ui, step.item, bank, index);
        }
        if (invalid) {
            return SetResult(result, ZUL_ERR_RANGE);
        }
        int32_t code = WriteReal(gate, result, step.command, target, *value);
        if (code != ZUL_OK) {
            return code;
        }
    }
    if (!points.IsValid()) {
        return SetResult(result, commands.invalidCode);
    }
    return WriteWord(gate, result, commands.execute, target, 1);
}

}  // namespace

int32_t ApplyAdjustment(CommGate& gate, SettingsStore& store, const UiDefinition& ui,
                        AdjustKind kind, int32_t index, const AdjustPoints& points,
                        ResultInfo* result, bool waitForCancel) {
    ResultInfo local;
    ResultInfo* info = result != nullptr ? result : &local;
    ClearResult(info);
    int32_t code = RunApply(gate, store, ui, kind, index, points, info);
    if (code != ZUL_OK) {
        if (waitForCancel) {
            ResultInfo ignored;  // the failure being reported is the first one
            WriteWord(gate, &ignored, CommandsOf(kind).execute, TargetOf(kind, index), 2);
        } else {
            CancelAdjustment(gate, kind, index);
        }
    }
    return code;
}

int32_t TakeCurrentValue(CommGate& gate, SettingsStore& store, const UiDefinition& ui,
                         AdjustKind kind, int32_t index, int32_t point, double* value,
                         ResultInfo* result) {
    const KindCommands& commands = CommandsOf(kind);
    double read = 0.0;
    int32_t code = ReadReal(gate, result, cmd::kReadMeasuredValue, OutputTarget(index), &read);
    if (code != ZUL_OK) {
        return code;
    }
    int32_t item = commands.measureItem[point == 0 ? 0 : 1];
    auto lock = store.Lock();
    int32_t bank = store.GetInt<kAppCurMemNo>();
    store.SetDouble(item, read, bank, index);
    if (store.IsItemInvalid(ui, item, bank, index)) {
        return SetResult(result, commands.alarmCode);
    }
    if (value != nullptr) {
        *value = read;
    }
    return ZUL_OK;
}

void CancelAdjustment(CommGate& gate, AdjustKind kind, int32_t index) {
    PostWord(gate, CommandsOf(kind).execute, TargetOf(kind, index), 2);
}

int32_t OpenCalibration(CommGate& gate, int32_t head, ResultInfo* result) {
    RegisterBlock block;
    uint32_t address = kCalibrationOpenWordA + (head == 0 ? 0 : kHeadBlockStride);
    block.AddRegister(address);
    block.SetRegisterValue(address, 1);
    return block.Run(gate, result, false);
}

AdjustPoints StoredAdjustPoints(const SettingsStore& store, AdjustKind kind, int32_t index) {
    const KindCommands& commands = CommandsOf(kind);
    auto lock = store.Lock();
    int32_t bank = store.GetInt<kAppCurMemNo>();
    AdjustPoints points;
    for (const PointStep& step : commands.steps) {
        points.*step.field = store.GetDouble(step.item, bank, index);
    }
    return points;
}

void StoreAdjustPoints(SettingsStore& store, AdjustKind kind, int32_t index,
                       const AdjustPoints& points) {
    const KindCommands& commands = CommandsOf(kind);
    auto lock = store.Lock();
    int32_t bank = store.GetInt<kAppCurMemNo>();
    for (const PointStep& step : commands.steps) {
        if (const std::optional<double>& value = points.*step.field) {
            store.SetDouble(step.item, *value, bank, index);
        }
    }
}

}  // namespace zul

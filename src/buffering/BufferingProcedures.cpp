// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/BufferingProcedures.h"

#include "link/Commands.h"
#include "link/RequestBuilders.h"

namespace zul {

namespace {

constexpr int32_t kController = 0;
constexpr int32_t kCommon = 5;

int32_t RefuseWhenRunning(CommGate& gate, ResultInfo* result) {
    bool running = false;
    int32_t code = CheckBufferingRunning(gate, &running, result);
    if (code != ZUL_OK) {
        return code;
    }
    return running ? SetResult(result, ZUL_ERR_BUFFERING_BUSY) : ZUL_OK;
}

}  // namespace

int32_t CheckBufferingRunning(CommGate& gate, bool* running, ResultInfo* result) {
    int32_t value = 0;
    int32_t code = ReadWord(gate, result, cmd::kReadBufferingState, kController, &value);
    if (running != nullptr) {
        *running = code == ZUL_OK && value != 0;
    }
    return code;
}

int32_t WriteBufferingSettingsAndStart(CommGate& gate, SettingsStore& store, const UiDefinition& ui,
                                       uint32_t firmwareVersion, int32_t bank, ResultInfo* result) {
    int32_t code = RefuseWhenRunning(gate, result);
    if (code != ZUL_OK) {
        return code;
    }
    auto supported = [&](int32_t id) { return store.IsItemSupported(ui, firmwareVersion, id); };
    // Checks the stored value against its range, then writes it.
    auto write = [&](int32_t id, int32_t index2, std::string_view command, int32_t target,
                     bool signed11) {
        int32_t index1 = id == kSysBufBufferSelfStop ? 0 : bank;
        int32_t idx2 = id == kSysBufBufferSelfStop ? 0 : index2;
        if (store.IsItemInvalid(ui, id, index1, idx2)) {
            return SetResult(result, ZUL_ERR_RANGE);
        }
        int32_t value = store.GetInt(id, index1, idx2);
        return signed11 ? WriteLong(gate, result, command, target, value)
                        : WriteWord(gate, result, command, target, value);
    };

    if ((code = write(kBufBufferMode, 0, cmd::kWriteBufferingData, kCommon, false)) != ZUL_OK ||
        (code = write(kBufBufferType, 0, cmd::kWriteTriggerType, kCommon, false)) != ZUL_OK ||
        (code = write(kBufBufferRate, 0, cmd::kWriteBufferingRate, kCommon, false)) != ZUL_OK) {
        return code;
    }
    if (supported(kSysBufBufferSelfStop) &&
        (code = write(kSysBufBufferSelfStop, 0, cmd::kWriteStoreStop, kController, false)) !=
            ZUL_OK) {
        return code;
    }
    if ((code = write(kBufStoreNum, 0, cmd::kWriteBufferingCount, kCommon, false)) != ZUL_OK) {
        return code;
    }
    if (supported(kBufSampleTriggerStoreNum) &&
        (code = write(kBufSampleTriggerStoreNum, 0, cmd::kWriteSamplingRate, kCommon, false)) !=
            ZUL_OK) {
        return code;
    }
    if (!supported(kBufTriggerPoint)) {
        store.SetInt<kBufTriggerPoint>(1, bank);
    }
    if ((code = write(kBufTriggerPoint, 0, cmd::kWriteTriggerPoint, kCommon, false)) != ZUL_OK) {
        return code;
    }
    if (supported(kBufTriggerDelay) &&
        (code = write(kBufTriggerDelay, 0, cmd::kWriteTriggerDelay, kCommon, true)) != ZUL_OK) {
        return code;
    }
    if (supported(kBufEventCondition)) {
        for (int32_t output = 0; output < 2; ++output) {
            code = write(kBufEventCondition, output, cmd::kWriteEventCondition, 3 + output, false);
            if (code != ZUL_OK) {
                return code;
            }
        }
    }
    return WriteWord(gate, result, cmd::kWriteBufferingState, kController, 1);
}

int32_t ReadBufferingSettings(CommGate& gate, SettingsStore& store, const UiDefinition& ui,
                              uint32_t firmwareVersion, BufferingSettings* out,
                              ResultInfo* result) {
    int32_t code = RefuseWhenRunning(gate, result);
    if (code != ZUL_OK) {
        return code;
    }
    BufferingSettings local;
    BufferingSettings& v = out != nullptr ? *out : local;
    auto supported = [&](int32_t id) { return store.IsItemSupported(ui, firmwareVersion, id); };
    auto word = [&](std::string_view command, int32_t target, int32_t* value) {
        return ReadWord(gate, result, command, target, value);
    };
    if ((code = word(cmd::kReadBufferingData, kCommon, &v.bufferMode)) != ZUL_OK ||
        (code = word(cmd::kReadTriggerType, kCommon, &v.bufferType)) != ZUL_OK ||
        (code = word(cmd::kReadBufferingRate, kCommon, &v.bufferRate)) != ZUL_OK) {
        return code;
    }
    if (supported(kSysBufBufferSelfStop) &&
        (code = word(cmd::kReadStoreStop, kController, &v.bufferSelfStop)) != ZUL_OK) {
        return code;
    }
    if ((code = word(cmd::kReadBufferingCount, kCommon, &v.storeNum)) != ZUL_OK) {
        return code;
    }
    if (supported(kBufSampleTriggerStoreNum) &&
        (code = word(cmd::kReadSamplingRate, kCommon, &v.sampleTriggerStoreNum)) != ZUL_OK) {
        return code;
    }
    if (supported(kBufTriggerPoint) &&
        (code = word(cmd::kReadTriggerPoint, kCommon, &v.triggerPoint)) != ZUL_OK) {
        return code;
    }
    if (supported(kBufTriggerDelay)) {
        if ((code = ReadLong(gate, result, cmd::kReadTriggerDelay, kCommon, &v.triggerDelay)) !=
                ZUL_OK ||
            (code = word(cmd::kReadEventCondition, 3, &v.eventCondition[0])) != ZUL_OK ||
            (code = word(cmd::kReadEventCondition, 4, &v.eventCondition[1])) != ZUL_OK) {
            return code;
        }
    }
    return ZUL_OK;
}

void StoreBufferingSettings(SettingsStore& store, int32_t bank, const BufferingSettings& values) {
    auto lock = store.Lock();
    store.SetInt<kBufBufferMode>(values.bufferMode, bank);
    store.SetInt<kBufBufferType>(values.bufferType, bank);
    store.SetInt<kBufBufferRate>(values.bufferRate, bank);
    store.SetInt<kSysBufBufferSelfStop>(values.bufferSelfStop);
    store.SetInt<kBufStoreNum>(values.storeNum, bank);
    store.SetInt<kBufSampleTriggerStoreNum>(values.sampleTriggerStoreNum, bank);
    store.SetInt<kBufTriggerPoint>(values.triggerPoint, bank);
    store.SetInt<kBufTriggerDelay>(values.triggerDelay, bank);
    store.SetInt<kBufEventCondition>(values.eventCondition[0], bank, 0);
    store.SetInt<kBufEventCondition>(values.eventCondition[1], bank, 1);
}

int32_t StopBuffering(CommGate& gate, ResultInfo* result) {
    return WriteWord(gate, result, cmd::kWriteBufferingState, kController, 0);
}

}  // namespace zul

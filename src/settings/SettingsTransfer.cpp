// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsTransfer.h"

#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "link/Commands.h"
#include "link/LinkSettings.h"
#include "link/RegisterBlock.h"
#include "link/RequestBuilders.h"
#include "settings/ItemInstances.h"
#include "settings/RegisterMaps.h"
#include "settings/SettingItem.h"
#include "settings/UiDefinition.h"

namespace zul {

namespace {

constexpr int32_t kTargetController = 0;
constexpr int32_t kTargetCommon = 5;

enum class BlockKind { kHead, kOutput, kCommon, kSystem };

// One map laid over one block of registers.
struct BlockVisit {
    BlockKind kind;
    std::span<const RegisterMapEntry> map;
    uint32_t base;   // 0 for the system map, whose words are absolute
    int32_t bank;    // 0..15 (0 for the system map)
    int32_t index2;  // head or output index, else 0
    bool workingCopy;
};

bool IsRealEncoding(int32_t encoding) {
    return encoding >= kEncMilliSigned && encoding <= kEncMicro2;
}

bool IsTwoWordEncoding(int32_t encoding) {
    return encoding == kEncLong || encoding == kEncLong2 ||
           (encoding >= kEncMicro && encoding <= kEncMicro2);
}

// Entries whose value is never taken from the store, so there is nothing to validate.
bool SkipsValidation(int32_t encoding) {
    return encoding == kEncReadOnly || encoding == kEncCalibChanged ||
           encoding == kEncScalingChanged || encoding == kEncMicroReadOnly ||
           encoding == kEncKeep || encoding == kEncUntouched;
}

// The blocks of every bank (head A, head B, OUT1, OUT2, common part), then the system words.
std::vector<BlockVisit> BankVisits() {
    std::vector<BlockVisit> visits;
    for (int32_t bank = 0; bank < kBankCount; ++bank) {
        uint32_t base = BankAddress(bank);
        for (int32_t h = 0; h < kHeadCount; ++h) {
            visits.push_back(
                {BlockKind::kHead, HeadRegisterMap(), HeadBlockAddress(base, h), bank, h, false});
        }
        for (int32_t o = 0; o < kOutputCount; ++o) {
            visits.push_back({BlockKind::kOutput, OutputRegisterMap(), OutputBlockAddress(base, o),
                              bank, o, false});
        }
        visits.push_back(
            {BlockKind::kCommon, CommonRegisterMap(), CommonBlockAddress(base), bank, 0, false});
    }
    visits.push_back({BlockKind::kSystem, SystemRegisterMap(), 0, 0, 0, false});
    return visits;
}

// The working copy of the controller's current bank, holding the values of bank.
void AddWorkingCopyVisits(std::vector<BlockVisit>& visits, int32_t bank) {
    for (int32_t h = 0; h < kHeadCount; ++h) {
        visits.push_back({BlockKind::kHead, HeadRegisterMap(),
                          HeadBlockAddress(kWorkingCopyAddress, h), bank, h, true});
    }
    for (int32_t o = 0; o < kOutputCount; ++o) {
        visits.push_back({BlockKind::kOutput, OutputRegisterMap(),
                          OutputBlockAddress(kWorkingCopyAddress, o), bank, o, true});
    }
    visits.push_back({BlockKind::kCommon, CommonRegisterMap(),
                      CommonBlockAddress(kWorkingCopyAddress), bank, 0, true});
}

int32_t Index1(const BlockVisit& visit) {
    return visit.kind == BlockKind::kSystem ? 0 : visit.bank;
}

// "[section] key" of an item instance, for the report of an invalid value.
std::string InstanceName(int32_t itemId, int32_t bank, int32_t index2) {
    const SettingItem* item = FindItem(itemId);
    if (item == nullptr) {
        return {};
    }
    const bool perHead = item->index2Kind == kIndexHead;
    const int32_t head = perHead ? index2 : 0;
    const int32_t output = perHead ? 0 : index2;
    // Built by appending: GCC 12 reports a false -Wrestrict for "[" + std::string in optimised
    // builds.
    std::string name(1, '[');
    name.append(ExpandPattern(item->section, bank, head, output)).append("] ");
    name.append(ExpandPattern(item->key, bank, head, output));
    return name;
}

std::string ValueText(const SettingsStore& store, int32_t itemId, int32_t i1, int32_t i2) {
    return IsRealItem(itemId) ? std::to_string(store.GetDouble(itemId, i1, i2))
                              : std::to_string(store.GetInt(itemId, i1, i2));
}

}  // namespace

// The transfer list of one run: the registers in the order they were added, with a quick way
// from an address to its value slot.
struct SettingsTransfer::Walk {
    RegisterBlock block;
    std::unordered_map<uint32_t, size_t> slotOf;

    void Add(uint32_t address) {
        if (slotOf.emplace(address, block.Count()).second) {
            block.AddRegister(address);
        }
    }
    uint16_t Value(uint32_t address) const {
        auto it = slotOf.find(address);
        return it == slotOf.end() ? 0 : block.SlotValue(it->second);
    }
    void Set(uint32_t address, uint16_t value) {
        auto it = slotOf.find(address);
        if (it != slotOf.end()) {
            block.SetSlotValue(it->second, value);
        }
    }
};

SettingsTransfer::SettingsTransfer(TransferOperation operation, const SettingsStore& source,
                                   CommGate& gate, LinkEnvironment& environment,
                                   const UiDefinition& ui)
    : operation_(operation), store_(source), gate_(gate), environment_(environment), ui_(ui) {}

SettingsTransfer::~SettingsTransfer() {
    Cancel();
    Wait();
}

bool SettingsTransfer::Start(std::function<void()> onFinished) {
    if (worker_.joinable() || finished_.load()) {
        return false;
    }
    done_.Reset();
    worker_ = std::thread([this, onFinished = std::move(onFinished)] {
        Run();
        if (onFinished) {
            onFinished();
        }
    });
    return true;
}

void SettingsTransfer::Cancel() {
    cancel_.store(1);
    gate_.Cancel();
}

void SettingsTransfer::Wait() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

int32_t SettingsTransfer::Run() {
    int32_t code = RunInner();
    // Whatever happened, the link goes back to failing instead of reconnecting.
    environment_.SetReconnectMode(0);
    finished_.store(true);
    done_.Set();
    return code;
}

int32_t SettingsTransfer::RunInner() {
    result_.Clear();
    phase_ = 0;
    switch (operation_) {
        case TransferOperation::kReadAll:
            return ReadAll();
        case TransferOperation::kWriteAll:
            return WriteAll();
        case TransferOperation::kReadSystem:
            return ReadSystem();
        case TransferOperation::kWriteSystem:
            return WriteSystem();
    }
    return SetResult(&result_, ZUL_ERR);
}

bool SettingsTransfer::Supported(int32_t itemId) const {
    return itemId == 0 || store_.IsItemSupported(ui_, environment_.FirmwareVersion(), itemId);
}

bool SettingsTransfer::Cancelled() {
    if (cancel_.load() != 0) {
        SetResult(&result_, ZUL_ERR_ABORT);
        return true;
    }
    return false;
}

void SettingsTransfer::Report(int32_t percent) {
    if (progress_) {
        progress_(percent);
    }
}

int32_t SettingsTransfer::ReadSingle(std::string_view command, int32_t target, int32_t* value) {
    if (Cancelled()) {
        return result_.code;
    }
    return ReadWord(gate_, &result_, command, target, value);
}

int32_t SettingsTransfer::WriteSingle(std::string_view command, int32_t target, int32_t value) {
    if (Cancelled()) {
        return result_.code;
    }
    return WriteWord(gate_, &result_, command, target, value);
}

namespace {

// The encoding that applies to an entry in this run: items the controller does not support are
// carried through unchanged.
template <class SupportedFn>
int32_t EffectiveEncoding(const RegisterMapEntry& entry, const SupportedFn& supported) {
    if (entry.itemId != 0 && !supported(entry.itemId)) {
        return kEncKeep;
    }
    return entry.encoding;
}

}  // namespace

int32_t SettingsTransfer::ReadAll() {
    Walk walk;
    std::vector<BlockVisit> visits = BankVisits();
    auto supported = [this](int32_t id) { return Supported(id); };
    for (const BlockVisit& visit : visits) {
        for (const RegisterMapEntry& entry : visit.map) {
            for (int32_t w = 0; w < TransferredWords(entry); ++w) {
                walk.Add(visit.base + static_cast<uint32_t>(entry.word1 + w));
            }
        }
    }

    auto progress = [this](size_t done, size_t total) {
        Report(total == 0 ? 100 : static_cast<int32_t>(done * 100 / total));
    };
    if (walk.block.Run(gate_, &result_, true, &cancel_, progress) != ZUL_OK) {
        return result_.code;
    }

    phase_ = 1;
    for (const BlockVisit& visit : visits) {
        for (const RegisterMapEntry& entry : visit.map) {
            int32_t encoding = EffectiveEncoding(entry, supported);
            uint32_t low = visit.base + static_cast<uint32_t>(entry.word1);
            uint32_t high = visit.base + static_cast<uint32_t>(entry.word2);
            int32_t i1 = Index1(visit);
            int32_t i2 = visit.index2;
            switch (encoding) {
                case kEncSigned:
                    store_.SetInt(entry.itemId, static_cast<int16_t>(walk.Value(low)), i1, i2);
                    break;
                case kEncUnsigned:
                case kEncReadOnly:
                case kEncZeroSetWord:
                    store_.SetInt(entry.itemId, walk.Value(low), i1, i2);
                    break;
                case kEncLong:
                case kEncLong2:
                    store_.SetInt(entry.itemId, JoinWords(walk.Value(low), walk.Value(high)), i1,
                                  i2);
                    break;
                case kEncMilliSigned:
                    store_.SetDouble(entry.itemId, static_cast<int16_t>(walk.Value(low)) * 0.001,
                                     i1, i2);
                    break;
                case kEncMilliUnsigned:
                    store_.SetDouble(entry.itemId, walk.Value(low) * 0.001, i1, i2);
                    break;
                default:
                    if (IsRealEncoding(encoding) && IsTwoWordEncoding(encoding)) {
                        store_.SetDouble(entry.itemId,
                                         JoinWords(walk.Value(low), walk.Value(high)) * 0.000001,
                                         i1, i2);
                    }
                    break;  // markers, kept and untouched words carry no value
            }
        }
    }

    int32_t bank = 0;
    if (ReadSingle(cmd::kReadCurrentMemory, kTargetController, &bank) != ZUL_OK) {
        return result_.code;
    }
    store_.SetInt<kCtrlCurMemNo>(bank);
    Report(100);
    return ZUL_OK;
}

int32_t SettingsTransfer::WriteAll() {
    Report(0);
    const int32_t target = store_.GetInt<kCtrlCurMemNo>();
    if (target < 0 || target >= kBankCount) {
        // The bank to switch to at the end must exist, or everything would be written for a
        // switch the controller refuses.
        return SetResult(&result_, ZUL_ERR_RANGE, 0, InstanceName(kCtrlCurMemNo, 0, 0),
                         std::to_string(target));
    }
    int32_t priority = 0;
    if (ReadSingle(cmd::kReadMemChangePriority, kTargetController, &priority) != ZUL_OK) {
        return result_.code;
    }
    if (priority != 0) {
        return SetResult(&result_, ZUL_ERR_MEM_CHANGE_PRIORITY);
    }
    int32_t current = 0;
    if (ReadSingle(cmd::kReadCurrentMemory, kTargetController, &current) != ZUL_OK) {
        return result_.code;
    }
    if (current < 0 || current >= kBankCount) {
        // A bank number the controller cannot have: nothing sensible can be written.
        return SetResult(&result_, ZUL_ERR_COMM_RES, 0, std::to_string(current));
    }
    if (environment_.IsVersionAtLeastThreshold(kTransferVersionEntry)) {
        int32_t sampling = 0;
        if (ReadSingle(cmd::kReadSamplingCycle, kTargetCommon, &sampling) != ZUL_OK) {
            return result_.code;
        }
        int32_t ours = store_.GetInt<kCommonSamplingCycle>(current);
        if (sampling != ours || ours != store_.GetInt<kCommonSamplingCycle>(target)) {
            // A new sampling cycle makes the controller restart its link.
            environment_.SetReconnectMode(1);
        }
    }

    std::vector<BlockVisit> visits = BankVisits();
    AddWorkingCopyVisits(visits, current);
    auto supported = [this](int32_t id) { return Supported(id); };

    auto invalid = [&](const BlockVisit& visit, const RegisterMapEntry& entry) {
        int32_t encoding = EffectiveEncoding(entry, supported);
        return !SkipsValidation(encoding) && entry.itemId != 0 &&
               store_.IsItemInvalid(ui_, entry.itemId, Index1(visit), visit.index2);
    };

    Walk walk;
    for (const BlockVisit& visit : visits) {
        for (const RegisterMapEntry& entry : visit.map) {
            if (invalid(visit, entry)) {
                return SetResult(&result_, ZUL_ERR_RANGE, 0,
                                 InstanceName(entry.itemId, Index1(visit), visit.index2),
                                 ValueText(store_, entry.itemId, Index1(visit), visit.index2));
            }
            for (int32_t w = 0; w < TransferredWords(entry); ++w) {
                walk.Add(visit.base + static_cast<uint32_t>(entry.word1 + w));
            }
        }
    }

    const size_t total = walk.block.Count();
    auto progress = [this, total](size_t done, size_t) {
        size_t all = total == 0 ? 1 : total;
        Report(static_cast<int32_t>((done + static_cast<size_t>(phase_) * all) * 100 / (2 * all)));
    };
    if (walk.block.Run(gate_, &result_, true, &cancel_, progress) != ZUL_OK) {
        return result_.code;
    }

    phase_ = 1;
    for (const BlockVisit& visit : visits) {
        bool calibChanged = false;
        bool scalingChanged = false;
        const int32_t i1 = Index1(visit);
        const int32_t i2 = visit.index2;
        const bool zeroSetSend =
            visit.kind == BlockKind::kOutput && store_.GetInt<kOutZeroSetSend>(i1, i2) != 0;
        for (const RegisterMapEntry& entry : visit.map) {
            if (invalid(visit, entry)) {
                return SetResult(&result_, ZUL_ERR_RANGE, 0,
                                 InstanceName(entry.itemId, Index1(visit), visit.index2),
                                 ValueText(store_, entry.itemId, Index1(visit), visit.index2));
            }
            const int32_t encoding = EffectiveEncoding(entry, supported);
            const uint32_t low = visit.base + static_cast<uint32_t>(entry.word1);
            const uint32_t high = visit.base + static_cast<uint32_t>(entry.word2);
            auto putLong = [&](int32_t value) {
                bool changed =
                    walk.Value(low) != LowWord(value) || walk.Value(high) != HighWord(value);
                walk.Set(low, LowWord(value));
                walk.Set(high, HighWord(value));
                return changed;
            };
            switch (encoding) {
                case kEncSigned:
                case kEncUnsigned:
                    walk.Set(low, LowWord(store_.GetInt(entry.itemId, i1, i2)));
                    break;
                case kEncZeroSetWord:
                    if (zeroSetSend) {
                        walk.Set(low, LowWord(store_.GetInt(entry.itemId, i1, i2)));
                    }
                    break;
                case kEncLong:
                case kEncLong2:
                    putLong(store_.GetInt(entry.itemId, i1, i2));
                    break;
                case kEncMilliSigned:
                case kEncMilliUnsigned:
                    walk.Set(low,
                             LowWord(MakeInteger(store_.GetDouble(entry.itemId, i1, i2), 1000.0)));
                    break;
                case kEncMicro:
                case kEncMicro2:
                    putLong(MakeInteger(store_.GetDouble(entry.itemId, i1, i2), 1000000.0));
                    break;
                case kEncMicroZeroSet:
                    if (zeroSetSend) {
                        putLong(MakeInteger(store_.GetDouble(entry.itemId, i1, i2), 1000000.0));
                    }
                    break;
                case kEncMicroCalib:
                    calibChanged |=
                        putLong(MakeInteger(store_.GetDouble(entry.itemId, i1, i2), 1000000.0));
                    break;
                case kEncMicroScaling:
                    scalingChanged |=
                        putLong(MakeInteger(store_.GetDouble(entry.itemId, i1, i2), 1000000.0));
                    break;
                case kEncMicroVoltage1:
                case kEncMicroVoltage2: {
                    double value = store_.GetDouble(entry.itemId, i1, i2);
                    scalingChanged |= putLong(MakeInteger(value, 1000000.0));
                    int32_t word = encoding == kEncMicroVoltage1 ? kVoltage1ThousandthsWord
                                                                 : kVoltage2ThousandthsWord;
                    walk.Set(visit.base + static_cast<uint32_t>(word),
                             LowWord(ThousandthsOf(value)));
                    break;
                }
                case kEncCalibChanged:
                    if (visit.workingCopy && calibChanged) {
                        walk.Set(low, 1);
                    }
                    break;
                case kEncScalingChanged:
                    if (visit.workingCopy && scalingChanged) {
                        walk.Set(low, 1);
                    }
                    break;
                default:
                    break;  // read-only, kept and untouched words go back as read
            }
        }
    }

    if (walk.block.Run(gate_, &result_, false, &cancel_, progress) != ZUL_OK) {
        return result_.code;
    }
    if (WriteSingle(cmd::kWriteCurrentMemory, kTargetController, store_.GetInt<kCtrlCurMemNo>()) !=
        ZUL_OK) {
        return result_.code;
    }
    Report(100);
    return ZUL_OK;
}

int32_t SettingsTransfer::ReadSystem() {
    const bool outMode = Supported(kMemCmnRs232cOutMode) &&
                         store_.GetInt<kSoftCommunicationType>() != kCommunicationRs232c;
    std::vector<const SystemCommandRow*> rows;
    for (const SystemCommandRow& row : SystemCommandTable()) {
        if (IsReadRow(row) && Supported(row.itemId)) {
            rows.push_back(&row);
        }
    }
    const size_t total = rows.size() + (outMode ? 1 : 0) + 1;
    size_t done = 0;
    auto step = [&] { Report(static_cast<int32_t>(++done * 100 / total)); };
    Report(0);

    int32_t value = 0;
    if (outMode) {
        if (ReadSingle(cmd::kReadRs232cOutMode, kTargetController, &value) != ZUL_OK) {
            return result_.code;
        }
        store_.SetInt<kMemCmnRs232cOutMode>(value);
        step();
    }
    for (const SystemCommandRow* row : rows) {
        if (ReadSingle(row->readCommand, kTargetController, &value) != ZUL_OK) {
            return result_.code;
        }
        store_.SetInt(row->itemId, value);
        step();
    }
    if (Cancelled()) {
        return result_.code;
    }
    RegisterBlock interlock;
    interlock.AddRegister(kRemoteInterLockAddress);
    if (interlock.Run(gate_, &result_, true, &cancel_) != ZUL_OK) {
        return result_.code;
    }
    store_.SetInt<kMemCmnRemoteInterLock>(interlock.SlotValue(0));
    step();
    return ZUL_OK;
}

int32_t SettingsTransfer::WriteSystem() {
    std::vector<const SystemCommandRow*> rows;
    for (const SystemCommandRow& row : SystemCommandTable()) {
        if (IsWrittenRow(row) && Supported(row.itemId)) {
            rows.push_back(&row);
        }
    }
    // Every value is checked before the first write, so an invalid value changes nothing.
    for (const SystemCommandRow* row : rows) {
        if (store_.IsItemInvalid(ui_, row->itemId)) {
            return SetResult(&result_, ZUL_ERR_RANGE, 0, InstanceName(row->itemId, 0, 0),
                             ValueText(store_, row->itemId, 0, 0));
        }
    }
    const bool outMode = Supported(kMemCmnRs232cOutMode);
    const size_t total = rows.size() + (outMode ? 1 : 0);
    size_t done = 0;
    auto step = [&] { Report(static_cast<int32_t>(++done * 100 / (total == 0 ? 1 : total))); };
    Report(0);

    if (outMode) {
        int32_t value = store_.GetInt<kSoftCommunicationType>() == kCommunicationRs232c
                            ? 0
                            : store_.GetInt<kMemCmnRs232cOutMode>();
        if (WriteSingle(cmd::kWriteRs232cOutMode, kTargetController, value) != ZUL_OK) {
            return result_.code;
        }
        if (environment_.IsVersionAtLeastThreshold(kTransferVersionEntry)) {
            environment_.SetReconnectMode(1);
        }
        step();
    }
    for (const SystemCommandRow* row : rows) {
        if (WriteSingle(row->writeCommand, kTargetController, store_.GetInt(row->itemId)) !=
            ZUL_OK) {
            return result_.code;
        }
        step();
    }
    return ZUL_OK;
}

}  // namespace zul

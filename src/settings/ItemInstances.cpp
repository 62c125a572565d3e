// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ItemInstances.h"

namespace zul {

namespace {

bool Uses(const SettingItem& item, std::string_view placeholder) {
    return std::string_view(item.section).find(placeholder) != std::string_view::npos ||
           std::string_view(item.key).find(placeholder) != std::string_view::npos;
}

// Puts value into the index whose kind is kind.
void Assign(const SettingItem& item, int32_t kind, int32_t value, int32_t& index1,
            int32_t& index2) {
    if (item.index1Kind == kind) {
        index1 = value;
    }
    if (item.index2Kind == kind) {
        index2 = value;
    }
}

}  // namespace

std::string ExpandPattern(std::string_view pattern, int32_t bank, int32_t head, int32_t output) {
    std::string out;
    out.reserve(pattern.size() + 2);
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            const char code = pattern[i + 1];
            if (code == 'm') {
                out += std::to_string(bank);
                ++i;
                continue;
            }
            if (code == 'h') {
                out += head == 0 ? 'A' : 'B';
                ++i;
                continue;
            }
            if (code == 'o') {
                out += std::to_string(output + 1);
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

bool ForEachInstance(const SettingItem& item, const InstanceVisitor& visitor) {
    const int32_t banks = Uses(item, "%m") ? kBankCount : 1;
    const int32_t heads = Uses(item, "%h") ? kHeadCount : 1;
    const int32_t outputs = Uses(item, "%o") ? kOutputCount : 1;
    for (int32_t bank = 0; bank < banks; ++bank) {
        for (int32_t head = 0; head < heads; ++head) {
            for (int32_t output = 0; output < outputs; ++output) {
                int32_t index1 = 0;
                int32_t index2 = 0;
                if (banks > 1) {
                    Assign(item, kIndexBank, bank, index1, index2);
                }
                if (heads > 1) {
                    Assign(item, kIndexHead, head, index1, index2);
                }
                if (outputs > 1) {
                    Assign(item, kIndexOutput, output, index1, index2);
                }
                if (!visitor(ExpandPattern(item.section, bank, head, output),
                             ExpandPattern(item.key, bank, head, output), index1, index2)) {
                    return false;
                }
            }
        }
    }
    return true;
}

int32_t InstanceCount(const SettingItem& item) {
    return (Uses(item, "%m") ? kBankCount : 1) * (Uses(item, "%h") ? kHeadCount : 1) *
           (Uses(item, "%o") ? kOutputCount : 1);
}

}  // namespace zul

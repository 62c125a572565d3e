// SPDX-License-Identifier: GPL-3.0-or-later
// Expansion of an item's section and key patterns into its instances.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "settings/SettingItem.h"

namespace zul {

// Called once per instance with the expanded section and key and the two indices. Returning
// false stops the walk.
using InstanceVisitor = std::function<bool(const std::string& section, const std::string& key,
                                           int32_t index1, int32_t index2)>;

// Expands "%m" (bank 0..15, outermost), then "%h" (A, B), then "%o" (1, 2, innermost) wherever
// they occur in the section or the key, and calls the visitor for each instance. The value of a
// placeholder goes to index 1 or index 2, whichever has that placeholder's kind. An item without
// placeholders is visited once with indices 0 and 0. Returns false when the visitor stopped.
bool ForEachInstance(const SettingItem& item, const InstanceVisitor& visitor);

// Number of instances of the item.
int32_t InstanceCount(const SettingItem& item);

// The pattern with the placeholders replaced for the given bank, head and output.
std::string ExpandPattern(std::string_view pattern, int32_t bank, int32_t head, int32_t output);

}  // namespace zul

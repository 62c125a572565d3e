// SPDX-License-Identifier: GPL-3.0-or-later
// Resolution of an item id and its indices to the one field of a settings image that holds
// that instance.
#pragma once

#include <cstdint>
#include <string>

#include "settings/SettingsImage.h"

namespace zul {

// Exactly one pointer is set for a resolved field; none when the id or an index is invalid.
struct FieldRef {
    int32_t* integer = nullptr;
    double* real = nullptr;
    std::string* text = nullptr;

    static FieldRef Of(int32_t& value) { return FieldRef{&value, nullptr, nullptr}; }
    static FieldRef Of(double& value) { return FieldRef{nullptr, &value, nullptr}; }
    static FieldRef Of(std::string& value) { return FieldRef{nullptr, nullptr, &value}; }

    bool Resolved() const { return integer || real || text; }
};

// The field of item id for (index1, index2). An index of kind "none" is ignored; an index out of
// its range (bank 0..15, head and output 0..1) or an unknown id resolves to nothing.
FieldRef ResolveField(SettingsImage& image, int32_t id, int32_t index1, int32_t index2);

}  // namespace zul

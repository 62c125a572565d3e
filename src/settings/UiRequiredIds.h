// SPDX-License-Identifier: GPL-3.0-or-later
// The records the tool's own windows rely on: a UI definition file that lacks one of them is
// refused at load. The lists grow with the windows that are built.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zul {

// Control ids that must have a record.
std::span<const int32_t> RequiredControlIds();

// Window caption keys that must have a record by name.
std::span<const std::string_view> RequiredCaptionKeys();

}  // namespace zul

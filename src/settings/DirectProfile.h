// SPDX-License-Identifier: GPL-3.0-or-later
// Single-value reads and writes of a profile file, each going straight to the file. Section and
// key names compare without regard to ASCII case; the first section of a name is the one used;
// values lose surrounding blanks and one pair of matching surrounding quotes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/ResultInfo.h"

namespace zul {

// True and the value when the key exists in the section. A missing or unreadable file reads as
// empty.
bool ReadDirectValue(const std::string& path, std::string_view section, std::string_view key,
                     std::string& value);

// Sets key=value in the section: an existing key line is replaced, a new key goes after the
// section's last non-blank line, a new section is appended at the end. The file is replaced as a
// whole (see AtomicFileWriter). ZUL_ERR_OS_FILE_WRITE with errno on failure.
int32_t WriteDirectValue(const std::string& path, std::string_view section, std::string_view key,
                         std::string_view value, ResultInfo* info);

}  // namespace zul

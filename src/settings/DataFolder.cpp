// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFolder.h"

#include <unistd.h>

#include "base/Paths.h"
#include "settings/ProfileFile.h"

namespace zul {

std::string InstalledDataPath(std::string_view name) {
    if (IsRootedName(name)) {
        return std::string(name);
    }
    const std::string exe = ExecutablePath();
    const size_t slash = exe.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
    const std::string beside = folder + std::string(name);
    if (::access(beside.c_str(), F_OK) == 0) {
        return beside;
    }
    const std::string installed = folder + "../share/qvm8-zul/" + std::string(name);
    if (::access(installed.c_str(), F_OK) == 0) {
        return installed;
    }
    return beside;
}

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// Where the data files supplied with the program (the UI definition, the picture folder) are
// found: beside the executable when they are there (a build tree, or a program unpacked into one
// folder), else in ../share/qvm8-zul/ relative to the executable's folder (an installed program).
#pragma once

#include <string>
#include <string_view>

namespace zul {

// A rooted name unchanged; otherwise <exe folder>/<name> when that exists, else
// <exe folder>/../share/qvm8-zul/<name> when that exists, else <exe folder>/<name> (so that a
// failure names the place beside the program). Works for files and folders, for example the
// picture folder "image".
std::string InstalledDataPath(std::string_view name);

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// Lets the desktop open the tool's data files like CSV files.
#pragma once

#include <string>
#include <string_view>

namespace zul {

// For an extension such as ".bfd": when the desktop knows the CSV type (text/csv in one of the
// XDG data folders), writes a user MIME package that adds "*<extension>" to text/csv under
// $XDG_DATA_HOME/mime/packages (fallback ~/.local/share), unless the package is already there,
// and then runs update-mime-database on the user's MIME folder when the program is present.
// Failures are silent. True when a package was written.
bool RegisterDataFileTypes(std::string_view extension);

// The user's MIME package file of an extension (for inspection).
std::string DataFileTypePackagePath(std::string_view extension);

}  // namespace zul

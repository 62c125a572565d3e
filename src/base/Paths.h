// SPDX-License-Identifier: GPL-3.0-or-later
// Per-user folders and path helpers. Paths use "/" as separator.
#pragma once

#include <string>
#include <string_view>

namespace zul {

// Company and product folders beneath the per-user data folders.
inline constexpr std::string_view kCompanyFolder = "Brantwick ORTA Sensor";
inline constexpr std::string_view kProductFolder = "QV-M8 ZuL";

// True for a name that is kept unchanged by the folder helpers: it starts with "/" or "\", or
// its second character is ":" (a drive letter).
bool IsRootedName(std::string_view name);

// A rooted name unchanged; otherwise <config folder>/Brantwick ORTA Sensor/QV-M8 ZuL/<name>,
// where the config folder is $XDG_CONFIG_HOME (fallback ~/.config). The folders are created
// when missing.
std::string AppDataPath(std::string_view name);

// As AppDataPath on the state folder $XDG_STATE_HOME (fallback ~/.local/state).
std::string LocalAppDataPath(std::string_view name);

// A rooted name unchanged; otherwise <documents folder>/<name>. The documents folder is
// XDG_DOCUMENTS_DIR from the environment or from user-dirs.dirs, fallback ~/Documents. Nothing
// is created.
std::string DocumentsPath(std::string_view name);

// The absolute path with symbolic links, "." and ".." resolved as far as the path exists; the
// absolute path when that fails; the path unchanged when it is empty or cannot be made absolute.
std::string CanonicalPath(std::string_view path);

// The last component of the path (file name and extension).
std::string FileNameWithExtension(std::string_view path);

// The user's home folder: $HOME, else the password database entry.
std::string HomeFolder();

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// The user's association of settings files (*.zul) with the desktop program: a shared-mime-info
// package that defines the settings-file type and a desktop entry that opens it with qvm8-zul,
// both under the user's data folder ($XDG_DATA_HOME, fallback ~/.local/share).
#pragma once

#include <string>
#include <string_view>

#include "base/ResultInfo.h"

namespace assoc {

// The settings-file type and the desktop entry's name (its desktop file id without ".desktop").
inline constexpr std::string_view kSettingsMimeType = "application/x-qvm8-zul";
inline constexpr std::string_view kDesktopId = "com.brantwick.qvm8zul";
// The package file name under <data>/mime/packages/.
inline constexpr std::string_view kMimePackageName = "qvm8-zul-assoc.xml";

struct AssociationPlan {
    std::string dataHome;  // the user's data folder
    std::string program;   // the command that opens a settings file (absolute or on PATH)
    std::string icon;      // icon name or absolute file; empty: none
};

// $XDG_DATA_HOME when it is an absolute path, else <home>/.local/share.
std::string UserDataHome();

// What to register for the running tool: qvm8-zul beside the tool's own executable when it is
// there, else "qvm8-zul" from PATH; the installed theme icon, else the icon of the picture folder
// beside the program, else none.
AssociationPlan PlanForThisProgram();

// The text of the MIME package and of the desktop entry.
std::string MimePackageText();
std::string DesktopEntryText(const AssociationPlan& plan);

// The files the association consists of.
std::string MimePackagePath(const AssociationPlan& plan);
std::string DesktopEntryPath(const AssociationPlan& plan);

// Writes both files (each through a temporary file and a rename) and refreshes the desktop's
// caches. A failure removes what was written and leaves ZUL_ERR_OS_FILE_WRITE with the path.
int32_t Register(const AssociationPlan& plan, zul::ResultInfo* info);

// Removes both files (files already gone are fine) and refreshes the caches. A file that cannot
// be removed leaves ZUL_ERR_OS_FILE_WRITE with the path.
int32_t Unregister(const AssociationPlan& plan, zul::ResultInfo* info);

// Runs update-mime-database on <data>/mime and update-desktop-database on <data>/applications
// when the programs are on PATH. Returns false when one of them ran and failed.
bool RefreshDesktopCaches(const AssociationPlan& plan);

// A desktop entry Exec argument: quoted when it holds reserved characters, a backslash before
// each of ", `, $ and \ inside the quotes, and "%" doubled, so the desktop passes it unchanged.
std::string QuoteExecArgument(std::string_view argument);

}  // namespace assoc

// SPDX-License-Identifier: GPL-3.0-or-later
// Running the association tool (qvm8-assoc) that registers or removes the settings-file type
// for the user, and what the main window asks it about.
#pragma once

#include <QString>

namespace zul::ui {

// Exit codes of the tool that mean success, and the codes that stand for a failed launch.
inline constexpr int kAssocRegistered = 1;    // after "/register"
inline constexpr int kAssocUnregistered = 2;  // after "/unregister"
inline constexpr int kAssocLaunchFailed = 255;
inline constexpr int kAssocNoProcess = 254;
inline constexpr int kAssocLaunchError = 253;

inline bool IsAssociationLaunchFailure(int code) {
    return code >= kAssocLaunchError && code <= kAssocLaunchFailed;
}

// Runs program with "<pid> /register" or "<pid> /unregister" and returns its exit code; the
// GUI thread waits in a local event loop (the caller has disabled the windows), without a time
// limit. A program that cannot be started gives 255, one that crashed 253; failure (optional)
// then receives the reason.
int RunAssociationTool(const QString& program, qint64 pid, bool registerIt,
                       QString* failure = nullptr);

// qvm8-assoc beside the executable, else in the build tree's tools folder, else on PATH.
QString DefaultAssociationTool();

// The description of the file type that ".zul" files have now (empty when none is known).
QString SettingsFileTypeDescription();

}  // namespace zul::ui

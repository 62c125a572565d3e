// Settings files as qvm8ctl reads and writes them.
#pragma once

#include <string>

#include "CtlCommand.h"
#include "settings/SettingsStore.h"

namespace zul::ctl {

// Writes store to path with the settings file's own link items, holding the file in the
// registry only while it is written. Returns the exit status (after printing a failure).
int SaveSettingsCopy(CtlContext& context, const SettingsStore& store, const std::string& path);

// A copy of the main store with the file's settings read over it; a missing file is a failure.
// Returns the exit status (after printing a failure); 0 when store holds the file's settings.
int LoadSettingsCopy(CtlContext& context, const std::string& path, SettingsStore& store);

}  // namespace zul::ctl

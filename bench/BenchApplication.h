// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmarks that run the program's Application in-process share: the shipped UI
// definition, and start-up options that leave the user's files and file types alone.
#pragma once

#include <string>

#include "app/Application.h"

namespace zul::bench {

// Path of the shipped UI definition, which holds the records of every window.
inline std::string WindowUiDefinition() {
    return std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs";
}

// Start-up on the shipped UI definition with no settings file reserved, loaded or saved, no
// file types registered, and the registry of files in use kept in folder.
inline ApplicationOptions BenchApplicationOptions(const std::string& folder) {
    ApplicationOptions options;
    options.uiDefinitionPath = WindowUiDefinition();
    options.reserveSettingsFile = false;
    options.loadSettings = false;
    options.saveAtExit = false;
    options.registerDataFileTypes = false;
    options.registryFolder = folder;
    return options;
}

}  // namespace zul::bench

// SPDX-License-Identifier: GPL-3.0-or-later
// `qvm8-zul --simulate`: the emulated controller inside the program on a pseudo-terminal, the
// link pointed at it, and per-user folders of its own under the cache folder, so that the
// user's settings file, port links and logs are never touched.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/ResultInfo.h"

namespace zul {
class SettingsStore;
namespace sim {
class Simulator;
}
}  // namespace zul

namespace zul::ui {

class SimulatedSession {
public:
    // Points the per-user configuration and state folders at <cache>/qvm8-zul/simulate; the
    // session must therefore exist before the Application (its store takes its path then).
    SimulatedSession();
    ~SimulatedSession();  // stops the emulator and removes the device override
    SimulatedSession(const SimulatedSession&) = delete;
    SimulatedSession& operator=(const SimulatedSession&) = delete;

    // Starts the emulator (its memory kept in a state file in the session's folder) and makes
    // every serial port of this process lead to it.
    int32_t Start(ResultInfo* info);
    // What a failed Start reports, for a person: "The emulated controller cannot start: " with
    // what failed and the system's reason. The program's texts are not loaded at that point.
    static std::string FailureText(const ResultInfo& info);

    // The settings the link needs for the emulator, for ApplicationOptions::beforeThreads.
    static void ApplyLinkSettings(SettingsStore& store);

    const std::string& Folder() const { return folder_; }
    sim::Simulator& Simulator() { return *simulator_; }

private:
    std::string folder_;
    std::unique_ptr<sim::Simulator> simulator_;
};

// The cache folder of the program: $XDG_CACHE_HOME/qvm8-zul, else ~/.cache/qvm8-zul.
std::string ProgramCacheFolder();

}  // namespace zul::ui

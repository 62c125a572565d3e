// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/SimulatedSession.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "Simulator.h"
#include "base/Paths.h"
#include "link/LinkSettings.h"
#include "link/SerialPortName.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"

namespace zul::ui {

namespace fs = std::filesystem;

std::string ProgramCacheFolder() {
    const char* cache = ::getenv("XDG_CACHE_HOME");
    std::string base =
        cache != nullptr && cache[0] == '/' ? std::string(cache) : HomeFolder() + "/.cache";
    return base + "/qvm8-zul";
}

SimulatedSession::SimulatedSession()
    : folder_(ProgramCacheFolder() + "/simulate"), simulator_(std::make_unique<sim::Simulator>()) {
    // Before anything reads them: the settings file, the port links and the logs of this run
    // live in the session's folder.
    std::error_code ec;
    for (const char* sub : {"config", "state"}) {
        fs::create_directories(folder_ + "/" + sub, ec);
    }
    ::setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (folder_ + "/state").c_str(), 1);
}

SimulatedSession::~SimulatedSession() {
    simulator_->Stop();
    SetSerialDeviceOverride("");
}

int32_t SimulatedSession::Start(ResultInfo* info) {
    ClearResult(info);
    std::error_code ec;

    // A state file that no longer reads as one is dropped: the emulator starts from its
    // factory memory instead.
    const std::string state = folder_ + "/controller.state";
    if (simulator_->SetStatePath(state, nullptr) != ZUL_OK) {
        fs::remove(state, ec);
        simulator_->SetStatePath(state, nullptr);
    }
    // One link per process: a second program started by mistake never takes this one's line.
    const std::string link = folder_ + "/controller-" + std::to_string(::getpid());
    if (simulator_->StartPty(info, link) != ZUL_OK) {
        return info != nullptr ? info->code : ZUL_ERR;
    }
    // The link path follows the emulator across its restarts (memory initialisation).
    SetSerialDeviceOverride(link);
    return ZUL_OK;
}

std::string SimulatedSession::FailureText(const ResultInfo& info) {
    std::string text = "The emulated controller cannot start: ";
    text += info.detail1.empty() ? std::string(ResultKey(info.code)) : info.detail1;
    if (info.osError != 0) {
        text += std::string(": ") + std::strerror(info.osError);
    }
    return text;
}

void SimulatedSession::ApplyLinkSettings(SettingsStore& store) {
    auto lock = store.Lock();
    store.SetInt<kSoftCommunicationType>(kCommunicationRs232c);
    store.SetInt<kSoftRs232cBCC>(1);
}

}  // namespace zul::ui

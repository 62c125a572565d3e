// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store seen through the small interfaces the link layer asks for: the link
// settings of the communication threads, the log thread's options and the controller state the
// memory-bank check reads.
#pragma once

#include "link/ControllerInfo.h"
#include "link/LinkSettings.h"
#include "link/ThreadLog.h"
#include "settings/SettingsStore.h"

namespace zul {

class StoreLinkSettings : public LinkSettingsSource {
public:
    explicit StoreLinkSettings(SettingsStore& store) : store_(store) {}
    LinkSettings ReadLinkSettings() override;

private:
    SettingsStore& store_;
};

class StoreLogSettings : public LogSettingsSource {
public:
    explicit StoreLogSettings(const SettingsStore& store) : store_(store) {}
    int32_t LogEnableFlag() const override;
    std::string LogFolder() const override;

private:
    const SettingsStore& store_;
};

class StoreControllerState : public ControllerStateSource {
public:
    explicit StoreControllerState(SettingsStore& store) : store_(store) {}
    int32_t LineState() override;
    int32_t CurMemNo() override;
    std::string MemAlias(int32_t bank) override;

private:
    SettingsStore& store_;
};

}  // namespace zul

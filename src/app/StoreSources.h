// The settings store seen through the small interfaces the link layer asks for: the link
// settings of the communication threads and the controller state the memory-bank check reads.
#pragma once

#include "link/ControllerInfo.h"
#include "link/LinkSettings.h"
#include "settings/SettingsStore.h"

namespace zul {

class StoreLinkSettings : public LinkSettingsSource {
public:
    explicit StoreLinkSettings(SettingsStore& store) : store_(store) {}
    LinkSettings ReadLinkSettings() override;

private:
    SettingsStore& store_;
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

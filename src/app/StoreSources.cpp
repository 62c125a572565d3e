// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StoreSources.h"

#include "settings/SettingItem.h"

namespace zul {

LinkSettings StoreLinkSettings::ReadLinkSettings() {
    auto lock = store_.Lock();
    LinkSettings s;
    s.communicationType = store_.GetInt<kSoftCommunicationType>();
    s.rs232cPort = store_.GetInt<kSoftRs232cPort>();
    s.rs232cBaudrate = store_.GetInt<kSoftRs232cBaudrate>();
    s.rs232cDateLen = store_.GetInt<kSoftRs232cDateLen>();
    s.rs232cParity = store_.GetInt<kSoftRs232cParity>();
    s.rs232cBCC = store_.GetInt<kSoftRs232cBCC>();
    s.rs232cTimeout = store_.GetInt<kSoftRs232cTimeout>();
    s.usbConnect = store_.GetText<kSoftUsbConnect>();
    store_.GetAliasLists(s.usbDeviceNames, s.usbAliases);
    s.policyPriority = store_.GetInt<kSoftPolicyPriority>();
    s.logEnableFlag = store_.GetInt<kAppLogEnableFlag>();
    return s;
}

int32_t StoreLogSettings::LogEnableFlag() const {
    return store_.GetInt<kAppLogEnableFlag>();
}

std::string StoreLogSettings::LogFolder() const {
    return store_.GetText<kAppLogFolder>();
}

int32_t StoreControllerState::LineState() {
    return store_.GetInt<kCtrlLineState>();
}

int32_t StoreControllerState::CurMemNo() {
    return store_.GetInt<kAppCurMemNo>();
}

std::string StoreControllerState::MemAlias(int32_t bank) {
    return store_.GetText<kSoftMemAlias>(bank);
}

}  // namespace zul

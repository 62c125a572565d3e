// SPDX-License-Identifier: GPL-3.0-or-later
// The software settings the link threads use, and where they come from. The settings store
// implements LinkSettingsSource; until then (and in tests) any object may.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zul {

inline constexpr int32_t kCommunicationUsb = 0;
inline constexpr int32_t kCommunicationRs232c = 1;

struct LinkSettings {
    // Values before the settings are first read.
    int32_t communicationType = kCommunicationUsb;  // 0 USB, 1 RS-232C, other: no transport
    int32_t rs232cPort = 0;                         // 0-based port index
    int32_t rs232cBaudrate = 3;                     // 0 9600, 1 19200, 2 38400, other 115200
    int32_t rs232cDateLen = 1;                      // 0 seven bits, other eight bits
    int32_t rs232cParity = 2;                       // 0 even, 1 odd, other none
    int32_t rs232cBCC = 0;                          // nonzero: block check on
    int32_t rs232cTimeout = 2;                      // reply time-out code, see TimeoutTicks
    std::string usbConnect = "NoUSB";               // USB identification text
    // Device texts and the names the user gave them (entry i names device i).
    std::vector<std::string> usbDeviceNames;
    std::vector<std::string> usbAliases;
    int32_t policyPriority = 2;  // 0 lowest, 1 below normal, 3 above normal, other normal
    int32_t logEnableFlag = 0;   // nonzero: communication trace on
};

class LinkSettingsSource {
public:
    virtual ~LinkSettingsSource() = default;
    // A consistent copy of the link settings; called on the link threads.
    virtual LinkSettings ReadLinkSettings() = 0;
};

// The user's name for a USB identification text, empty when it has none.
std::string UsbAliasOf(const LinkSettings& settings, const std::string& identification);

// Reply time-out in 100 ms ticks for an Rs232cTimeout code: 0 10, 1 20, 3 50, 4 100, other 30.
int32_t TimeoutTicks(int32_t rs232cTimeout);

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// The global options of qvm8ctl: the link settings for this run, the settings file, the output
// form, and the command with its words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zul {
class SettingsStore;
}

namespace zul::ctl {

struct GlobalOptions {
    std::optional<std::string> device;  // RS-232C on this device
    std::optional<std::string> usb;     // USB controller with this identification text
    std::optional<int32_t> baud;        // 0..3
    std::optional<int32_t> dataLength;  // 0 seven bits, 1 eight bits
    std::optional<int32_t> parity;      // 0 even, 1 odd, 2 none
    std::optional<int32_t> bcc;         // 0 off, 1 on
    std::optional<int32_t> timeout;     // 0..4
    std::string settingsFile;           // absolute; empty: the default settings file
    bool json = false;
    bool trace = false;  // the protocol trace on standard error
    bool help = false;
    std::string command;
    std::vector<std::string> words;  // after the command name
};

// Parses argv; false (with a reason) on a usage error.
bool ParseGlobalOptions(int argc, char** argv, GlobalOptions& options, std::string& error);

// The usage text, listing every command of the table.
std::string UsageText();

// The link settings the options name, written into the store for this run.
void ApplyLinkOverrides(const GlobalOptions& options, SettingsStore& store);

// The link items of the settings file as read, to be put back into anything qvm8ctl saves, so
// that options given for one run never reach a file.
struct LinkItems {
    int32_t communicationType = 0;
    int32_t port = 0;
    int32_t baud = 0;
    int32_t dataLength = 0;
    int32_t parity = 0;
    int32_t timeout = 0;
    int32_t bcc = 0;
    std::string usbConnect;
};
LinkItems CaptureLinkItems(const SettingsStore& store);
void RestoreLinkItems(const LinkItems& items, SettingsStore& store);

}  // namespace zul::ctl

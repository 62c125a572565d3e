// SPDX-License-Identifier: GPL-3.0-or-later
// The options of qvm8-station: the broker and how to log in, the station's name, the link to
// its controller (the link options of qvm8ctl), the measurement cycle, the settings drift check
// and the buffered values. They come from the command line and from a configuration file in the
// sections-and-keys form of the settings files:
//
//   [broker]      host = HOST[:PORT], username, password-file, cafile
//   [controller]  device, usb, baud, data-bits, parity, bcc, timeout, settings
//   [station]     id, cycle, reference, drift-every, buffer, state
//
// Every key is the long option without its dashes (host stands for --broker). The command line
// wins over the file. A key or section the station does not know, a value it cannot use, or a
// key given twice in the file is an error that names the file and the line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zul::station {

// Exit status of a usage or configuration error.
inline constexpr int kExitUsage = 64;

inline constexpr int32_t kDefaultCycleMs = 500;
inline constexpr int32_t kDefaultDriftEveryMin = 60;
inline constexpr int kDefaultBrokerPort = 1883;
inline constexpr int kDefaultTlsBrokerPort = 8883;

struct StationOptions {
    std::string brokerHost;
    int brokerPort = 0;  // 0: 1883, or 8883 with a CA file
    std::string id;      // one topic level: letters, digits, "-", "_", "."

    // The link, for this run only (as qvm8ctl's options).
    std::optional<std::string> device;  // RS-232C on this device
    std::optional<std::string> usb;     // USB controller with this identification text
    std::optional<int32_t> baud;        // 0..3
    std::optional<int32_t> dataLength;  // 0 seven bits, 1 eight bits
    std::optional<int32_t> parity;      // 0 even, 1 odd, 2 none
    std::optional<int32_t> bcc;         // 0 off, 1 on
    std::optional<int32_t> timeout;     // 0..4
    std::string settingsFile;           // absolute; empty: the default settings file
    bool trace = false;

    int32_t cycleMs = kDefaultCycleMs;              // a multiple of 100
    std::string reference;                          // absolute; empty: no drift check
    std::string referenceGiven;                     // as given, for the drift messages
    int32_t driftEveryMin = kDefaultDriftEveryMin;  // 0: at start and after reconnects only
    bool buffer = false;

    std::string username;
    std::string passwordFile;  // absolute
    std::string cafile;        // absolute; given: TLS
    std::string stateFolder;   // absolute; empty: $STATE_DIRECTORY, else the per-user state folder

    std::string configFile;  // absolute, when one was read
    bool help = false;

    int BrokerPort() const {
        return brokerPort != 0 ? brokerPort
                               : (cafile.empty() ? kDefaultBrokerPort : kDefaultTlsBrokerPort);
    }
    // "qvm8/<id>/"
    std::string TopicPrefix() const { return "qvm8/" + id + "/"; }
};

// Reads argv and, when it names one with --config, the configuration file under it. False
// (with a reason that names the option, or the file and line) on any error; the reason is one
// line without the program's name.
bool ParseStationOptions(int argc, char** argv, StationOptions& options, std::string& error);

// Reads the configuration file text into options (path only names it in messages). Exposed for
// the tests; ParseStationOptions calls it.
bool ApplyConfigText(const std::string& text, const std::string& path, StationOptions& options,
                     std::string& error);

std::string StationUsageText();

// The state folder of the options: the one given, $STATE_DIRECTORY (set by systemd's
// StateDirectory=), or "station/<id>" in the per-user state folder.
std::string StateFolderOf(const StationOptions& options);

}  // namespace zul::station

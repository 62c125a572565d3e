// SPDX-License-Identifier: GPL-3.0-or-later
#include "StationOptions.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "base/NumberText.h"
#include "base/Paths.h"
#include "base/ProfileText.h"
#include "settings/SettingsStore.h"

namespace zul::station {

namespace {

namespace fs = std::filesystem;

// One key of the configuration file and the option it stands for.
struct ConfigKey {
    const char* section;
    const char* key;
    const char* option;
};

constexpr ConfigKey kConfigKeys[] = {
    {"broker", "host", "broker"},
    {"broker", "username", "username"},
    {"broker", "password-file", "password-file"},
    {"broker", "cafile", "cafile"},
    {"controller", "device", "device"},
    {"controller", "usb", "usb"},
    {"controller", "baud", "baud"},
    {"controller", "data-bits", "data-bits"},
    {"controller", "parity", "parity"},
    {"controller", "bcc", "bcc"},
    {"controller", "timeout", "timeout"},
    {"controller", "settings", "settings"},
    {"station", "id", "id"},
    {"station", "cycle", "cycle"},
    {"station", "reference", "reference"},
    {"station", "drift-every", "drift-every"},
    {"station", "buffer", "buffer"},
    {"station", "state", "state"},
};

// Options that take a value on the command line.
constexpr const char* kValueOptions[] = {
    "broker",  "id",       "device", "usb",       "baud",        "data-bits", "parity",
    "timeout", "settings", "cycle",  "reference", "drift-every", "username",  "password-file",
    "cafile",  "state",    "config",
};

bool IsValueOption(const std::string& name) {
    for (const char* option : kValueOptions) {
        if (name == option) {
            return true;
        }
    }
    return false;
}

bool ParseRange(const std::string& text, int32_t low, int32_t high, int32_t& value) {
    int32_t parsed = 0;
    if (!ParseDecimalExact(text, parsed) || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

// yes/no, on/off, true/false, 1/0.
bool ParseSwitch(const std::string& text, bool& value) {
    for (const char* on : {"yes", "on", "true", "1"}) {
        if (EqualsNoCase(text, on)) {
            value = true;
            return true;
        }
    }
    for (const char* off : {"no", "off", "false", "0"}) {
        if (EqualsNoCase(text, off)) {
            value = false;
            return true;
        }
    }
    return false;
}

// A path relative to base (the folder of the configuration file, or the working folder).
std::string Absolute(const std::string& path, const std::string& base) {
    fs::path p(path);
    if (p.is_relative() && !base.empty()) {
        p = fs::path(base) / p;
    }
    std::error_code ec;
    fs::path absolute = fs::absolute(p, ec);
    return ec ? p.string() : absolute.lexically_normal().string();
}

// HOST, HOST:PORT, [V6ADDRESS] or [V6ADDRESS]:PORT.
bool ParseBroker(const std::string& text, std::string& host, int& port) {
    std::string rest;
    if (!text.empty() && text.front() == '[') {
        size_t close = text.find(']');
        if (close == std::string::npos || close == 1) {
            return false;
        }
        host = text.substr(1, close - 1);
        rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') {
            return false;
        }
    } else {
        size_t colon = text.find(':');
        if (colon != std::string::npos && text.find(':', colon + 1) != std::string::npos) {
            return false;  // an IPv6 address needs its brackets
        }
        host = text.substr(0, colon);
        rest = colon == std::string::npos ? std::string() : text.substr(colon);
    }
    if (host.empty() || host.find_first_of(" \t/") != std::string::npos) {
        return false;
    }
    port = 0;
    if (!rest.empty()) {
        int32_t value = 0;
        if (!ParseRange(rest.substr(1), 1, 65535, value)) {
            return false;
        }
        port = value;
    }
    return true;
}

bool ValidId(const std::string& id) {
    if (id.empty() || id.size() > 64) {
        return false;
    }
    for (unsigned char c : id) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '_' || c == '.';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// Sets one option from its text. base is the folder relative paths are taken from.
bool Apply(const std::string& option, const std::string& value, const std::string& base,
           StationOptions& o, std::string& error) {
    int32_t number = 0;
    bool on = false;
    auto fail = [&](const std::string& reason) {
        error = option + " " + reason;
        return false;
    };
    auto needText = [&]() { return value.empty() ? fail("needs a value") : true; };
    if (option == "broker") {
        if (!ParseBroker(value, o.brokerHost, o.brokerPort)) {
            return fail("takes HOST or HOST:PORT (port 1 to 65535; [ADDRESS]:PORT for IPv6)");
        }
    } else if (option == "id") {
        if (!ValidId(value)) {
            return fail("takes 1 to 64 letters, digits, \"-\", \"_\" or \".\"");
        }
        o.id = value;
    } else if (option == "device") {
        if (!needText()) {
            return false;
        }
        o.device = Absolute(value, base);
        o.usb.reset();
    } else if (option == "usb") {
        if (!needText()) {
            return false;
        }
        o.usb = value;
        o.device.reset();
    } else if (option == "baud") {
        if (!ParseRange(value, 0, 3, number)) {
            return fail("takes 0 (9600), 1 (19200), 2 (38400) or 3 (115200)");
        }
        o.baud = number;
    } else if (option == "data-bits") {
        if (value != "7" && value != "8") {
            return fail("takes 7 or 8");
        }
        o.dataLength = value == "7" ? 0 : 1;
    } else if (option == "parity") {
        if (value != "even" && value != "odd" && value != "none") {
            return fail("takes even, odd or none");
        }
        o.parity = value == "even" ? 0 : value == "odd" ? 1 : 2;
    } else if (option == "bcc") {
        if (!ParseSwitch(value, on)) {
            return fail("takes on or off");
        }
        o.bcc = on ? 1 : 0;
    } else if (option == "timeout") {
        if (!ParseRange(value, 0, 4, number)) {
            return fail("takes 0 (1 s), 1 (2 s), 2 (3 s), 3 (5 s) or 4 (10 s)");
        }
        o.timeout = number;
    } else if (option == "settings") {
        if (!IsSettingsFileName(value)) {
            return fail("needs a file ending in .zul");
        }
        o.settingsFile = Absolute(value, base);
    } else if (option == "trace") {
        if (!ParseSwitch(value, on)) {
            return fail("takes yes or no");
        }
        o.trace = on;
    } else if (option == "cycle") {
        if (!ParseRange(value, 100, 3600000, number) || number % 100 != 0) {
            return fail("takes milliseconds, a multiple of 100 from 100 to 3600000");
        }
        o.cycleMs = number;
    } else if (option == "reference") {
        if (!IsSettingsFileName(value)) {
            return fail("needs a settings file ending in .zul");
        }
        o.referenceGiven = value;
        o.reference = Absolute(value, base);
    } else if (option == "drift-every") {
        if (!ParseRange(value, 0, 10080, number)) {
            return fail("takes minutes from 0 (at start only) to 10080");
        }
        o.driftEveryMin = number;
    } else if (option == "buffer") {
        if (!ParseSwitch(value, on)) {
            return fail("takes yes or no");
        }
        o.buffer = on;
    } else if (option == "username") {
        if (!needText()) {
            return false;
        }
        o.username = value;
    } else if (option == "password-file") {
        if (!needText()) {
            return false;
        }
        o.passwordFile = Absolute(value, base);
    } else if (option == "cafile") {
        if (!needText()) {
            return false;
        }
        o.cafile = Absolute(value, base);
    } else if (option == "state") {
        if (!needText()) {
            return false;
        }
        o.stateFolder = Absolute(value, base);
    } else {
        error = "unknown option --" + option;
        return false;
    }
    return true;
}

const ConfigKey* FindConfigKey(const std::string& section, const std::string& key) {
    for (const ConfigKey& entry : kConfigKeys) {
        if (EqualsNoCase(section, entry.section) && EqualsNoCase(key, entry.key)) {
            return &entry;
        }
    }
    return nullptr;
}

bool KnownSection(const std::string& section) {
    for (const char* name : {"broker", "controller", "station"}) {
        if (EqualsNoCase(section, name)) {
            return true;
        }
    }
    return false;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

}  // namespace

bool ApplyConfigText(const std::string& text, const std::string& path, StationOptions& options,
                     std::string& error) {
    const std::string base = fs::path(path).parent_path().string();
    std::istringstream in(text);
    std::string raw;
    std::string section;
    std::set<std::string> seen;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (number == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            raw.erase(0, 3);
        }
        ProfileLine line = SplitProfileLine(raw);
        if (line.text.empty()) {
            continue;  // blank or a comment
        }
        if (line.text.front() == '[' && line.text.back() == ']' && line.text.size() >= 2) {
            section = TrimText(std::string_view(line.text).substr(1, line.text.size() - 2));
            if (!KnownSection(section)) {
                error = where + "unknown section [" + section +
                        "] (sections: [broker], [controller], [station])";
                return false;
            }
            continue;
        }
        if (!line.hasSeparator || line.key.empty()) {
            error = where + "not a key = value line: " + line.text;
            return false;
        }
        if (section.empty()) {
            error = where + "key " + line.key + " before the first [section]";
            return false;
        }
        const ConfigKey* entry = FindConfigKey(section, line.key);
        if (entry == nullptr) {
            error = where + "unknown key " + line.key + " in [" + section + "]";
            return false;
        }
        if (!seen.insert(Lower(section) + "/" + Lower(line.key)).second) {
            error = where + line.key + " is given twice in [" + section + "]";
            return false;
        }
        std::string reason;
        if (!Apply(entry->option, line.value, base, options, reason)) {
            // The message names the key as the file spells it, not the option.
            if (reason.compare(0, std::char_traits<char>::length(entry->option), entry->option) ==
                0) {
                reason = line.key + reason.substr(std::char_traits<char>::length(entry->option));
            }
            error = where + reason;
            return false;
        }
    }
    return true;
}

bool ParseStationOptions(int argc, char** argv, StationOptions& options, std::string& error) {
    // Command-line settings are applied after the file, so collect them first.
    std::vector<std::pair<std::string, std::string>> given;
    std::string config;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        }
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            error = "unexpected argument " + arg;
            return false;
        }
        std::string name = arg.substr(2);
        if (name == "buffer" || name == "trace") {
            given.emplace_back(name, "yes");
        } else if (name == "bcc") {
            given.emplace_back("bcc", "on");
        } else if (name == "no-bcc") {
            given.emplace_back("bcc", "off");
        } else if (IsValueOption(name)) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            std::string value = argv[++i];
            if (name == "config") {
                config = value;
            } else {
                given.emplace_back(name, value);
            }
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (!config.empty()) {
        options.configFile = Absolute(config, {});
        std::ifstream in(options.configFile, std::ios::binary);
        if (!in) {
            error = "cannot read the configuration file " + options.configFile;
            return false;
        }
        std::stringstream text;
        text << in.rdbuf();
        if (!ApplyConfigText(text.str(), options.configFile, options, error)) {
            return false;
        }
    }
    for (const auto& [name, value] : given) {
        if (!Apply(name, value, {}, options, error)) {
            error = "--" + error;
            return false;
        }
    }
    if (options.brokerHost.empty()) {
        error = "no broker given (--broker HOST[:PORT], or host in [broker])";
        return false;
    }
    if (options.id.empty()) {
        error = "no station name given (--id NAME, or id in [station])";
        return false;
    }
    if (!options.passwordFile.empty() && options.username.empty()) {
        error = "a password file needs a user name (--username, or username in [broker])";
        return false;
    }
    return true;
}

std::string StationUsageText() {
    return "usage: qvm8-station --broker HOST[:PORT] --id NAME (--device PATH | --usb ID)\n"
           "                    [--baud 0..3] [--data-bits 7|8] [--parity even|odd|none]\n"
           "                    [--bcc|--no-bcc] [--timeout 0..4] [--settings FILE.zul]\n"
           "                    [--cycle MS] [--reference FILE.zul] [--drift-every MIN]\n"
           "                    [--buffer] [--username U [--password-file F]] [--cafile F]\n"
           "                    [--state DIR] [--trace] [--config FILE]\n"
           "\nPublishes the controller's status, measured values, settings drift and buffered\n"
           "values under qvm8/NAME/ on the MQTT broker. The configuration file holds the same\n"
           "settings as keys of [broker], [controller] and [station]; the command line wins.\n"
           "See qvm8-station(1).\n";
}

std::string StateFolderOf(const StationOptions& options) {
    if (!options.stateFolder.empty()) {
        return options.stateFolder;
    }
    if (const char* systemd = std::getenv("STATE_DIRECTORY"); systemd != nullptr && *systemd) {
        std::string first(systemd);
        return first.substr(0, first.find(':'));
    }
    return LocalAppDataPath("station/" + options.id);
}

}  // namespace zul::station

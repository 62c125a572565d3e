// SPDX-License-Identifier: GPL-3.0-or-later
#include "CtlOptions.h"

#include <filesystem>

#include "CtlCommand.h"
#include "base/NumberText.h"
#include "link/LinkSettings.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"

namespace zul::ctl {

namespace {

bool ParseRange(const std::string& text, int32_t low, int32_t high, int32_t& value) {
    int32_t parsed = 0;
    if (!ParseDecimalExact(text, parsed) || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

}  // namespace

bool ParseGlobalOptions(int argc, char** argv, GlobalOptions& options, std::string& error) {
    int i = 1;
    auto value = [&](const std::string& option, std::string& out) {
        if (i + 1 >= argc) {
            error = option + " needs a value";
            return false;
        }
        out = argv[++i];
        return true;
    };
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        std::string text;
        int32_t number = 0;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--bcc") {
            options.bcc = 1;
        } else if (arg == "--no-bcc") {
            options.bcc = 0;
        } else if (arg == "--device") {
            if (!value(arg, text) || text.empty()) {
                error = error.empty() ? "--device needs a path" : error;
                return false;
            }
            options.device = text;
            options.usb.reset();
        } else if (arg == "--usb") {
            if (!value(arg, text)) {
                return false;
            }
            options.usb = text;
            options.device.reset();
        } else if (arg == "--baud") {
            if (!value(arg, text) || !ParseRange(text, 0, 3, number)) {
                error = "--baud takes 0 (9600), 1 (19200), 2 (38400) or 3 (115200)";
                return false;
            }
            options.baud = number;
        } else if (arg == "--data-bits") {
            if (!value(arg, text) || (text != "7" && text != "8")) {
                error = "--data-bits takes 7 or 8";
                return false;
            }
            options.dataLength = text == "7" ? 0 : 1;
        } else if (arg == "--parity") {
            if (!value(arg, text) || (text != "even" && text != "odd" && text != "none")) {
                error = "--parity takes even, odd or none";
                return false;
            }
            options.parity = text == "even" ? 0 : text == "odd" ? 1 : 2;
        } else if (arg == "--timeout") {
            if (!value(arg, text) || !ParseRange(text, 0, 4, number)) {
                error = "--timeout takes 0 (1 s), 1 (2 s), 2 (3 s), 3 (5 s) or 4 (10 s)";
                return false;
            }
            options.timeout = number;
        } else if (arg == "--settings") {
            if (!value(arg, text)) {
                return false;
            }
            if (!IsSettingsFileName(text)) {
                error = "--settings needs a file ending in .zul";
                return false;
            }
            std::error_code ec;
            std::filesystem::path absolute = std::filesystem::absolute(text, ec);
            options.settingsFile = ec ? text : absolute.lexically_normal().string();
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            options.command = arg;
            for (++i; i < argc; ++i) {
                options.words.emplace_back(argv[i]);
            }
            break;
        }
    }
    if (options.command.empty() && !options.help) {
        error = "no command given";
        return false;
    }
    return true;
}

std::string UsageText() {
    std::string text =
        "usage: qvm8ctl [--device PATH] [--usb ID] [--baud 0..3] [--data-bits 7|8]\n"
        "               [--parity even|odd|none] [--bcc|--no-bcc] [--timeout 0..4]\n"
        "               [--settings FILE.zul] [--json] [--trace] COMMAND ...\n"
        "\ncommands:\n";
    for (const CtlCommand& command : AllCommands()) {
        std::string left(2, ' ');
        left += command.name;
        if (!command.synopsis.empty()) {
            left.append(1, ' ').append(command.synopsis);
        }
        if (left.size() < 28) {
            left.append(28 - left.size(), ' ');
        } else {
            left += "  ";
        }
        text += left + std::string(command.summary) + "\n";
    }
    text +=
        "\nLink options apply to this run only; without them the settings file's link settings\n"
        "apply. Exit status: 0 on success, the result code (1..35) of a failed operation, 64 for\n"
        "a usage error. See qvm8ctl(1).\n";
    return text;
}

void ApplyLinkOverrides(const GlobalOptions& options, SettingsStore& store) {
    auto lock = store.Lock();
    if (options.device) {
        store.SetInt<kSoftCommunicationType>(kCommunicationRs232c);
    }
    if (options.usb) {
        store.SetInt<kSoftCommunicationType>(kCommunicationUsb);
        store.SetText<kSoftUsbConnect>(*options.usb);
    }
    if (options.baud) {
        store.SetInt<kSoftRs232cBaudrate>(*options.baud);
    }
    if (options.dataLength) {
        store.SetInt<kSoftRs232cDateLen>(*options.dataLength);
    }
    if (options.parity) {
        store.SetInt<kSoftRs232cParity>(*options.parity);
    }
    if (options.bcc) {
        store.SetInt<kSoftRs232cBCC>(*options.bcc);
    }
    if (options.timeout) {
        store.SetInt<kSoftRs232cTimeout>(*options.timeout);
    }
}

LinkItems CaptureLinkItems(const SettingsStore& store) {
    auto lock = store.Lock();
    LinkItems items;
    items.communicationType = store.GetInt<kSoftCommunicationType>();
    items.port = store.GetInt<kSoftRs232cPort>();
    items.baud = store.GetInt<kSoftRs232cBaudrate>();
    items.dataLength = store.GetInt<kSoftRs232cDateLen>();
    items.parity = store.GetInt<kSoftRs232cParity>();
    items.timeout = store.GetInt<kSoftRs232cTimeout>();
    items.bcc = store.GetInt<kSoftRs232cBCC>();
    items.usbConnect = store.GetText<kSoftUsbConnect>();
    return items;
}

void RestoreLinkItems(const LinkItems& items, SettingsStore& store) {
    auto lock = store.Lock();
    store.SetInt<kSoftCommunicationType>(items.communicationType);
    store.SetInt<kSoftRs232cPort>(items.port);
    store.SetInt<kSoftRs232cBaudrate>(items.baud);
    store.SetInt<kSoftRs232cDateLen>(items.dataLength);
    store.SetInt<kSoftRs232cParity>(items.parity);
    store.SetInt<kSoftRs232cTimeout>(items.timeout);
    store.SetInt<kSoftRs232cBCC>(items.bcc);
    store.SetText<kSoftUsbConnect>(items.usbConnect);
}

}  // namespace zul::ctl

// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8ctl's command line on arbitrary words (the input cut at zero bytes): the global options,
// then the command's own options and arguments, as main parses them before anything runs.
// A refused line always says why; an accepted one names a command (or asks for help), keeps the
// words after the command in order, and gives link settings within their ranges.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CtlCommand.h"
#include "CtlOptions.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(bytes), size);
    std::vector<std::string> words = {"qvm8ctl"};
    while (!input.empty() && words.size() < 64) {
        size_t zero = input.find('\0');
        words.emplace_back(input.substr(0, zero));
        input.remove_prefix(zero == std::string_view::npos ? input.size() : zero + 1);
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    zul::ctl::GlobalOptions options;
    std::string error;
    if (!zul::ctl::ParseGlobalOptions(static_cast<int>(words.size()), argv.data(), options,
                                      error)) {
        Check(!error.empty());
        return 0;
    }
    Check(options.help || !options.command.empty());
    if (!options.command.empty()) {
        // The words after the command, unchanged and in order.
        size_t at = words.size() - options.words.size();
        Check(at >= 2 && words[at - 1] == options.command);
        for (size_t i = 0; i < options.words.size(); ++i) {
            Check(options.words[i] == words[at + i]);
        }
    }
    Check(!(options.device && options.usb));

    zul::SettingsStore store;
    zul::ctl::ApplyLinkOverrides(options, store);
    int32_t baud = store.GetInt<zul::kSoftRs232cBaudrate>();
    int32_t timeout = store.GetInt<zul::kSoftRs232cTimeout>();
    int32_t parity = store.GetInt<zul::kSoftRs232cParity>();
    Check(baud >= 0 && baud <= 3 && timeout >= 0 && timeout <= 4 && parity >= 0 && parity <= 2);

    const zul::ctl::CtlCommand* command = zul::ctl::FindCommand(options.command);
    if (command == nullptr) {
        return 0;
    }
    zul::ctl::CommandArgs args;
    error.clear();
    if (!zul::ctl::ParseCommandArgs(*command, options.words, args, error)) {
        Check(!error.empty());
        return 0;
    }
    Check(args.positional.size() >= command->minPositional &&
          args.positional.size() <= command->maxPositional);
    for (const std::string& required : command->requiredOptions) {
        Check(args.values.count(required) == 1);
    }
    return 0;
}

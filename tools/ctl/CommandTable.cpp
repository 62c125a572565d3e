// SPDX-License-Identifier: GPL-3.0-or-later
#include "CtlCommand.h"

#include <cctype>

namespace zul::ctl {

// Comparing the controller with a settings file (CmdDiff.cpp).
std::vector<CtlCommand> DiffCommands();
// Process statistics of buffered values in a file (CmdStats.cpp).
std::vector<CtlCommand> StatsCommands();

const std::vector<CtlCommand>& AllCommands() {
    static const std::vector<CtlCommand> commands = [] {
        std::vector<CtlCommand> all;
        for (auto group :
             {InfoCommands, SettingsCommands, DiffCommands, MemoryCommands, MeasureCommands,
              BufferCommands, StatsCommands, LightWaveCommands, AdjustCommands}) {
            for (CtlCommand& command : group()) {
                all.push_back(std::move(command));
            }
        }
        return all;
    }();
    return commands;
}

const CtlCommand* FindCommand(std::string_view name) {
    for (const CtlCommand& command : AllCommands()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& word) {
    for (const std::string& entry : list) {
        if (entry == word) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool ParseCommandArgs(const CtlCommand& command, const std::vector<std::string>& words,
                      CommandArgs& args, std::string& error) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (Contains(command.valueOptions, word)) {
            if (i + 1 >= words.size()) {
                error = word + " needs a value";
                return false;
            }
            args.values[word] = words[++i];
        } else if (Contains(command.flagOptions, word)) {
            args.flags.insert(word);
        } else if (word.size() > 1 && word[0] == '-' && word != "-" &&
                   !(std::isdigit(static_cast<unsigned char>(word[1])) || word[1] == '.')) {
            // A word like "-1.5" is a negative number, not an option.
            error = "unknown option " + word + " for " + std::string(command.name);
            return false;
        } else {
            args.positional.push_back(word);
        }
    }
    for (const std::string& option : command.requiredOptions) {
        if (args.values.count(option) == 0) {
            error = std::string(command.name) + " needs " + option;
            return false;
        }
    }
    if (args.positional.size() < command.minPositional ||
        args.positional.size() > command.maxPositional) {
        error = "wrong number of arguments for " + std::string(command.name);
        return false;
    }
    return true;
}

}  // namespace zul::ctl

// SPDX-License-Identifier: GPL-3.0-or-later
// The command table of qvm8ctl. Each command group lives in its own file and lists its
// commands in a function of the form `std::vector<CtlCommand> <Group>Commands()`; CommandTable.cpp
// joins the groups. Adding a command: write its handler in a group file (or a new one), add a
// CtlCommand entry there, and (for a new group) one line in AllCommands().
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "CtlOutput.h"

namespace zul {
class Application;
}

namespace zul::ctl {

struct GlobalOptions;
struct LinkItems;

// Exit status of a usage error.
inline constexpr int kExitUsage = 64;

// The words after the command name, sorted by the command's own option lists.
struct CommandArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;  // option -> its value
    std::set<std::string> flags;

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::string Value(const std::string& option) const {
        auto it = values.find(option);
        return it == values.end() ? std::string() : it->second;
    }
};

// What a handler works with.
struct CtlContext {
    Application& app;
    const GlobalOptions& options;
    const LinkItems& fileLink;  // the link items of the settings file, before the overrides
    Output& out;
};

// Returns the exit status: 0, a result code (after out.Fail), or kExitUsage.
using CommandHandler = int (*)(CtlContext& context, const CommandArgs& args);

struct CtlCommand {
    std::string_view name;
    std::string_view synopsis;                 // the argument part of the usage line
    std::string_view summary;                  // one line
    std::vector<std::string> valueOptions;     // options that take a value, e.g. "-o"
    std::vector<std::string> flagOptions;      // options without a value, e.g. "--all"
    std::vector<std::string> requiredOptions;  // value options that must be given
    size_t minPositional = 0;
    size_t maxPositional = 0;
    bool connects = true;  // connect (and identify the controller) before the handler runs
    CommandHandler run = nullptr;
};

// The groups.
std::vector<CtlCommand> InfoCommands();
std::vector<CtlCommand> SettingsCommands();
std::vector<CtlCommand> MemoryCommands();
std::vector<CtlCommand> MeasureCommands();
std::vector<CtlCommand> BufferCommands();
std::vector<CtlCommand> LightWaveCommands();
std::vector<CtlCommand> AdjustCommands();

// Every command, in the order of the usage text.
const std::vector<CtlCommand>& AllCommands();
const CtlCommand* FindCommand(std::string_view name);

// Sorts the words after the command name; false (with a reason) on a usage error.
bool ParseCommandArgs(const CtlCommand& command, const std::vector<std::string>& words,
                      CommandArgs& args, std::string& error);

}  // namespace zul::ctl

// SPDX-License-Identifier: GPL-3.0-or-later
// save-mem and init-mem: the controller's memory-bank commands.
#include "CtlCommand.h"
#include "app/Application.h"
#include "app/MemoryCommands.h"

namespace zul::ctl {

namespace {

int Run(CtlContext& context, MemoryCommand command) {
    TerminalMessageHost host(context.out);
    ResultInfo result;
    if (RunMemoryCommand(context.app, command, host, &result) != ZUL_OK) {
        if (result.code == ZUL_OK) {
            result.code = ZUL_ERR;
        }
        return context.out.Fail(&context.app.Ui(), result);
    }
    return 0;
}

int RunSaveMem(CtlContext& context, const CommandArgs&) {
    return Run(context, MemoryCommand::kSaveBank);
}

int RunInitMem(CtlContext& context, const CommandArgs& args) {
    return Run(context, args.Has("--all") ? MemoryCommand::kInitialiseAllBanks
                                          : MemoryCommand::kInitialiseBank);
}

}  // namespace

std::vector<CtlCommand> MemoryCommands() {
    return {
        {"save-mem",
         "",
         "save the controller's current memory bank",
         {},
         {},
         {},
         0,
         0,
         true,
         RunSaveMem},
        {"init-mem",
         "[--all]",
         "initialise the current bank (or all banks)",
         {},
         {"--all"},
         {},
         0,
         0,
         true,
         RunInitMem},
    };
}

}  // namespace zul::ctl

// SPDX-License-Identifier: GPL-3.0-or-later
// diff: the controller's settings against a settings file, without writing anything.
#include <cstdio>

#include "CtlCommand.h"
#include "CtlFiles.h"
#include "CtlSession.h"
#include "app/Application.h"
#include "settings/SettingsDiff.h"

namespace zul::ctl {

namespace {

// Exit status when the controller and the file differ.
constexpr int kExitDifferent = 65;

int RunDiff(CtlContext& context, const CommandArgs& args) {
    Application& app = context.app;
    // Without -i the settings file of the run, as loaded at start (a missing one: defaults).
    SettingsStore file(app.Store());
    if (!args.Value("-i").empty()) {
        if (int status = LoadSettingsCopy(context, args.Value("-i"), InputSettings::kAny, file)) {
            return status;
        }
    }
    ControllerSession session(context);
    if (int status = session.Open()) {
        return status;
    }
    SettingsStore controller;
    if (int status = ReadWholeController(context, controller, false)) {
        return status;
    }

    const SettingsComparison comparison = CompareWithController(app, file, controller);

    if (context.out.Json()) {
        context.out.Result({{"differences", DifferencesJson(comparison)},
                            {"compared", JsonNumber(comparison.compared)}},
                           {});
    } else {
        for (const SettingDifference& d : comparison.differences) {
            std::printf("%s %s file=%s controller=%s\n", d.instance.section.c_str(),
                        d.instance.key.c_str(), d.fileText.c_str(), d.controllerText.c_str());
        }
        std::fflush(stdout);
    }
    return comparison.differences.empty() ? 0 : kExitDifferent;
}

}  // namespace

std::vector<CtlCommand> DiffCommands() {
    return {
        {"diff",
         "[-i IN.zul]",
         "compare the controller's settings with IN.zul (default: the --settings file)",
         {"-i"},
         {},
         {},
         0,
         0,
         false,  // the file is checked before the controller is asked
         RunDiff},
    };
}

}  // namespace zul::ctl

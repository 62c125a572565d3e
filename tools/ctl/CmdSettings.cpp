// SPDX-License-Identifier: GPL-3.0-or-later
// read-all, write-all, read-system, write-system: the settings transfers.
#include <csignal>
#include <functional>

#include "CtlCommand.h"
#include "CtlFiles.h"
#include "CtlOptions.h"
#include "CtlSession.h"
#include "app/Application.h"
#include "app/SettingsCommands.h"
#include "settings/SettingItem.h"

namespace zul::ctl {

namespace {

// The transfer that Ctrl-C cancels; an interrupt between two transfers cancels the next one.
std::atomic<SettingsTransfer*> g_running{nullptr};
std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) {
    g_interrupted.store(true);
    if (SettingsTransfer* transfer = g_running.load()) {
        transfer->Cancel();
    }
}

void Observe(SettingsTransfer* transfer) {
    g_running.store(transfer);
    if (transfer != nullptr && g_interrupted.load()) {
        transfer->Cancel();
    }
}

// Runs one operation with the progress bar, Ctrl-C cancelling it.
template <class Operation>
int WithProgress(CtlContext& context, const Operation& operation) {
    ProgressBar bar;
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
    ResultInfo result;
    int32_t code = operation(
        &result, [&bar](int32_t percent) { bar.Update(percent); }, Observe);
    sigaction(SIGINT, &previous, nullptr);
    bar.Finish();
    if (code != ZUL_OK) {
        return context.out.Fail(&context.app.Ui(), result);
    }
    return 0;
}

int Transfer(CtlContext& context, TransferOperation operation, const SettingsStore* source) {
    return WithProgress(context, [&](ResultInfo* result, const TransferProgressFn& progress,
                                     const std::function<void(SettingsTransfer*)>& observe) {
        return RunSettingsTransfer(context.app, operation, result, progress, source, observe);
    });
}

int RunReadAll(CtlContext& context, const CommandArgs& args) {
    const std::string path = args.Value("-o");
    ReservedSettingsFile file(context);
    if (int status = file.Reserve(path)) {
        return status;
    }
    ControllerSession session(context);
    if (int status = session.Open()) {
        return status;
    }
    SettingsStore read;
    if (int status = ReadWholeController(context, read, args.Has("--banks-only"))) {
        return status;
    }
    read.SetInt<kAppCurMemNo>(read.GetInt<kCtrlCurMemNo>());
    if (int status = SaveSettingsCopy(context, read, file)) {
        return status;
    }
    if (context.out.Json()) {
        context.out.Result({{"result", JsonString("ok")}, {"file", JsonString(path)}}, {});
    }
    return 0;
}

int RunWriteAll(CtlContext& context, const CommandArgs& args) {
    std::unique_ptr<SettingsStore> input;
    if (!args.Value("-i").empty()) {
        input = std::make_unique<SettingsStore>(context.app.Store());
        if (int status =
                LoadSettingsCopy(context, args.Value("-i"), InputSettings::kBanks, *input)) {
            return status;
        }
    }
    ControllerSession session(context);
    if (int status = session.Open()) {
        return status;
    }
    if (int status = Transfer(context, TransferOperation::kWriteAll, input.get())) {
        return status;
    }
    if (context.out.Json()) {
        context.out.Result({{"result", JsonString("ok")}}, {});
    }
    return 0;
}

// The system items in the order they are printed.
constexpr int32_t kSystemItems[] = {
    kMemCmnMemChangePriority, kMemCmnRs232cBaudrate,  kMemCmnRs232cDateLen, kMemCmnRs232cParity,
    kMemCmnConsoleLockSelect, kMemCmnMeasureCycle,    kMemCmnConsoleNo,     kMemCmnRs232cOutType,
    kMemCmnRs232cOutMode,     kMemCmnRemoteInterLock,
};

int RunReadSystem(CtlContext& context, const CommandArgs& args) {
    ReservedSettingsFile file(context);
    if (!args.Value("-o").empty()) {
        if (int status = file.Reserve(args.Value("-o"))) {
            return status;
        }
    }
    ControllerSession session(context);
    if (int status = session.Open()) {
        return status;
    }
    if (int status = Transfer(context, TransferOperation::kReadSystem, nullptr)) {
        return status;
    }
    SettingsStore& store = context.app.Store();
    std::vector<JsonField> json;
    std::vector<std::pair<std::string, std::string>> plain;
    for (int32_t id : kSystemItems) {
        const SettingItem* item = FindItem(id);
        int32_t value = store.GetInt(id);
        json.push_back({item->key, JsonNumber(value)});
        plain.emplace_back(item->key, std::to_string(value));
    }
    context.out.Result(json, plain);
    if (!file.Path().empty()) {
        return SaveSettingsCopy(context, store, file);
    }
    return 0;
}

int RunWriteSystem(CtlContext& context, const CommandArgs& args) {
    std::unique_ptr<SettingsStore> input;
    if (!args.Value("-i").empty()) {
        input = std::make_unique<SettingsStore>(context.app.Store());
        if (int status =
                LoadSettingsCopy(context, args.Value("-i"), InputSettings::kSystem, *input)) {
            return status;
        }
    }
    ControllerSession session(context);
    if (int status = session.Open()) {
        return status;
    }
    if (int status = Transfer(context, TransferOperation::kWriteSystem, input.get())) {
        return status;
    }
    if (context.out.Json()) {
        context.out.Result({{"result", JsonString("ok")}}, {});
    }
    return 0;
}

}  // namespace

int ReadWholeController(CtlContext& context, SettingsStore& into, bool banksOnly) {
    return WithProgress(context, [&](ResultInfo* result, const TransferProgressFn& progress,
                                     const std::function<void(SettingsTransfer*)>& observe) {
        return ReadControllerSettings(context.app, into, banksOnly, result, progress, observe);
    });
}

std::vector<CtlCommand> SettingsCommands() {
    return {
        // These commands check their files before they connect (ControllerSession).
        {"read-all",
         "-o OUT.zul [--banks-only]",
         "read all banks and the system settings and save them to OUT.zul",
         {"-o"},
         {"--banks-only"},
         {"-o"},
         0,
         0,
         false,
         RunReadAll},
        {"write-all",
         "[-i IN.zul]",
         "write all settings of IN.zul (default: the --settings file)",
         {"-i"},
         {},
         {},
         0,
         0,
         false,
         RunWriteAll},
        {"read-system",
         "[-o OUT.zul]",
         "read the system settings, print them, optionally save",
         {"-o"},
         {},
         {},
         0,
         0,
         false,
         RunReadSystem},
        {"write-system",
         "[-i IN.zul]",
         "write the system settings",
         {"-i"},
         {},
         {},
         0,
         0,
         false,
         RunWriteSystem},
    };
}

}  // namespace zul::ctl

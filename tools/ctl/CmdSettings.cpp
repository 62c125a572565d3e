// read-all, write-all, read-system, write-system: the settings transfers.
#include <csignal>

#include "CtlCommand.h"
#include "CtlFiles.h"
#include "CtlOptions.h"
#include "app/Application.h"
#include "app/SettingsCommands.h"
#include "settings/SettingItem.h"

namespace zul::ctl {

namespace {

// The transfer that Ctrl-C cancels.
std::atomic<SettingsTransfer*> g_running{nullptr};

extern "C" void OnInterrupt(int) {
    if (SettingsTransfer* transfer = g_running.load()) {
        transfer->Cancel();
    }
}

int Transfer(CtlContext& context, TransferOperation operation, const SettingsStore* source) {
    ProgressBar bar;
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
    ResultInfo result;
    int32_t code = RunSettingsTransfer(
        context.app, operation, &result, [&bar](int32_t percent) { bar.Update(percent); }, source,
        [](SettingsTransfer* transfer) { g_running.store(transfer); });
    sigaction(SIGINT, &previous, nullptr);
    bar.Finish();
    if (code != ZUL_OK) {
        return context.out.Fail(&context.app.Ui(), result);
    }
    return 0;
}

int RunReadAll(CtlContext& context, const CommandArgs& args) {
    if (int status = Transfer(context, TransferOperation::kReadAll, nullptr)) {
        return status;
    }
    const std::string path = args.Value("-o");
    if (int status = SaveSettingsCopy(context, context.app.Store(), path)) {
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
        if (int status = LoadSettingsCopy(context, args.Value("-i"), *input)) {
            return status;
        }
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
    if (!args.Value("-o").empty()) {
        return SaveSettingsCopy(context, store, args.Value("-o"));
    }
    return 0;
}

int RunWriteSystem(CtlContext& context, const CommandArgs& args) {
    std::unique_ptr<SettingsStore> input;
    if (!args.Value("-i").empty()) {
        input = std::make_unique<SettingsStore>(context.app.Store());
        if (int status = LoadSettingsCopy(context, args.Value("-i"), *input)) {
            return status;
        }
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

std::vector<CtlCommand> SettingsCommands() {
    return {
        {"read-all",
         "-o OUT.zul",
         "read all settings of all banks and save them to OUT.zul",
         {"-o"},
         {},
         {"-o"},
         0,
         0,
         true,
         RunReadAll},
        {"write-all",
         "[-i IN.zul]",
         "write all settings of IN.zul (default: the --settings file)",
         {"-i"},
         {},
         {},
         0,
         0,
         true,
         RunWriteAll},
        {"read-system",
         "[-o OUT.zul]",
         "read the system settings, print them, optionally save",
         {"-o"},
         {},
         {},
         0,
         0,
         true,
         RunReadSystem},
        {"write-system",
         "[-i IN.zul]",
         "write the system settings",
         {"-i"},
         {},
         {},
         0,
         0,
         true,
         RunWriteSystem},
    };
}

}  // namespace zul::ctl

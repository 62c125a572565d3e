// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8ctl: every settings operation on a QV-M8 controller from a terminal or a script.
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "CtlCommand.h"
#include "CtlOptions.h"
#include "CtlOutput.h"
#include "app/Application.h"
#include "app/ConnectSequence.h"
#include "link/SerialPortName.h"
#include "link/TraceEscape.h"

using namespace zul;
using namespace zul::ctl;

namespace {

// --trace: each trace and diagnostic line of the link on standard error, after the local time.
void PrintTraceLine(std::string_view line) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    std::fprintf(stderr, "%02d:%02d:%02d.%03ld %.*s\n", local.tm_hour, local.tm_min, local.tm_sec,
                 now.tv_nsec / 1000000, static_cast<int>(line.size()), line.data());
    std::fflush(stderr);
}

int UsageError(const std::string& reason) {
    std::fprintf(stderr, "qvm8ctl: %s\n%s", reason.c_str(), UsageText().c_str());
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    GlobalOptions options;
    std::string error;
    if (!ParseGlobalOptions(argc, argv, options, error)) {
        return UsageError(error);
    }
    if (options.help) {
        std::printf("%s", UsageText().c_str());
        return 0;
    }
    const CtlCommand* command = FindCommand(options.command);
    if (command == nullptr) {
        return UsageError("unknown command " + options.command);
    }
    CommandArgs args;
    if (!ParseCommandArgs(*command, options.words, args, error)) {
        return UsageError(error);
    }

    Output out(options.json);
    LinkItems fileLink;
    ApplicationOptions appOptions;
    appOptions.commandLineFile = options.settingsFile;
    // qvm8ctl works beside a running desktop program: it holds no settings file for its whole
    // run and writes none it was not asked to write.
    appOptions.reserveSettingsFile = false;
    appOptions.saveAtExit = false;
    appOptions.registerDataFileTypes = false;
    appOptions.beforeThreads = [&](SettingsStore& store) {
        fileLink = CaptureLinkItems(store);
        ApplyLinkOverrides(options, store);
    };
    if (options.device) {
        SetSerialDeviceOverride(*options.device);
    }
    if (options.trace) {
        SetTraceTap(PrintTraceLine);
    }

    Application app;
    ResultInfo result;
    if (app.Startup(appOptions, &result) != ZUL_OK) {
        int status = out.Fail(&app.Ui(), result, app.StartupFailureText());
        app.Shutdown();
        return status;
    }

    int status = 0;
    CtlContext context{app, options, fileLink, out};
    if (command->connects && ConnectController(app, &result, nullptr, !options.usb) != ZUL_OK) {
        status = out.Fail(&app.Ui(), result);
    } else {
        status = command->run(context, args);
        if (command->connects) {
            DisconnectController(app);
        }
    }
    app.Shutdown();
    SetTraceTap({});
    return status;
}

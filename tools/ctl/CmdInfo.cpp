// SPDX-License-Identifier: GPL-3.0-or-later
// info and send: the controller's identity, and one request by hand.
#include <memory>

#include "CtlCommand.h"
#include "CtlOptions.h"
#include "app/Application.h"
#include "app/ConnectSequence.h"
#include "link/CommRequest.h"
#include "link/Frame.h"
#include "link/ThreadCommControler.h"
#include "settings/SettingItem.h"

namespace zul::ctl {

namespace {

int RunInfo(CtlContext& context, const CommandArgs&) {
    SettingsStore& store = context.app.Store();
    const std::string type = store.GetText<kCtrlType>();
    const std::string version = store.GetText<kCtrlVersion>();
    const std::string sensorA = store.GetText<kCtrlSensorA>();
    const std::string sensorB = store.GetText<kCtrlSensorB>();
    context.out.Result(
        InfoJson(store, context.app.FirmwareVersion()),
        {{"type", type}, {"version", version}, {"sensor_a", sensorA}, {"sensor_b", sensorB}});
    return 0;
}

// Register block requests are answered with a two-letter echo.
int32_t EchoModeOf(const std::string& text) {
    std::string_view mnemonic = std::string_view(text).substr(std::min<size_t>(4, text.size()));
    return mnemonic.substr(0, 3) == "RDD" || mnemonic.substr(0, 3) == "WDD" ? kEchoMode2Letters
                                                                            : kEchoMode3Letters;
}

int RunSend(CtlContext& context, const CommandArgs& args) {
    const std::string& text = args.positional[0];
    if (text.size() + 3 > kMaxRequestFrame) {
        ResultInfo result;
        SetResult(&result, ZUL_ERR_RANGE, 0, text.substr(0, 16) + "...");
        return context.out.Fail(&context.app.Ui(), result);
    }
    // A raw-frame tool sends exactly the frame it is given: the link is opened without the
    // identity reads of the other commands.
    CThreadCommControler* comm = context.app.CommControler();
    ResultInfo opened;
    if (comm == nullptr) {
        SetResult(&opened, ZUL_ERR_OFFLINE);
        return context.out.Fail(&context.app.Ui(), opened);
    }
    if (!context.options.usb) {
        context.app.RefreshUsbControllers();  // the remembered USB controller, as connect does
    }
    if (comm->Connect(&opened) != ZUL_OK) {
        return context.out.Fail(&context.app.Ui(), opened);
    }
    auto request = std::make_unique<CommRequest>();
    request->command = text;
    request->commandCursor = static_cast<int32_t>(text.size());
    request->echoMode = EchoModeOf(text);
    request = comm->SubmitAndWait(std::move(request));
    DisconnectController(context.app);
    if (request->result.code != ZUL_OK) {
        return context.out.Fail(&context.app.Ui(), request->result);
    }
    std::string reply = request->reply;
    if (request->echoMode == kEchoMode2Letters && reply.size() > 6) {
        reply.erase(6, 1);  // the controller echoes two letters; matching added the third
    }
    context.out.Result({{"request", JsonString(text)}, {"reply", JsonString(reply)}},
                       {{"reply", reply}});
    return 0;
}

}  // namespace

std::vector<CtlCommand> InfoCommands() {
    return {
        {"info",
         "",
         "connect and print the controller's type, version, sensor A, sensor B",
         {},
         {},
         {},
         0,
         0,
         true,
         RunInfo},
        {"send",
         "TEXT",
         "send one request text (BCC or \"**\" and CR added), print the reply",
         {},
         {},
         {},
         1,
         1,
         false,  // opens the link itself: nothing but the one frame is sent
         RunSend},
    };
}

}  // namespace zul::ctl

// SPDX-License-Identifier: GPL-3.0-or-later
#include "CtlSession.h"

#include "CtlOptions.h"
#include "app/Application.h"
#include "app/ConnectSequence.h"

namespace zul::ctl {

ControllerSession::~ControllerSession() {
    if (connected_) {
        DisconnectController(context_.app);
    }
}

int ControllerSession::Open() {
    ResultInfo result;
    // A controller named with --usb for this run stays selected.
    if (ConnectController(context_.app, &result, nullptr, !context_.options.usb) != ZUL_OK) {
        return context_.out.Fail(&context_.app.Ui(), result);
    }
    connected_ = true;
    return 0;
}

}  // namespace zul::ctl

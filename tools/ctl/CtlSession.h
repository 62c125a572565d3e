// SPDX-License-Identifier: GPL-3.0-or-later
// The connection to the controller for commands that check their own input first, so that a
// command refused for its files sends no request at all.
#pragma once

#include "CtlCommand.h"

namespace zul::ctl {

class ControllerSession {
public:
    explicit ControllerSession(CtlContext& context) : context_(context) {}
    ~ControllerSession();
    ControllerSession(const ControllerSession&) = delete;
    ControllerSession& operator=(const ControllerSession&) = delete;

    // Connects and identifies the controller as every connecting command does. Returns the exit
    // status: 0, or the result code after printing the failure.
    int Open();

private:
    CtlContext& context_;
    bool connected_ = false;
};

}  // namespace zul::ctl

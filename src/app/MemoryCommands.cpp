// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MemoryCommands.h"

#include "app/Application.h"
#include "link/Commands.h"
#include "link/ControllerInfo.h"
#include "link/RequestBuilders.h"
#include "link/ThreadCommControler.h"
#include "settings/MessageTexts.h"

namespace zul {

namespace {

// Clears the reconnect mode however the command ends.
class ReconnectScope {
public:
    ReconnectScope(Application& app, bool on) : app_(app), on_(on) {
        if (on_) {
            app_.SetReconnectMode(1);
        }
    }
    ~ReconnectScope() {
        if (on_) {
            app_.SetReconnectMode(0);
        }
    }
    ReconnectScope(const ReconnectScope&) = delete;
    ReconnectScope& operator=(const ReconnectScope&) = delete;

private:
    Application& app_;
    bool on_;
};

}  // namespace

int32_t SendMemoryCommand(Application& app, MemoryCommand command, ResultInfo* result) {
    ClearResult(result);
    CThreadCommControler* comm = app.CommControler();
    if (comm == nullptr) {
        return SetResult(result, ZUL_ERR_OFFLINE);
    }
    switch (command) {
        case MemoryCommand::kSaveBank:
            return WriteWord(*comm, result, cmd::kWriteMemoryWrite, 0, 1);
        case MemoryCommand::kInitialiseBank:
        case MemoryCommand::kInitialiseAllBanks: {
            ReconnectScope reconnect(app, true);
            return WriteWord(*comm, result, cmd::kWriteInitialize, 0,
                             command == MemoryCommand::kInitialiseBank ? 1 : 2);
        }
    }
    return SetResult(result, ZUL_ERR);
}

int32_t RunMemoryCommand(Application& app, MemoryCommand command, MessageBoxHost& host,
                         ResultInfo* result) {
    ClearResult(result);
    ResultInfo local;
    ResultInfo& outcome = result != nullptr ? *result : local;
    const UiDefinition& ui = app.Ui();
    if (command == MemoryCommand::kInitialiseBank) {
        CThreadCommControler* comm = app.CommControler();
        if (comm == nullptr) {
            return SetResult(&outcome, ZUL_ERR_OFFLINE);
        }
        if (CheckMemoryMatch(*comm, &outcome, app.ControllerStateFromStore()) != ZUL_OK) {
            ReportResult(host, ui, outcome);
            return outcome.code;
        }
    }
    int32_t question = command == MemoryCommand::kSaveBank         ? kMsgConfirmSaveMem
                       : command == MemoryCommand::kInitialiseBank ? kMsgConfirmInitMem
                                                                   : kMsgConfirmInitAllMem;
    int32_t done = command == MemoryCommand::kSaveBank ? kMsgSaveMemDone : kMsgInitMemDone;
    int32_t code = ConfirmThenAct(host, ui, question, done, [&](ResultInfo* info) {
        int32_t sent = SendMemoryCommand(app, command, &outcome);
        if (info != nullptr) {
            *info = outcome;
        }
        return sent;
    });
    if (code == ZUL_ERR_ABORT && outcome.code == ZUL_OK) {
        outcome.code = ZUL_ERR_ABORT;
    }
    return code;
}

}  // namespace zul

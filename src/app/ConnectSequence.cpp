// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConnectSequence.h"

#include "app/Application.h"
#include "link/ThreadCommControler.h"
#include "settings/SettingItem.h"

namespace zul {

int32_t OpenAndIdentify(Application& app, ResultInfo* result, ControllerInfo* info,
                        bool refreshUsb) {
    ClearResult(result);
    CThreadCommControler* comm = app.CommControler();
    if (comm == nullptr || info == nullptr) {
        return SetResult(result, ZUL_ERR_OFFLINE);
    }
    if (refreshUsb) {
        app.RefreshUsbControllers();
    }
    if (comm->Connect(result) != ZUL_OK) {
        return result != nullptr ? result->code : ZUL_ERR;
    }
    ResultInfo read;
    if (ReadControllerInfo(*comm, &read, info) != ZUL_OK) {
        comm->Disconnect();
        if (result != nullptr) {
            *result = read;
        }
        return read.code;
    }
    return ZUL_OK;
}

void CompleteConnection(Application& app, const ControllerInfo& info) {
    SettingsStore& store = app.Store();
    {
        auto lock = store.Lock();
        store.SetText<kCtrlType>(info.name);
        store.SetText<kCtrlVersion>(info.versionText);
        store.SetText<kCtrlSensorA>(info.text3);
        store.SetText<kCtrlSensorB>(info.text4);
    }
    app.SetFirmwareVersion(info.version);
    app.SetConnectionState(1);
}

int32_t ConnectController(Application& app, ResultInfo* result, ControllerInfo* info,
                          bool refreshUsb) {
    ControllerInfo local;
    ControllerInfo* controller = info != nullptr ? info : &local;
    ResultInfo opened;
    ResultInfo* outcome = result != nullptr ? result : &opened;
    if (OpenAndIdentify(app, outcome, controller, refreshUsb) != ZUL_OK) {
        return outcome->code;
    }
    CompleteConnection(app, *controller);
    return ZUL_OK;
}

void DisconnectController(Application& app) {
    app.SetConnectionState(0);
    if (CThreadCommControler* comm = app.CommControler()) {
        comm->Disconnect();
    }
}

}  // namespace zul

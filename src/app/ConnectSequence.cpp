#include "app/ConnectSequence.h"

#include "app/Application.h"
#include "link/ThreadCommControler.h"
#include "settings/SettingItem.h"

namespace zul {

int32_t ConnectController(Application& app, ResultInfo* result, ControllerInfo* info,
                          bool refreshUsb) {
    ClearResult(result);
    CThreadCommControler* comm = app.CommControler();
    if (comm == nullptr) {
        return SetResult(result, ZUL_ERR_OFFLINE);
    }
    if (refreshUsb) {
        app.RefreshUsbControllers();
    }
    if (comm->Connect(result) != ZUL_OK) {
        return result != nullptr ? result->code : ZUL_ERR;
    }
    ControllerInfo local;
    ControllerInfo* controller = info != nullptr ? info : &local;
    ResultInfo read;
    if (ReadControllerInfo(*comm, &read, controller) != ZUL_OK) {
        comm->Disconnect();
        if (result != nullptr) {
            *result = read;
        }
        return read.code;
    }
    SettingsStore& store = app.Store();
    {
        auto lock = store.Lock();
        store.SetText<kCtrlType>(controller->name);
        store.SetText<kCtrlVersion>(controller->versionText);
        store.SetText<kCtrlSensorA>(controller->text3);
        store.SetText<kCtrlSensorB>(controller->text4);
    }
    app.SetFirmwareVersion(controller->version);
    app.SetConnectionState(1);
    return ZUL_OK;
}

void DisconnectController(Application& app) {
    app.SetConnectionState(0);
    if (CThreadCommControler* comm = app.CommControler()) {
        comm->Disconnect();
    }
}

}  // namespace zul

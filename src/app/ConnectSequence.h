// SPDX-License-Identifier: GPL-3.0-or-later
// Connecting to the controller and identifying it, as the main window's connect button does.
#pragma once

#include <cstdint>

#include "base/ResultInfo.h"
#include "link/ControllerInfo.h"

namespace zul {

class Application;

// Refreshes the USB controller list (remembered controller first), opens the link, reads the
// controller's identification and on success stores Type, Version, SensorA and SensorB,
// hands the version word to SetFirmwareVersion and sets the connection state to 1. On any
// failure after the link was opened, the link is closed again. info may be null. Without
// refreshUsb the USB selection stays as it is (a controller named for this run only).
int32_t ConnectController(Application& app, ResultInfo* result, ControllerInfo* info = nullptr,
                          bool refreshUsb = true);

// The two halves of ConnectController for a front end that waits for the link on another
// thread: OpenAndIdentify refreshes the USB list, opens the link and reads the identification
// (closing the link again on failure) and touches neither the UI definition nor the connection
// state; CompleteConnection then stores the identification, hands the version word to
// SetFirmwareVersion and sets the connection state to 1, on the thread that owns the UI
// definition.
int32_t OpenAndIdentify(Application& app, ResultInfo* result, ControllerInfo* info,
                        bool refreshUsb = true);
void CompleteConnection(Application& app, const ControllerInfo& info);

// Sets the connection state to 0 and closes the link.
void DisconnectController(Application& app);

}  // namespace zul

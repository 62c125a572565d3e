// SPDX-License-Identifier: GPL-3.0-or-later
// How the core reaches windows: the front end implements this sink and delivers each message on
// its user-interface thread (the desktop program through Qt events, qvm8ctl on the terminal).
#pragma once

#include <cstdint>
#include <memory>

#include "link/MessageThread.h"

namespace zul {

class WindowSink {
public:
    virtual ~WindowSink() = default;
    // Posts a window message. False when it cannot be delivered; the payload is then destroyed
    // by the caller (it stays in the unique_ptr passed by reference).
    virtual bool PostWindowMessage(uint32_t id, int64_t wParam, int64_t lParam,
                                   std::unique_ptr<MessagePayload>& payload) = 0;
};

}  // namespace zul

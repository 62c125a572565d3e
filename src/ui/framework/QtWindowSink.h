// SPDX-License-Identifier: GPL-3.0-or-later
// The window-message bridge: the core's WindowSink on Qt events.
//
// Any thread may post. Each message travels as a CWindowMessageEvent (event type = message
// number, 1024 + n) posted with QCoreApplication::postEvent to a small receiver object that is a
// child of the target window, and is handed to the handler on the GUI thread, in posting order.
//
// Lifetime: the sink itself is owned by whoever hands it to the core (it must outlive the
// threads that post through it); the target may go first. Once the target is destroyed (or
// Detach runs) posting fails and returns false, so the poster keeps and destroys its payload;
// messages already queued for a destroyed target are destroyed with their payload, never
// delivered. PostWindowMessage is thread-safe; Attach, Detach and the destructor run on the
// target's (GUI) thread. Message numbers must lie in Qt's user event range (1000..65535).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QEvent>

#include "link/WindowPost.h"

class QObject;

namespace zul::ui {

// One window message on its way through the Qt event queue. Owns the payload until the
// handler takes it (Message::Take).
class CWindowMessageEvent : public QEvent {
public:
    explicit CWindowMessageEvent(Message message);
    Message& Get() { return message_; }

private:
    Message message_;
};

class QtWindowSink : public WindowSink {
public:
    // Called on the target's (GUI) thread for every delivered message.
    using Handler = std::function<void(Message& message)>;

    QtWindowSink();
    QtWindowSink(QObject* target, Handler handler);
    ~QtWindowSink() override;  // detaches; queued messages are destroyed
    QtWindowSink(const QtWindowSink&) = delete;
    QtWindowSink& operator=(const QtWindowSink&) = delete;

    // Delivers from now on to handler on target's thread (replacing an earlier target, whose
    // queued messages are destroyed). Call on the target's thread.
    void Attach(QObject* target, Handler handler);
    void Detach();
    bool IsAttached() const;

    bool PostWindowMessage(uint32_t id, int64_t wParam, int64_t lParam,
                           std::unique_ptr<MessagePayload>& payload) override;
    bool Post(uint32_t id, int64_t wParam = 0, int64_t lParam = 0);

private:
    struct Shared;
    class Receiver;
    std::shared_ptr<Shared> shared_;
};

}  // namespace zul::ui

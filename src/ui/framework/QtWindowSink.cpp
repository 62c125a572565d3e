// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/QtWindowSink.h"

#include <mutex>

#include <QCoreApplication>
#include <QObject>

namespace zul::ui {

CWindowMessageEvent::CWindowMessageEvent(Message message)
    : QEvent(static_cast<QEvent::Type>(message.id)), message_(std::move(message)) {}

// What the posting threads and the GUI thread share: the receiver to post to, null once the
// target is gone or the sink detached.
struct QtWindowSink::Shared {
    std::mutex mutex;
    Receiver* receiver = nullptr;
};

// Lives as a child of the target, so it dies with it; its destructor closes the door for
// posters before Qt destroys the events still queued for it.
class QtWindowSink::Receiver : public QObject {
public:
    Receiver(QObject* target, std::shared_ptr<Shared> shared, Handler handler)
        : QObject(target), shared_(std::move(shared)), handler_(std::move(handler)) {}

    ~Receiver() override {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->receiver == this) {
            shared_->receiver = nullptr;
        }
    }

    // Queued messages are dropped (and their payloads destroyed) from now on.
    // Deleted at once, or after the handler returns when it is the one detaching.
    void Retire() {
        retired_ = true;
        if (delivering_ == 0) {
            delete this;
        } else {
            deleteLater();
        }
    }

protected:
    bool event(QEvent* event) override {
        if (auto* message = dynamic_cast<CWindowMessageEvent*>(event)) {
            if (!retired_ && handler_) {
                ++delivering_;
                handler_(message->Get());
                --delivering_;
            }
            return true;
        }
        return QObject::event(event);
    }

private:
    std::shared_ptr<Shared> shared_;
    Handler handler_;
    bool retired_ = false;
    int delivering_ = 0;
};

QtWindowSink::QtWindowSink() : shared_(std::make_shared<Shared>()) {}

QtWindowSink::QtWindowSink(QObject* target, Handler handler) : QtWindowSink() {
    Attach(target, std::move(handler));
}

QtWindowSink::~QtWindowSink() {
    Detach();
}

void QtWindowSink::Attach(QObject* target, Handler handler) {
    Detach();
    auto* receiver = new Receiver(target, shared_, std::move(handler));
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->receiver = receiver;
}

void QtWindowSink::Detach() {
    Receiver* receiver = nullptr;
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        receiver = shared_->receiver;
        shared_->receiver = nullptr;
    }
    if (receiver != nullptr) {
        receiver->Retire();
    }
}

bool QtWindowSink::IsAttached() const {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->receiver != nullptr;
}

bool QtWindowSink::PostWindowMessage(uint32_t id, int64_t wParam, int64_t lParam,
                                     std::unique_ptr<MessagePayload>& payload) {
    if (id < uint32_t(QEvent::User) || id > uint32_t(QEvent::MaxUser)) {
        return false;
    }
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->receiver == nullptr) {
        return false;
    }
    Message message;
    message.id = id;
    message.wParam = wParam;
    message.lParam = lParam;
    message.payload = std::move(payload);
    QCoreApplication::postEvent(shared_->receiver, new CWindowMessageEvent(std::move(message)));
    return true;
}

bool QtWindowSink::Post(uint32_t id, int64_t wParam, int64_t lParam) {
    std::unique_ptr<MessagePayload> none;
    return PostWindowMessage(id, wParam, lParam, none);
}

}  // namespace zul::ui

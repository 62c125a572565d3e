// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Transport.h"

namespace zul {

void Transport::Attach(TransportCallback callback) {
    callback_ = std::move(callback);
    error_.store(false);
    stop_.store(false);
    inFlight_.reset();
}

std::unique_ptr<TransportEvent> Transport::NewEvent(TransportEventKind kind) const {
    auto event = std::make_unique<TransportEvent>();
    event->kind = kind;
    event->session = session_.load();
    return event;
}

void Transport::Notify(std::unique_ptr<TransportEvent> record) {
    if (callback_) {
        callback_(std::move(record));
    }
}

void Transport::FinishWriteNow(std::unique_ptr<TransportEvent> record, int32_t code,
                               int32_t osError) {
    record->kind = TransportEventKind::kWriteFinished;
    record->code = code;
    record->osError = osError;
    record->written = 0;
    Notify(std::move(record));
}

bool Transport::RaiseDeviceError(int32_t osError) {
    if (error_.exchange(true)) {
        return false;
    }
    auto record = NewEvent(TransportEventKind::kDeviceError);
    record->code = DeviceErrorCode();
    record->osError = osError;
    Notify(std::move(record));
    return true;
}

void Transport::NotifyWriteDone(uint32_t bytes) {
    auto record = NewEvent(TransportEventKind::kActivity);
    record->writeDone = true;
    record->bytesWritten = bytes;
    Notify(std::move(record));
}

void Transport::HandleEvent(std::unique_ptr<TransportEvent> record) {
    if (!open_.load() || record->session != session_.load()) {
        return;
    }
    if (record->readDone) {
        if (!error_.load() && record->bytesRead > 0) {
            auto received = NewEvent(TransportEventKind::kReceived);
            received->data = std::move(record->data);
            received->length = static_cast<uint32_t>(received->data.size());
            Notify(std::move(received));
        }
    }
    if (record->writeDone && inFlight_) {
        std::unique_ptr<TransportEvent> finished = std::move(inFlight_);
        finished->kind = TransportEventKind::kWriteFinished;
        if (error_.load()) {
            finished->code = NotSentCode();
            finished->written = 0;
        } else {
            finished->code = ZUL_OK;
            finished->written = record->bytesWritten;
        }
        Notify(std::move(finished));
    }
}

}  // namespace zul

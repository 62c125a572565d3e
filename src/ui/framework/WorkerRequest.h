// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of work handed to a worker thread: the request goes to the thread, its
// result comes back as a window message on the window's (GUI) thread.
//
// A WorkerRequest<Request> owns what every such window needs, so that no window keeps its own:
// - The sink the results come back through. Every request in flight holds a share of it, so
//   the sink outlives the window while a worker still holds a request; once the window is gone
//   (or Close ran) posting fails and the poster destroys the result, and results already queued
//   are destroyed unread.
// - The sequence number of the request last sent. It travels in the message (wParam) and in the
//   request's completion function, so copies a worker makes of the request (the buffering
//   thread's monitoring updates copy onDone) carry it too. A result of an earlier request (one
//   superseded by a newer request, or cancelled while its result was on its way) is destroyed
//   when it arrives and never reaches the window.
// - The cancel: the worker's own withdrawal of what it holds of this window (a synchronous call
//   of the thread). Cancel() runs it while a request is out, Close() always.
// - Whether a request is out: from Make until the request itself comes back, is cancelled, or
//   is destroyed by the worker without an answer (a refused submit or failed post; each request
//   carries a token that expires with it). Copies of the request that come back (same sequence,
//   another record) are results too, and the request stays out.
//
// Request is a MessagePayload with a member `onDone` callable as
// onDone(int64_t, std::unique_ptr<Request>) on the worker's thread: BufferingRequest,
// LightWaveRequest, MeasurementCycleRequest. The first argument (the request's user data or
// context) is left to the window. A worker that takes a completion function of its own
// (FloodLightSearch's finished polls) is given Poster(): its results are handed on while the
// channel is open, without a sequence check (the window's own state decides).
//
// Use (all on the GUI thread):
//     WorkerRequest<BufferingRequest> requests_{this, kWmBufferingReturned,
//                                     [this](auto done) { OnReturned(std::move(done)); },
//                                     [this] { app_.Buffering()->Cancel(); }};
//     auto request = requests_.Make();      // stamped, onDone points here
//     request->kind = kReadState;
//     thread->SubmitRequest(std::move(request));
//     ...
//     requests_.Close();                    // before the window's members go
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "link/MessageThread.h"
#include "ui/framework/QtWindowSink.h"

class QObject;

namespace zul::ui {

// The part of WorkerRequest that does not depend on the request type.
class WorkerRequestBase {
public:
    WorkerRequestBase(const WorkerRequestBase&) = delete;
    WorkerRequestBase& operator=(const WorkerRequestBase&) = delete;

    // True from Make until the request comes back, is cancelled or is destroyed unanswered.
    bool IsOut() const;
    // The sequence number of the request last made (0 before the first).
    int64_t Sequence() const { return sequence_; }
    uint32_t MessageId() const { return messageId_; }
    bool IsClosed() const { return closed_; }

    // The worker's synchronous withdrawal of what it holds of this window.
    void SetCancel(std::function<void()> cancel) { cancel_ = std::move(cancel); }
    // Withdraws the request out (the cancel runs only while one is out). Whatever is still on
    // its way back is stale from now on.
    void Cancel();
    // Forgets the request out without asking the worker (it has dropped it already, or the
    // window no longer waits for it): what comes back of it is destroyed.
    void Forget();
    // Runs the cancel whether or not a request is out, then detaches the sink: nothing reaches
    // the window afterwards. Further Make calls give requests whose results are destroyed.
    void Close();

protected:
    using Delivery = std::function<void(Message& message)>;

    WorkerRequestBase(uint32_t messageId, std::function<void()> cancel);
    ~WorkerRequestBase();

    void Attach(QObject* window, Delivery delivery);
    // A request goes out: it becomes the one out and gets the next sequence number. token
    // expires when the worker destroys the request.
    int64_t Issue(const void* request, std::weak_ptr<const void> token);
    // Whether a result of sequence (record result) is handed to the window; the request itself
    // coming back is no longer out.
    bool Accept(int64_t sequence, const void* result);
    const std::shared_ptr<QtWindowSink>& Sink() const { return sink_; }

    // The sequence of Poster's results: accepted while the channel is open.
    static constexpr int64_t kAnySequence = -1;

private:
    std::shared_ptr<QtWindowSink> sink_;
    uint32_t messageId_;
    std::function<void()> cancel_;
    int64_t sequence_ = 0;
    const void* out_ = nullptr;  // compared only, never dereferenced
    std::weak_ptr<const void> token_;
    bool closed_ = false;
};

template <class Request>
class WorkerRequest : public WorkerRequestBase {
public:
    // Called on the GUI thread with every result that is current.
    using Handler = std::function<void(std::unique_ptr<Request> result)>;

    // window: the receiver of the results (they are destroyed once it is gone); messageId: the
    // window message number the results travel as (kUserMessage + n).
    WorkerRequest(QObject* window, uint32_t messageId, Handler onResult,
                  std::function<void()> cancel = {})
        : WorkerRequestBase(messageId, std::move(cancel)) {
        Attach(window, [this, onResult = std::move(onResult)](Message& message) {
            std::unique_ptr<Request> result = message.Take<Request>();
            if (result != nullptr && Accept(message.wParam, result.get())) {
                onResult(std::move(result));
            }
        });
    }
    ~WorkerRequest() { Close(); }

    // A new request that is now the one out; its onDone posts it back to this window. The
    // caller fills it in and hands it to the worker.
    template <class Made = Request>
    std::unique_ptr<Made> Make() {
        static_assert(std::is_base_of_v<Request, Made>);
        auto request = std::make_unique<Tracked<Made>>();
        const int64_t sequence = Issue(request.get(), request->token);
        request->onDone = [sink = Sink(), id = MessageId(), sequence](
                              int64_t, std::unique_ptr<Request> done) {
            std::unique_ptr<MessagePayload> payload = std::move(done);
            sink->PostWindowMessage(id, sequence, 0, payload);  // refused: destroyed here
        };
        return request;
    }

    // A completion function for a worker that takes one of its own; thread-safe.
    std::function<void(std::unique_ptr<Request>)> Poster() const {
        return [sink = Sink(), id = MessageId()](std::unique_ptr<Request> done) {
            std::unique_ptr<MessagePayload> payload = std::move(done);
            sink->PostWindowMessage(id, kAnySequence, 0, payload);
        };
    }

private:
    // The request with its token: the token dies with the record, wherever that happens.
    template <class Made>
    struct Tracked final : Made {
        std::shared_ptr<const int> token = std::make_shared<const int>(0);
    };
};

}  // namespace zul::ui

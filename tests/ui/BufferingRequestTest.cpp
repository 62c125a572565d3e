// SPDX-License-Identifier: GPL-3.0-or-later
// How the buffering window's requests come back from a worker: the channel (WorkerRequest)
// hands on only results of the request out, counts a request destroyed unanswered as no longer
// out, and after closing lets nothing reach the window. The worker is played by this test: it
// finishes requests by calling their completion function on a thread of its own.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QObject>

#include "buffering/BufferingRequest.h"
#include "ui/buffering/BufferingIds.h"
#include "ui/framework/WorkerRequest.h"

namespace zul::test {

using namespace zul::ui;
namespace {

class BufferingRequestTest : public ::testing::Test {
protected:
    // Finishes request as the buffering thread does: onDone on the worker's own thread.
    static void FinishOnWorker(std::unique_ptr<BufferingRequest> request) {
        std::thread worker([&request] {
            BufferingDoneFn done = request->onDone;
            const int64_t userData = request->userData;
            done(userData, std::move(request));
        });
        worker.join();
    }
    // A copy of the request out, as the monitoring updates are.
    static std::unique_ptr<BufferingRequest> CopyOf(const BufferingRequest& request) {
        auto copy = std::make_unique<BufferingRequest>();
        copy->kind = kMonitoringUpdate;
        copy->onDone = request.onDone;
        return copy;
    }
    void Deliver() { QCoreApplication::processEvents(); }

    QObject window;
    std::vector<int32_t> handled;
    int cancels = 0;
    WorkerRequest<BufferingRequest> requests{
        &window, kWmBufferingReturned,
        [this](std::unique_ptr<BufferingRequest> done) { handled.push_back(done->kind); },
        [this] { ++cancels; }};
};

TEST_F(BufferingRequestTest, OnlyTheResultOfTheRequestOutReachesTheWindow) {
    auto first = requests.Make();
    first->kind = kReadState;
    auto second = requests.Make();  // supersedes the first
    second->kind = kReadData;
    EXPECT_TRUE(requests.IsOut());
    FinishOnWorker(std::move(first));
    FinishOnWorker(std::move(second));
    Deliver();
    EXPECT_EQ(handled, std::vector<int32_t>{kReadData});
    EXPECT_FALSE(requests.IsOut());
}

TEST_F(BufferingRequestTest, CopiesOfTheRequestOutArriveAndKeepItOut) {
    auto monitoring = requests.Make();
    monitoring->kind = kStartMonitoring;
    FinishOnWorker(CopyOf(*monitoring));
    FinishOnWorker(CopyOf(*monitoring));
    Deliver();
    EXPECT_EQ(handled, (std::vector<int32_t>{kMonitoringUpdate, kMonitoringUpdate}));
    EXPECT_TRUE(requests.IsOut());
    std::unique_ptr<BufferingRequest> late = CopyOf(*monitoring);
    FinishOnWorker(std::move(monitoring));
    FinishOnWorker(std::move(late));  // after the request itself: stale
    Deliver();
    EXPECT_EQ(handled.size(), 3u);
    EXPECT_EQ(handled.back(), kStartMonitoring);
    EXPECT_FALSE(requests.IsOut());
}

TEST_F(BufferingRequestTest, ARequestDestroyedUnansweredIsNoLongerOut) {
    auto request = requests.Make();
    EXPECT_TRUE(requests.IsOut());
    request.reset();  // a refused submit or a failed post
    EXPECT_FALSE(requests.IsOut());
    requests.Cancel();
    EXPECT_EQ(cancels, 0);  // nothing out: the worker is not asked
}

TEST_F(BufferingRequestTest, CancelDropsWhatIsOnItsWayBack) {
    auto request = requests.Make();
    FinishOnWorker(std::move(request));  // on its way back, not yet delivered
    requests.Cancel();
    EXPECT_EQ(cancels, 1);
    Deliver();
    EXPECT_TRUE(handled.empty());
    EXPECT_FALSE(requests.IsOut());
    auto next = requests.Make();  // the channel goes on after a cancel
    FinishOnWorker(std::move(next));
    Deliver();
    EXPECT_EQ(handled.size(), 1u);
}

TEST_F(BufferingRequestTest, AfterCloseNothingReachesTheWindow) {
    auto queued = requests.Make();
    FinishOnWorker(std::move(queued));
    auto held = requests.Make();  // still at the worker when the window closes
    requests.Close();
    EXPECT_EQ(cancels, 1);
    FinishOnWorker(std::move(held));  // the post is refused; the request is destroyed there
    Deliver();
    EXPECT_TRUE(handled.empty());
    requests.Close();
    EXPECT_EQ(cancels, 1);
}

TEST_F(BufferingRequestTest, APosterHandsOnEveryResultWhileOpen) {
    const auto post = requests.Poster();
    auto result = std::make_unique<BufferingRequest>();
    result->kind = kReadState;
    post(std::move(result));
    Deliver();
    EXPECT_EQ(handled, std::vector<int32_t>{kReadState});
    requests.Close();
    post(std::make_unique<BufferingRequest>());
    Deliver();
    EXPECT_EQ(handled.size(), 1u);
}

}  // namespace
}  // namespace zul::test

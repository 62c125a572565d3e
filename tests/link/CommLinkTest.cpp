// SPDX-License-Identifier: GPL-3.0-or-later
// Both communication threads together over a pseudo-terminal, against a scripted controller.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <future>

#include "LinkTestSupport.h"
#include "link/Commands.h"
#include "link/Frame.h"
#include "link/LinkMessages.h"
#include "link/RegisterBlock.h"
#include "link/RequestBuilders.h"
#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"
#include "link/ThreadRawComm.h"

namespace zul {
namespace {

using namespace std::chrono_literals;
using test::PeerAction;
using test::PtyPeer;
using test::ReplyFrame;

std::vector<PeerAction> Answer(std::string text) {
    return {PeerAction::Write(ReplyFrame(text))};
}
std::vector<PeerAction> Silence() {
    return {};
}

// Completions handed back through onDone, in the order they arrive.
class Completions {
public:
    CommDoneFn Callback() {
        return [this](std::unique_ptr<CommRequest> request) {
            std::lock_guard lock(mutex_);
            done_.push_back(std::move(request));
            cv_.notify_all();
        };
    }
    bool WaitFor(size_t count, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, limit, [&] { return done_.size() >= count; });
    }
    size_t Count() {
        std::lock_guard lock(mutex_);
        return done_.size();
    }
    const CommRequest& At(size_t i) {
        std::lock_guard lock(mutex_);
        return *done_.at(i);
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::unique_ptr<CommRequest>> done_;
};

std::unique_ptr<CommRequest> Request(std::string command, Completions* completions = nullptr) {
    auto request = std::make_unique<CommRequest>();
    request->command = std::move(command);
    request->commandCursor = static_cast<int32_t>(request->command.size());
    if (completions != nullptr) {
        request->onDone = completions->Callback();
    }
    return request;
}

class CommLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        deviceLink_ = home_.Path() + "/device";
        SetSerialDeviceOverride(deviceLink_);
        settings_.Update([](LinkSettings& s) {
            s.communicationType = kCommunicationRs232c;
            s.rs232cBCC = 1;
            s.rs232cTimeout = 0;  // 1 s, the shortest
            s.logEnableFlag = 1;
        });
    }
    void TearDown() override {
        Shutdown();
        SetSerialDeviceOverride("");
    }

    // Starts a peer with the handler and points the device at it.
    PtyPeer& StartPeer(PtyPeer::Handler handler) {
        peers_.push_back(std::make_unique<PtyPeer>(std::move(handler)));
        test::PointLink(deviceLink_, peers_.back()->SlavePath());
        return *peers_.back();
    }

    void StartThreads() {
        raw_ = std::make_unique<CThreadRawComm>(settings_, environment_, &window_);
        raw_->SetTraceSink([this](std::string_view line) { trace_.Add(line); });
        controller_ = std::make_unique<CThreadCommControler>(*raw_, settings_, environment_);
        controller_->SetTraceSink([this](std::string_view line) { trace_.Add(line); });
        ASSERT_TRUE(raw_->Start());
        ASSERT_TRUE(controller_->Start());
    }

    // The trace lines that begin with the text.
    std::vector<std::string> TraceLinesStartingWith(std::string_view start) {
        std::vector<std::string> found;
        for (const std::string& line : trace_.Lines()) {
            if (line.rfind(start, 0) == 0) {
                found.push_back(line);
            }
        }
        return found;
    }

    int32_t Connect() {
        ResultInfo result;
        return controller_->Connect(&result);
    }

    void Shutdown() {
        if (controller_) {
            controller_->SetStopping();
            controller_->Stop();
        }
        if (raw_) {
            raw_->SetStopping();
            raw_->Stop();
        }
    }

    test::TempHome home_;
    std::string deviceLink_;
    test::FixedLinkSettings settings_;
    LinkEnvironment environment_;
    test::RecordingWindow window_;
    test::TraceLines trace_;
    std::vector<std::unique_ptr<PtyPeer>> peers_;
    std::unique_ptr<CThreadRawComm> raw_;
    std::unique_ptr<CThreadCommControler> controller_;
};

TEST_F(CommLinkTest, ThreeRequestsGoOutOneAtATimeInOrder) {
    PtyPeer& peer = StartPeer([](const std::string& request) {
        // Answer late: anything the tool sends meanwhile marks an overlap.
        std::vector<PeerAction> actions{PeerAction::Delay(40)};
        actions.push_back(PeerAction::Write(
            ReplyFrame("%EE$" + request.substr(4, 3) + "0000" + request.substr(7, 1))));
        return actions;
    });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    Completions done;
    controller_->Submit(Request("%EE#RSP1", &done));
    controller_->Submit(Request("%EE#RBS2", &done));
    controller_->Submit(Request("%EE#RMC3", &done));
    ASSERT_TRUE(done.WaitFor(3, 5s));
    EXPECT_EQ(peer.Requests(), (std::vector<std::string>{Terminate(AppendBcc("%EE#RSP1")),
                                                         Terminate(AppendBcc("%EE#RBS2")),
                                                         Terminate(AppendBcc("%EE#RMC3"))}));
    EXPECT_FALSE(peer.Overlapped());
    EXPECT_EQ(done.At(0).reply, "%EE$RSP00001");
    EXPECT_EQ(done.At(1).reply, "%EE$RBS00002");
    EXPECT_EQ(done.At(2).reply, "%EE$RMC00003");
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(done.At(i).result.code, ZUL_OK);
        EXPECT_EQ(done.At(i).replyCursor, 0);
    }
}

TEST_F(CommLinkTest, ReadWordOverTheWireWithTraceLines) {
    StartPeer([](const std::string&) {
        return std::vector<PeerAction>{PeerAction::Write("%EE$RMC000"), PeerAction::Delay(20),
                                       PeerAction::Write("036E\r")};
    });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    ResultInfo result;
    int32_t value = -1;
    EXPECT_EQ(ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value), ZUL_OK);
    EXPECT_EQ(value, 3);
    std::vector<std::string> lines = trace_.WaitFor(3, 2s);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"RS, SND,   11, %EE#RMC06A\\r", "RS, RCV,   10, %EE$RMC000",
                                        "RS, RCV,    5, 036E\\r"}));
}

TEST_F(CommLinkTest, BccOffSendsStarsAndAcceptsAnyCheck) {
    settings_.Update([](LinkSettings& s) {
        s.rs232cBCC = 0;
        s.logEnableFlag = 0;
    });
    PtyPeer& peer = StartPeer([](const std::string&) {
        return std::vector<PeerAction>{PeerAction::Write("%EE$RMC00007zz\r")};
    });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    int32_t value = 0;
    ResultInfo result;
    EXPECT_EQ(ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value), ZUL_OK);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(peer.Requests(), (std::vector<std::string>{"%EE#RMC0**\r"}));
    EXPECT_TRUE(trace_.Lines().empty());
}

TEST_F(CommLinkTest, NoiseAndCorruptedFramesAreSkipped) {
    StartPeer([](const std::string&) {
        std::string corrupted = ReplyFrame("%EE$RMC00009");
        corrupted[corrupted.size() - 2] ^= 1;  // wrong BCC
        return std::vector<PeerAction>{
            PeerAction::Write("\x01garbage%E%EE"),
            PeerAction::Write(corrupted),
            PeerAction::Write("%EE$RMC00008**\r"),  // no BCC while it is on: dropped
            PeerAction::Write("xx%EE$RMC0"),
            PeerAction::Delay(10),
            PeerAction::Write("0004"),
            PeerAction::Delay(10),
            PeerAction::Write(ReplyFrame("%EE$RMC00004").substr(12))};
    });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    int32_t value = 0;
    ResultInfo result;
    EXPECT_EQ(ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value), ZUL_OK);
    EXPECT_EQ(value, 4);
}

TEST_F(CommLinkTest, EchoModeOneRegisterRead) {
    PtyPeer& peer = StartPeer([](const std::string&) { return Answer("%EE$RD01000201"); });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    RegisterBlock job;
    job.AddRegister(2619);
    job.AddRegister(2620);
    ResultInfo result;
    EXPECT_EQ(job.Run(*controller_, &result, true), ZUL_OK);
    EXPECT_EQ(job.RegisterValue(2619), 1);
    EXPECT_EQ(job.RegisterValue(2620), 258);
    EXPECT_EQ(peer.Requests(),
              (std::vector<std::string>{Terminate(AppendBcc("%EE#RDD0261902620"))}));

    // The reply handed back has the "D" put back in, so its data starts at offset 7.
    auto request = Request("%EE#RDD0261902620");
    request->echoMode = kEchoMode2Letters;
    request = controller_->SubmitAndWait(std::move(request));
    EXPECT_EQ(request->result.code, ZUL_OK);
    EXPECT_EQ(request->reply, "%EE$RDD01000201");
}

TEST_F(CommLinkTest, ErrorReplyEndsWithCommResAndTheControllersNumber) {
    PtyPeer& peer = StartPeer([](const std::string&) { return Answer("%EE!22"); });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    ResultInfo result;
    EXPECT_EQ(WriteWord(*controller_, &result, cmd::kWriteCurrentMemory, 0, 3), ZUL_ERR_COMM_RES);
    EXPECT_EQ(result.osError, 22);
    auto errors = TraceLinesStartingWith("RS, ERROR, ");
    ASSERT_EQ(errors.size(), 1u);
    std::string request = peer.Requests().at(0);
    request.resize(request.size() - 3);  // without the block check and the carriage return
    EXPECT_EQ(errors[0], "RS, ERROR, " + request + ", %EE!22");
    // The message names the refused request and the refusal.
    EXPECT_EQ(result.detail1, request);
    EXPECT_EQ(result.detail2, "%EE!22");
}

TEST_F(CommLinkTest, ReplyForAnotherCommandEndsInTimeOut) {
    StartPeer([](const std::string&) { return Answer("%EE$RMC00003"); });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    auto started = std::chrono::steady_clock::now();
    ResultInfo result;
    int32_t value = -1;
    EXPECT_EQ(ReadWord(*controller_, &result, cmd::kReadSamplingCycle, 0, &value),
              ZUL_ERR_COMM_TIMEOUT);
    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(value, 0);
    EXPECT_GE(elapsed, 850ms);  // ten 100 ms ticks after the transmission
    EXPECT_LT(elapsed, 3s);
    // The message says what was dropped, and the log has both events.
    EXPECT_EQ(result.detail1, " Replies discarded: 1 answering another command.");
    EXPECT_EQ(result.detail2, "%EE$RMC00003");
    EXPECT_EQ(
        TraceLinesStartingWith("RS, DISCARD, "),
        (std::vector<std::string>{"RS, DISCARD, %EE#RSP0, answers another command: %EE$RMC00003"}));
    EXPECT_EQ(TraceLinesStartingWith("RS, TIMEOUT, "),
              (std::vector<std::string>{"RS, TIMEOUT, %EE#RSP0, no reply within 1000 ms; Replies "
                                        "discarded: 1 answering another command."}));
    // The link is still good afterwards.
    EXPECT_EQ(ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value), ZUL_OK);
    EXPECT_EQ(value, 3);
}

TEST_F(CommLinkTest, CancelQueuedAndCurrentRequests) {
    PtyPeer& peer = StartPeer([](const std::string& request) {
        if (request.compare(0, 7, "%EE#RSP") == 0) {
            return Silence();
        }
        return Answer("%EE$" + request.substr(4, 3) + "00001");
    });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    Completions done;
    auto first = Request("%EE#RSP0", &done);
    auto second = Request("%EE#RBS0", &done);
    const CommRequest* firstId = first.get();
    const CommRequest* secondId = second.get();
    controller_->Submit(std::move(first));
    controller_->Submit(std::move(second));
    ASSERT_EQ(peer.WaitForRequests(1, 2s).size(), 1u);

    controller_->CancelRequest(secondId);  // still queued
    controller_->CancelRequest(firstId);   // current, waiting for its reply
    controller_->Submit(Request("%EE#RMC0", &done));
    ASSERT_TRUE(done.WaitFor(1, 2s));
    EXPECT_EQ(done.At(0).command, "%EE#RMC0");
    EXPECT_EQ(done.At(0).result.code, ZUL_OK);
    std::vector<std::string> requests = peer.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].substr(0, 8), "%EE#RMC0");  // the cancelled queued one never went out

    // Cancelling a request that has ended does not touch it.
    controller_->CancelRequest(&done.At(0));
    EXPECT_EQ(done.Count(), 1u);
    EXPECT_EQ(done.At(0).command, "%EE#RMC0");
}

TEST_F(CommLinkTest, CancellingAWaitingCallersRequestWakesIt) {
    StartPeer([](const std::string&) { return Silence(); });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    auto request = Request("%EE#RSP0");
    const CommRequest* id = request.get();
    auto waiter = std::async(std::launch::async, [&, r = std::move(request)]() mutable {
        return controller_->SubmitAndWait(std::move(r));
    });
    ASSERT_EQ(peers_[0]->WaitForRequests(1, 2s).size(), 1u);
    controller_->CancelRequest(id);
    ASSERT_EQ(waiter.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(waiter.get()->result.code, ZUL_ERR_ABORT);
}

TEST_F(CommLinkTest, DisconnectWakesTheWaiterAndFailsTheQueue) {
    PtyPeer& peer = StartPeer([](const std::string&) { return Silence(); });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    EXPECT_TRUE(controller_->IsConnected());
    auto waiter = std::async(std::launch::async, [&] {
        ResultInfo result;
        int32_t value = -1;
        ReadWord(*controller_, &result, cmd::kReadSamplingCycle, 0, &value);
        return result.code;
    });
    ASSERT_EQ(peer.WaitForRequests(1, 2s).size(), 1u);
    Completions done;
    controller_->Submit(Request("%EE#RMC0", &done));
    controller_->Submit(Request("%EE#RBS0", &done));
    controller_->Disconnect();
    ASSERT_EQ(waiter.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(waiter.get(), ZUL_ERR_OFFLINE);
    ASSERT_TRUE(done.WaitFor(2, 2s));
    EXPECT_EQ(done.At(0).result.code, ZUL_ERR_OFFLINE);
    EXPECT_EQ(done.At(1).result.code, ZUL_ERR_OFFLINE);
    EXPECT_FALSE(controller_->IsConnected());
    EXPECT_EQ(peer.Requests().size(), 1u);
}

TEST_F(CommLinkTest, ConnectFailureReportsTheComPort) {
    settings_.Update([](LinkSettings& s) { s.rs232cPort = 4; });
    StartThreads();  // the device link points nowhere
    ResultInfo result;
    EXPECT_EQ(controller_->Connect(&result), ZUL_ERR_OS_RS_OPEN);
    EXPECT_EQ(result.detail1, "COM5");
    EXPECT_NE(result.osError, 0);
    EXPECT_FALSE(controller_->IsConnected());
}

TEST_F(CommLinkTest, NoTransportTypeEndsRequestsWithErr) {
    settings_.Update([](LinkSettings& s) { s.communicationType = 2; });
    PtyPeer& peer = StartPeer([](const std::string&) { return Answer("%EE$RMC00003"); });
    StartThreads();
    EXPECT_EQ(Connect(), ZUL_OK);
    ResultInfo result;
    int32_t value = -1;
    EXPECT_EQ(ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value), ZUL_ERR);
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(peer.Requests().empty());
    EXPECT_TRUE(trace_.Lines().empty());
}

// A request that tells when it is destroyed.
struct CountedRequest : CommRequest {
    explicit CountedRequest(std::promise<int32_t>* destroyed) : destroyed_(destroyed) {}
    ~CountedRequest() override { destroyed_->set_value(result.code); }
    std::promise<int32_t>* destroyed_;
};

TEST_F(CommLinkTest, FireAndForgetRequestIsDestroyedWhenItEnds) {
    settings_.Update([](LinkSettings& s) { s.communicationType = 2; });
    StartThreads();
    EXPECT_EQ(Connect(), ZUL_OK);
    std::promise<int32_t> destroyed;
    auto request = std::make_unique<CountedRequest>(&destroyed);
    request->command = "%EE#WBS000001";
    request->commandCursor = 13;
    controller_->Submit(std::move(request));
    auto code = destroyed.get_future();
    ASSERT_EQ(code.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(code.get(), ZUL_ERR);  // it failed, and nobody was told
}

TEST_F(CommLinkTest, HangUpOutsideReconnectModeTellsTheWindow) {
    PtyPeer& peer = StartPeer([](const std::string&) { return Silence(); });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    peer.HangUp();
    auto messages = window_.WaitFor(1, 2s);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, kWmLinkDeviceError);
    EXPECT_EQ(messages[0].second, ZUL_ERR_RS_DEVICE);
}

TEST_F(CommLinkTest, ReconnectAfterHangUpResendsTheRequest) {
    environment_.SetReconnectMode(1);
    environment_.SetReconnectSettings(1, 100);
    StartPeer([](const std::string&) { return std::vector<PeerAction>{PeerAction::HangUp()}; });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    auto waiter = std::async(std::launch::async, [&] {
        ResultInfo result;
        int32_t value = -1;
        ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value);
        return std::make_pair(result.code, value);
    });
    ASSERT_EQ(peers_[0]->WaitForRequests(1, 2s).size(), 1u);
    // The controller comes back on a new terminal.
    PtyPeer& second = StartPeer([](const std::string&) { return Answer("%EE$RMC00005"); });
    ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
    auto [code, value] = waiter.get();
    EXPECT_EQ(code, ZUL_OK);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(second.Requests(), (std::vector<std::string>{Terminate(AppendBcc("%EE#RMC0"))}));
    EXPECT_EQ(window_.Count(), 0u);
}

TEST_F(CommLinkTest, GivesUpAfterTheRetryCount) {
    environment_.SetReconnectMode(1);
    environment_.SetReconnectSettings(1, 3);
    PtyPeer& peer = StartPeer([](const std::string&) { return Silence(); });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    auto waiter = std::async(std::launch::async, [&] {
        ResultInfo result;
        int32_t value = -1;
        ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value);
        return result.code;
    });
    ASSERT_EQ(peer.WaitForRequests(1, 2s).size(), 1u);
    std::filesystem::remove(deviceLink_);  // the controller never comes back
    auto started = std::chrono::steady_clock::now();
    peer.HangUp();
    auto messages = window_.WaitFor(1, 3s);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].second, ZUL_ERR_RS_DEVICE);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 250ms);  // three attempts, 100 ms apart
    // The main window answers with a disconnect, which ends the waiting request.
    controller_->Disconnect();
    ASSERT_EQ(waiter.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(waiter.get(), ZUL_ERR_OFFLINE);
    // Each step is in the log, with the request it concerns.
    const std::string failed =
        "failed, code 11, errno 2 (No such file or directory), COM1, " + deviceLink_;
    EXPECT_EQ(TraceLinesStartingWith("RS, RECONNECT, "),
              (std::vector<std::string>{"RS, RECONNECT, %EE#RMC0, link lost (code 31)",
                                        "RS, RECONNECT, %EE#RMC0, attempt 1 of 3: " + failed,
                                        "RS, RECONNECT, %EE#RMC0, attempt 2 of 3: " + failed,
                                        "RS, RECONNECT, %EE#RMC0, attempt 3 of 3: " + failed}));
    EXPECT_EQ(TraceLinesStartingWith("RS, GIVEUP, "),
              (std::vector<std::string>{"RS, GIVEUP, %EE#RMC0, 3 attempts failed"}));
}

TEST_F(CommLinkTest, ShutdownEndsEveryRequestWithAbort) {
    StartPeer([](const std::string&) { return Silence(); });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    Completions done;
    controller_->Submit(Request("%EE#RSP0", &done));
    controller_->Submit(Request("%EE#RMC0", &done));
    ASSERT_EQ(peers_[0]->WaitForRequests(1, 2s).size(), 1u);
    Shutdown();
    ASSERT_EQ(done.Count(), 2u);
    EXPECT_EQ(done.At(0).result.code, ZUL_ERR_ABORT);
    EXPECT_EQ(done.At(1).result.code, ZUL_ERR_ABORT);
    // After the stop a waiting submit returns at once with a failure, not a success.
    auto late = controller_->SubmitAndWait(Request("%EE#RMC0"));
    EXPECT_EQ(late->result.code, ZUL_ERR_ABORT);
}

TEST_F(CommLinkTest, ReplyWithABadBlockCheckIsNamedInTheTimeOut) {
    std::string corrupted = ReplyFrame("%EE$RMC00009");
    corrupted[corrupted.size() - 2] = corrupted[corrupted.size() - 2] == '0' ? '1' : '0';
    StartPeer(
        [&](const std::string&) { return std::vector<PeerAction>{PeerAction::Write(corrupted)}; });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    ResultInfo result;
    int32_t value = -1;
    EXPECT_EQ(ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value),
              ZUL_ERR_COMM_TIMEOUT);
    const std::string dropped = corrupted.substr(0, corrupted.size() - 1);
    EXPECT_EQ(result.detail1, " Replies discarded: 1 with a bad block check.");
    EXPECT_EQ(result.detail2, dropped);
    EXPECT_EQ(TraceLinesStartingWith("RS, DISCARD, "),
              (std::vector<std::string>{"RS, DISCARD, %EE#RMC0, bad block check: " + dropped}));
    EXPECT_EQ(TraceLinesStartingWith("RS, TIMEOUT, ").size(), 1u);
}

// A reply that is still arriving is not silence: at a low line speed one long reply takes longer
// than the reply time-out on the wire.
TEST_F(CommLinkTest, ReplyTimeOutStartsAgainWithEveryByteOfAReplyInProgress) {
    std::string data;
    for (int i = 0; i < 400; ++i) {
        data += "0A0B";
    }
    const std::string reply = ReplyFrame("%EE$RD" + data);
    // The peer's thread may still answer a repeated request after the test body ends: it keeps
    // its own copy of the reply.
    StartPeer([reply](const std::string& request) {
        std::vector<PeerAction> actions;
        if (request.rfind("%EE#RDD", 0) == 0) {
            // 16 pieces 100 ms apart: 1.5 s from the first byte to the last, time-out 1 s.
            size_t piece = reply.size() / 16 + 1;
            for (size_t at = 0; at < reply.size(); at += piece) {
                if (at > 0) {
                    actions.push_back(PeerAction::Delay(100));
                }
                actions.push_back(PeerAction::Write(reply.substr(at, piece)));
            }
        } else {
            // Half a reply, then nothing.
            actions.push_back(PeerAction::Delay(600));
            actions.push_back(PeerAction::Write("%EE$RMC00"));
        }
        return actions;
    });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    auto request = Request("%EE#RDD0000000399");
    request->echoMode = kEchoMode2Letters;
    auto started = std::chrono::steady_clock::now();
    request = controller_->SubmitAndWait(std::move(request));
    EXPECT_EQ(request->result.code, ZUL_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 1400ms);
    EXPECT_EQ(request->reply, "%EE$RDD" + data);

    // The time-out for silence still holds, counted from the last byte received.
    started = std::chrono::steady_clock::now();
    ResultInfo result;
    int32_t value = -1;
    EXPECT_EQ(ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value),
              ZUL_ERR_COMM_TIMEOUT);
    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, 1450ms);  // 600 ms to the first bytes, then ten ticks without one
    EXPECT_LT(elapsed, 3s);
}

// Reconnect mode waits for a restarting controller, but a controller that has gone quiet on a
// line that stays open (a cable pulled at its far end) must not hold a waiting caller for ever.
class ReconnectModeTest : public CommLinkTest {
protected:
    // Starts reading the current bank on another thread.
    std::future<ResultInfo> StartReadingTheBank() {
        return std::async(std::launch::async, [this] {
            ResultInfo result;
            int32_t value = -1;
            ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value);
            return result;
        });
    }
    // The read's result. When it has not ended within the limit, the link is closed (which
    // wakes the waiter) and the test fails.
    ResultInfo ResultWithin(std::future<ResultInfo>& read, std::chrono::milliseconds limit) {
        if (read.wait_for(limit) != std::future_status::ready) {
            ADD_FAILURE() << "the request did not end within " << limit.count() << " ms";
            controller_->Disconnect();
        }
        return read.get();
    }
};

TEST_F(ReconnectModeTest, AQuietLineEndsWithTimeOutAfterTheReconnectGiveUpTime) {
    environment_.SetReconnectMode(1);
    environment_.SetReconnectSettings(1, 5);  // the raw thread gives up after 5 x 100 ms
    PtyPeer& peer = StartPeer([](const std::string& request) {
        if (request.rfind("%EE#RSP", 0) == 0) {
            // Later than the reply time-out, but within the reconnect wait: still taken.
            return std::vector<PeerAction>{PeerAction::Delay(1200),
                                           PeerAction::Write(ReplyFrame("%EE$RSP00002"))};
        }
        return Silence();
    });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);

    ResultInfo late;
    int32_t sampling = -1;
    EXPECT_EQ(ReadWord(*controller_, &late, cmd::kReadSamplingCycle, 5, &sampling), ZUL_OK);
    EXPECT_EQ(sampling, 2);

    // Ten ticks of reply time-out and five of reconnect time: 1.5 s.
    auto started = std::chrono::steady_clock::now();
    std::future<ResultInfo> read = StartReadingTheBank();
    ASSERT_EQ(peer.WaitForRequests(2, 2s).size(), 2u);
    Completions queued;
    controller_->Submit(Request("%EE#RBS0", &queued));
    ResultInfo result = ResultWithin(read, 6s);
    EXPECT_EQ(result.code, ZUL_ERR_COMM_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 1400ms);
    // The queue moves on: the request behind it went out and ends the same way.
    ASSERT_TRUE(queued.WaitFor(1, 6s));
    EXPECT_EQ(queued.At(0).result.code, ZUL_ERR_COMM_TIMEOUT);
    EXPECT_EQ(peer.Requests().size(), 3u);
    EXPECT_EQ(TraceLinesStartingWith("RS, TIMEOUT, "),
              (std::vector<std::string>{
                  "RS, TIMEOUT, %EE#RMC0, no reply within 1500 ms in reconnect mode",
                  "RS, TIMEOUT, %EE#RBS0, no reply within 1500 ms in reconnect mode"}));
    EXPECT_EQ(window_.Count(), 0u);  // the line was never lost
}

TEST_F(ReconnectModeTest, ALineThatNeverComesBackEndsWithTheLostLineCode) {
    environment_.SetReconnectMode(1);
    environment_.SetReconnectSettings(1, 3);
    PtyPeer& peer = StartPeer([](const std::string&) { return Silence(); });
    StartThreads();
    ASSERT_EQ(Connect(), ZUL_OK);
    std::filesystem::remove(deviceLink_);  // the controller never comes back
    peer.HangUp();
    ASSERT_EQ(window_.WaitFor(1, 3s).size(), 1u);  // the raw thread gave the line up

    // Nobody closed the link: a request now is resent while reconnect attempts fail, and ends
    // once its reply time-out and the reconnect give-up time (1.3 s) have passed.
    auto started = std::chrono::steady_clock::now();
    std::future<ResultInfo> read = StartReadingTheBank();
    ResultInfo result = ResultWithin(read, 6s);
    EXPECT_EQ(result.code, ZUL_ERR_RS_DEVICE);
    EXPECT_EQ(result.detail1, "COM1");
    EXPECT_EQ(result.detail2, deviceLink_);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 1200ms);
    EXPECT_EQ(TraceLinesStartingWith("RS, TIMEOUT, "),
              (std::vector<std::string>{
                  "RS, TIMEOUT, %EE#RMC0, not transmitted within 1300 ms in reconnect mode"}));
}

TEST_F(CommLinkTest, OpenFailureReconnectAttemptsAndGiveUpAreLogged) {
    settings_.Update([](LinkSettings& s) { s.rs232cPort = 4; });
    StartThreads();  // the device link points nowhere
    ResultInfo result;
    EXPECT_EQ(controller_->Connect(&result), ZUL_ERR_OS_RS_OPEN);
    EXPECT_EQ(TraceLinesStartingWith("RS, OPEN, "),
              (std::vector<std::string>{"RS, OPEN, -, failed: code 11, errno 2 (No such file or "
                                        "directory), COM5, " +
                                        deviceLink_}));
}

}  // namespace
}  // namespace zul

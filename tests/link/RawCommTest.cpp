// SPDX-License-Identifier: GPL-3.0-or-later
// The raw communication thread with a port that cannot take the bytes: records stay current
// and pending, and the controller's transmission time-out ends the request.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "LinkTestSupport.h"
#include "link/Commands.h"
#include "link/Frame.h"
#include "link/RequestBuilders.h"
#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"
#include "link/ThreadRawComm.h"

namespace zul {
namespace {

using namespace std::chrono_literals;

// A pseudo-terminal whose controller side reads nothing until told to.
class StuckPort {
public:
    StuckPort() {
        char name[256] = {};
        openpty(&master_, &slave_, name, nullptr, nullptr);
        path_ = name;
        termios tio{};
        tcgetattr(slave_, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
    }
    ~StuckPort() {
        close(master_);
        close(slave_);
    }
    const std::string& Path() const { return path_; }
    // Fills the way to the controller until nothing more fits, also after the terminal layer
    // has moved what it could further on; returns the bytes written.
    size_t Fill() {
        fcntl(slave_, F_SETFL, fcntl(slave_, F_GETFL) | O_NONBLOCK);
        std::string junk(4096, 'j');
        size_t total = 0;
        for (int rounds = 0; rounds < 10000; ++rounds) {
            ssize_t n = write(slave_, junk.data(), junk.size());
            if (n > 0) {
                total += static_cast<size_t>(n);
                continue;
            }
            pollfd out{slave_, POLLOUT, 0};
            if (poll(&out, 1, 100) <= 0) {
                break;
            }
        }
        return total;
    }
    // Reads everything the controller side gets, until the bytes end with the text.
    std::string DrainUntil(std::string_view tail, std::chrono::milliseconds limit) {
        std::string got;
        auto until = std::chrono::steady_clock::now() + limit;
        char buffer[65536];
        while (std::chrono::steady_clock::now() < until &&
               (got.size() < tail.size() ||
                got.compare(got.size() - tail.size(), tail.size(), tail) != 0)) {
            pollfd in{master_, POLLIN, 0};
            if (poll(&in, 1, 100) > 0) {
                ssize_t n = read(master_, buffer, sizeof(buffer));
                if (n > 0) {
                    got.append(buffer, static_cast<size_t>(n));
                }
            }
        }
        return got;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

class RawCommTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSerialDeviceOverride(port_.Path());
        settings_.Update([](LinkSettings& s) {
            s.communicationType = kCommunicationRs232c;
            s.rs232cBCC = 1;
            s.rs232cTimeout = 0;
        });
        raw_ = std::make_unique<CThreadRawComm>(settings_, environment_, &window_);
    }
    void TearDown() override {
        if (controller_) {
            controller_->SetStopping();
            controller_->Stop();
        }
        raw_->SetStopping();
        raw_->Stop();
        SetSerialDeviceOverride("");
    }

    test::TempHome home_;
    StuckPort port_;
    test::FixedLinkSettings settings_;
    LinkEnvironment environment_;
    test::RecordingWindow window_;
    std::unique_ptr<CThreadRawComm> raw_;
    std::unique_ptr<CThreadCommControler> controller_;
};

struct SentLog {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::pair<std::string, int32_t>> sent;

    LinkSentFn Callback() {
        return [this](std::unique_ptr<LinkRecord> record) {
            std::lock_guard lock(mutex);
            sent.emplace_back(record->text, record->code);
            cv.notify_all();
        };
    }
    std::vector<std::pair<std::string, int32_t>> WaitFor(size_t count) {
        std::unique_lock lock(mutex);
        cv.wait_for(lock, 3s, [&] { return sent.size() >= count; });
        return sent;
    }
};

std::unique_ptr<LinkRecord> Record(std::string text, SentLog& log) {
    auto record = std::make_unique<LinkRecord>();
    record->text = std::move(text);
    record->onSent = log.Callback();
    return record;
}

TEST_F(RawCommTest, PendingRecordIsReplacedButTheCurrentOneIsNot) {
    ASSERT_TRUE(raw_->Start());
    ResultInfo result;
    ASSERT_EQ(raw_->OpenLink(&result), ZUL_OK);
    size_t junk = port_.Fill();
    ASSERT_GT(junk, 0u);

    SentLog log;
    ASSERT_TRUE(raw_->SubmitLink(Record("%EE#RMC1", log)));  // current, stuck in the port
    ASSERT_TRUE(raw_->SubmitLink(Record("%EE#RMC2", log)));  // pending
    ASSERT_TRUE(raw_->SubmitLink(Record("%EE#RMC3", log)));  // replaces the pending one
    LinkRecord marker;
    raw_->CancelLink(&marker);  // returns once the thread has handled everything before it
    {
        std::lock_guard lock(log.mutex);
        EXPECT_TRUE(log.sent.empty());
    }

    const std::string third = Terminate(AppendBcc("%EE#RMC3"));
    std::string got = port_.DrainUntil(third, 3s);
    ASSERT_GE(got.size(), junk);
    EXPECT_EQ(got.substr(junk), Terminate(AppendBcc("%EE#RMC1")) + third);
    auto sent = log.WaitFor(2);
    EXPECT_EQ(sent, (std::vector<std::pair<std::string, int32_t>>{{"%EE#RMC1", ZUL_OK},
                                                                  {"%EE#RMC3", ZUL_OK}}));
}

TEST_F(RawCommTest, CancelOfTheCurrentRecordSendsTheNext) {
    ASSERT_TRUE(raw_->Start());
    ResultInfo result;
    ASSERT_EQ(raw_->OpenLink(&result), ZUL_OK);
    size_t junk = port_.Fill();
    SentLog log;
    auto first = Record("%EE#RMC1", log);
    const LinkRecord* firstId = first.get();
    ASSERT_TRUE(raw_->SubmitLink(std::move(first)));
    ASSERT_TRUE(raw_->SubmitLink(Record("%EE#RMC2", log)));
    raw_->CancelLink(firstId);  // withdrawn without notification
    const std::string second = Terminate(AppendBcc("%EE#RMC2"));
    std::string got = port_.DrainUntil(second, 3s);
    // The withdrawn frame was already handed to the port; the next one follows it.
    EXPECT_EQ(got.substr(junk), Terminate(AppendBcc("%EE#RMC1")) + second);
    auto sent = log.WaitFor(1);
    EXPECT_EQ(sent, (std::vector<std::pair<std::string, int32_t>>{{"%EE#RMC2", ZUL_OK}}));
}

TEST_F(RawCommTest, EmptyTextEndsAtOnceAndDisconnectEndsWithOffline) {
    ASSERT_TRUE(raw_->Start());
    ResultInfo result;
    ASSERT_EQ(raw_->OpenLink(&result), ZUL_OK);
    SentLog log;
    ASSERT_TRUE(raw_->SubmitLink(Record("", log)));
    EXPECT_EQ(log.WaitFor(1), (std::vector<std::pair<std::string, int32_t>>{{"", ZUL_OK}}));
    port_.Fill();
    ASSERT_TRUE(raw_->SubmitLink(Record("%EE#RMC1", log)));
    ASSERT_TRUE(raw_->SubmitLink(Record("%EE#RMC2", log)));
    raw_->CloseLink();
    auto sent = log.WaitFor(3);
    EXPECT_EQ(sent,
              (std::vector<std::pair<std::string, int32_t>>{
                  {"", ZUL_OK}, {"%EE#RMC1", ZUL_ERR_OFFLINE}, {"%EE#RMC2", ZUL_ERR_OFFLINE}}));
}

TEST_F(RawCommTest, TransmissionTimeOutEndsTheRequest) {
    controller_ = std::make_unique<CThreadCommControler>(*raw_, settings_, environment_);
    ASSERT_TRUE(raw_->Start());
    ASSERT_TRUE(controller_->Start());
    ResultInfo result;
    ASSERT_EQ(controller_->Connect(&result), ZUL_OK);
    port_.Fill();
    auto started = std::chrono::steady_clock::now();
    int32_t value = -1;
    EXPECT_EQ(ReadWord(*controller_, &result, cmd::kReadCurrentMemory, 0, &value),
              ZUL_ERR_COMM_TIMEOUT);
    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, 1800ms);  // twice the one-second reply time-out
    EXPECT_LT(elapsed, 4s);
}

}  // namespace
}  // namespace zul

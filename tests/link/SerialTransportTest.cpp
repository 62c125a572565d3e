// SPDX-License-Identifier: GPL-3.0-or-later
// The serial transport on its own, over a pseudo-terminal.
#include "link/SerialTransport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include <filesystem>

#include "LinkTestSupport.h"
#include "base/Paths.h"
#include "link/SerialPortName.h"

namespace zul {
namespace {

using namespace std::chrono_literals;
using test::PeerAction;
using test::PtyPeer;

// Collects what the transport reports, from whichever thread reports it.
class EventLog {
public:
    TransportCallback Callback() {
        return [this](std::unique_ptr<TransportEvent> event) {
            std::lock_guard lock(mutex_);
            events_.push_back(std::move(event));
            cv_.notify_all();
        };
    }
    // Waits for the next record of the kind and takes it out; null on time-out.
    std::unique_ptr<TransportEvent> Take(TransportEventKind kind, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        std::unique_ptr<TransportEvent> found;
        cv_.wait_for(lock, limit, [&] {
            for (auto it = events_.begin(); it != events_.end(); ++it) {
                if ((*it)->kind == kind) {
                    found = std::move(*it);
                    events_.erase(it);
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    size_t CountOf(TransportEventKind kind) {
        std::lock_guard lock(mutex_);
        size_t n = 0;
        for (auto& e : events_) {
            n += e->kind == kind ? 1 : 0;
        }
        return n;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::unique_ptr<TransportEvent>> events_;
};

class SerialTransportTest : public ::testing::Test {
protected:
    void TearDown() override { SetSerialDeviceOverride(""); }
    test::TempHome home_;
};

TEST_F(SerialTransportTest, PortNamesAndTheLinkRule) {
    EXPECT_EQ(SerialDisplayName(0), "COM1");
    EXPECT_EQ(SerialDisplayName(4), "COM5");
    EXPECT_EQ(SerialDevicePath(2), "/dev/ttyS2");
    std::string link = AppDataPath("ports/COM3");
    std::filesystem::create_directories(std::filesystem::path(link).parent_path());
    std::filesystem::create_symlink("/dev/null", link);
    EXPECT_EQ(SerialDevicePath(2), link);
    EXPECT_EQ(SerialDevicePath(3), "/dev/ttyS3");
    SetSerialDeviceOverride("/tmp/somewhere");
    EXPECT_EQ(SerialDevicePath(2), "/tmp/somewhere");
}

TEST_F(SerialTransportTest, OpenFailureNamesTheComPort) {
    SetSerialDeviceOverride(home_.Path() + "/no-such-device");
    SerialTransport transport;
    ResultInfo result;
    EventLog log;
    EXPECT_EQ(transport.Open(&result, 4, 3, 1, 2, log.Callback()), ZUL_ERR_OS_RS_OPEN);
    EXPECT_EQ(result.detail1, "COM5");
    EXPECT_EQ(result.detail2, home_.Path() + "/no-such-device");
    EXPECT_EQ(result.osError, ENOENT);
    EXPECT_FALSE(transport.IsOpen());
}

TEST(SerialLineSettings, FollowTheCodes) {
    struct Case {
        int32_t speed, length, parity;
        speed_t baud;
        tcflag_t size;
        bool parityOn, odd;
    };
    for (const Case& c :
         {Case{7, 1, 2, B115200, CS8, false, false}, Case{0, 0, 0, B9600, CS7, true, false},
          Case{1, 1, 1, B19200, CS8, true, true}, Case{2, 5, 9, B38400, CS8, false, false}}) {
        termios tio{};
        tio.c_cflag = CSTOPB | CRTSCTS | PARODD;
        tio.c_iflag = IXON | IXOFF | ISTRIP;
        ApplyLineSettings(tio, c.speed, c.length, c.parity);
        EXPECT_EQ(cfgetospeed(&tio), c.baud);
        EXPECT_EQ(cfgetispeed(&tio), c.baud);
        EXPECT_EQ(tio.c_cflag & CSIZE, c.size);
        EXPECT_EQ((tio.c_cflag & PARENB) != 0, c.parityOn);
        EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.parityOn);
        EXPECT_EQ((tio.c_cflag & PARODD) != 0, c.odd);
        EXPECT_EQ(tio.c_cflag & (CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY | ISTRIP | IGNPAR | PARMRK), 0u);
        EXPECT_NE(tio.c_cflag & CLOCAL, 0u);
        EXPECT_NE(tio.c_cflag & CREAD, 0u);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(tio.c_cc[VMIN], 0);
        EXPECT_EQ(tio.c_cc[VTIME], 0);
    }
}

TEST_F(SerialTransportTest, OpenAppliesTheSpeedAndRawMode) {
    PtyPeer peer([](const std::string&) { return std::vector<PeerAction>{}; });
    SetSerialDeviceOverride(peer.SlavePath());
    SerialTransport transport;
    EventLog log;
    ResultInfo result;
    ASSERT_EQ(transport.Open(&result, 0, 1, 1, 2, log.Callback()), ZUL_OK);
    termios tio{};
    ASSERT_EQ(tcgetattr(peer.SlaveFd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
    // Opening again while open does nothing and succeeds.
    EXPECT_EQ(transport.Open(&result, 0, 7, 0, 0, log.Callback()), ZUL_OK);
    ASSERT_EQ(tcgetattr(peer.SlaveFd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));
}

// Opens the path as the unprivileged user "nobody" in a child process; 0 or the errno.
int OpenAsNobody(const std::string& path) {
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(200);
        }
        int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        _exit(fd >= 0 ? 0 : (errno & 0x7F));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SerialTransportTest, SecondOpenIsRefusedAsInUseAndClosingFreesThePort) {
    PtyPeer peer([](const std::string&) { return std::vector<PeerAction>{}; });
    SetSerialDeviceOverride(peer.SlavePath());
    SerialTransport first;
    SerialTransport second;
    EventLog log;
    ResultInfo result;
    ASSERT_EQ(first.Open(&result, 0, 3, 1, 2, log.Callback()), ZUL_OK);
    // Refused by the exclusive mode for a normal user, by the lock for root.
    EXPECT_EQ(second.Open(&result, 1, 3, 1, 2, log.Callback()), ZUL_ERR_OS_RS_OPEN);
    EXPECT_EQ(result.osError, EBUSY);
    EXPECT_EQ(result.detail1, "COM2");
    EXPECT_EQ(result.detail2, peer.SlavePath() + ": in use by another program");
    EXPECT_FALSE(second.IsOpen());
    // The refused open took nothing from the holder: its exclusive mode is still set.
    int exclusive = 0;
    ASSERT_EQ(ioctl(peer.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);

    first.Close();
    ASSERT_EQ(second.Open(&result, 1, 3, 1, 2, log.Callback()), ZUL_OK) << result.detail2;
}

// The peer (as an emulator does) keeps the terminal open across the tool's runs: the exclusive
// mode set by one run must not outlive it.
TEST_F(SerialTransportTest, ClosingClearsTheExclusiveMode) {
    PtyPeer peer([](const std::string&) { return std::vector<PeerAction>{}; });
    SetSerialDeviceOverride(peer.SlavePath());
    SerialTransport transport;
    EventLog log;
    ResultInfo result;
    ASSERT_EQ(transport.Open(&result, 0, 3, 1, 2, log.Callback()), ZUL_OK);
    int exclusive = 0;
    ASSERT_EQ(ioctl(peer.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    if (geteuid() == 0) {
        // What a normal user's second run meets while the first holds the port.
        ASSERT_EQ(fchown(peer.SlaveFd(), 65534, 65534), 0);
        EXPECT_EQ(OpenAsNobody(peer.SlavePath()), EBUSY);
    }
    transport.Close();
    ASSERT_EQ(ioctl(peer.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    if (geteuid() == 0) {
        EXPECT_EQ(OpenAsNobody(peer.SlavePath()), 0);
    }
    // And the next run of this program opens it again, twice in a row.
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(transport.Open(&result, 0, 3, 1, 2, log.Callback()), ZUL_OK);
        transport.Close();
    }
    ASSERT_EQ(ioctl(peer.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

TEST_F(SerialTransportTest, WriteCompletesAndBytesArrive) {
    PtyPeer peer([](const std::string& request) {
        return std::vector<PeerAction>{PeerAction::Write("echo:" + request)};
    });
    SetSerialDeviceOverride(peer.SlavePath());
    SerialTransport transport;
    EventLog log;
    ResultInfo result;
    ASSERT_EQ(transport.Open(&result, 0, 3, 1, 2, log.Callback()), ZUL_OK);

    auto write = std::make_unique<TransportEvent>();
    write->data = "hello\r";
    write->length = 6;
    const TransportEvent* identity = write.get();
    transport.Write(std::move(write));

    // The peer may answer before the write notice is taken, so read notices can come first;
    // every activity is handled in arrival order, as the raw communication thread does.
    std::string received;
    std::unique_ptr<TransportEvent> finished;
    while (!finished || received.size() < 11) {
        auto activity = log.Take(TransportEventKind::kActivity, 2s);
        ASSERT_TRUE(activity);
        bool wrote = activity->writeDone;
        bool read = activity->readDone;
        ASSERT_TRUE(wrote || read);
        transport.HandleEvent(std::move(activity));
        if (read) {
            auto bytes = log.Take(TransportEventKind::kReceived, 2s);
            ASSERT_TRUE(bytes);
            EXPECT_EQ(bytes->length, bytes->data.size());
            received += bytes->data;
        }
        if (wrote) {
            ASSERT_FALSE(finished);
            finished = log.Take(TransportEventKind::kWriteFinished, 2s);
            ASSERT_TRUE(finished);
        }
    }
    EXPECT_EQ(finished.get(), identity);
    EXPECT_EQ(finished->code, ZUL_OK);
    EXPECT_EQ(finished->written, 6u);
    EXPECT_EQ(peer.WaitForRequests(1, 2s), (std::vector<std::string>{"hello\r"}));
    EXPECT_EQ(received, "echo:hello\r");
}

TEST_F(SerialTransportTest, HangUpIsOneDeviceErrorUntilReopened) {
    auto peer = std::make_unique<PtyPeer>(
        [](const std::string&) { return std::vector<PeerAction>{PeerAction::HangUp()}; });
    SetSerialDeviceOverride(peer->SlavePath());
    SerialTransport transport;
    EventLog log;
    ResultInfo result;
    ASSERT_EQ(transport.Open(&result, 0, 3, 1, 2, log.Callback()), ZUL_OK);
    peer->HangUp();
    auto error = log.Take(TransportEventKind::kDeviceError, 2s);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, ZUL_ERR_RS_DEVICE);
    EXPECT_TRUE(transport.HasError());

    // A write in the error state is refused with the not-sent code.
    auto write = std::make_unique<TransportEvent>();
    write->data = "x\r";
    write->length = 2;
    transport.Write(std::move(write));
    auto refused = log.Take(TransportEventKind::kWriteFinished, 1s);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code, ZUL_ERR_RS_SEND);

    // The watcher does not report the same failure again (several of its waits pass).
    EXPECT_FALSE(log.Take(TransportEventKind::kDeviceError, 350ms));

    transport.Close();
    peer = std::make_unique<PtyPeer>([](const std::string&) { return std::vector<PeerAction>{}; });
    SetSerialDeviceOverride(peer->SlavePath());
    ASSERT_EQ(transport.Open(&result, 0, 3, 1, 2, log.Callback()), ZUL_OK);
    EXPECT_FALSE(transport.HasError());
    peer->HangUp();
    EXPECT_TRUE(log.Take(TransportEventKind::kDeviceError, 2s));
}

TEST_F(SerialTransportTest, RecordsOfAnEarlierOpenAreDropped) {
    PtyPeer peer([](const std::string&) { return std::vector<PeerAction>{}; });
    SetSerialDeviceOverride(peer.SlavePath());
    SerialTransport transport;
    EventLog log;
    ResultInfo result;
    ASSERT_EQ(transport.Open(&result, 0, 3, 1, 2, log.Callback()), ZUL_OK);
    auto stale = std::make_unique<TransportEvent>();
    stale->readDone = true;
    stale->bytesRead = 3;
    stale->data = "old";
    stale->session = transport.Session() - 1;
    transport.HandleEvent(std::move(stale));
    EXPECT_EQ(log.CountOf(TransportEventKind::kReceived), 0u);
}

}  // namespace
}  // namespace zul

namespace zul {
namespace {

// A port that cannot take everything at once: the rest is written by the watcher when the
// other side drains, and the owner continues from each reported offset.
TEST_F(SerialTransportTest, FullPortIsFinishedByTheWatcherInOrder) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    SetSerialDeviceOverride(name);
    SerialTransport transport;
    EventLog log;
    ResultInfo result;
    ASSERT_EQ(transport.Open(&result, 0, 3, 1, 2, log.Callback()), ZUL_OK);

    std::string data(300000, '\0');
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>('A' + i % 23);
    }
    auto record = std::make_unique<TransportEvent>();
    record->data = data;
    record->length = static_cast<uint32_t>(data.size());

    std::string drained;
    std::atomic<bool> drain{false};
    std::thread reader([&] {
        while (!drain.load()) {
            std::this_thread::yield();
        }
        char buffer[65536];
        while (drained.size() < data.size()) {
            pollfd in{master, POLLIN, 0};
            if (poll(&in, 1, 2000) <= 0) {
                break;
            }
            ssize_t n = read(master, buffer, sizeof(buffer));
            if (n > 0) {
                drained.append(buffer, static_cast<size_t>(n));
            }
        }
    });

    int writes = 0;
    transport.Write(std::move(record));
    for (;;) {
        auto activity = log.Take(TransportEventKind::kActivity, 3s);
        ASSERT_TRUE(activity);
        if (!activity->writeDone) {
            continue;
        }
        transport.HandleEvent(std::move(activity));
        auto finished = log.Take(TransportEventKind::kWriteFinished, 3s);
        ASSERT_TRUE(finished);
        ASSERT_EQ(finished->code, ZUL_OK);
        ASSERT_GT(finished->written, 0u);
        ++writes;
        finished->offset += finished->written;
        if (finished->offset >= finished->length) {
            break;
        }
        drain.store(true);  // the port is full by now: let the other side read
        transport.Write(std::move(finished));
    }
    drain.store(true);
    reader.join();
    EXPECT_GT(writes, 1);
    EXPECT_EQ(drained.size(), data.size());
    EXPECT_TRUE(drained == data);
    transport.Close();
    close(master);
    close(slave);
}

// Received bytes reach the owner in whole frames: what a peer writes a few bytes at a time is
// kept until its carriage return, a line that goes quiet hands over what it has, and a frame
// that keeps arriving for longer than kProgressHold is handed over in parts while it does.
TEST_F(SerialTransportTest, ReceivedBytesTravelInWholeFrames) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    SetSerialDeviceOverride(name);
    SerialTransport transport;
    EventLog log;
    ResultInfo result;
    // 9600 bit/s: one character is about 1 ms, the quiet time of the line.
    ASSERT_EQ(transport.Open(&result, 0, 0, 1, 2, log.Callback()), ZUL_OK);
    auto trickle = [master](const std::string& bytes, std::chrono::microseconds spacing) {
        for (char c : bytes) {
            ASSERT_EQ(write(master, &c, 1), 1);
            std::this_thread::sleep_for(spacing);  // the peer's own pace, well below 1 ms
        }
    };
    struct Delivery {
        std::string bytes;
        std::chrono::steady_clock::time_point at;
    };
    auto collect = [&log](size_t total, std::chrono::milliseconds limit) {
        std::vector<Delivery> deliveries;
        size_t have = 0;
        while (have < total) {
            auto activity = log.Take(TransportEventKind::kActivity, limit);
            if (!activity) {
                break;
            }
            if (activity->readDone) {
                have += activity->data.size();
                deliveries.push_back({activity->data, std::chrono::steady_clock::now()});
            }
        }
        return deliveries;
    };
    auto joined = [](const std::vector<Delivery>& deliveries) {
        std::string all;
        for (const Delivery& d : deliveries) {
            all += d.bytes;
        }
        return all;
    };

    // A frame written byte by byte arrives in far fewer parts than it was written in.
    const std::string frame = "%EE$RMC0001A2\r";
    std::thread peer(trickle, frame, std::chrono::microseconds(100));
    std::vector<Delivery> parts = collect(frame.size(), 2000ms);
    peer.join();
    EXPECT_EQ(joined(parts), frame);
    EXPECT_LT(parts.size(), frame.size() / 2);

    // The start of a frame followed by silence is not kept back until a carriage return.
    ASSERT_EQ(write(master, "%EE$RM", 6), 6);
    parts = collect(6, 2000ms);
    EXPECT_EQ(joined(parts), "%EE$RM");

    // A long frame that keeps coming shows that it is arriving before it ends.
    const std::string longFrame(400, 'x');
    auto start = std::chrono::steady_clock::now();
    peer = std::thread(trickle, longFrame, std::chrono::microseconds(300));
    parts = collect(longFrame.size(), 2000ms);
    auto end = std::chrono::steady_clock::now();
    peer.join();
    EXPECT_EQ(joined(parts), longFrame);
    ASSERT_GE(parts.size(), 2u);
    // The first part is handed over once it has been kept for kProgressHold, long before the
    // peer is done (the peer takes at least 120 ms).
    EXPECT_LT(parts.front().at - start, (end - start) / 2);
    transport.Close();
    close(master);
    close(slave);
}

}  // namespace
}  // namespace zul

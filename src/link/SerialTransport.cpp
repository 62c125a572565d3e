// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "link/SerialPortName.h"

namespace zul {

unsigned int SerialSpeedOfCode(int32_t speedCode) {
    switch (speedCode) {
        case 0:
            return B9600;
        case 1:
            return B19200;
        case 2:
            return B38400;
        default:
            return B115200;
    }
}

int64_t SerialCharacterNs(int32_t speedCode, int32_t dataLengthCode, int32_t parityCode) {
    int64_t baud = 115200;
    switch (speedCode) {
        case 0:
            baud = 9600;
            break;
        case 1:
            baud = 19200;
            break;
        case 2:
            baud = 38400;
            break;
        default:
            break;
    }
    int64_t bits =
        1 + (dataLengthCode == 0 ? 7 : 8) + (parityCode == 0 || parityCode == 1 ? 1 : 0) + 1;
    return bits * 1000000000LL / baud;
}

void ApplyLineSettings(termios& tio, int32_t speedCode, int32_t dataLengthCode,
                       int32_t parityCode) {
    cfmakeraw(&tio);
    speed_t speed = SerialSpeedOfCode(speedCode);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    tio.c_cflag |= (dataLengthCode == 0 ? CS7 : CS8) | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK | ISTRIP);
    if (parityCode == 0) {
        tio.c_cflag |= PARENB;
        tio.c_iflag |= INPCK;
    } else if (parityCode == 1) {
        tio.c_cflag |= PARENB | PARODD;
        tio.c_iflag |= INPCK;
    }
    // Reads return at once with whatever is buffered.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

namespace {

bool Configure(int fd, int32_t speedCode, int32_t dataLengthCode, int32_t parityCode) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return false;
    }
    ApplyLineSettings(tio, speedCode, dataLengthCode, parityCode);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

std::string InUseDetail(const std::string& path) {
    return path + ": in use by another program";
}

// Ends this program's hold on the device and closes it. The exclusive mode belongs to the
// terminal, not to the descriptor: left set, it would outlive this open and refuse every later
// open by a normal user for as long as the other side (an emulator, say) keeps the line.
void ReleaseDevice(int fd) {
    (void)ioctl(fd, TIOCNXCL);
    (void)::flock(fd, LOCK_UN);
    ::close(fd);
}

}  // namespace

SerialTransport::~SerialTransport() {
    Close();
}

int32_t SerialTransport::Open(ResultInfo* result, int32_t portIndex, int32_t speedCode,
                              int32_t dataLengthCode, int32_t parityCode,
                              TransportCallback callback) {
    ClearResult(result);
    if (open_.load()) {
        return ZUL_OK;
    }
    Attach(std::move(callback));
    std::string display = SerialDisplayName(portIndex);
    std::string path = SerialDevicePath(portIndex);

    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // Messages name the port as the user knows it, and the device behind it.
    if (fd < 0) {
        int osError = errno;
        // EBUSY: another program holds the port in exclusive mode.
        return SetResult(result, ZUL_ERR_OS_RS_OPEN, osError, display,
                         osError == EBUSY ? InUseDetail(path) : path);
    }
    // The advisory lock other serial programs honour; it also holds for root, which the
    // exclusive mode below does not stop. It goes with the descriptor.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int osError = errno;
        ::close(fd);
        bool busy = osError == EWOULDBLOCK;
        return SetResult(result, ZUL_ERR_OS_RS_OPEN, busy ? EBUSY : osError, display,
                         busy ? InUseDetail(path) : path);
    }
    bool exclusive = ioctl(fd, TIOCEXCL) == 0;
    if (!exclusive && errno != ENOTTY) {
        int osError = errno;
        ::close(fd);
        return SetResult(result, ZUL_ERR_OS_RS_OPEN, osError, display, path);
    }
    auto fail = [&](int osError) {
        ReleaseDevice(fd);
        return SetResult(result, ZUL_ERR_OS_RS_OPEN, osError, display, path);
    };
    if (!Configure(fd, speedCode, dataLengthCode, parityCode)) {
        return fail(errno);
    }
    // Not every device has modem lines (a pseudo-terminal has none); that is not an error.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd, TIOCMBIS, &lines);
    tcflush(fd, TCIOFLUSH);

    int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0) {
        return fail(errno);
    }
    fd_ = fd;
    wakeFd_ = wake;
    characterNs_ = SerialCharacterNs(speedCode, dataLengthCode, parityCode);
    {
        std::lock_guard lock(writeMutex_);
        pendingData_ = nullptr;
        pendingLength_ = 0;
    }
    BeginSession();
    open_.store(true);
    watcher_ = std::thread([this] { WatcherBody(); });
    return ZUL_OK;
}

void SerialTransport::Wake() {
    uint64_t one = 1;
    ssize_t n = ::write(wakeFd_, &one, sizeof(one));
    (void)n;
}

void SerialTransport::Write(std::unique_ptr<TransportEvent> record) {
    if (!open_.load() || error_.load() || inFlight_) {
        FinishWriteNow(std::move(record), ZUL_ERR_RS_SEND, 0);
        return;
    }
    size_t length = std::min<size_t>(record->length, record->data.size());
    size_t offset = std::min<size_t>(record->offset, length);
    const char* data = record->data.data() + offset;
    size_t count = length - offset;
    ssize_t n = count > 0 ? ::write(fd_, data, count) : 0;
    if (n > 0 || count == 0) {
        inFlight_ = std::move(record);
        NotifyWriteDone(static_cast<uint32_t>(n > 0 ? n : 0));
        return;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        FinishWriteNow(std::move(record), ZUL_ERR_OS_RS_SEND, errno);
        return;
    }
    // The port is full: the watcher finishes the write when it drains.
    inFlight_ = std::move(record);
    {
        std::lock_guard lock(writeMutex_);
        pendingData_ = data;
        pendingLength_ = count;
    }
    Wake();
}

bool SerialTransport::ContinuePendingWrite(int& osError) {
    std::unique_lock lock(writeMutex_);
    if (pendingLength_ == 0) {
        return true;
    }
    ssize_t n = ::write(fd_, pendingData_, pendingLength_);
    if (n > 0) {
        pendingData_ = nullptr;
        pendingLength_ = 0;
        lock.unlock();
        NotifyWriteDone(static_cast<uint32_t>(n));
        return true;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        osError = errno;
        return false;
    }
    return true;
}

void SerialTransport::DeliverHeld(std::string& held) {
    if (held.empty()) {
        return;
    }
    auto record = NewEvent(TransportEventKind::kActivity);
    record->readDone = true;
    record->portEventDone = true;
    record->bytesRead = static_cast<uint32_t>(held.size());
    record->data = std::move(held);
    held.clear();
    Notify(std::move(record));
}

void SerialTransport::WatcherBody() {
    using Clock = std::chrono::steady_clock;
    std::string buffer(kTransportReadChunk, '\0');
    // Bytes read but not handed on yet: the start of a frame whose carriage return is still
    // on its way.
    std::string held;
    Clock::time_point heldSince;
    const auto quiet = std::chrono::nanoseconds(std::max<int64_t>(characterNs_, 1000));
    while (!stop_.load()) {
        bool wantWrite;
        {
            std::lock_guard lock(writeMutex_);
            wantWrite = pendingLength_ > 0;
        }
        bool failed = error_.load();
        pollfd fds[2] = {
            {wakeFd_, POLLIN, 0},
            {failed ? -1 : fd_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0}};
        std::chrono::nanoseconds wait = std::chrono::milliseconds(kWatcherWaitMs);
        if (!held.empty()) {
            // Wake when the line has been quiet for a character, or when the bytes kept have
            // waited long enough to tell the owner that a reply is arriving.
            auto progressLeft = heldSince + kProgressHold - Clock::now();
            wait = std::max(std::chrono::nanoseconds(0),
                            std::min<std::chrono::nanoseconds>(quiet, progressLeft));
        }
        timespec timeout{static_cast<time_t>(wait.count() / 1000000000),
                         static_cast<long>(wait.count() % 1000000000)};
        int ready = ::ppoll(fds, 2, &timeout, nullptr);
        if (stop_.load()) {
            break;
        }
        if (ready == 0) {
            DeliverHeld(held);  // a quiet line, or bytes kept long enough
            continue;
        }
        if (ready < 0) {
            continue;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t count = 0;
            ssize_t n = ::read(wakeFd_, &count, sizeof(count));
            (void)n;
        }
        if (failed) {
            continue;  // after a device error only the stop is awaited
        }
        short events = fds[1].revents;
        int osError = 0;
        bool deviceFailed = false;
        if (events & POLLIN) {
            ssize_t n = ::read(fd_, buffer.data(), buffer.size());
            if (n > 0) {
                auto now = Clock::now();
                if (held.empty()) {
                    heldSince = now;
                }
                held.append(buffer.data(), static_cast<size_t>(n));
                bool frameEnds =
                    std::memchr(buffer.data(), '\r', static_cast<size_t>(n)) != nullptr;
                if (frameEnds || now - heldSince >= kProgressHold ||
                    held.size() >= kTransportReadChunk) {
                    DeliverHeld(held);
                }
            } else if (n == 0) {
                deviceFailed = true;  // readable but nothing to read: the line hung up
            } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                deviceFailed = true;
                osError = errno;
            }
        }
        if (!deviceFailed && (events & (POLLHUP | POLLERR | POLLNVAL))) {
            deviceFailed = true;
            osError = (events & POLLNVAL) ? EBADF : EIO;
        }
        if (!deviceFailed && (events & POLLOUT)) {
            deviceFailed = !ContinuePendingWrite(osError);
        }
        if (deviceFailed) {
            DeliverHeld(held);  // what arrived before the failure still counts
            RaiseDeviceError(osError);
            bool hadWrite;
            {
                std::lock_guard lock(writeMutex_);
                hadWrite = pendingLength_ > 0;
                pendingData_ = nullptr;
                pendingLength_ = 0;
            }
            if (hadWrite) {
                NotifyWriteDone(0);  // finished off as failed
            }
        }
    }
}

void SerialTransport::Close() {
    if (!open_.load()) {
        return;
    }
    stop_.store(true);
    Wake();
    if (watcher_.joinable()) {
        watcher_.join();
    }
    tcflush(fd_, TCIOFLUSH);
    ReleaseDevice(fd_);
    ::close(wakeFd_);
    fd_ = -1;
    wakeFd_ = -1;
    {
        std::lock_guard lock(writeMutex_);
        pendingData_ = nullptr;
        pendingLength_ = 0;
    }
    inFlight_.reset();
    open_.store(false);
    error_.store(false);
}

}  // namespace zul

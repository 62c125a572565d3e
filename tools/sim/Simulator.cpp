// SPDX-License-Identifier: GPL-3.0-or-later
#include "Simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <filesystem>
#include <system_error>

#include "SimBlockCheck.h"
#include "SimLine.h"

namespace zul::sim {

namespace {

constexpr size_t kMaxPendingInput = 65536;
constexpr int64_t kReopenRetryNs = 200000000;
constexpr int64_t kDrainSettleNs = 20000000;
constexpr int64_t kDrainLimitNs = 1000000000;
constexpr int64_t kDrainPollNs = 2000000;

int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

std::string Printable(std::string_view bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            text.push_back(static_cast<char>(c));
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
            text += buffer;
        }
    }
    return text;
}

// Points the link at the target atomically, creating the link's folders.
bool PlaceLink(const std::string& link, const std::string& target) {
    std::error_code ec;
    std::filesystem::path path(link);
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ec);
    }
    std::string temporary = link + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0) {
        return false;
    }
    if (std::rename(temporary.c_str(), link.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

struct Simulator::Line {
    bool pty = true;
    std::string device;  // device mode: the path to open
    std::string link;    // pty mode: the symbolic link to keep pointed at the slave
    int fd = -1;         // pty master or device
    int keeper = -1;     // our own descriptor of the pty slave: keeps the line alive
    std::string path;    // what a client opens

    int32_t Open(ResultInfo* info) {
        if (!pty) {
            fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) {
                return SetResult(info, ZUL_ERR_OS_RS_OPEN, errno, device);
            }
            MakeRaw(fd);
            path = device;
            return ZUL_OK;
        }
        int master = -1;
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            return SetResult(info, ZUL_ERR_OS_RS_OPEN, errno, "openpty");
        }
        // Raw from the start: a cooked slave would echo the replies back to us.
        MakeRaw(slave);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
        fd = master;
        keeper = slave;
        path = name;
        if (!link.empty() && !PlaceLink(link, path)) {
            int error = errno;
            Close();
            return SetResult(info, ZUL_ERR_OS_RS_OPEN, error, link);
        }
        return ZUL_OK;
    }

    void Close() {
        CloseFd(fd);
        CloseFd(keeper);
    }

    // Removes the link while it still names this line's pseudo-terminal: once the line is
    // closed, the system may give that terminal to another program, which a client following
    // the link would then open instead of waiting for the line to come back.
    void RemoveLink() const {
        if (link.empty()) {
            return;
        }
        std::error_code ec;
        auto target = std::filesystem::read_symlink(link, ec);
        if (!ec && target == path) {
            ::unlink(link.c_str());
        }
    }

    // Character time of the line as the client configured it.
    int64_t CharacterNs(int64_t baudOverride) const {
        termios settings{};
        int bits = 10;
        int64_t baud = baudOverride;
        if (fd >= 0 && ::tcgetattr(keeper >= 0 ? keeper : fd, &settings) == 0) {
            bits = BitsPerCharacter(settings);
            if (baud <= 0) {
                baud = BaudOf(cfgetospeed(&settings));
            }
        }
        return CharacterTimeNs(baud, bits);
    }
};

Simulator::Simulator()
    : line_(std::make_unique<Line>()), epoch_(std::chrono::steady_clock::now()) {}

Simulator::~Simulator() {
    Stop();
}

int32_t Simulator::StartPty(ResultInfo* info, const std::string& linkPath) {
    ClearResult(info);
    if (Started()) {
        return SetResult(info, ZUL_ERR, 0, "already started");
    }
    line_->pty = true;
    line_->link = linkPath;
    return StartServing(info);
}

int32_t Simulator::StartDevice(const std::string& device, ResultInfo* info) {
    ClearResult(info);
    if (Started()) {
        return SetResult(info, ZUL_ERR, 0, "already started");
    }
    line_->pty = false;
    line_->device = device;
    return StartServing(info);
}

int32_t Simulator::StartServing(ResultInfo* info) {
    if (int32_t code = line_->Open(info); code != ZUL_OK) {
        return code;
    }
    if (::pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        int error = errno;
        line_->Close();
        return SetResult(info, ZUL_ERR, error, "pipe");
    }
    {
        std::lock_guard lock(mutex_);
        devicePath_ = line_->path;
        online_ = true;
    }
    thread_ = std::thread([this] { Run(); });
    return ZUL_OK;
}

void Simulator::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(stopPipe_[1], &byte, 1);
    thread_.join();
    CloseFd(stopPipe_[0]);
    CloseFd(stopPipe_[1]);
    line_->RemoveLink();
    line_->Close();
    std::lock_guard lock(mutex_);
    online_ = false;
    if (!statePath_.empty()) {
        controller_.Memory().Save(statePath_, nullptr);
    }
    changed_.notify_all();
}

std::string Simulator::DevicePath() const {
    std::lock_guard lock(mutex_);
    return devicePath_;
}

bool Simulator::WaitOnline(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return online_; });
}

bool Simulator::WaitForRequests(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return received_.size() >= count; });
}

bool Simulator::WaitQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds timeout) {
    const int64_t quietNs = std::chrono::duration_cast<std::chrono::nanoseconds>(quiet).count();
    const int64_t endNs =
        SteadyNs() + std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count();
    std::unique_lock lock(mutex_);
    for (;;) {
        const int64_t now = SteadyNs();
        if (!replying_ && now - lineActivityNs_ >= quietNs) {
            return true;
        }
        if (now >= endNs) {
            return false;
        }
        const int64_t wakeNs = replying_ ? endNs : std::min(endNs, lineActivityNs_ + quietNs);
        changed_.wait_for(lock, std::chrono::nanoseconds(std::max<int64_t>(wakeNs - now, 1)));
    }
}

void Simulator::SetBcc(bool on) {
    std::lock_guard lock(mutex_);
    bcc_ = on;
}

void Simulator::SetFirmware(uint16_t version) {
    std::lock_guard lock(mutex_);
    controller_.SetFirmware(version);
}

void Simulator::SetLatency(std::chrono::microseconds latency) {
    std::lock_guard lock(mutex_);
    latency_ = std::max(latency, std::chrono::microseconds(0));
}

void Simulator::SetPace(bool on, int64_t baud) {
    std::lock_guard lock(mutex_);
    pace_ = on;
    paceBaud_ = baud;
}

void Simulator::SetRestartTime(std::chrono::milliseconds time) {
    std::lock_guard lock(mutex_);
    restartTime_ = time;
}

void Simulator::SetTrace(Trace trace) {
    std::lock_guard lock(mutex_);
    trace_ = std::move(trace);
}

int32_t Simulator::SetStatePath(const std::string& path, ResultInfo* info) {
    ClearResult(info);
    std::lock_guard lock(mutex_);
    statePath_ = path;
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) {
        return ZUL_OK;
    }
    return controller_.Memory().Load(path, info);
}

void Simulator::SetFaults(const SimFaults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
}

SimFaults Simulator::Faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void Simulator::SetTarget(int headIndex, const TargetMotion& motion) {
    std::lock_guard lock(mutex_);
    AdvanceLocked();
    controller_.Measurement().SetMotion(headIndex & 1, motion);
}

void Simulator::SetFixedDisplacement(int headIndex, double mm) {
    std::lock_guard lock(mutex_);
    AdvanceLocked();
    TargetMotion motion = controller_.Measurement().Motion(headIndex & 1);
    motion.fixedMm = mm;
    controller_.Measurement().SetMotion(headIndex & 1, motion);
}

void Simulator::UseManualClock(bool manual) {
    std::lock_guard lock(mutex_);
    if (manual == manualClock_) {
        return;
    }
    int64_t now = ControllerNowUs();
    manualClock_ = manual;
    if (manual) {
        manualUs_ = now;
    } else {
        epoch_ = std::chrono::steady_clock::now() - std::chrono::microseconds(now);
    }
}

void Simulator::AdvanceClock(std::chrono::microseconds step) {
    std::lock_guard lock(mutex_);
    if (manualClock_ && step.count() > 0) {
        manualUs_ += step.count();
        AdvanceLocked();
    }
}

std::vector<std::string> Simulator::ReceivedFrames() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void Simulator::ClearReceivedFrames() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

uint16_t Simulator::ReadWord(uint32_t address) const {
    std::lock_guard lock(mutex_);
    return controller_.Memory().Word(address);
}

std::vector<uint16_t> Simulator::ReadWords(uint32_t first, uint32_t count) const {
    std::lock_guard lock(mutex_);
    std::vector<uint16_t> words;
    words.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        words.push_back(controller_.Memory().Word(first + i));
    }
    return words;
}

void Simulator::WriteWord(uint32_t address, uint16_t value) {
    std::lock_guard lock(mutex_);
    controller_.Memory().SetWord(address, value);
}

void Simulator::WriteWords(uint32_t first, const std::vector<uint16_t>& values) {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < values.size(); ++i) {
        controller_.Memory().SetWord(first + static_cast<uint32_t>(i), values[i]);
    }
}

int64_t Simulator::ControllerNowUs() const {
    if (manualClock_) {
        return manualUs_;
    }
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 epoch_)
        .count();
}

void Simulator::AdvanceLocked() {
    controller_.AdvanceTo(ControllerNowUs());
}

void Simulator::Notify() {
    changed_.notify_all();
}

namespace {

struct Pending {
    std::string frame;  // from "%" up to the carriage return, without it
    int64_t dueNs = 0;  // when its last byte has arrived
};

struct Outgoing {
    std::string bytes;
    size_t sent = 0;
    int64_t startNs = 0;      // when the first byte may start
    int64_t characterNs = 0;  // 0: as fast as the line takes it
    size_t chunk = 0;         // 0: no chunks
    int64_t pauseNs = 0;
    bool dropAfter = false;
    int64_t dropNs = 0;
    int64_t drainStartNs = 0;  // when the last byte left, while waiting to drop the line
    int64_t restartNs = -1;    // >= 0: the controller restarts for this long once it has left

    // When byte i may be written: once it would have been transmitted completely.
    int64_t DueNs(size_t i) const {
        int64_t due = startNs + static_cast<int64_t>(i + 1) * characterNs;
        if (chunk > 0) {
            due += static_cast<int64_t>(i / chunk) * pauseNs;
        }
        return due;
    }
};

char NoiseByte(uint64_t& state) {
    static constexpr char kNoise[] = {'\x00', '\x7F', '%', 'E', '#', '$', '!', 'x', '\xFF', '\n'};
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return kNoise[(state >> 33) % sizeof kNoise];
}

}  // namespace

// What the server does with the line between two waits.
enum class ServerPhase {
    kIdle,      // no reply on its way: the next request may be taken in
    kSending,   // a reply leaves, byte by byte when paced
    kDraining,  // the reply has left; the line drops once the client has taken it in
    kOffline,   // the line is down until it is opened again
};

// The server thread's state and its steps. One pass of the loop: bring the line back, end a
// restart, take in a request, send what is due, drop a drained line, hand the trace lines on,
// then wait for input, the stop pipe or the next deadline.
struct Simulator::Server {
    explicit Server(Simulator& simulator) : sim(simulator), line(*simulator.line_) {}

    void Run();
    void ReopenWhenDue(int64_t now);
    void EndRestartWhenDue(int64_t now);
    void TakeInRequest(int64_t now);
    void Reply(const Pending& request, int64_t now, bool drop);  // needs sim.mutex_
    std::string ReplyBytes(SimReply& reply, bool accepted);      // needs sim.mutex_
    void SendDueBytes(int64_t now);
    void FinishReply(int64_t now);
    void DropWhenDrained(int64_t now);
    void FlushTraces();
    int64_t NextDeadline() const;
    bool WaitForLine();  // false: stop
    void ReadRequests();
    void DropLine(int64_t now, int64_t forNs);

    Simulator& sim;
    Line& line;
    ServerPhase phase = ServerPhase::kIdle;
    std::string input;
    std::deque<Pending> pending;
    int64_t lastArrivalNs = 0;
    Outgoing out;
    bool writeBlocked = false;
    int64_t backOnlineNs = 0;
    // A restart keeps the line (a serial line does not hang up when the controller behind it
    // restarts): until restartEndNs (0 when not restarting) every request is taken in and left
    // unanswered.
    int64_t restartEndNs = 0;
    uint64_t noiseState = 0x9E3779B97F4A7C15ULL;
    std::vector<std::string> traces;
    Trace trace;
};

void Simulator::Run() {
    // Paced replies leave byte by byte on deadlines; the default 50 us timer slack would add
    // to every exchange what a real line does not.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    Server server(*this);
    server.Run();
}

void Simulator::Server::Run() {
    for (;;) {
        const int64_t now = SteadyNs();
        trace = nullptr;
        ReopenWhenDue(now);
        EndRestartWhenDue(now);
        TakeInRequest(now);
        SendDueBytes(now);
        DropWhenDrained(now);
        FlushTraces();
        if (!WaitForLine()) {
            return;
        }
    }
}

void Simulator::Server::ReopenWhenDue(int64_t now) {
    if (phase != ServerPhase::kOffline || now < backOnlineNs) {
        return;
    }
    if (line.Open(nullptr) != ZUL_OK) {
        backOnlineNs = now + kReopenRetryNs;
        return;
    }
    phase = ServerPhase::kIdle;
    std::lock_guard lock(sim.mutex_);
    sim.devicePath_ = line.path;
    sim.online_ = true;
    sim.Notify();
}

void Simulator::Server::EndRestartWhenDue(int64_t now) {
    if (restartEndNs != 0 && now >= restartEndNs) {
        restartEndNs = 0;
        traces.push_back("   (restarted)");
        std::lock_guard lock(sim.mutex_);
        sim.online_ = true;
        sim.Notify();
    }
    // Requests that arrive while the controller restarts are received and left unanswered.
    while (restartEndNs != 0 && !pending.empty() && pending.front().dueNs <= now) {
        traces.push_back("<- " + Printable(pending.front().frame) + "   (restarting: no reply)");
        std::lock_guard lock(sim.mutex_);
        sim.received_.push_back(std::move(pending.front().frame));
        pending.pop_front();
        sim.Notify();
    }
}

void Simulator::Server::TakeInRequest(int64_t now) {
    // The next request is taken in once the previous reply has left.
    if (phase != ServerPhase::kIdle || pending.empty() || pending.front().dueNs > now) {
        return;
    }
    Pending request = std::move(pending.front());
    pending.pop_front();
    std::lock_guard lock(sim.mutex_);
    trace = sim.trace_;
    sim.received_.push_back(request.frame);
    sim.Notify();
    traces.push_back("<- " + Printable(request.frame));
    SimFaults& faults = sim.faults_;
    const bool drop = faults.hangupAfter > 0 && --faults.hangupAfter == 0;
    const bool quiet = faults.quiet;
    if (faults.quietAfter > 0 && --faults.quietAfter == 0) {
        faults.quiet = true;  // this request is the last one answered
    }
    if (!quiet && faults.silent == 0) {
        Reply(request, now, drop);
        return;
    }
    if (!quiet) {
        --faults.silent;
    }
    traces.push_back("   (no reply)");
    if (drop) {
        out = Outgoing{};
        out.startNs = now;
        out.dropAfter = true;
        out.dropNs = faults.hangupMs * 1000000LL;
        phase = ServerPhase::kSending;
        sim.replying_ = true;
    }
}

void Simulator::Server::Reply(const Pending& request, int64_t now, bool drop) {
    SimReply reply;
    const std::string& f = request.frame;
    if (f.size() + 1 > kMaxRequestBytes) {
        reply.text = "%EE!43";
    } else if (f.size() < 9) {
        reply.text = "%EE!41";
    } else if (sim.bcc_ && !BlockCheckMatches(f)) {
        reply.text = "%EE!40";
    } else {
        reply = sim.controller_.Handle(std::string_view(f).substr(0, f.size() - 2),
                                       sim.ControllerNowUs());
    }
    const bool accepted = std::string_view(reply.text).starts_with("%EE$");
    SimFaults& faults = sim.faults_;
    int64_t delayNs = std::chrono::duration_cast<std::chrono::nanoseconds>(sim.latency_).count();
    if (faults.delayed > 0) {
        --faults.delayed;
        delayNs += faults.delayMs * 1000000LL;
    }
    out = Outgoing{};
    out.bytes = ReplyBytes(reply, accepted);
    out.startNs = std::max(now, request.dueNs) + delayNs;
    out.characterNs = sim.pace_ ? line.CharacterNs(sim.paceBaud_) : 0;
    out.chunk = faults.splitBytes > 0 ? static_cast<size_t>(faults.splitBytes) : 0;
    out.pauseNs = faults.splitPauseMs * 1000000LL;
    if (reply.restart) {
        // Not ready from here on: a client that waits for the controller to be back never sees
        // it before the restart.
        sim.online_ = false;
        sim.Notify();
        out.restartNs =
            std::chrono::duration_cast<std::chrono::nanoseconds>(sim.restartTime_).count();
    }
    if (drop) {
        out.dropAfter = true;
        out.dropNs = faults.hangupMs * 1000000LL;
    }
    phase = ServerPhase::kSending;
    sim.replying_ = true;
    traces.push_back("-> " + Printable(out.bytes.substr(0, out.bytes.size() - 1)));
    // Only an accepted request has a mnemonic (an accepted frame has at least nine bytes).
    const std::string_view m = accepted ? std::string_view(f).substr(4, 3) : std::string_view();
    if (accepted && !sim.statePath_.empty() && (m == "WMC" || m == "WWR" || m == "WIN")) {
        sim.controller_.Memory().Save(sim.statePath_, nullptr);
    }
}

std::string Simulator::Server::ReplyBytes(SimReply& reply, bool accepted) {
    SimFaults& faults = sim.faults_;
    std::string& text = reply.text;
    if (faults.wrongEcho > 0 && accepted && text.size() >= 6) {
        --faults.wrongEcho;
        bool twoLetters =
            text.size() < 7 || text.compare(4, 2, "RD") == 0 || text.compare(4, 2, "WD") == 0;
        char& letter = text[twoLetters ? 5 : 6];
        letter = letter == 'X' ? 'Y' : 'X';
    }
    // Replies always carry their block check; the switch only decides whether requests are
    // checked.
    std::string framed = FrameReply(text);
    if (faults.badBcc > 0) {
        --faults.badBcc;
        // The last block-check digit, just before the terminator.
        char& c = framed[framed.size() - 2];
        c = c == '0' ? '1' : '0';
    }
    std::string bytes;
    if (faults.noise > 0) {
        --faults.noise;
        for (int i = 0; i < 6; ++i) {
            bytes.push_back(NoiseByte(noiseState));
        }
    }
    bytes += framed;
    return bytes;
}

void Simulator::Server::SendDueBytes(int64_t now) {
    if (phase != ServerPhase::kSending || writeBlocked || now < out.startNs) {
        return;
    }
    size_t until = out.sent;
    while (until < out.bytes.size() && out.DueNs(until) <= now) {
        ++until;
    }
    while (out.sent < until) {
        ssize_t n = ::write(line.fd, out.bytes.data() + out.sent, until - out.sent);
        if (n > 0) {
            out.sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            writeBlocked = true;
        } else {
            // The line is gone (a device unplugged); try to get it back.
            DropLine(now, kReopenRetryNs);
        }
        break;
    }
    if (phase == ServerPhase::kSending && out.sent == out.bytes.size()) {
        FinishReply(now);
    }
}

void Simulator::Server::FinishReply(int64_t now) {
    {
        std::lock_guard lock(sim.mutex_);
        sim.replying_ = false;
        sim.lineActivityNs_ = now;
        sim.Notify();
    }
    if (out.dropAfter) {
        phase = ServerPhase::kDraining;
        out.drainStartNs = now;
        return;
    }
    phase = ServerPhase::kIdle;
    if (out.restartNs >= 0) {
        restartEndNs = std::max<int64_t>(1, now + out.restartNs);
        traces.push_back("   (restarting)");
    }
}

void Simulator::Server::DropWhenDrained(int64_t now) {
    // Before the line drops, the client gets the time to take in the last reply: closing a
    // pseudo-terminal discards what its slave has not read yet.
    if (phase != ServerPhase::kDraining) {
        return;
    }
    int unread = 0;
    if (line.keeper >= 0 && ::ioctl(line.keeper, FIONREAD, &unread) != 0) {
        unread = 0;
    }
    bool settled = now - out.drainStartNs >= kDrainSettleNs && unread == 0;
    if (settled || now - out.drainStartNs >= kDrainLimitNs) {
        DropLine(now, out.dropNs);
        traces.push_back("   (line dropped)");
    }
}

void Simulator::Server::FlushTraces() {
    if (traces.empty()) {
        return;
    }
    if (!trace) {
        std::lock_guard lock(sim.mutex_);
        trace = sim.trace_;
    }
    if (trace) {
        for (const std::string& t : traces) {
            trace(t);
        }
    }
    traces.clear();
}

int64_t Simulator::Server::NextDeadline() const {
    int64_t deadline = INT64_MAX;
    switch (phase) {
        case ServerPhase::kOffline:
            deadline = backOnlineNs;
            break;
        case ServerPhase::kDraining:
            deadline = SteadyNs() + kDrainPollNs;
            break;
        case ServerPhase::kSending:
            if (!writeBlocked) {
                deadline = std::max(
                    out.startNs, out.sent < out.bytes.size() ? out.DueNs(out.sent) : out.startNs);
            }
            break;
        case ServerPhase::kIdle:
            if (!pending.empty()) {
                deadline = pending.front().dueNs;
            }
            break;
    }
    if (restartEndNs != 0) {
        deadline = std::min(deadline, restartEndNs);
    }
    return deadline;
}

bool Simulator::Server::WaitForLine() {
    const int64_t deadline = NextDeadline();
    pollfd fds[2] = {{sim.stopPipe_[0], POLLIN, 0}, {-1, 0, 0}};
    nfds_t count = 1;
    if (phase != ServerPhase::kOffline && line.fd >= 0) {
        fds[1].fd = line.fd;
        fds[1].events = static_cast<short>(POLLIN | (writeBlocked ? POLLOUT : 0));
        count = 2;
    }
    timespec ts{};
    timespec* tsp = nullptr;
    if (deadline != INT64_MAX) {
        int64_t wait = std::max<int64_t>(0, deadline - SteadyNs());
        ts.tv_sec = static_cast<time_t>(wait / 1000000000);
        ts.tv_nsec = static_cast<long>(wait % 1000000000);
        tsp = &ts;
    }
    int ready = ::ppoll(fds, count, tsp, nullptr);
    if ((ready < 0 && errno != EINTR) || (fds[0].revents & POLLIN)) {
        return false;
    }
    if (count < 2) {
        return true;
    }
    if (fds[1].revents & POLLOUT) {
        writeBlocked = false;
    }
    if (fds[1].revents & POLLIN) {
        ReadRequests();
    } else if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        if (!line.pty) {
            DropLine(SteadyNs(), kReopenRetryNs);
        }
    }
    return true;
}

void Simulator::Server::ReadRequests() {
    char buffer[4096];
    ssize_t n = ::read(line.fd, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
            DropLine(SteadyNs(), kReopenRetryNs);
        }
        return;
    }
    int64_t readNs = SteadyNs();
    int64_t characterNs = 0;
    {
        std::lock_guard lock(sim.mutex_);
        characterNs = sim.pace_ ? line.CharacterNs(sim.paceBaud_) : 0;
        sim.lineActivityNs_ = readNs;
    }
    for (ssize_t i = 0; i < n; ++i) {
        lastArrivalNs = std::max(lastArrivalNs, readNs) + characterNs;
        char c = buffer[i];
        if (c != kFrameEnd) {
            if (input.size() < kMaxPendingInput) {
                input.push_back(c);
            }
            continue;
        }
        // A frame starts at its last "%EE#": noise before it may hold a "%" too.
        size_t start = input.rfind("%EE#");
        if (start == std::string::npos) {
            start = input.find('%');
        }
        if (start != std::string::npos) {
            pending.push_back(Pending{input.substr(start), lastArrivalNs});
        }
        input.clear();
    }
}

void Simulator::Server::DropLine(int64_t now, int64_t forNs) {
    {
        // Offline before the client can see the hang-up, so that a client that waits for the
        // line to come back never sees the old one.
        std::lock_guard lock(sim.mutex_);
        sim.online_ = false;
        sim.Notify();
    }
    line.RemoveLink();
    line.Close();
    input.clear();
    pending.clear();
    writeBlocked = false;
    {
        std::lock_guard lock(sim.mutex_);
        sim.replying_ = false;
        sim.Notify();
    }
    phase = ServerPhase::kOffline;
    backOnlineNs = now + forNs;
}

}  // namespace zul::sim

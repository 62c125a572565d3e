// SPDX-License-Identifier: GPL-3.0-or-later
// What the station tests run against: Debian's mosquitto broker on 127.0.0.1 at a free port
// (with a configuration file the test writes, stopped by its process id), subscribers through
// libmosquitto, the qvm8-station program itself as a child process, and a small JSON reader to
// look into the payloads.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/AppTestSupport.h"
#include "base/ChildProcess.h"

namespace zul::test {

using namespace std::chrono_literals;

// ---- JSON ----

struct Json {
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
    Kind kind = Kind::kNull;
    bool boolean = false;
    double number = 0;
    std::string text;  // a string, or a number as written
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    bool Has(const std::string& key) const {
        for (const auto& [name, value] : members) {
            if (name == key) {
                return true;
            }
        }
        return false;
    }
    const Json& operator[](const std::string& key) const {
        static const Json none;
        for (const auto& [name, value] : members) {
            if (name == key) {
                return value;
            }
        }
        return none;
    }
    const Json& operator[](size_t index) const {
        static const Json none;
        return index < items.size() ? items[index] : none;
    }
    int64_t Int() const { return static_cast<int64_t>(number); }
};

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}
    bool Read(Json& out) {
        if (!Value(out)) {
            return false;
        }
        Blanks();
        return pos_ == text_.size();
    }

private:
    void Blanks() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
    }
    bool Literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) {
            return false;
        }
        pos_ += word.size();
        return true;
    }
    bool String(std::string& out) {
        if (pos_ >= text_.size() || text_[pos_] != '"') {
            return false;
        }
        ++pos_;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            char c = text_[pos_++];
            if (c == '\\') {
                if (pos_ >= text_.size()) {
                    return false;
                }
                char e = text_[pos_++];
                switch (e) {
                    case 'n':
                        out += '\n';
                        break;
                    case 'r':
                        out += '\r';
                        break;
                    case 't':
                        out += '\t';
                        break;
                    case 'u':
                        if (pos_ + 4 > text_.size()) {
                            return false;
                        }
                        out += static_cast<char>(
                            std::stoi(std::string(text_.substr(pos_, 4)), nullptr, 16));
                        pos_ += 4;
                        break;
                    default:
                        out += e;
                }
            } else {
                out += c;
            }
        }
        if (pos_ >= text_.size()) {
            return false;
        }
        ++pos_;
        return true;
    }
    bool Value(Json& out) {
        Blanks();
        if (pos_ >= text_.size()) {
            return false;
        }
        char c = text_[pos_];
        if (c == '{') {
            out.kind = Json::Kind::kObject;
            ++pos_;
            Blanks();
            if (pos_ < text_.size() && text_[pos_] == '}') {
                ++pos_;
                return true;
            }
            for (;;) {
                Blanks();
                std::string key;
                if (!String(key)) {
                    return false;
                }
                Blanks();
                if (pos_ >= text_.size() || text_[pos_++] != ':') {
                    return false;
                }
                Json value;
                if (!Value(value)) {
                    return false;
                }
                out.members.emplace_back(std::move(key), std::move(value));
                Blanks();
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                return pos_ < text_.size() && text_[pos_++] == '}';
            }
        }
        if (c == '[') {
            out.kind = Json::Kind::kArray;
            ++pos_;
            Blanks();
            if (pos_ < text_.size() && text_[pos_] == ']') {
                ++pos_;
                return true;
            }
            for (;;) {
                Json value;
                if (!Value(value)) {
                    return false;
                }
                out.items.push_back(std::move(value));
                Blanks();
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                return pos_ < text_.size() && text_[pos_++] == ']';
            }
        }
        if (c == '"') {
            out.kind = Json::Kind::kString;
            return String(out.text);
        }
        if (Literal("true")) {
            out.kind = Json::Kind::kBool;
            out.boolean = true;
            return true;
        }
        if (Literal("false")) {
            out.kind = Json::Kind::kBool;
            return true;
        }
        if (Literal("null")) {
            return true;
        }
        size_t start = pos_;
        while (pos_ < text_.size() &&
               (std::isdigit(static_cast<unsigned char>(text_[pos_])) ||
                std::string_view("+-.eE").find(text_[pos_]) != std::string_view::npos)) {
            ++pos_;
        }
        if (start == pos_) {
            return false;
        }
        out.kind = Json::Kind::kNumber;
        out.text = std::string(text_.substr(start, pos_ - start));
        out.number = std::strtod(out.text.c_str(), nullptr);
        return true;
    }

    std::string_view text_;
    size_t pos_ = 0;
};

inline Json ParseJson(std::string_view text) {
    Json json;
    JsonReader reader(text);
    EXPECT_TRUE(reader.Read(json)) << "not JSON: " << text;
    return json;
}

// ---- Processes ----

// A child process whose standard output and error the test reads as they come.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Wait(5s);
        }
        JoinReader();
    }

    bool Spawn(std::vector<std::string> args) {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0) {
            return false;
        }
        pid_ = StartChild(args, {ChildStream::Null(), ChildStream::Descriptor(pipe[1]),
                                 ChildStream::Descriptor(pipe[1])});
        ::close(pipe[1]);
        if (pid_ == 0) {
            ::close(pipe[0]);
            pid_ = -1;
            return false;
        }
        reader_ = std::thread([this, fd = pipe[0]] {
            char buffer[4096];
            for (;;) {
                ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                std::lock_guard lock(mutex_);
                output_.append(buffer, static_cast<size_t>(n));
                changed_.notify_all();
            }
            ::close(fd);
        });
        return true;
    }

    // True when the output holds text (count times) within the limit.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit, size_t count = 1) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return Occurrences(text) >= count; });
    }
    std::string Output() {
        std::lock_guard lock(mutex_);
        return output_;
    }
    pid_t Pid() const { return pid_; }
    void Signal(int signal) {
        if (pid_ > 0) {
            ::kill(pid_, signal);
        }
    }
    // The exit status (128 + the signal for a killed process); -1 when it has not ended within
    // the limit.
    int Wait(std::chrono::milliseconds limit) {
        if (pid_ <= 0) {
            return exitStatus_;
        }
        int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
        if (pidfd >= 0) {
            pollfd p{pidfd, POLLIN, 0};
            int ready = ::poll(&p, 1, static_cast<int>(limit.count()));
            ::close(pidfd);
            if (ready <= 0) {
                return -1;
            }
        }
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_) {
            return -1;
        }
        pid_ = -1;
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        JoinReader();
        return exitStatus_;
    }

private:
    size_t Occurrences(const std::string& text) const {
        size_t n = 0;
        for (size_t at = output_.find(text); at != std::string::npos;
             at = output_.find(text, at + 1)) {
            ++n;
        }
        return n;
    }
    void JoinReader() {
        if (reader_.joinable()) {
            reader_.join();
        }
    }

    pid_t pid_ = -1;
    int exitStatus_ = -1;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string output_;
};

// Runs a command to its end; its exit status (or -1).
inline int RunCommand(const std::vector<std::string>& args) {
    ChildProcess child;
    if (!child.Spawn(args)) {
        return -1;
    }
    int status = child.Wait(60s);
    if (status != 0) {
        ADD_FAILURE() << args[0] << " failed: " << child.Output();
    }
    return status;
}

// A TCP port on 127.0.0.1 that nothing listens on right now.
inline int FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

// ---- The broker ----

inline constexpr const char* kMosquittoProgram = "/usr/sbin/mosquitto";

// mosquitto on 127.0.0.1, its messages kept on the disk in its folder across restarts.
class Broker {
public:
    // settings: further lines of the configuration (TLS files, password file, ...).
    explicit Broker(std::string folder, std::string settings = "allow_anonymous true\n")
        : folder_(std::move(folder)), settings_(std::move(settings)), port_(FreePort()) {
        fs::create_directories(folder_);
    }
    ~Broker() { Stop(); }

    bool Start() {
        const std::string config = folder_ + "/mosquitto.conf";
        // Started as root, mosquitto would change to its own user, which cannot write the
        // store into the test's folder.
        const std::string user = ::geteuid() == 0 ? "user root\n" : "";
        WriteFileText(config, "listener " + std::to_string(port_) + " 127.0.0.1\n" + user +
                                  settings_ + "persistence true\npersistence_location " + folder_ +
                                  "/\nlog_dest stderr\nlog_type error\nlog_type warning\n"
                                  "log_type notice\nlog_type information\n");
        process_ = std::make_unique<ChildProcess>();
        if (!process_->Spawn({kMosquittoProgram, "-c", config})) {
            return false;
        }
        ++starts_;
        // The line that says it listens, once per start of this process.
        if (!process_->WaitForOutput(" running", 10s)) {
            ADD_FAILURE() << "mosquitto did not start: " << process_->Output();
            return false;
        }
        return true;
    }
    // Stops it as its service would (SIGTERM: it saves its store first).
    void Stop() {
        if (process_) {
            process_->Signal(SIGTERM);
            EXPECT_EQ(process_->Wait(10s), 0) << process_->Output();
            log_ += process_->Output();
            process_.reset();
        }
    }
    // Ends it at once, as a crash or a power loss would: it saves nothing.
    void Kill() {
        if (process_) {
            process_->Signal(SIGKILL);
            EXPECT_EQ(process_->Wait(10s), 128 + SIGKILL);
            log_ += process_->Output();
            process_.reset();
        }
    }
    // SIGSTOP freezes it: connections stay open, nothing is read or answered.
    void Signal(int signal) {
        if (process_) {
            process_->Signal(signal);
        }
    }
    int Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string Log() const { return log_ + (process_ ? process_->Output() : std::string()); }

private:
    std::string folder_;
    std::string settings_;
    int port_;
    int starts_ = 0;
    std::unique_ptr<ChildProcess> process_;
    std::string log_;
};

// ---- Subscribers ----

struct Received {
    std::string topic;
    std::string payload;
    bool retained = false;
    std::chrono::steady_clock::time_point at;
};

class Subscriber {
public:
    // A persistent session (clean false) keeps what arrives for it while it is away, as a
    // historian does.
    explicit Subscriber(int port, std::string clientId = {}, bool clean = true,
                        std::string username = {}, std::string password = {})
        : port_(port) {
        static bool once = [] {
            mosquitto_lib_init();
            return true;
        }();
        (void)once;
        handle_ = mosquitto_new(clientId.empty() ? nullptr : clientId.c_str(), clean, this);
        if (!username.empty()) {
            mosquitto_username_pw_set(handle_, username.c_str(), password.c_str());
        }
        mosquitto_connect_callback_set(handle_, [](mosquitto*, void* self, int rc) {
            auto* s = static_cast<Subscriber*>(self);
            std::lock_guard lock(s->mutex_);
            if (rc == 0) {
                ++s->connects_;
                // Subscriptions are renewed on every connection (a clean session loses them).
                for (const auto& [topic, qos] : s->topics_) {
                    mosquitto_subscribe(s->handle_, nullptr, topic.c_str(), qos);
                }
            }
            s->changed_.notify_all();
        });
        mosquitto_subscribe_callback_set(handle_, [](mosquitto*, void* self, int, int, const int*) {
            auto* s = static_cast<Subscriber*>(self);
            std::lock_guard lock(s->mutex_);
            ++s->subacks_;
            s->changed_.notify_all();
        });
        mosquitto_message_callback_set(handle_,
                                       [](mosquitto*, void* self, const mosquitto_message* m) {
                                           auto* s = static_cast<Subscriber*>(self);
                                           Received r;
                                           r.topic = m->topic;
                                           r.payload.assign(static_cast<const char*>(m->payload),
                                                            static_cast<size_t>(m->payloadlen));
                                           r.retained = m->retain;
                                           r.at = std::chrono::steady_clock::now();
                                           std::lock_guard lock(s->mutex_);
                                           s->messages_.push_back(std::move(r));
                                           s->changed_.notify_all();
                                       });
        mosquitto_reconnect_delay_set(handle_, 1, 1, false);
    }
    ~Subscriber() {
        mosquitto_disconnect(handle_);
        mosquitto_loop_stop(handle_, true);
        mosquitto_destroy(handle_);
    }

    // Connects and subscribes, waiting for the broker's answers.
    bool Start(const std::vector<std::string>& topics, int qos = 1) {
        {
            std::lock_guard lock(mutex_);
            for (const std::string& t : topics) {
                topics_.emplace_back(t, qos);
            }
        }
        if (mosquitto_connect(handle_, "127.0.0.1", port_, 10) != MOSQ_ERR_SUCCESS ||
            mosquitto_loop_start(handle_) != MOSQ_ERR_SUCCESS) {
            return false;
        }
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return subacks_ >= topics_.size(); });
    }
    // Publishes and waits until it has come back (the broker sends in order, so everything it
    // had for this subscriber before is in by then).
    bool RoundTrip(const std::string& topic) {
        const std::string marker = "marker-" + std::to_string(++markers_);
        int mid = 0;
        if (mosquitto_publish(handle_, &mid, topic.c_str(), static_cast<int>(marker.size()),
                              marker.data(), 1, false) != MOSQ_ERR_SUCCESS) {
            return false;
        }
        return WaitFor(
            [&](const std::vector<Received>& all) {
                for (const Received& r : all) {
                    if (r.topic == topic && r.payload == marker) {
                        return true;
                    }
                }
                return false;
            },
            10s);
    }

    bool WaitFor(const std::function<bool(const std::vector<Received>&)>& done,
                 std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return done(messages_); });
    }
    // Waits for count messages on the topic.
    bool WaitForCount(const std::string& topic, size_t count, std::chrono::milliseconds limit) {
        return WaitFor([&](const std::vector<Received>& all) { return Count(all, topic) >= count; },
                       limit);
    }
    std::vector<Received> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<Received> On(const std::string& topic) {
        std::vector<Received> found;
        for (const Received& r : Messages()) {
            if (r.topic == topic) {
                found.push_back(r);
            }
        }
        return found;
    }
    static size_t Count(const std::vector<Received>& all, const std::string& topic) {
        size_t n = 0;
        for (const Received& r : all) {
            n += r.topic == topic ? 1 : 0;
        }
        return n;
    }
    int Connects() {
        std::lock_guard lock(mutex_);
        return connects_;
    }

private:
    int port_;
    mosquitto* handle_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<std::string, int>> topics_;
    size_t subacks_ = 0;
    int connects_ = 0;
    int markers_ = 0;
    std::vector<Received> messages_;
};

// The retained messages under the filter right now, as a new subscriber gets them.
inline std::vector<Received> RetainedNow(int port, const std::string& filter,
                                         std::string username = {}, std::string password = {}) {
    Subscriber probe(port, {}, true, std::move(username), std::move(password));
    const std::string marker = "test/marker";
    EXPECT_TRUE(probe.Start({filter, marker}));
    EXPECT_TRUE(probe.RoundTrip(marker));
    std::vector<Received> retained;
    for (const Received& r : probe.Messages()) {
        if (r.retained) {
            retained.push_back(r);
        }
    }
    return retained;
}

// ---- The station ----

class StationProcess {
public:
    bool Start(std::vector<std::string> args) {
        args.insert(args.begin(), QVM8_STATION_PROGRAM);
        process_ = std::make_unique<ChildProcess>();
        return process_->Spawn(std::move(args));
    }
    bool WaitForLog(const std::string& text, std::chrono::milliseconds limit, size_t count = 1) {
        return process_->WaitForOutput(text, limit, count);
    }
    std::string Log() { return process_ ? process_->Output() : log_; }
    void Signal(int signal) { process_->Signal(signal); }
    int Wait(std::chrono::milliseconds limit) {
        int status = process_->Wait(limit);
        log_ = process_->Output();
        return status;
    }
    // Starts and waits for the end: the exit status.
    int Run(std::vector<std::string> args, std::chrono::milliseconds limit = 30s) {
        if (!Start(std::move(args))) {
            return -1;
        }
        return Wait(limit);
    }

private:
    std::unique_ptr<ChildProcess> process_;
    std::string log_;
};

}  // namespace zul::test

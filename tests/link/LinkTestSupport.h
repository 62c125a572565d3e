// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the link tests: a private home folder, settings and window stand-ins, and a
// scripted controller on the master side of a pseudo-terminal.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/LinkSettings.h"
#include "link/WindowPost.h"

namespace zul::test {

// A fresh folder for HOME and the XDG folders of this test; removed at the end.
class TempHome {
public:
    TempHome();
    ~TempHome();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

class FixedLinkSettings : public LinkSettingsSource {
public:
    LinkSettings ReadLinkSettings() override {
        std::lock_guard lock(mutex_);
        return settings_;
    }
    void Update(const std::function<void(LinkSettings&)>& change) {
        std::lock_guard lock(mutex_);
        change(settings_);
    }

private:
    std::mutex mutex_;
    LinkSettings settings_;
};

// Collects window messages; tests wait for them.
class RecordingWindow : public WindowSink {
public:
    bool PostWindowMessage(uint32_t id, int64_t wParam, int64_t lParam,
                           std::unique_ptr<MessagePayload>& payload) override;
    // Waits until count messages have arrived; returns them.
    std::vector<std::pair<uint32_t, int64_t>> WaitFor(size_t count,
                                                      std::chrono::milliseconds timeout);
    size_t Count();

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::pair<uint32_t, int64_t>> messages_;
};

// Collects trace lines.
class TraceLines {
public:
    void Add(std::string_view line);
    std::vector<std::string> WaitFor(size_t count, std::chrono::milliseconds timeout);
    std::vector<std::string> Lines();

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::string> lines_;
};

// What the peer does for one request.
struct PeerAction {
    enum Kind { kWrite, kDelay, kHangUp } kind = kWrite;
    std::string bytes;
    int delayMs = 0;
    static PeerAction Write(std::string b) { return {kWrite, std::move(b), 0}; }
    static PeerAction Delay(int ms) { return {kDelay, {}, ms}; }
    static PeerAction HangUp() { return {kHangUp, {}, 0}; }
};

// "%EE$..." text with its BCC and CR, as the controller sends it.
std::string ReplyFrame(std::string_view text);

// The controller's side of a pseudo-terminal. Each request (bytes up to a CR) is logged and
// passed to the handler, whose actions run in order. Bytes that arrive while the peer is still
// handling a request (during a delay) mark an overlap: the tool sent before it was answered.
class PtyPeer {
public:
    using Handler = std::function<std::vector<PeerAction>(const std::string& request)>;

    explicit PtyPeer(Handler handler);
    ~PtyPeer();

    const std::string& SlavePath() const { return slavePath_; }
    // The peer's own descriptor of the terminal side (to look at its line settings).
    int SlaveFd() const { return slave_; }
    // Waits until count requests (CR included) have arrived; returns every request so far.
    std::vector<std::string> WaitForRequests(size_t count, std::chrono::milliseconds timeout);
    std::vector<std::string> Requests();
    bool Overlapped();
    // Closes the master side: the tool sees a hang-up.
    void HangUp();

private:
    void Run();
    bool Act(const PeerAction& action);

    Handler handler_;
    int master_ = -1;
    int slave_ = -1;
    int stopPipe_[2] = {-1, -1};
    std::string slavePath_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::string> requests_;
    std::string pendingInput_;
    bool overlapped_ = false;
    bool hungUp_ = false;
};

// Points a symbolic link at a device; replaced atomically.
void PointLink(const std::string& link, const std::string& target);

}  // namespace zul::test

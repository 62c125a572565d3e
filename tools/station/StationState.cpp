// SPDX-License-Identifier: GPL-3.0-or-later
#include "StationState.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/NumberText.h"
#include "base/ProfileText.h"

namespace zul::station {

bool StationState::Open(const std::string& folder, std::string& error) {
    std::lock_guard lock(mutex_);
    path_ = folder + "/station.state";
    lastRun_ = 0;
    armed_ = false;
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        if (errno == ENOENT) {
            return true;
        }
        error = path_ + ": " + std::strerror(errno);
        return false;
    }
    std::string raw;
    while (std::getline(in, raw)) {
        ProfileLine line = SplitProfileLine(raw);
        uint32_t value = 0;
        if (line.key == "run" && ParseUnsignedExact(line.value, value)) {
            lastRun_ = value;
        } else if (line.key == "armed") {
            armed_ = line.value == "1";
        }
    }
    return true;
}

uint64_t StationState::LastRun() const {
    std::lock_guard lock(mutex_);
    return lastRun_;
}

bool StationState::Armed() const {
    std::lock_guard lock(mutex_);
    return armed_;
}

bool StationState::SetArmed(bool armed, std::string& error) {
    std::lock_guard lock(mutex_);
    if (armed_ == armed) {
        return true;
    }
    armed_ = armed;
    return Save(error);
}

bool StationState::SetRunQueued(uint64_t run, std::string& error) {
    std::lock_guard lock(mutex_);
    lastRun_ = run;
    armed_ = false;
    return Save(error);
}

bool StationState::Save(std::string& error) {
    const std::string text =
        "; qvm8-station: the last buffering run queued, and whether a run "
        "was seen that is not read yet\nrun=" +
        std::to_string(lastRun_) + "\narmed=" + (armed_ ? "1" : "0") + "\n";
    const std::string temporary = path_ + ".tmp";
    int fd = ::open(temporary.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0600);
    bool ok = fd >= 0 &&
              ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
              ::fdatasync(fd) == 0;
    int osError = errno;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!ok || ::rename(temporary.c_str(), path_.c_str()) != 0) {
        error = path_ + ": " + std::strerror(ok ? errno : osError);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace zul::station

// SPDX-License-Identifier: GPL-3.0-or-later
// What a station remembers across restarts, in station.state in its state folder: the number
// of the last buffering run it queued for the broker, and whether it has seen a buffering run
// of its controller start that it has not read yet ("armed"), so that a run that completes while
// the station is down is still read when it runs again.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace zul::station {

class StationState {
public:
    // Reads the file in the folder (a missing file is a fresh state). False with a reason when
    // the file exists but cannot be read.
    bool Open(const std::string& folder, std::string& error);

    uint64_t LastRun() const;
    bool Armed() const;
    // Each change is written at once (temporary file, flushed, renamed). False with a reason when
    // it cannot be written; the value is kept in memory all the same.
    bool SetArmed(bool armed, std::string& error);
    // The run has been queued: it becomes the last run and the station is no longer armed.
    bool SetRunQueued(uint64_t run, std::string& error);

private:
    bool Save(std::string& error);

    mutable std::mutex mutex_;
    std::string path_;
    uint64_t lastRun_ = 0;
    bool armed_ = false;
};

}  // namespace zul::station

// SPDX-License-Identifier: GPL-3.0-or-later
// The list of settings files that running instances hold, shared by every instance of the user.
//
// The list lives in a block file of 10240 bytes in $XDG_RUNTIME_DIR (fallback: the user's cache
// folder): a signed 32-bit little-endian count, then the entries back to back, each a canonical
// path ending in one zero byte. Every access holds an flock on a separate lock file. Each open
// registry holds a shared flock on a "holders" file; whoever opens the registry and can take
// that lock exclusively knows that no instance is alive and zeroes the block, as a shared mapping
// vanishes with its last user. Each reservation also holds an flock of its own, so an entry
// whose holder died can be taken over even while other instances run.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zul {

inline constexpr size_t kRegistryBlockSize = 10240;
inline constexpr std::string_view kRegistryBlockName = "QV-M8ZuL SHAREDMEMORY";
inline constexpr std::string_view kRegistryMutexName = "QV-M8ZuL MUTEX_FOR_SHAREDMEMORY";

// Entries of a block; an invalid block (negative count, or a count or entry that runs past the
// block) reads as empty.
std::vector<std::string> ParseRegistryBlock(const std::vector<uint8_t>& block);
// The block of the entries; false when they do not fit.
bool BuildRegistryBlock(const std::vector<std::string>& entries, std::vector<uint8_t>& block);

// The folder of the registry files: $XDG_RUNTIME_DIR, else $XDG_CACHE_HOME, else ~/.cache.
std::string RegistryFolder();

class SettingsFileRegistry {
public:
    // An empty folder means RegistryFolder().
    explicit SettingsFileRegistry(std::string folder = {});
    // Closes the files; reservations not released are then free for others to take over.
    ~SettingsFileRegistry();
    SettingsFileRegistry(const SettingsFileRegistry&) = delete;
    SettingsFileRegistry& operator=(const SettingsFileRegistry&) = delete;

    // Opens (creating when missing) the lock, block and holders files. Called by the first
    // Reserve when not called before. False when the files cannot be used.
    bool Open();
    // The system's error number of the last failed Open (0 after a successful one).
    int OpenError() const { return openError_; }

    // True when this instance now holds the file: an empty path, a path that a live instance
    // holds (compared canonically, without regard to case) or a full block fails.
    bool ReserveSettingsFile(std::string_view path);
    // Withdraws a reservation this instance holds; false when it holds none for the path (the
    // reservations of other instances are left alone).
    bool ReleaseSettingsFile(std::string_view path);

    // The listed canonical paths (empty when the registry cannot be read).
    std::vector<std::string> Entries();
    const std::string& Folder() const { return folder_; }

private:
    bool ReadBlock(std::vector<uint8_t>& block);
    bool WriteBlock(const std::vector<uint8_t>& block);
    std::string EntryLockPath(std::string_view canonical) const;
    // Takes the entry's own lock; true when nobody else holds it.
    bool LockEntry(const std::string& canonical, int& fd);

    std::string folder_;
    int mutexFd_ = -1;
    int blockFd_ = -1;
    int holdersFd_ = -1;
    int openError_ = 0;
    std::map<std::string, int> entryLocks_;  // lower-case canonical path -> its lock
};

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsFileRegistry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/Paths.h"

namespace zul {

namespace {

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

// Holds an exclusive flock for the lifetime of the object (waits without time limit).
class ScopedFlock {
public:
    explicit ScopedFlock(int fd) : fd_(fd) {
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~ScopedFlock() { ::flock(fd_, LOCK_UN); }
    ScopedFlock(const ScopedFlock&) = delete;
    ScopedFlock& operator=(const ScopedFlock&) = delete;

private:
    int fd_;
};

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

uint64_t Fnv1a(std::string_view text) {
    uint64_t hash = 1469598103934665603ull;
    for (char c : text) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

std::vector<std::string> ParseRegistryBlock(const std::vector<uint8_t>& block) {
    std::vector<std::string> entries;
    if (block.size() < 4) {
        return entries;
    }
    int32_t count = static_cast<int32_t>(
        static_cast<uint32_t>(block[0]) | (static_cast<uint32_t>(block[1]) << 8) |
        (static_cast<uint32_t>(block[2]) << 16) | (static_cast<uint32_t>(block[3]) << 24));
    if (count < 0 || static_cast<size_t>(count) > block.size() - 4) {
        return entries;
    }
    size_t pos = 4;
    for (int32_t i = 0; i < count; ++i) {
        const void* end =
            pos < block.size() ? std::memchr(&block[pos], 0, block.size() - pos) : nullptr;
        if (end == nullptr) {
            return {};  // an entry that runs past the block: the block is not trusted
        }
        size_t length = static_cast<const uint8_t*>(end) - &block[pos];
        entries.emplace_back(reinterpret_cast<const char*>(&block[pos]), length);
        pos += length + 1;
    }
    return entries;
}

bool BuildRegistryBlock(const std::vector<std::string>& entries, std::vector<uint8_t>& block) {
    block.assign(kRegistryBlockSize, 0);
    size_t pos = 4;
    for (const std::string& entry : entries) {
        if (pos + entry.size() + 1 > kRegistryBlockSize) {
            return false;
        }
        std::memcpy(&block[pos], entry.data(), entry.size());
        pos += entry.size() + 1;
    }
    uint32_t count = static_cast<uint32_t>(entries.size());
    for (int i = 0; i < 4; ++i) {
        block[i] = static_cast<uint8_t>(count >> (8 * i));
    }
    return true;
}

std::string RegistryFolder() {
    std::string folder = AbsoluteEnv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (!folder.empty() && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return folder;
    }
    folder = AbsoluteEnv("XDG_CACHE_HOME");
    if (folder.empty()) {
        folder = HomeFolder() + "/.cache";
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

SettingsFileRegistry::SettingsFileRegistry(std::string folder) : folder_(std::move(folder)) {}

SettingsFileRegistry::~SettingsFileRegistry() {
    for (auto& [name, fd] : entryLocks_) {
        ::close(fd);
    }
    CloseFd(holdersFd_);
    CloseFd(blockFd_);
    CloseFd(mutexFd_);
}

bool SettingsFileRegistry::Open() {
    if (mutexFd_ >= 0) {
        return true;
    }
    if (folder_.empty()) {
        folder_ = RegistryFolder();
    }
    const std::string base = folder_ + "/";
    int mutexFd = ::open((base + std::string(kRegistryMutexName)).c_str(),
                         O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (mutexFd < 0) {
        openError_ = errno;
        return false;
    }
    int blockFd = -1;
    int holdersFd = -1;
    bool ok = false;
    {
        ScopedFlock guard(mutexFd);
        blockFd = ::open((base + std::string(kRegistryBlockName)).c_str(),
                         O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        holdersFd = ::open((base + std::string(kRegistryBlockName) + ".holders").c_str(),
                           O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ok = blockFd >= 0 && holdersFd >= 0;
        if (ok && ::flock(holdersFd, LOCK_EX | LOCK_NB) == 0) {
            // No live instance holds the registry: start from an empty block.
            std::vector<uint8_t> zero(kRegistryBlockSize, 0);
            ok = ::ftruncate(blockFd, 0) == 0 && ::pwrite(blockFd, zero.data(), zero.size(), 0) ==
                                                     static_cast<ssize_t>(zero.size());
        }
        // Converts the exclusive lock, or joins the other holders.
        ok = ok && ::flock(holdersFd, LOCK_SH) == 0;
    }
    if (!ok) {
        openError_ = errno != 0 ? errno : EIO;
        CloseFd(blockFd);
        CloseFd(holdersFd);
        CloseFd(mutexFd);
        return false;
    }
    openError_ = 0;
    mutexFd_ = mutexFd;
    blockFd_ = blockFd;
    holdersFd_ = holdersFd;
    return true;
}

bool SettingsFileRegistry::ReadBlock(std::vector<uint8_t>& block) {
    block.assign(kRegistryBlockSize, 0);
    size_t done = 0;
    while (done < block.size()) {
        ssize_t n =
            ::pread(blockFd_, block.data() + done, block.size() - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            break;  // a short file reads as zeros beyond its end
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool SettingsFileRegistry::WriteBlock(const std::vector<uint8_t>& block) {
    size_t done = 0;
    while (done < block.size()) {
        ssize_t n =
            ::pwrite(blockFd_, block.data() + done, block.size() - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string SettingsFileRegistry::EntryLockPath(std::string_view canonical) const {
    char name[64];
    std::snprintf(name, sizeof name, ".entry-%016llx",
                  static_cast<unsigned long long>(Fnv1a(LowerAscii(canonical))));
    return folder_ + "/" + std::string(kRegistryBlockName) + name;
}

bool SettingsFileRegistry::LockEntry(const std::string& canonical, int& fd) {
    fd = ::open(EntryLockPath(canonical).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        fd = -1;
        return false;
    }
    return true;
}

bool SettingsFileRegistry::ReserveSettingsFile(std::string_view path) {
    if (path.empty() || !Open()) {
        return false;
    }
    const std::string canonical = CanonicalPath(path);
    const std::string folded = LowerAscii(canonical);
    ScopedFlock guard(mutexFd_);
    std::vector<uint8_t> block;
    if (!ReadBlock(block)) {
        return false;
    }
    std::vector<std::string> entries = ParseRegistryBlock(block);
    bool listed = false;
    for (const std::string& entry : entries) {
        if (LowerAscii(entry) == folded) {
            listed = true;
            break;
        }
    }
    if (listed) {
        // Held, unless its holder died: then its own lock is free and the entry is taken over.
        if (entryLocks_.count(folded) != 0) {
            return false;
        }
        int fd = -1;
        if (!LockEntry(canonical, fd)) {
            return false;
        }
        entryLocks_[folded] = fd;
        return true;
    }
    entries.push_back(canonical);
    if (!BuildRegistryBlock(entries, block)) {
        return false;  // the block stays as it was
    }
    int fd = -1;
    if (!LockEntry(canonical, fd)) {
        // Only a dead holder's entry can have a lock without a listing; a live one would be
        // listed. Failing here keeps two live holders apart in every case.
        return false;
    }
    if (!WriteBlock(block)) {
        ::close(fd);
        return false;
    }
    entryLocks_[folded] = fd;
    return true;
}

bool SettingsFileRegistry::ReleaseSettingsFile(std::string_view path) {
    if (path.empty() || mutexFd_ < 0) {
        return false;
    }
    const std::string folded = LowerAscii(CanonicalPath(path));
    auto lock = entryLocks_.find(folded);
    if (lock == entryLocks_.end()) {
        return false;  // another instance's reservation is not ours to withdraw
    }
    ScopedFlock guard(mutexFd_);
    ::unlink(EntryLockPath(folded).c_str());
    ::close(lock->second);
    entryLocks_.erase(lock);
    std::vector<uint8_t> block;
    if (!ReadBlock(block)) {
        return false;
    }
    std::vector<std::string> entries = ParseRegistryBlock(block);
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (LowerAscii(*it) == folded) {
            entries.erase(it);
            return BuildRegistryBlock(entries, block) && WriteBlock(block);
        }
    }
    return false;
}

std::vector<std::string> SettingsFileRegistry::Entries() {
    if (!Open()) {
        return {};
    }
    ScopedFlock guard(mutexFd_);
    std::vector<uint8_t> block;
    if (!ReadBlock(block)) {
        return {};
    }
    return ParseRegistryBlock(block);
}

}  // namespace zul

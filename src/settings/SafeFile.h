// File primitives of the profile layer: an exclusive writer lock on a file, and a writer that
// replaces a file only once the whole new content is on disk.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/ResultInfo.h"

namespace zul {

// Keeps a second writer away from a file. The file is opened (created when missing) and locked
// with flock; a file replaced by rename while we waited is opened again, so the lock always
// belongs to the file now at the path.
class FileWriteLock {
public:
    FileWriteLock() = default;
    ~FileWriteLock() { Release(); }
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;

    // Fails at once (code failCode, osError EWOULDBLOCK) when another writer holds the file.
    int32_t Acquire(const std::string& path, int32_t failCode, ResultInfo* info);
    void Release();
    bool Held() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    // The file behind the path (symbolic links resolved), where the replacement goes.
    const std::string& Target() const { return target_; }
    // Permission bits of the locked file.
    mode_t Mode() const { return mode_; }

private:
    int fd_ = -1;
    std::string target_;
    mode_t mode_ = 0644;
};

// Reads a whole file from a descriptor. False with errno set on failure.
bool ReadWholeFile(int fd, std::string& content);

// Writes a new file content to a temporary file beside the target, then renames it over the
// target. Until Commit succeeds the target is untouched; a writer destroyed or aborted before
// removes its temporary file.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter() { Abort(); }
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file; ZUL_ERR_FILE_WRITE with errno on failure.
    int32_t Open(const std::string& target, mode_t mode, ResultInfo* info);
    // Buffered append; false after the first failure (Error() then holds errno).
    bool Append(std::string_view data);
    bool AppendLine(std::string_view line) { return Append(line) && Append("\r\n"); }
    // Flushes, syncs and renames over the target; ZUL_ERR_OS_FILE_WRITE with errno on failure
    // (the target then stays as it was).
    int32_t Commit(ResultInfo* info);
    // Drops the temporary file.
    void Abort();
    int Error() const { return error_; }

private:
    bool Flush();

    int fd_ = -1;
    std::string target_;
    std::string temp_;
    std::string buffer_;
    int error_ = 0;
};

}  // namespace zul

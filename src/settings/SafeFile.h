// SPDX-License-Identifier: GPL-3.0-or-later
// File primitives of the profile layer: a bounded reader of regular files, an exclusive writer
// lock on a file, and a writer that replaces a file only once the whole new content is on disk.
//
// Every failure names the file: detail1 is the path, detail2 the system's reason (or why the
// file was refused), osError the error number.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/ResultInfo.h"

namespace zul {

// The largest file the profile layer reads. Settings and data files are far smaller; a larger
// file, or a device that never ends, is refused instead of filling the memory.
inline constexpr size_t kMaxProfileFileSize = 16u * 1024u * 1024u;

// Fills info (when not null) with code, the error number, the path and the system's text of the
// error number; returns code.
int32_t SetFileResult(ResultInfo* info, int32_t code, int error, const std::string& path);

// Reads the whole regular file at path into content. A missing file sets missing and gives
// ZUL_OK with an empty content. Refused with ZUL_ERR_FILE_READ, before anything could block: a
// path that is not a regular file (a FIFO, a device, a folder, a socket) and a file larger than
// kMaxProfileFileSize. A failing read gives ZUL_ERR_OS_FILE_READ.
int32_t ReadRegularFile(const std::string& path, std::string& content, bool& missing,
                        ResultInfo* info);

// Checks, without opening anything, that a save to path can start: ZUL_OK, or failCode with
// the reason for what FileWriteLock::Acquire refuses at once (a folder, a block device, a socket,
// a new file in a folder that does not exist). For a check before a long operation; the save
// itself checks again.
int32_t CheckWriteTarget(const std::string& path, int32_t failCode, ResultInfo* info);

// Writes content as the whole new file at path: the file is locked against a second writer and
// replaced only once the new content is on disk. ZUL_ERR_FILE_WRITE (refused at the start) or
// ZUL_ERR_OS_FILE_WRITE (a failed write), with the path and the reason.
int32_t WriteWholeFileAtomically(const std::string& path, std::string_view content,
                                 ResultInfo* info);

// How a save reaches the file at its path.
enum class WriteTarget {
    kNone,     // nothing acquired
    kReplace,  // an existing regular file, locked; its replacement is renamed over it
    kCreate,   // no file yet; the new one appears complete, and never over a file that
               // appeared in the meantime
    kThrough,  // a character device or a FIFO (/dev/stdout, /dev/null): written through, never
               // replaced
};

// Keeps a second writer away from a file. An existing regular file is opened and locked with
// flock (a file replaced by rename while we waited is opened again, so the lock always belongs
// to the file now at the path); a missing file is not created here, so a save that never
// completes leaves nothing behind. A folder, a block device or a socket is refused.
class FileWriteLock {
public:
    FileWriteLock() = default;
    ~FileWriteLock() { Release(); }
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;

    // Fails at once (code failCode, osError EWOULDBLOCK) when another writer holds the file.
    int32_t Acquire(const std::string& path, int32_t failCode, ResultInfo* info);
    void Release();
    bool Held() const { return kind_ != WriteTarget::kNone; }
    WriteTarget Kind() const { return kind_; }
    // The locked file, or the device written through; -1 for a file still to be created.
    int Fd() const { return fd_; }
    // The path as given (for messages).
    const std::string& Path() const { return path_; }
    // The file behind the path (symbolic links resolved), where the replacement goes.
    const std::string& Target() const { return target_; }
    // Permission bits of the locked file.
    mode_t Mode() const { return mode_; }

    // The present content of a locked regular file (refused beyond kMaxProfileFileSize); empty
    // for a new file and for a device. ZUL_ERR_OS_FILE_READ on a read failure.
    int32_t ReadContent(std::string& content, ResultInfo* info) const;

private:
    int fd_ = -1;
    WriteTarget kind_ = WriteTarget::kNone;
    std::string path_;
    std::string target_;
    mode_t mode_ = 0644;
};

// Writes a new file content. For a regular file the content goes to a temporary file beside the
// target (an unnamed one where the file system allows it, so that even a killed process leaves
// nothing behind) that takes the target's place only in Commit; until then the target is
// untouched, and a writer destroyed or aborted before drops its temporary file. A device or
// FIFO is written through.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter() { Abort(); }
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Prepares the write of the file the lock holds; ZUL_ERR_FILE_WRITE on failure. The lock
    // must stay held until Commit or Abort.
    int32_t Open(const FileWriteLock& lock, ResultInfo* info);
    // Writes a new file or replaces the regular file at target, with the permission bits mode.
    int32_t Open(const std::string& target, mode_t mode, ResultInfo* info);
    // Buffered append; false after the first failure (Error() then holds errno).
    bool Append(std::string_view data);
    bool AppendLine(std::string_view line) { return Append(line) && Append("\r\n"); }
    // Flushes, syncs and puts the new file in place; ZUL_ERR_OS_FILE_WRITE on failure (the
    // target then stays as it was).
    int32_t Commit(ResultInfo* info);
    // Drops the temporary file.
    void Abort();
    int Error() const { return error_; }

private:
    int32_t OpenTemporary(mode_t mode, bool setMode, ResultInfo* info);
    // Puts the complete temporary file at the target; 0 or the error number.
    int PlaceTemporary();
    bool Flush();
    void CloseOwned();

    int fd_ = -1;
    bool ownsFd_ = false;
    bool unnamed_ = false;
    WriteTarget kind_ = WriteTarget::kNone;
    std::string path_;  // for messages
    std::string target_;
    std::string temp_;  // a named temporary file, when one exists
    std::string buffer_;
    int error_ = 0;
};

}  // namespace zul

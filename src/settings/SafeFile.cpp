// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SafeFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zul {

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr int kLockAttempts = 8;
constexpr int kNameAttempts = 16;

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ResolvedTarget(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

// Where a new file at path goes: a dangling symbolic link is followed one step, so that the
// link keeps pointing at the file it names.
std::string NewFileTarget(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
        return path;
    }
    char destination[PATH_MAX];
    ssize_t n = ::readlink(path.c_str(), destination, sizeof destination - 1);
    if (n <= 0) {
        return path;
    }
    std::string target(destination, static_cast<size_t>(n));
    if (target[0] != '/') {
        target = FolderOf(path) + "/" + target;
    }
    return target;
}

// A name beside target that no file has yet (not created here).
std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = FolderOf(target);
    const std::string name = target.substr(target.find_last_of('/') + 1);
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".tmp-%d-%u-%llx", static_cast<int>(::getpid()),
                  counter.fetch_add(1), static_cast<unsigned long long>(now) & 0xFFFFFFull);
    return (folder == "/" ? "" : folder) + "/." + name + suffix;
}

// Reads fd from offset 0 to its end, refusing more than kMaxProfileFileSize bytes. 0 or the
// error number (EFBIG for a file that is too large).
int ReadBounded(int fd, std::string& content) {
    content.clear();
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        if (static_cast<uint64_t>(info.st_size) > kMaxProfileFileSize) {
            return EFBIG;
        }
        content.reserve(static_cast<size_t>(info.st_size));
    }
    char chunk[kBufferSize];
    off_t offset = 0;
    for (;;) {
        ssize_t n = ::pread(fd, chunk, sizeof chunk, offset);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return 0;
        }
        if (content.size() + static_cast<size_t>(n) > kMaxProfileFileSize) {
            content.clear();
            return EFBIG;  // a file that grows while it is read
        }
        content.append(chunk, static_cast<size_t>(n));
        offset += n;
    }
}

int32_t RefuseTooLarge(ResultInfo* info, int32_t code, const std::string& path) {
    return SetResult(info, code, EFBIG, path, "larger than 16 MiB");
}

int32_t RefuseNotRegular(ResultInfo* info, int32_t code, const struct stat& st,
                         const std::string& path) {
    if (S_ISDIR(st.st_mode)) {
        return SetFileResult(info, code, EISDIR, path);
    }
    return SetResult(info, code, EINVAL, path, "not a regular file");
}

// The folder a new file goes into must exist.
int32_t CheckNewFileFolder(const std::string& target, int32_t code, const std::string& path,
                           ResultInfo* info) {
    struct stat folder {};
    if (::stat(FolderOf(target).c_str(), &folder) != 0) {
        return SetFileResult(info, code, errno, path);
    }
    if (!S_ISDIR(folder.st_mode)) {
        return SetFileResult(info, code, ENOTDIR, path);
    }
    return ZUL_OK;
}

void SyncFolder(const std::string& target) {
    int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

}  // namespace

int32_t SetFileResult(ResultInfo* info, int32_t code, int error, const std::string& path) {
    return SetResult(info, code, error, path, error != 0 ? std::strerror(error) : "");
}

int32_t ReadRegularFile(const std::string& path, std::string& content, bool& missing,
                        ResultInfo* info) {
    ClearResult(info);
    content.clear();
    missing = false;
    // Non-blocking: opening a FIFO must not wait for a writer before we can refuse it.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            missing = true;
            return ZUL_OK;
        }
        return SetFileResult(info, ZUL_ERR_FILE_READ, errno, path);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int error = errno;
        ::close(fd);
        return SetFileResult(info, ZUL_ERR_OS_FILE_READ, error, path);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return RefuseNotRegular(info, ZUL_ERR_FILE_READ, st, path);
    }
    int error = ReadBounded(fd, content);
    ::close(fd);
    if (error == EFBIG) {
        return RefuseTooLarge(info, ZUL_ERR_FILE_READ, path);
    }
    if (error != 0) {
        content.clear();
        return SetFileResult(info, ZUL_ERR_OS_FILE_READ, error, path);
    }
    return ZUL_OK;
}

int32_t CheckWriteTarget(const std::string& path, int32_t failCode, ResultInfo* info) {
    ClearResult(info);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISREG(st.st_mode) || S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
            return ZUL_OK;
        }
        return RefuseNotRegular(info, failCode, st, path);
    }
    if (errno != ENOENT) {
        return SetFileResult(info, failCode, errno, path);
    }
    return CheckNewFileFolder(NewFileTarget(path), failCode, path, info);
}

int32_t FileWriteLock::Acquire(const std::string& path, int32_t failCode, ResultInfo* info) {
    Release();
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                return SetFileResult(info, failCode, errno, path);
            }
            std::string target = NewFileTarget(path);
            if (int32_t rc = CheckNewFileFolder(target, failCode, path, info); rc != ZUL_OK) {
                return rc;
            }
            path_ = path;
            target_ = std::move(target);
            mode_ = 0666;  // less the umask, applied when the file is made
            kind_ = WriteTarget::kCreate;
            return ZUL_OK;
        }
        if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
            // Non-blocking open: a FIFO without a reader fails (ENXIO) instead of hanging.
            int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) {
                return SetFileResult(info, failCode, errno, path);
            }
            int flags = ::fcntl(fd, F_GETFL);
            if (flags >= 0) {
                ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
            }
            fd_ = fd;
            path_ = path;
            target_ = path;
            kind_ = WriteTarget::kThrough;
            return ZUL_OK;
        }
        if (!S_ISREG(st.st_mode)) {
            return RefuseNotRegular(info, failCode, st, path);
        }
        int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT) {
                continue;  // removed since: start again
            }
            return SetFileResult(info, failCode, errno, path);
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            int error = errno;
            ::close(fd);
            return SetFileResult(info, failCode, error, path);
        }
        struct stat held {};
        struct stat current {};
        if (::fstat(fd, &held) != 0) {
            int error = errno;
            ::close(fd);
            return SetFileResult(info, failCode, error, path);
        }
        if (S_ISREG(held.st_mode) && ::stat(path.c_str(), &current) == 0 &&
            current.st_dev == held.st_dev && current.st_ino == held.st_ino) {
            fd_ = fd;
            path_ = path;
            target_ = ResolvedTarget(path);
            mode_ = held.st_mode & 07777;
            kind_ = WriteTarget::kReplace;
            return ZUL_OK;
        }
        ::close(fd);  // replaced while we opened it: lock the new file instead
    }
    return SetFileResult(info, failCode, EAGAIN, path);
}

void FileWriteLock::Release() {
    if (fd_ >= 0) {
        ::close(fd_);  // closing drops the flock
        fd_ = -1;
    }
    kind_ = WriteTarget::kNone;
    path_.clear();
    target_.clear();
}

int32_t FileWriteLock::ReadContent(std::string& content, ResultInfo* info) const {
    content.clear();
    if (kind_ != WriteTarget::kReplace) {
        return ZUL_OK;
    }
    int error = ReadBounded(fd_, content);
    if (error == EFBIG) {
        return RefuseTooLarge(info, ZUL_ERR_FILE_READ, path_);
    }
    if (error != 0) {
        content.clear();
        return SetFileResult(info, ZUL_ERR_OS_FILE_READ, error, path_);
    }
    return ZUL_OK;
}

int32_t AtomicFileWriter::Open(const FileWriteLock& lock, ResultInfo* info) {
    Abort();
    error_ = 0;
    kind_ = lock.Kind();
    path_ = lock.Path();
    target_ = lock.Target();
    switch (kind_) {
        case WriteTarget::kThrough:
            fd_ = lock.Fd();
            ownsFd_ = false;
            buffer_.reserve(kBufferSize);
            return ZUL_OK;
        case WriteTarget::kReplace:
            return OpenTemporary(lock.Mode(), true, info);
        case WriteTarget::kCreate:
            return OpenTemporary(lock.Mode(), false, info);
        case WriteTarget::kNone:
            break;
    }
    kind_ = WriteTarget::kNone;
    return SetFileResult(info, ZUL_ERR_FILE_WRITE, EBADF, path_);
}

int32_t AtomicFileWriter::Open(const std::string& target, mode_t mode, ResultInfo* info) {
    Abort();
    error_ = 0;
    kind_ = WriteTarget::kReplace;
    path_ = target;
    target_ = target;
    return OpenTemporary(mode, true, info);
}

int32_t AtomicFileWriter::OpenTemporary(mode_t mode, bool setMode, ResultInfo* info) {
    // An unnamed file first: it never shows in the folder until it is complete.
    fd_ = ::open(FolderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    unnamed_ = fd_ >= 0 && ::access("/proc/self/fd", X_OK) == 0;
    if (fd_ >= 0 && !unnamed_) {
        ::close(fd_);  // cannot be given a name later
        fd_ = -1;
    }
    for (int attempt = 0; fd_ < 0 && attempt < kNameAttempts; ++attempt) {
        temp_ = TemporaryName(target_);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ < 0) {
            int error = errno;
            temp_.clear();
            if (error != EEXIST) {
                return SetFileResult(info, ZUL_ERR_FILE_WRITE, error, path_);
            }
        }
    }
    if (fd_ < 0) {
        return SetFileResult(info, ZUL_ERR_FILE_WRITE, EEXIST, path_);
    }
    ownsFd_ = true;
    if (setMode && ::fchmod(fd_, mode) != 0) {
        int error = errno;
        Abort();
        return SetFileResult(info, ZUL_ERR_FILE_WRITE, error, path_);
    }
    buffer_.reserve(kBufferSize);
    return ZUL_OK;
}

bool AtomicFileWriter::Flush() {
    size_t done = 0;
    while (done < buffer_.size()) {
        ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error_ = errno;
            return false;
        }
        if (n == 0) {
            error_ = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    buffer_.clear();
    return true;
}

bool AtomicFileWriter::Append(std::string_view data) {
    if (fd_ < 0 || error_ != 0) {
        if (error_ == 0) {
            error_ = EBADF;
        }
        return false;
    }
    buffer_.append(data);
    return buffer_.size() < kBufferSize || Flush();
}

int AtomicFileWriter::PlaceTemporary() {
    if (unnamed_) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        if (kind_ == WriteTarget::kCreate) {
            // A link never replaces: a file that appeared meanwhile is not overwritten.
            const int linked =
                ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW);
            return linked == 0 ? 0 : errno;
        }
        for (int attempt = 0; temp_.empty() && attempt < kNameAttempts; ++attempt) {
            std::string name = TemporaryName(target_);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temp_ = name;
            } else if (errno != EEXIST) {
                return errno;
            }
        }
        if (temp_.empty()) {
            return EEXIST;
        }
    }
    if (kind_ == WriteTarget::kCreate) {
        if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) ==
            0) {
            temp_.clear();
            return 0;
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return errno;
        }
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        return errno;
    }
    temp_.clear();
    return 0;
}

int32_t AtomicFileWriter::Commit(ResultInfo* info) {
    if (fd_ < 0 || error_ != 0 || !Flush()) {
        int error = error_ != 0 ? error_ : EBADF;
        Abort();
        return SetFileResult(info, ZUL_ERR_OS_FILE_WRITE, error, path_);
    }
    if (kind_ == WriteTarget::kThrough) {
        fd_ = -1;  // the lock owns the device
        kind_ = WriteTarget::kNone;
        return ZUL_OK;
    }
    if (::fsync(fd_) != 0) {
        int error = errno;
        Abort();
        return SetFileResult(info, ZUL_ERR_OS_FILE_WRITE, error, path_);
    }
    int error = PlaceTemporary();
    if (error == 0) {
        CloseOwned();  // the content is on disk already (fsync)
    }
    if (error != 0) {
        Abort();
        return SetFileResult(info, ZUL_ERR_OS_FILE_WRITE, error, path_);
    }
    // Make the rename itself durable; a failure here no longer endangers the old content.
    SyncFolder(target_);
    kind_ = WriteTarget::kNone;
    return ZUL_OK;
}

void AtomicFileWriter::CloseOwned() {
    if (fd_ >= 0 && ownsFd_) {
        ::close(fd_);
    }
    fd_ = -1;
    ownsFd_ = false;
}

void AtomicFileWriter::Abort() {
    CloseOwned();
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
    unnamed_ = false;
    buffer_.clear();
}

int32_t WriteWholeFileAtomically(const std::string& path, std::string_view content,
                                 ResultInfo* info) {
    ClearResult(info);
    FileWriteLock lock;
    AtomicFileWriter writer;
    int32_t code = lock.Acquire(path, ZUL_ERR_FILE_WRITE, info);
    if (code == ZUL_OK) {
        code = writer.Open(lock, info);
    }
    if (code != ZUL_OK) {
        return code;
    }
    writer.Append(content);  // a failed append is reported by Commit with its error number
    return writer.Commit(info);
}

}  // namespace zul

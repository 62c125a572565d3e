#include "settings/SafeFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace zul {

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr int kLockAttempts = 8;

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

}  // namespace

int32_t FileWriteLock::Acquire(const std::string& path, int32_t failCode, ResultInfo* info) {
    Release();
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            return SetResult(info, failCode, errno);
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            int error = errno;
            ::close(fd);
            return SetResult(info, failCode, error);
        }
        struct stat held {};
        struct stat current {};
        if (::fstat(fd, &held) != 0) {
            int error = errno;
            ::close(fd);
            return SetResult(info, failCode, error);
        }
        if (::stat(path.c_str(), &current) == 0 && current.st_dev == held.st_dev &&
            current.st_ino == held.st_ino) {
            fd_ = fd;
            target_ = ResolvedTarget(path);
            mode_ = held.st_mode & 07777;
            return ZUL_OK;
        }
        ::close(fd);  // replaced while we opened it: lock the new file instead
    }
    return SetResult(info, failCode, EAGAIN);
}

void FileWriteLock::Release() {
    if (fd_ >= 0) {
        ::close(fd_);  // closing drops the flock
        fd_ = -1;
    }
    target_.clear();
}

bool ReadWholeFile(int fd, std::string& content) {
    content.clear();
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
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
            return false;
        }
        if (n == 0) {
            return true;
        }
        content.append(chunk, static_cast<size_t>(n));
        offset += n;
    }
}

int32_t AtomicFileWriter::Open(const std::string& target, mode_t mode, ResultInfo* info) {
    Abort();
    error_ = 0;
    target_ = target;
    std::string name = target.substr(target.find_last_of('/') + 1);
    std::string folder = FolderOf(target);
    temp_ = (folder == "/" ? "" : folder) + "/." + name + ".tmp-XXXXXX";
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        int error = errno;
        temp_.clear();
        return SetResult(info, ZUL_ERR_FILE_WRITE, error);
    }
    if (::fchmod(fd_, mode) != 0) {
        int error = errno;
        Abort();
        return SetResult(info, ZUL_ERR_FILE_WRITE, error);
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

int32_t AtomicFileWriter::Commit(ResultInfo* info) {
    if (fd_ < 0 || error_ != 0 || !Flush() || ::fsync(fd_) != 0) {
        int error = error_ != 0 ? error_ : (fd_ < 0 ? EBADF : errno);
        Abort();
        return SetResult(info, ZUL_ERR_OS_FILE_WRITE, error);
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        int error = errno;
        Abort();
        return SetResult(info, ZUL_ERR_OS_FILE_WRITE, error);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        int error = errno;
        Abort();
        return SetResult(info, ZUL_ERR_OS_FILE_WRITE, error);
    }
    temp_.clear();
    // Make the rename itself durable; a failure here no longer endangers the old content.
    int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return ZUL_OK;
}

void AtomicFileWriter::Abort() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
    buffer_.clear();
}

}  // namespace zul

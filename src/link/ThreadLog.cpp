// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ThreadLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <shared_mutex>
#include <system_error>

#include "base/DiagnosticLog.h"
#include "base/Paths.h"

namespace zul {

namespace {

std::shared_mutex gRegistrationMutex;
CThreadLog* gLogThread = nullptr;

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Writes all bytes; false on any failure or short write that cannot be completed.
bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::unique_ptr<LogLineRecord> MakeLogLineRecord(std::string_view text) {
    auto record = std::make_unique<LogLineRecord>();
    record->processId = static_cast<uint32_t>(::getpid());
    record->threadId = static_cast<uint32_t>(::syscall(SYS_gettid));
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    record->time.year = static_cast<uint16_t>(local.tm_year + 1900);
    record->time.month = static_cast<uint16_t>(local.tm_mon + 1);
    record->time.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
    record->time.day = static_cast<uint16_t>(local.tm_mday);
    record->time.hour = static_cast<uint16_t>(local.tm_hour);
    record->time.minute = static_cast<uint16_t>(local.tm_min);
    record->time.second = static_cast<uint16_t>(local.tm_sec);
    record->time.milliseconds = static_cast<uint16_t>(now.tv_nsec / 1000000);
    record->text.assign(text);
    return record;
}

std::string FormatLogLine(const LogLineRecord& record) {
    char header[96];
    const LogStamp& t = record.time;
    int n =
        std::snprintf(header, sizeof header, "%08x, %08x, %04d/%02d/%02d, %02d:%02d:%02d.%03d, ",
                      record.processId, record.threadId, t.year, t.month, t.day, t.hour, t.minute,
                      t.second, t.milliseconds);
    std::string line(header, n > 0 ? static_cast<size_t>(n) : 0);
    line += record.text;
    return line;
}

std::string LogFileName(const LogStamp& stamp) {
    char name[32];
    std::snprintf(name, sizeof name, "log_%04d%02d%02d.log", stamp.year, stamp.month, stamp.day);
    return name;
}

CThreadLog::CThreadLog(const LogSettingsSource& settings, LogPathResolver resolver)
    : MessageThread("log"), settings_(settings), resolver_(std::move(resolver)) {
    if (!resolver_) {
        resolver_ = [](const std::string& name) { return LocalAppDataPath(name); };
    }
}

CThreadLog::~CThreadLog() {
    {
        std::unique_lock lock(gRegistrationMutex);
        if (gLogThread == this) {
            gLogThread = nullptr;
            SetLogLineSink(nullptr);
        }
    }
    Stop();
}

bool CThreadLog::PostRecord(std::unique_ptr<LogLineRecord> record) {
    Message message{kMsgLogWriteLine, 0, 0, std::move(record)};
    return Post(message);  // on failure the record dies with the message
}

void CThreadLog::OnMessage(Message& message) {
    if (message.id != kMsgLogWriteLine) {
        return;
    }
    std::unique_ptr<LogLineRecord> record = message.Take<LogLineRecord>();
    if (record) {
        WriteLine(*record);
    }
}

void CThreadLog::WriteLine(const LogLineRecord& record) {
    if (settings_.LogEnableFlag() == 0) {
        return;
    }
    const std::string folder = settings_.LogFolder();

    std::string trimmed = folder;
    if (!trimmed.empty() && IsSeparator(trimmed.back())) {
        trimmed.pop_back();
    }
    if (!trimmed.empty() && !(trimmed.size() == 1 && IsSeparator(trimmed[0]))) {
        std::error_code ec;
        std::filesystem::create_directories(resolver_(trimmed), ec);
        // A failure shows up when the file cannot be opened below.
    }

    std::string name = folder;
    if (!name.empty() && !IsSeparator(name.back())) {
        name += '/';
    }
    name += LogFileName(record.time);
    const std::string path = resolver_(name);

    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    // Keep other writers out while the line goes in; a file that another writer holds is
    // skipped for this line.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    std::string line = FormatLogLine(record);
    line += "\r\n";
    WriteAll(fd, line);  // a failed write abandons the file; the line is lost
    ::close(fd);
}

void SetLogThread(CThreadLog* thread) {
    std::unique_lock lock(gRegistrationMutex);
    gLogThread = thread;
    // The diagnostic log's file copy travels the same way as every other line.
    SetLogLineSink(thread != nullptr ? &LogLine : nullptr);
}

void LogLine(std::string_view text) {
    std::unique_ptr<LogLineRecord> record = MakeLogLineRecord(text);
    std::shared_lock lock(gRegistrationMutex);
    if (gLogThread != nullptr) {
        gLogThread->PostRecord(std::move(record));
    }
}

}  // namespace zul

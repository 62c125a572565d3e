// SPDX-License-Identifier: GPL-3.0-or-later
// The log thread: appends stamped text lines to a daily log file. Any thread hands it a line
// through LogLine; the line is stamped at once on the caller's thread and written later on the
// log thread, so callers never wait for the disk.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/MessageThread.h"

namespace zul {

// Thread message that carries one LogLineRecord.
inline constexpr uint32_t kMsgLogWriteLine = kUserMessage + 8;  // 1032

// Local time of a log line, in calendar fields.
struct LogStamp {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// One line on its way to the log thread; owned by the log thread once posted.
struct LogLineRecord : MessagePayload {
    uint32_t processId = 0;
    uint32_t threadId = 0;
    LogStamp time;
    std::string text;
};

// The settings the log thread reads for every line. The settings store implements it; the
// object must outlive the log thread.
class LogSettingsSource {
public:
    virtual ~LogSettingsSource() = default;
    // Nonzero: lines are written.
    virtual int32_t LogEnableFlag() const = 0;
    // Folder of the daily files; relative folders are resolved by the log path resolver.
    virtual std::string LogFolder() const = 0;
};

// Turns a log folder or file name into a full path (the local application-data rule).
using LogPathResolver = std::function<std::string(const std::string& name)>;

// Current local time, process id and thread id of the caller, with the text.
std::unique_ptr<LogLineRecord> MakeLogLineRecord(std::string_view text);

// "%08x, %08x, %04d/%02d/%02d, %02d:%02d:%02d.%03d, " + text (no line end).
std::string FormatLogLine(const LogLineRecord& record);

// "log_%04d%02d%02d.log" from the stamp's date.
std::string LogFileName(const LogStamp& stamp);

class CThreadLog : public MessageThread {
public:
    // An empty resolver uses LocalAppDataPath.
    explicit CThreadLog(const LogSettingsSource& settings, LogPathResolver resolver = {});
    ~CThreadLog() override;

    // Queues a finished record (the stamp is the record's own). False when the thread no longer
    // takes messages; the record is then destroyed here and the line is lost.
    bool PostRecord(std::unique_ptr<LogLineRecord> record);

protected:
    void OnMessage(Message& message) override;

private:
    void WriteLine(const LogLineRecord& record);

    const LogSettingsSource& settings_;
    LogPathResolver resolver_;
};

// Registers the log thread that LogLine posts to (null: none). The previous registration ends
// before this returns, so a log thread can be destroyed safely after it was unregistered. A
// registered thread also receives the diagnostic log's lines (base/DiagnosticLog.h).
void SetLogThread(CThreadLog* thread);

// Callable on any thread: stamps the text and posts it to the registered log thread. Without a
// registered thread, or when posting fails, the line is dropped. Never blocks on the file.
void LogLine(std::string_view text);

}  // namespace zul

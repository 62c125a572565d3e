// SPDX-License-Identifier: GPL-3.0-or-later
// The diagnostic log: levelled lines with the name of the module that writes them, for failures
// that no result code reaches a user with (a reply time-out on a worker thread, a file that
// could not be written) and for states that cannot happen.
//
// A line goes
//   - to the log file, through the log thread, as "<LEVEL>, <module>, <text>" (the log thread
//     writes it only while LogEnableFlag is set, as every other log line);
//   - to stderr, as "<program>: <level>: <module>: <text>", only when the environment variable
//     QVM8_LOG names a level.
// QVM8_LOG=debug|info|warn|error sets the lowest level written to both; without it (or with any
// other value) stderr gets nothing and the log file gets info and above.
//
//   LogError("link", "reply time-out: " + detail);
//   if (!ExpectState(request != nullptr, "buffering", "reply without a request")) return;
#pragma once

#include <cstdint>
#include <source_location>
#include <string_view>

#include "base/ResultInfo.h"

namespace zul {

enum class LogLevel { kDebug = 0, kInfo = 1, kWarn = 2, kError = 3 };

// The name of the environment variable that switches the stderr copy on.
inline constexpr const char* kLogEnvironmentVariable = "QVM8_LOG";

// Writes one line at the level, when the level is at or above the threshold.
void Log(LogLevel level, std::string_view module, std::string_view text);
inline void LogDebug(std::string_view module, std::string_view text) {
    Log(LogLevel::kDebug, module, text);
}
inline void LogInfo(std::string_view module, std::string_view text) {
    Log(LogLevel::kInfo, module, text);
}
inline void LogWarn(std::string_view module, std::string_view text) {
    Log(LogLevel::kWarn, module, text);
}
inline void LogError(std::string_view module, std::string_view text) {
    Log(LogLevel::kError, module, text);
}

// The same line to stderr only (when switched on), for events the log file already receives in
// a form of their own (the link's diagnostic trace lines).
void LogToStderr(LogLevel level, std::string_view module, std::string_view text);

// True when a line of the level would be written anywhere; lets a caller skip building an
// expensive text.
bool LogEnabled(LogLevel level);

// For a state that cannot happen: when the condition is false, logs an error with the module,
// the text and the place (file:line). Returns the condition, so the caller keeps its way out.
bool ExpectState(bool condition, std::string_view module, std::string_view what,
                 std::source_location where = std::source_location::current());

// Logs "<what>: <result key>, <detail1>, <detail2> (error <osError>)" at the level.
void LogFailure(LogLevel level, std::string_view module, std::string_view what,
                const ResultInfo& result);

// Runs body(info) and logs a warning with what and the result when it fails. A null info gets
// a record of its own, so the log has the details all the same. Returns what body returns.
template <typename Body>
int32_t LogIfFails(std::string_view module, std::string_view what, ResultInfo* info, Body&& body) {
    ResultInfo local;
    ResultInfo* target = info != nullptr ? info : &local;
    const int32_t code = body(target);
    if (code != ZUL_OK) {
        LogFailure(LogLevel::kWarn, module, what, *target);
    }
    return code;
}

// "debug", "info", "warn" or "error".
std::string_view LogLevelName(LogLevel level);
// Parses a level name as QVM8_LOG takes it (case-insensitive; "warning" too); false when the
// text names no level.
bool ParseLogLevel(std::string_view text, LogLevel* level);

// Where the log-file copy goes: the link layer registers the function that posts a line to the
// log thread (null: none). Callable on any thread.
using LogLineSink = void (*)(std::string_view line);
void SetLogLineSink(LogLineSink sink);

// Reads QVM8_LOG again; it is otherwise read once, on the first line.
void ReadLogEnvironment();

}  // namespace zul

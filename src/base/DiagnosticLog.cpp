// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/DiagnosticLog.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>

namespace zul {

namespace {

struct LogConfig {
    std::atomic<int> threshold{static_cast<int>(LogLevel::kInfo)};
    std::atomic<bool> toStderr{false};
    std::atomic<LogLineSink> sink{nullptr};
};

void LoadEnvironment(LogConfig& config) {
    const char* value = std::getenv(kLogEnvironmentVariable);
    LogLevel level = LogLevel::kInfo;
    const bool named = value != nullptr && ParseLogLevel(value, &level);
    config.threshold.store(static_cast<int>(named ? level : LogLevel::kInfo));
    config.toStderr.store(named);
}

LogConfig& Config() {
    static LogConfig config;
    static std::once_flag loaded;
    std::call_once(loaded, [] { LoadEnvironment(config); });
    return config;
}

bool AtThreshold(const LogConfig& config, LogLevel level) {
    return static_cast<int>(level) >= config.threshold.load();
}

// A line stays one line: line ends inside the text become spaces.
void AppendOneLine(std::string& line, std::string_view text) {
    for (char c : text) {
        line.push_back(c == '\r' || c == '\n' ? ' ' : c);
    }
}

void WriteStderr(LogLevel level, std::string_view module, std::string_view text) {
    std::string line = program_invocation_short_name;
    line += ": ";
    line += LogLevelName(level);
    line += ": ";
    line += module;
    line += ": ";
    AppendOneLine(line, text);
    line += '\n';
    // One write per line, so lines of different threads do not interleave.
    size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string_view LogLevelName(LogLevel level) {
    switch (level) {
        case LogLevel::kDebug:
            return "debug";
        case LogLevel::kInfo:
            return "info";
        case LogLevel::kWarn:
            return "warn";
        case LogLevel::kError:
            return "error";
    }
    return "error";
}

bool ParseLogLevel(std::string_view text, LogLevel* level) {
    std::string upper;
    for (char c : text) {
        upper.push_back(UpperAscii(c));
    }
    struct Name {
        std::string_view text;
        LogLevel level;
    };
    static constexpr Name kNames[] = {{"DEBUG", LogLevel::kDebug},
                                      {"INFO", LogLevel::kInfo},
                                      {"WARN", LogLevel::kWarn},
                                      {"WARNING", LogLevel::kWarn},
                                      {"ERROR", LogLevel::kError}};
    for (const Name& name : kNames) {
        if (upper == name.text) {
            *level = name.level;
            return true;
        }
    }
    return false;
}

void Log(LogLevel level, std::string_view module, std::string_view text) {
    LogConfig& config = Config();
    if (!AtThreshold(config, level)) {
        return;
    }
    if (LogLineSink sink = config.sink.load()) {
        std::string line;
        for (char c : LogLevelName(level)) {
            line.push_back(UpperAscii(c));
        }
        line += ", ";
        line += module;
        line += ", ";
        AppendOneLine(line, text);
        sink(line);
    }
    if (config.toStderr.load()) {
        WriteStderr(level, module, text);
    }
}

void LogToStderr(LogLevel level, std::string_view module, std::string_view text) {
    LogConfig& config = Config();
    if (config.toStderr.load() && AtThreshold(config, level)) {
        WriteStderr(level, module, text);
    }
}

bool LogEnabled(LogLevel level) {
    LogConfig& config = Config();
    return AtThreshold(config, level) && (config.toStderr.load() || config.sink.load() != nullptr);
}

bool ExpectState(bool condition, std::string_view module, std::string_view what,
                 std::source_location where) {
    if (condition) {
        return true;
    }
    std::string_view file = where.file_name();
    if (size_t slash = file.find_last_of('/'); slash != std::string_view::npos) {
        file.remove_prefix(slash + 1);
    }
    std::string text = "impossible state: ";
    text += what;
    text += " (";
    text += file;
    text += ':';
    text += std::to_string(where.line());
    text += ')';
    LogError(module, text);
    return false;
}

void LogFailure(LogLevel level, std::string_view module, std::string_view what,
                const ResultInfo& result) {
    if (!LogEnabled(level)) {
        return;
    }
    std::string text(what);
    text += ": ";
    text += ResultKey(result.code).empty() ? std::to_string(result.code)
                                           : std::string(ResultKey(result.code));
    for (const std::string* detail : {&result.detail1, &result.detail2}) {
        if (!detail->empty()) {
            text += ", ";
            text += *detail;
        }
    }
    if (result.osError != 0) {
        text += " (error " + std::to_string(result.osError) + ")";
    }
    Log(level, module, text);
}

void SetLogLineSink(LogLineSink sink) {
    Config().sink.store(sink);
}

void ReadLogEnvironment() {
    LoadEnvironment(Config());
}

}  // namespace zul

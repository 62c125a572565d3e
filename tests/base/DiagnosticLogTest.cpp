// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/DiagnosticLog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace zul {
namespace {

std::mutex gLinesMutex;
std::vector<std::string> gLines;

void CollectLine(std::string_view line) {
    std::lock_guard lock(gLinesMutex);
    gLines.emplace_back(line);
}

// Sets QVM8_LOG (null: unset) and collects the log-file copies for the test's duration.
class LogEnvironment {
public:
    explicit LogEnvironment(const char* value) {
        if (value != nullptr) {
            ::setenv(kLogEnvironmentVariable, value, 1);
        } else {
            ::unsetenv(kLogEnvironmentVariable);
        }
        ReadLogEnvironment();
        gLines.clear();
        SetLogLineSink(&CollectLine);
    }
    ~LogEnvironment() {
        SetLogLineSink(nullptr);
        ::unsetenv(kLogEnvironmentVariable);
        ReadLogEnvironment();
    }
};

// What one Log call writes to stderr.
std::string StderrOf(LogLevel level, std::string_view module, std::string_view text) {
    testing::internal::CaptureStderr();
    Log(level, module, text);
    return testing::internal::GetCapturedStderr();
}

TEST(DiagnosticLog, WithoutTheVariableOnlyTheLogFileGetsInfoAndAbove) {
    LogEnvironment environment(nullptr);
    EXPECT_EQ(StderrOf(LogLevel::kError, "link", "reply time-out"), "");
    LogDebug("link", "not written");
    LogInfo("app", "started");
    LogWarn("settings", "file not read");
    EXPECT_EQ(gLines, (std::vector<std::string>{"ERROR, link, reply time-out", "INFO, app, started",
                                                "WARN, settings, file not read"}));
}

TEST(DiagnosticLog, TheVariableSwitchesStderrOnAndSetsTheLowestLevel) {
    LogEnvironment environment("Warn");
    const std::string program = program_invocation_short_name;
    EXPECT_EQ(StderrOf(LogLevel::kWarn, "link", "reply time-out\r\nfor %EE#RMB5"),
              program + ": warn: link: reply time-out  for %EE#RMB5\n");
    EXPECT_EQ(StderrOf(LogLevel::kError, "buffering", "x"), program + ": error: buffering: x\n");
    EXPECT_EQ(StderrOf(LogLevel::kInfo, "link", "below the level"), "");
    EXPECT_EQ(gLines, (std::vector<std::string>{"WARN, link, reply time-out  for %EE#RMB5",
                                                "ERROR, buffering, x"}));
    EXPECT_FALSE(LogEnabled(LogLevel::kInfo));
    EXPECT_TRUE(LogEnabled(LogLevel::kWarn));
}

TEST(DiagnosticLog, DebugLevelAndUnknownValues) {
    {
        LogEnvironment environment("debug");
        EXPECT_NE(StderrOf(LogLevel::kDebug, "sim", "trace"), "");
    }
    {
        // A value that names no level leaves stderr off.
        LogEnvironment environment("verbose");
        EXPECT_EQ(StderrOf(LogLevel::kError, "sim", "x"), "");
    }
    LogLevel level = LogLevel::kDebug;
    EXPECT_TRUE(ParseLogLevel("WARNING", &level));
    EXPECT_EQ(level, LogLevel::kWarn);
    EXPECT_FALSE(ParseLogLevel("", &level));
}

TEST(DiagnosticLog, StderrOnlyCopyAndFailureDetails) {
    LogEnvironment environment("info");
    testing::internal::CaptureStderr();
    LogToStderr(LogLevel::kWarn, "link", "already in the trace");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("warn: link: already in the trace"),
              std::string::npos);
    EXPECT_TRUE(gLines.empty());

    ResultInfo result;
    SetResult(&result, ZUL_ERR_FILE_READ, 13, "/tmp/a.zul", "Permission denied");
    testing::internal::CaptureStderr();
    LogFailure(LogLevel::kWarn, "settings", "file not read", result);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(gLines.size(), 1u);
    EXPECT_EQ(gLines[0],
              "WARN, settings, file not read: ZUL_ERR_FILE_READ, /tmp/a.zul, Permission denied "
              "(error 13)");
}

TEST(DiagnosticLog, LogIfFailsKeepsTheCodeAndLogsOnlyFailures) {
    LogEnvironment environment(nullptr);
    EXPECT_EQ(LogIfFails("settings", "ok", nullptr, [](ResultInfo*) { return ZUL_OK; }), ZUL_OK);
    EXPECT_TRUE(gLines.empty());
    // A null record: the log still has the details.
    EXPECT_EQ(LogIfFails("settings", "file not written", nullptr,
                         [](ResultInfo* r) { return SetResult(r, ZUL_ERR_OS_FILE_WRITE, 28); }),
              ZUL_ERR_OS_FILE_WRITE);
    ASSERT_EQ(gLines.size(), 1u);
    EXPECT_EQ(gLines[0], "WARN, settings, file not written: ZUL_ERR_OS_FILE_WRITE (error 28)");
}

TEST(DiagnosticLog, ExpectStateLogsThePlaceOfAnImpossibleState) {
    LogEnvironment environment(nullptr);
    EXPECT_TRUE(ExpectState(true, "buffering", "never logged"));
    EXPECT_TRUE(gLines.empty());
    const int line = __LINE__ + 1;
    EXPECT_FALSE(ExpectState(false, "buffering", "reply without a request"));
    ASSERT_EQ(gLines.size(), 1u);
    EXPECT_EQ(gLines[0],
              "ERROR, buffering, impossible state: reply without a request "
              "(DiagnosticLogTest.cpp:" +
                  std::to_string(line) + ")");
}

}  // namespace
}  // namespace zul

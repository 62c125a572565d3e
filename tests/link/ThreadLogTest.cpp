// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/DiagnosticLog.h"
#include "link/ThreadLog.h"
#include "link/TraceEscape.h"

#include "link/Event.h"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace zul {
namespace {

namespace fs = std::filesystem;

// A private HOME with XDG folders inside, removed at the end.
class TempHome {
public:
    TempHome() {
        std::string pattern = (fs::temp_directory_path() / "zul-log-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        ::setenv("HOME", root_.c_str(), 1);
        ::setenv("XDG_STATE_HOME", (root_ + "/state").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    }
    ~TempHome() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const std::string& Root() const { return root_; }
    std::string ProductFolder() const { return root_ + "/state/Brantwick ORTA Sensor/QV-M8 ZuL"; }

private:
    std::string root_;
};

class FakeLogSettings : public LogSettingsSource {
public:
    int32_t LogEnableFlag() const override {
        std::lock_guard lock(mutex_);
        if (!flags_.empty()) {
            int32_t flag = flags_.front();
            flags_.erase(flags_.begin());
            return flag;
        }
        return enable_;
    }
    std::string LogFolder() const override {
        std::lock_guard lock(mutex_);
        return folder_;
    }
    void SetEnable(int32_t enable) {
        std::lock_guard lock(mutex_);
        enable_ = enable;
    }
    void SetFolder(std::string folder) {
        std::lock_guard lock(mutex_);
        folder_ = std::move(folder);
    }
    // Flags returned by the next reads, one per line, before falling back to the fixed flag.
    void QueueFlags(std::vector<int32_t> flags) {
        std::lock_guard lock(mutex_);
        flags_ = std::move(flags);
    }

private:
    mutable std::mutex mutex_;
    int32_t enable_ = 1;
    std::string folder_ = "log";
    mutable std::vector<int32_t> flags_;
};

std::unique_ptr<LogLineRecord> Record(uint32_t pid, uint32_t tid, LogStamp stamp,
                                      std::string text) {
    auto record = std::make_unique<LogLineRecord>();
    record->processId = pid;
    record->threadId = tid;
    record->time = stamp;
    record->text = std::move(text);
    return record;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool IsEmptyFolder(const std::string& path) {
    std::error_code ec;
    return !fs::exists(path) || fs::is_empty(path, ec);
}

constexpr LogStamp kMarch9Late{2016, 3, 3, 9, 23, 59, 59, 999};
constexpr LogStamp kMarch10Early{2016, 3, 4, 10, 0, 0, 0, 0};

TEST(LogFormat, LineAndFileName) {
    auto record = Record(0x1A2C, 0x0F04, LogStamp{2016, 3, 3, 9, 14, 5, 7, 42},
                         "RS, SND,   11, %EE#RMC06A\\r");
    EXPECT_EQ(FormatLogLine(*record),
              "00001a2c, 00000f04, 2016/03/09, 14:05:07.042, RS, SND,   11, %EE#RMC06A\\r");
    EXPECT_EQ(LogFileName(record->time), "log_20160309.log");

    auto wide = Record(0xFFFFFFFFu, 0, LogStamp{999, 12, 0, 31, 0, 0, 0, 5}, "");
    EXPECT_EQ(FormatLogLine(*wide), "ffffffff, 00000000, 0999/12/31, 00:00:00.005, ");
    EXPECT_EQ(LogFileName(wide->time), "log_09991231.log");
}

TEST(LogFormat, RecordIsStampedByTheCaller) {
    time_t before = ::time(nullptr);
    auto record = MakeLogLineRecord("hello");
    time_t after = ::time(nullptr);
    EXPECT_EQ(record->processId, static_cast<uint32_t>(::getpid()));
    EXPECT_EQ(record->threadId, static_cast<uint32_t>(::syscall(SYS_gettid)));
    EXPECT_EQ(record->text, "hello");
    EXPECT_LT(record->time.milliseconds, 1000);
    // The stamp is local time between the two readings.
    bool matches = false;
    for (time_t t : {before, after}) {
        tm local{};
        ::localtime_r(&t, &local);
        matches = matches ||
                  (record->time.year == local.tm_year + 1900 &&
                   record->time.month == local.tm_mon + 1 && record->time.day == local.tm_mday &&
                   record->time.hour == local.tm_hour && record->time.dayOfWeek == local.tm_wday);
    }
    EXPECT_TRUE(matches);
}

TEST(LogThread, DailyFileFollowsTheStampNotTheClock) {
    TempHome home;
    FakeLogSettings settings;
    {
        CThreadLog log(settings);
        ASSERT_TRUE(log.Start());
        ASSERT_TRUE(log.PostRecord(Record(1, 2, kMarch9Late, "late")));
        ASSERT_TRUE(log.PostRecord(Record(1, 2, kMarch10Early, "early")));
        ASSERT_TRUE(log.PostRecord(Record(1, 3, kMarch9Late, "late again")));
        log.Stop();  // drains the queue
    }
    const std::string folder = home.ProductFolder() + "/log/";
    EXPECT_EQ(ReadAll(folder + "log_20160309.log"),
              "00000001, 00000002, 2016/03/09, 23:59:59.999, late\r\n"
              "00000001, 00000003, 2016/03/09, 23:59:59.999, late again\r\n");
    EXPECT_EQ(ReadAll(folder + "log_20160310.log"),
              "00000001, 00000002, 2016/03/10, 00:00:00.000, early\r\n");
}

TEST(LogThread, AppendsToAnExistingFile) {
    TempHome home;
    FakeLogSettings settings;
    settings.SetFolder("");
    const std::string path = home.ProductFolder() + "/log_20160309.log";
    fs::create_directories(home.ProductFolder());
    std::ofstream(path, std::ios::binary) << "old line\r\n";
    {
        CThreadLog log(settings);
        ASSERT_TRUE(log.Start());
        log.PostRecord(Record(1, 2, kMarch9Late, "new"));
        log.Stop();
    }
    EXPECT_EQ(ReadAll(path), "old line\r\n00000001, 00000002, 2016/03/09, 23:59:59.999, new\r\n");
}

TEST(LogThread, DisabledFlagCreatesNothing) {
    TempHome home;
    FakeLogSettings settings;
    settings.SetEnable(0);
    {
        CThreadLog log(settings);
        ASSERT_TRUE(log.Start());
        log.PostRecord(Record(1, 2, kMarch9Late, "x"));
        log.Stop();
    }
    EXPECT_TRUE(IsEmptyFolder(home.Root() + "/state"));
}

TEST(LogThread, FlagIsReadForEveryLine) {
    TempHome home;
    FakeLogSettings settings;
    settings.QueueFlags({1, 0, 1});
    {
        CThreadLog log(settings);
        ASSERT_TRUE(log.Start());
        log.PostRecord(Record(1, 2, kMarch9Late, "one"));
        log.PostRecord(Record(1, 2, kMarch9Late, "two"));
        log.PostRecord(Record(1, 2, kMarch9Late, "three"));
        log.Stop();
    }
    EXPECT_EQ(ReadAll(home.ProductFolder() + "/log/log_20160309.log"),
              "00000001, 00000002, 2016/03/09, 23:59:59.999, one\r\n"
              "00000001, 00000002, 2016/03/09, 23:59:59.999, three\r\n");
}

TEST(LogThread, EmptyAndAbsoluteFolders) {
    TempHome home;
    FakeLogSettings settings;
    const std::string absolute = home.Root() + "/trace/deeper/";
    {
        CThreadLog log(settings);
        ASSERT_TRUE(log.Start());
        settings.SetFolder("");
        log.PostRecord(Record(1, 2, kMarch9Late, "in product folder"));
        log.Stop();
    }
    EXPECT_NE(ReadAll(home.ProductFolder() + "/log_20160309.log").find("in product folder"),
              std::string::npos);

    settings.SetFolder(absolute);
    {
        CThreadLog log(settings);
        ASSERT_TRUE(log.Start());
        log.PostRecord(Record(1, 2, kMarch9Late, "absolute"));
        log.Stop();
    }
    EXPECT_EQ(ReadAll(absolute + "log_20160309.log"),
              "00000001, 00000002, 2016/03/09, 23:59:59.999, absolute\r\n");
    // Nothing went under the product folder's "log" subfolder.
    EXPECT_FALSE(fs::exists(home.ProductFolder() + "/log"));
}

TEST(LogThread, UnwritableFolderDropsTheLineSilently) {
    TempHome home;
    FakeLogSettings settings;
    const std::string blocker = home.Root() + "/blocker";
    std::ofstream(blocker) << "a file, not a folder";
    settings.SetFolder(blocker + "/sub");
    CThreadLog log(settings);
    ASSERT_TRUE(log.Start());
    log.PostRecord(Record(1, 2, kMarch9Late, "lost"));
    log.Stop();
    EXPECT_EQ(ReadAll(blocker), "a file, not a folder");

    // The next thread with a usable folder writes again.
    settings.SetFolder("log");
    CThreadLog again(settings);
    ASSERT_TRUE(again.Start());
    again.PostRecord(Record(1, 2, kMarch9Late, "kept"));
    again.Stop();
    EXPECT_EQ(ReadAll(home.ProductFolder() + "/log/log_20160309.log"),
              "00000001, 00000002, 2016/03/09, 23:59:59.999, kept\r\n");
}

TEST(LogThread, TwoThreadsInTheSameMillisecond) {
    TempHome home;
    FakeLogSettings settings;
    CThreadLog log(settings);
    ASSERT_TRUE(log.Start());
    std::thread a([&] { log.PostRecord(Record(7, 0x11, kMarch9Late, "from a")); });
    std::thread b([&] { log.PostRecord(Record(7, 0x22, kMarch9Late, "from b")); });
    a.join();
    b.join();
    log.Stop();
    std::string content = ReadAll(home.ProductFolder() + "/log/log_20160309.log");
    EXPECT_NE(content.find("00000007, 00000011, 2016/03/09, 23:59:59.999, from a\r\n"),
              std::string::npos);
    EXPECT_NE(content.find("00000007, 00000022, 2016/03/09, 23:59:59.999, from b\r\n"),
              std::string::npos);
    EXPECT_EQ(content.size(), 2 * std::string("00000007, 00000011, 2016/03/09, "
                                              "23:59:59.999, from a\r\n")
                                      .size());
}

// LogLine through the registration, from several threads at once.
TEST(LogLine, PostsToTheRegisteredThreadFromAnyThread) {
    TempHome home;
    FakeLogSettings settings;
    settings.SetFolder("");
    constexpr int kThreads = 4;
    constexpr int kLines = 50;
    std::vector<uint32_t> ids(kThreads);
    {
        CThreadLog log(settings);
        ASSERT_TRUE(log.Start());
        SetLogThread(&log);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&ids, t] {
                ids[t] = static_cast<uint32_t>(::syscall(SYS_gettid));
                for (int i = 0; i < kLines; ++i) {
                    LogLine("line " + std::to_string(t) + "/" + std::to_string(i));
                }
            });
        }
        for (auto& thread : threads) {
            thread.join();
        }
        SetLogThread(nullptr);
        LogLine("after unregistering");
        log.Stop();
    }
    std::string all;
    for (const auto& entry : fs::directory_iterator(home.ProductFolder())) {
        all += ReadAll(entry.path().string());
    }
    int lines = 0;
    for (size_t pos = 0; (pos = all.find("\r\n", pos)) != std::string::npos; pos += 2) {
        ++lines;
    }
    EXPECT_EQ(lines, kThreads * kLines);
    EXPECT_EQ(all.find("after unregistering"), std::string::npos);
    char pid[16];
    std::snprintf(pid, sizeof pid, "%08x, ", static_cast<unsigned>(::getpid()));
    for (int t = 0; t < kThreads; ++t) {
        char tid[16];
        std::snprintf(tid, sizeof tid, "%08x, ", ids[t]);
        std::string expected = std::string(pid) + tid;
        EXPECT_NE(all.find(expected), std::string::npos) << t;
        EXPECT_NE(
            all.find(", line " + std::to_string(t) + "/" + std::to_string(kLines - 1) + "\r\n"),
            std::string::npos);
    }
}

TEST(LogLine, DroppedWithoutThreadOrAfterStop) {
    TempHome home;
    FakeLogSettings settings;
    LogLine("nobody listens");  // must not crash or leak
    {
        CThreadLog log(settings);
        ASSERT_TRUE(log.Start());
        SetLogThread(&log);
        log.Stop();
        LogLine("after stop");  // posting fails; the record is destroyed
        EXPECT_FALSE(log.PostRecord(Record(1, 2, kMarch9Late, "refused")));
    }  // the destructor withdraws the registration
    LogLine("after destruction");
    EXPECT_TRUE(IsEmptyFolder(home.Root() + "/state"));
}

// Callers keep logging while the log thread goes away: no line may reach a destroyed thread.
TEST(LogLine, ThreadDestroyedWhileOthersLog) {
    TempHome home;
    FakeLogSettings settings;
    settings.SetFolder("");
    constexpr int kLinesPerCaller = 2000;
    Event someLogged;
    std::vector<std::thread> callers;
    auto log = std::make_unique<CThreadLog>(settings);
    ASSERT_TRUE(log->Start());
    SetLogThread(log.get());
    for (int t = 0; t < 3; ++t) {
        callers.emplace_back([&someLogged] {
            for (int i = 0; i < kLinesPerCaller; ++i) {
                LogLine("busy");
                if (i == 100) {
                    someLogged.Set();
                }
            }
        });
    }
    // Destroy the thread (its destructor withdraws the registration) while the callers go on.
    ASSERT_TRUE(someLogged.WaitFor(std::chrono::seconds(30)));
    log.reset();
    LogLine("after");
    for (auto& caller : callers) {
        caller.join();
    }
    size_t lines = 0;
    for (const auto& entry : fs::directory_iterator(home.ProductFolder())) {
        std::string content = ReadAll(entry.path().string());
        EXPECT_EQ(content.find("after"), std::string::npos);
        for (size_t pos = 0; (pos = content.find(", busy\r\n", pos)) != std::string::npos; ++pos) {
            ++lines;
        }
    }
    EXPECT_GE(lines, 101u);  // everything posted before the destruction was written
    EXPECT_LE(lines, 3u * kLinesPerCaller);
}

// The link's trace and diagnostic lines: to the log file when logging is on, and to the tap of
// qvm8ctl --trace when one is set.
TEST(TraceTap, LinesReachTheLogAndTheTap) {
    TempHome home;
    FakeLogSettings settings;
    settings.SetFolder("");
    std::vector<std::string> tapped;
    {
        CThreadLog log(settings);
        ASSERT_TRUE(log.Start());
        SetLogThread(&log);
        EXPECT_FALSE(TraceTapActive());
        SetTraceTap([&](std::string_view line) { tapped.emplace_back(line); });
        EXPECT_TRUE(TraceTapActive());
        EmitTraceLine(FormatDiagnosticLine("RS", "TIMEOUT", "%EE#RMC0\r", "no reply"), true);
        EmitTraceLine(FormatDiagnosticLine("US", "OPEN", "", "failed"), false);
        SetTraceTap({});
        EXPECT_FALSE(TraceTapActive());
        EmitTraceLine("after the tap", false);
        SetLogThread(nullptr);
        log.Stop();
    }
    EXPECT_EQ(tapped, (std::vector<std::string>{"RS, TIMEOUT, %EE#RMC0\\r, no reply",
                                                "US, OPEN, -, failed"}));
    std::string all;
    for (const auto& entry : fs::directory_iterator(home.ProductFolder())) {
        all += ReadAll(entry.path().string());
    }
    EXPECT_NE(all.find(", RS, TIMEOUT, %EE#RMC0\\r, no reply\r\n"), std::string::npos) << all;
    EXPECT_EQ(all.find("OPEN"), std::string::npos);  // not for the log
}

// The diagnostic log reaches the file through the registered log thread, subject to
// LogEnableFlag like every other line, and stops with the registration.
TEST(DiagnosticLog, LinesGoThroughTheRegisteredLogThread) {
    TempHome home;
    FakeLogSettings settings;
    settings.SetFolder("");
    settings.QueueFlags({1, 0});
    {
        CThreadLog log(settings);
        ASSERT_TRUE(log.Start());
        SetLogThread(&log);
        LogError("link", "reconnect given up: 3 attempts failed");
        LogWarn("settings", "dropped: logging is off for this line");
        SetLogThread(nullptr);
        LogError("link", "after unregistering");
        log.Stop();
    }
    std::string all;
    for (const auto& entry : fs::directory_iterator(home.ProductFolder())) {
        all += ReadAll(entry.path().string());
    }
    EXPECT_NE(all.find(", ERROR, link, reconnect given up: 3 attempts failed\r\n"),
              std::string::npos)
        << all;
    EXPECT_EQ(all.find("dropped"), std::string::npos);
    EXPECT_EQ(all.find("after unregistering"), std::string::npos);
}

}  // namespace
}  // namespace zul

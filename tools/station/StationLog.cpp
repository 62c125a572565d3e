// SPDX-License-Identifier: GPL-3.0-or-later
#include "StationLog.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#ifdef QVM8_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace zul::station {

namespace {

std::mutex g_logMutex;
std::string g_name = "qvm8-station";

}  // namespace

void SetLogName(std::string_view id) {
    std::lock_guard lock(g_logMutex);
    g_name = "qvm8-station[" + std::string(id) + "]";
}

void Log(LogLevel level, std::string_view text) {
    static const bool journal = std::getenv("JOURNAL_STREAM") != nullptr;
    std::lock_guard lock(g_logMutex);
    const char* prefix = "";
    if (journal) {
        prefix = level == LogLevel::kError ? "<3>" : level == LogLevel::kWarning ? "<4>" : "<6>";
    }
    std::fprintf(stderr, "%s%s: %.*s\n", prefix, g_name.c_str(), static_cast<int>(text.size()),
                 text.data());
    std::fflush(stderr);
}

#ifdef QVM8_HAVE_SYSTEMD
void NotifyReady(std::string_view status) {
    sd_notifyf(0, "READY=1\nSTATUS=%.*s", static_cast<int>(status.size()), status.data());
}
void NotifyStatus(std::string_view status) {
    sd_notifyf(0, "STATUS=%.*s", static_cast<int>(status.size()), status.data());
}
void NotifyStopping() {
    sd_notify(0, "STOPPING=1");
}
void NotifyWatchdog() {
    sd_notify(0, "WATCHDOG=1");
}
std::chrono::microseconds WatchdogInterval() {
    uint64_t usec = 0;
    return sd_watchdog_enabled(0, &usec) > 0 ? std::chrono::microseconds(usec)
                                             : std::chrono::microseconds(0);
}
#else
void NotifyReady(std::string_view) {}
void NotifyStatus(std::string_view) {}
void NotifyStopping() {}
void NotifyWatchdog() {}
std::chrono::microseconds WatchdogInterval() {
    return std::chrono::microseconds(0);
}
#endif

}  // namespace zul::station

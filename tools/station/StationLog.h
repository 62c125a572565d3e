// SPDX-License-Identifier: GPL-3.0-or-later
// The station's diagnostics and its part of the systemd protocol. Lines go to standard error;
// under systemd (JOURNAL_STREAM set) each carries the journal's priority prefix. Readiness,
// status texts and watchdog pings reach systemd through sd_notify when the service manager asks
// for them (NOTIFY_SOCKET set); otherwise they do nothing.
#pragma once

#include <chrono>
#include <string_view>

namespace zul::station {

enum class LogLevel { kError, kWarning, kInfo };

// Names the station in every line ("qvm8-station[line1]: ...").
void SetLogName(std::string_view id);
void Log(LogLevel level, std::string_view text);

// READY=1 with a status text.
void NotifyReady(std::string_view status);
void NotifyStatus(std::string_view status);
void NotifyStopping();
void NotifyWatchdog();
// The watchdog interval systemd asks for; zero when none.
std::chrono::microseconds WatchdogInterval();

}  // namespace zul::station

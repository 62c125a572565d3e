// SPDX-License-Identifier: GPL-3.0-or-later
// The communication trace: one line per transmitted or received block, with the bytes escaped
// so that a line stays one printable line; and the link's diagnostic lines, one per event that
// ends or disturbs a request:
//   <RS|US>, TIMEOUT, <request>, <what did not happen in time>[; discarded: <what>]
//   <RS|US>, ERROR, <request>, <the error reply>
//   <RS|US>, DISCARD, <request or ->, <reason>: <the frame>
//   <RS|US>, OPEN, <request or ->, <port> (<device>) failed: code <n>, <system reason>
//   <RS|US>, RECONNECT, <request or ->, attempt <i> of <n>: <outcome>
//   <RS|US>, GIVEUP, <request or ->, <n> attempts failed
// The lines go to the log file when logging is on, and to the trace tap when one is set.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zul {

// CR -> "\r", LF -> "\n", backslash -> two backslashes, 0x20..0x7E and 0x80..0xFE as they are,
// every other byte -> "\x%02x".
std::string EscapeTraceBytes(std::string_view bytes);

// "<prefix>, <direction>, %4d, " with the raw byte count, then the escaped bytes; prefix "RS"
// or "US", direction "SND" or "RCV".
std::string FormatTraceLine(std::string_view prefix, std::string_view direction,
                            std::string_view bytes);

// "<prefix>, <event>, <request escaped, or - when empty>, <text>".
std::string FormatDiagnosticLine(std::string_view prefix, std::string_view event,
                                 std::string_view request, std::string_view text);

// A second reader of the trace and diagnostic lines beside the log file (qvm8ctl --trace).
// Process-wide; called on the link threads, one call at a time. An empty tap removes it.
using TraceTap = std::function<void(std::string_view line)>;
void SetTraceTap(TraceTap tap);
bool TraceTapActive();

// Hands the line to the log thread (when toLog) and to the trace tap (when set).
void EmitTraceLine(std::string_view line, bool toLog);

}  // namespace zul

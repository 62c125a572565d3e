// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/TraceEscape.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "link/ThreadLog.h"

namespace zul {

std::string EscapeTraceBytes(std::string_view bytes) {
    static constexpr char kHexLower[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() + 8);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (b == '\r') {
            out += "\\r";
        } else if (b == '\n') {
            out += "\\n";
        } else if (b == '\\') {
            out += "\\\\";
        } else if ((b >= 0x20 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE)) {
            out.push_back(c);
        } else {
            out += "\\x";
            out.push_back(kHexLower[b >> 4]);
            out.push_back(kHexLower[b & 0x0F]);
        }
    }
    return out;
}

std::string FormatTraceLine(std::string_view prefix, std::string_view direction,
                            std::string_view bytes) {
    char count[32];
    std::snprintf(count, sizeof(count), "%4d", static_cast<int>(bytes.size()));
    std::string line;
    line.reserve(prefix.size() + direction.size() + bytes.size() + 16);
    line.append(prefix).append(", ").append(direction).append(", ").append(count).append(", ");
    line += EscapeTraceBytes(bytes);
    return line;
}

std::string FormatDiagnosticLine(std::string_view prefix, std::string_view event,
                                 std::string_view request, std::string_view text) {
    std::string line;
    line.reserve(prefix.size() + event.size() + request.size() + text.size() + 8);
    line.append(prefix).append(", ").append(event).append(", ");
    line += request.empty() ? std::string("-") : EscapeTraceBytes(request);
    line.append(", ").append(text);
    return line;
}

namespace {

std::mutex gTapMutex;
TraceTap gTap;
std::atomic<bool> gTapActive{false};

}  // namespace

void SetTraceTap(TraceTap tap) {
    std::lock_guard lock(gTapMutex);
    gTap = std::move(tap);
    gTapActive.store(static_cast<bool>(gTap));
}

bool TraceTapActive() {
    return gTapActive.load();
}

void EmitTraceLine(std::string_view line, bool toLog) {
    if (toLog) {
        LogLine(line);
    }
    if (!gTapActive.load()) {
        return;
    }
    std::lock_guard lock(gTapMutex);
    if (gTap) {
        gTap(line);
    }
}

}  // namespace zul

#include "link/TraceEscape.h"

#include <cstdio>

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

}  // namespace zul

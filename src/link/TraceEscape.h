// The communication trace: one line per transmitted or received block, with the bytes escaped
// so that a line stays one printable line.
#pragma once

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

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace zul {

namespace {

// Far beyond every 32-bit result and exact for 18 digits; times 16 it still fits 64 bits.
constexpr uint64_t kAccumulateLimit = 1000000000000000000ULL;

// The run of digits of the base that starts at pos: its value (held at kAccumulateLimit once it
// grows past it) and its length. pos moves past the run.
struct DigitRun {
    uint64_t value = 0;
    size_t length = 0;
};

int DigitValue(char c, int base) {
    int d = HexDigitValue(c);
    return d >= 0 && d < base ? d : -1;
}

DigitRun ScanDigits(std::string_view text, size_t& pos, int base) {
    DigitRun run;
    for (; pos < text.size(); ++pos) {
        int d = DigitValue(text[pos], base);
        if (d < 0) {
            break;
        }
        run.value = run.value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (run.value > kAccumulateLimit) {
            run.value = kAccumulateLimit;
        }
        ++run.length;
    }
    return run;
}

// Reads an optional "+" or "-" at pos; true for "-".
bool ScanSign(std::string_view text, size_t& pos) {
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        return text[pos++] == '-';
    }
    return false;
}

size_t SkipNumberBlanks(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && IsNumberBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

int32_t SaturateSigned(bool negative, uint64_t magnitude) {
    const int64_t value =
        negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

// The lenient integer reading shared by ParseDecimal and ParseCInteger.
int32_t LeadingInteger(std::string_view text, int base) {
    size_t pos = SkipNumberBlanks(text);
    bool negative = ScanSign(text, pos);
    if (base == 0) {
        base = 10;
        if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] | 0x20) == 'x' &&
            pos + 2 < text.size() && HexDigitValue(text[pos + 2]) >= 0) {
            base = 16;
            pos += 2;
        } else if (pos < text.size() && text[pos] == '0') {
            base = 8;
        }
    }
    return SaturateSigned(negative, ScanDigits(text, pos, base).value);
}

}  // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool IsNumberBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool ParseDecimalExact(std::string_view text, int32_t& value) {
    size_t pos = 0;
    bool negative = ScanSign(text, pos);
    DigitRun run = ScanDigits(text, pos, 10);
    if (run.length == 0 || pos != text.size()) {
        return false;
    }
    const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
    if (run.value > limit) {
        return false;
    }
    value = SaturateSigned(negative, run.value);
    return true;
}

bool ParseUnsignedExact(std::string_view text, uint32_t& value) {
    size_t pos = 0;
    DigitRun run = ScanDigits(text, pos, 10);
    if (run.length == 0 || pos != text.size() || run.value > std::numeric_limits<uint32_t>::max()) {
        return false;
    }
    value = static_cast<uint32_t>(run.value);
    return true;
}

bool ParseHexExact(std::string_view text, uint32_t& value) {
    size_t pos = 0;
    DigitRun run = ScanDigits(text, pos, 16);
    if (run.length == 0 || run.length > 8 || pos != text.size()) {
        return false;
    }
    value = static_cast<uint32_t>(run.value);
    return true;
}

bool ParseRealExact(std::string_view text, double& value) {
    size_t pos = 0;
    bool negative = ScanSign(text, pos);
    const size_t start = pos;
    size_t digits = ScanDigits(text, pos, 10).length;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        digits += ScanDigits(text, pos, 10).length;
    }
    if (digits == 0 || pos != text.size()) {
        return false;
    }
    double magnitude = 0.0;
    auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), magnitude,
                                     std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(magnitude)) {
        return false;
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

bool ScanSignedDecimal(std::string_view text, size_t& pos, int64_t& value, size_t maxDigits) {
    size_t at = pos;
    bool negative = ScanSign(text, at);
    DigitRun run = ScanDigits(text, at, 10);
    if (run.length == 0 || run.length > maxDigits || run.length > 18) {
        return false;
    }
    // At most 18 digits: below the accumulation limit, so the value is exact.
    const auto magnitude = static_cast<int64_t>(run.value);
    value = negative ? -magnitude : magnitude;
    pos = at;
    return true;
}

int32_t ParseDecimal(std::string_view text) {
    return LeadingInteger(text, 10);
}

int32_t ParseCInteger(std::string_view text) {
    return LeadingInteger(text, 0);
}

uint32_t ParseHexUnsigned(std::string_view text) {
    size_t pos = SkipNumberBlanks(text);
    if (pos + 2 < text.size() && text[pos] == '0' && (text[pos + 1] | 0x20) == 'x' &&
        HexDigitValue(text[pos + 2]) >= 0) {
        pos += 2;
    }
    const uint64_t value = ScanDigits(text, pos, 16).value;
    return value > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                        : static_cast<uint32_t>(value);
}

double ParseReal(std::string_view text) {
    size_t pos = SkipNumberBlanks(text);
    bool negative = ScanSign(text, pos);
    // from_chars reads no sign itself; a second sign is no number.
    if (pos >= text.size() || text[pos] == '+' || text[pos] == '-') {
        return 0.0;
    }
    double value = 0.0;
    auto [end, ec] = std::from_chars(text.data() + pos, text.data() + text.size(), value,
                                     std::chars_format::general);
    if (ec != std::errc() || !std::isfinite(value)) {
        return 0.0;
    }
    return negative ? -value : value;
}

int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

std::string FormatInt(int32_t value) {
    return std::to_string(value);
}

std::string FormatReal(double value) {
    // As "%lf" writes it in the "C" locale, whatever locale the process runs in.
    char buffer[400];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0.000000");
}

}  // namespace zul

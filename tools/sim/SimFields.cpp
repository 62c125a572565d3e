// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimFields.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zul::sim {

namespace {

int HexDigit(char c) {
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

}  // namespace

std::optional<int64_t> ParseDigits(std::string_view text) {
    if (text.empty() || text.size() > 18) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<int64_t> ParseSigned11(std::string_view text) {
    if (text.size() != 11 || (text[0] != '+' && text[0] != '-')) {
        return std::nullopt;
    }
    auto magnitude = ParseDigits(text.substr(1));
    if (!magnitude) {
        return std::nullopt;
    }
    return text[0] == '-' ? -*magnitude : *magnitude;
}

std::optional<double> ParseReal11(std::string_view text) {
    if (text.size() != 11) {
        return std::nullopt;
    }
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int64_t whole = 0;
    int64_t fraction = 0;
    int fractionDigits = 0;
    int digits = 0;
    bool point = false;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        ++digits;
        if (point) {
            fraction = fraction * 10 + (c - '0');
            ++fractionDigits;
        } else {
            whole = whole * 10 + (c - '0');
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    double value =
        static_cast<double>(whole) + static_cast<double>(fraction) / std::pow(10.0, fractionDigits);
    return negative ? -value : value;
}

std::optional<uint16_t> ParseHexWord(std::string_view text) {
    if (text.size() != 4) {
        return std::nullopt;
    }
    int d[4];
    for (int i = 0; i < 4; ++i) {
        d[i] = HexDigit(text[static_cast<size_t>(i)]);
        if (d[i] < 0) {
            return std::nullopt;
        }
    }
    int low = d[0] * 16 + d[1];
    int high = d[2] * 16 + d[3];
    return static_cast<uint16_t>(low + 256 * high);
}

std::string FormatDecimal(uint64_t value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*llu", width, static_cast<unsigned long long>(value));
    std::string text(buffer);
    return text.substr(text.size() - static_cast<size_t>(width));
}

std::string FormatSigned11(int64_t value) {
    uint64_t magnitude = value < 0 ? static_cast<uint64_t>(-value) : static_cast<uint64_t>(value);
    std::string text(1, value < 0 ? '-' : '+');
    text += FormatDecimal(magnitude, 10);
    return text;
}

std::string FormatReal11(double value) {
    return FormatMicros11(ToMicros(value));
}

std::string FormatMicros11(int64_t micros) {
    uint64_t magnitude =
        micros < 0 ? static_cast<uint64_t>(-micros) : static_cast<uint64_t>(micros);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%c%03llu.%06llu", micros < 0 ? '-' : '+',
                  static_cast<unsigned long long>(magnitude / 1000000),
                  static_cast<unsigned long long>(magnitude % 1000000));
    std::string text(buffer);
    if (text.size() > 11) {
        text = text.substr(text.size() - 11);
    }
    return text;
}

std::string FormatHexWord(uint16_t value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02X%02X", value & 0xFF, (value >> 8) & 0xFF);
    return buffer;
}

int64_t ToMicros(double value) {
    double scaled = value * 1000000.0;
    return static_cast<int64_t>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
}

}  // namespace zul::sim

// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FieldCodec.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/NumberText.h"

namespace zul {

namespace {

constexpr char kHexUpper[] = "0123456789ABCDEF";

size_t ClampCursor(std::string_view text, int32_t cursor) {
    if (cursor < 0) {
        return 0;
    }
    return std::min(static_cast<size_t>(cursor), text.size());
}

std::string Rightmost(std::string s, size_t width) {
    if (s.size() > width) {
        s.erase(0, s.size() - width);
    }
    return s;
}

// The field of exactly width characters at the cursor, or false when fewer remain.
bool TakeField(std::string_view text, int32_t cursor, int32_t width, std::string_view& field) {
    if (cursor < 0 || width <= 0 || static_cast<size_t>(cursor) > text.size() ||
        text.size() - static_cast<size_t>(cursor) < static_cast<size_t>(width)) {
        return false;
    }
    field = text.substr(static_cast<size_t>(cursor), static_cast<size_t>(width));
    return true;
}

}  // namespace

void WriteText(std::string& text, int32_t& cursor, std::string_view field) {
    size_t at = ClampCursor(text, cursor);
    size_t overlap = std::min(field.size(), text.size() - at);
    text.replace(at, overlap, field);
    cursor = static_cast<int32_t>(at + field.size());
}

std::string FormatDecimal(int64_t value, int32_t width) {
    // The value travels as a 32-bit word, so negative numbers show their two's complement.
    std::string digits = std::to_string(static_cast<uint32_t>(value));
    size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    if (digits.size() < w) {
        digits.insert(0, w - digits.size(), '0');
    }
    return Rightmost(std::move(digits), w);
}

void WriteDecimal(std::string& text, int32_t& cursor, int64_t value, int32_t width) {
    WriteText(text, cursor, FormatDecimal(value, width));
}

std::string FormatSigned11(int32_t value) {
    int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
    std::string field(1, value < 0 ? '-' : '+');
    field += FormatDecimal(magnitude, kSigned11Width - 1);
    return field;
}

void WriteSigned11(std::string& text, int32_t& cursor, int32_t value) {
    WriteText(text, cursor, FormatSigned11(value));
}

std::string FormatReal11(double value) {
    char digits[400];
    bool negative = std::signbit(value) && !std::isnan(value);
    double magnitude = std::fabs(value);
    auto [end, ec] =
        std::to_chars(digits, digits + sizeof(digits), magnitude, std::chars_format::fixed, 6);
    std::string body = ec == std::errc() ? std::string(digits, end) : std::string("0.000000");
    if (std::isnan(value) || std::isinf(value)) {
        body = std::isnan(value) ? "nan" : "inf";
    }
    std::string field(1, negative ? '-' : '+');
    if (body.size() + 1 < static_cast<size_t>(kReal11Width) && !std::isnan(value) &&
        !std::isinf(value)) {
        field.append(kReal11Width - 1 - body.size(), '0');
    }
    field += body;
    return Rightmost(std::move(field), kReal11Width);
}

void WriteReal11(std::string& text, int32_t& cursor, double value) {
    WriteText(text, cursor, FormatReal11(value));
}

std::string FormatHexWord(uint32_t value) {
    uint32_t low = value & 0xFF;
    uint32_t high = (value >> 8) & 0xFF;
    std::string field(4, '0');
    field[0] = kHexUpper[low >> 4];
    field[1] = kHexUpper[low & 0x0F];
    field[2] = kHexUpper[high >> 4];
    field[3] = kHexUpper[high & 0x0F];
    return field;
}

void WriteHexWord(std::string& text, int32_t& cursor, uint32_t value) {
    WriteText(text, cursor, FormatHexWord(value));
}

void WriteTarget(std::string& text, int32_t& cursor, int32_t target) {
    WriteDecimal(text, cursor, target, 1);
}

std::string_view ReadText(std::string_view text, int32_t& cursor, int32_t count) {
    size_t at = ClampCursor(text, cursor);
    size_t n = count > 0 ? std::min(static_cast<size_t>(count), text.size() - at) : 0;
    cursor = static_cast<int32_t>(at + n);
    return text.substr(at, n);
}

int32_t ParseDecimalField(std::string_view field) {
    return ParseDecimal(field);
}

int32_t ReadDecimal(std::string_view text, int32_t& cursor, int32_t width) {
    return ParseDecimalField(ReadText(text, cursor, width));
}

double ParseRealField(std::string_view field) {
    return ParseReal(field);
}

double ReadReal11(std::string_view text, int32_t& cursor) {
    return ParseRealField(ReadText(text, cursor, kReal11Width));
}

uint16_t ReadHexWord(std::string_view text, int32_t& cursor) {
    uint16_t value = 0;
    return ParseHexWordField(ReadText(text, cursor, kHexWordWidth), value) ? value : 0;
}

int32_t ReadSignedInt(std::string_view text, int32_t& cursor) {
    size_t at = ClampCursor(text, cursor);
    size_t end = at;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) {
        ++end;
    }
    end = std::min(text.find_first_not_of("0123456789", end), text.size());
    cursor = static_cast<int32_t>(end);
    // Blanks cannot stand at the start here, so the lenient parser reads exactly this span.
    return at < text.size() && !IsNumberBlank(text[at]) ? ParseDecimal(text.substr(at, end - at))
                                                        : 0;
}

bool ParseHexWordField(std::string_view field, uint16_t& value) {
    uint32_t low = 0;
    uint32_t high = 0;
    if (field.size() != static_cast<size_t>(kHexWordWidth) ||
        !ParseHexExact(field.substr(0, 2), low) || !ParseHexExact(field.substr(2, 2), high)) {
        return false;
    }
    value = static_cast<uint16_t>(low | high << 8);
    return true;
}

bool TakeDecimal(std::string_view text, int32_t& cursor, int32_t width, int32_t& value) {
    std::string_view field;
    uint32_t digits = 0;
    if (!TakeField(text, cursor, width, field) || !ParseUnsignedExact(field, digits) ||
        digits > static_cast<uint32_t>(INT32_MAX)) {
        return false;
    }
    value = static_cast<int32_t>(digits);
    cursor += width;
    return true;
}

bool TakeSigned11(std::string_view text, int32_t& cursor, int32_t& value) {
    std::string_view field;
    if (!TakeField(text, cursor, kSigned11Width, field) || (field[0] != '+' && field[0] != '-') ||
        !ParseDecimalExact(field, value)) {
        return false;
    }
    cursor += kSigned11Width;
    return true;
}

bool TakeReal11(std::string_view text, int32_t& cursor, double& value) {
    std::string_view field;
    if (!TakeField(text, cursor, kReal11Width, field) || !ParseRealExact(field, value)) {
        return false;
    }
    cursor += kReal11Width;
    return true;
}

bool TakeHexWord(std::string_view text, int32_t& cursor, uint16_t& value) {
    std::string_view field;
    if (!TakeField(text, cursor, kHexWordWidth, field) || !ParseHexWordField(field, value)) {
        return false;
    }
    cursor += kHexWordWidth;
    return true;
}

std::string FormatVersionText(uint16_t version) {
    std::string text;
    uint32_t high = version >> 8;
    uint32_t low = version & 0xFF;
    if (high >= 16) {
        text.push_back(kHexUpper[high >> 4]);
    }
    text.push_back(kHexUpper[high & 0x0F]);
    text.push_back('.');
    text.push_back(kHexUpper[low >> 4]);
    text.push_back(kHexUpper[low & 0x0F]);
    return text;
}

}  // namespace zul

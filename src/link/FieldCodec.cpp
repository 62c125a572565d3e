#include "link/FieldCodec.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "link/Frame.h"

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

// Leading hex digits of a two-character field, as a scan with "%2x" reads them.
uint32_t ParseHexByte(std::string_view field) {
    uint32_t value = 0;
    for (char c : field) {
        int d = HexDigitValue(c);
        if (d < 0) {
            break;
        }
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return value;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
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
    size_t i = 0;
    while (i < field.size() && IsBlank(field[i])) {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = value * 10 + (field[i] - '0');
        if (value > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) {
            value = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t ReadDecimal(std::string_view text, int32_t& cursor, int32_t width) {
    return ParseDecimalField(ReadText(text, cursor, width));
}

double ParseRealField(std::string_view field) {
    size_t i = 0;
    while (i < field.size() && IsBlank(field[i])) {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    // A reading starts with a digit or the decimal point; "inf" and "nan" are no readings.
    if (i >= field.size() || !((field[i] >= '0' && field[i] <= '9') || field[i] == '.')) {
        return 0.0;
    }
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(field.data() + i, field.data() + field.size(), value,
                                     std::chars_format::general);
    if (ec != std::errc() || ptr == field.data() + i) {
        return 0.0;
    }
    return negative ? -value : value;
}

double ReadReal11(std::string_view text, int32_t& cursor) {
    return ParseRealField(ReadText(text, cursor, kReal11Width));
}

uint16_t ReadHexWord(std::string_view text, int32_t& cursor) {
    uint32_t low = ParseHexByte(ReadText(text, cursor, 2));
    uint32_t high = ParseHexByte(ReadText(text, cursor, 2));
    return static_cast<uint16_t>(low + 256 * high);
}

int32_t ReadSignedInt(std::string_view text, int32_t& cursor) {
    size_t at = ClampCursor(text, cursor);
    size_t i = at;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'),
                                  static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1);
    }
    cursor = static_cast<int32_t>(i);
    if (negative) {
        value = -value;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
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

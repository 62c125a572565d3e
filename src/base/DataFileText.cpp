#include "base/DataFileText.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <system_error>

#include "base/ProfileText.h"

namespace zul {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view SkipBlanks(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return text.substr(pos);
}

}  // namespace

char CsvSeparatorChar(int32_t code) {
    switch (code) {
        case 1:
            return ';';
        case 2:
            return '\t';
        default:
            return ',';
    }
}

std::string JoinCsvFields(const std::vector<std::string>& fields, char separator) {
    std::string row;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            row += separator;
        }
        row += QuoteText(fields[i]);
    }
    return row;
}

std::vector<std::string> SplitCsvRow(std::string_view line, char separator) {
    size_t end = line.find_first_of("\r\n");
    if (end != std::string_view::npos) {
        line = line.substr(0, end);
    }
    return SplitCommaList(line, separator);
}

int32_t ParseLeadingInt(std::string_view text) {
    text = SkipBlanks(text);
    bool negative = false;
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int64_t magnitude = 0;
    const int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        magnitude = std::min(magnitude * 10 + (text[pos] - '0'), limit);
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

double ParseLeadingDouble(std::string_view text) {
    text = SkipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // A number starts with a digit or the decimal point: "inf" and "nan" are no values.
    if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '.')) {
        return 0.0;
    }
    double value = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

std::string FormatFixed6(double value) {
    char text[400];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    if (ec != std::errc()) {
        return "0.000000";
    }
    return std::string(text, end);
}

bool HasCsvExtension(std::string_view path) {
    return path.size() >= 4 && EqualsNoCase(path.substr(path.size() - 4), ".csv");
}

}  // namespace zul

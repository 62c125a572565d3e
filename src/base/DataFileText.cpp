// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/DataFileText.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>

#include "base/NumberText.h"
#include "base/ProfileText.h"

namespace zul {

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
    return ParseDecimal(text);
}

double ParseLeadingDouble(std::string_view text) {
    return ParseReal(text);
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

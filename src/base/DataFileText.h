// SPDX-License-Identifier: GPL-3.0-or-later
// Text helpers shared by the buffering and light-wave data files: CSV rows, locale-independent
// number formatting and parsing, and the options the files take from the software settings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zul {

// Software settings a data file needs at the time of saving or loading.
struct DataFileOptions {
    int32_t csvSeparator = 0;   // 0 comma, 1 semicolon, 2 tab
    int32_t csvUnderdigit = 0;  // 1: decimal comma in buffering values
    bool micronMode = false;    // exports scale buffering values by micronFactor
    double micronFactor = 1.0;
};

// 1 a semicolon, 2 a tab, any other code a comma.
char CsvSeparatorChar(int32_t code);

// Joins the fields with the separator, each quoted when it needs quotes to read back.
std::string JoinCsvFields(const std::vector<std::string>& fields, char separator);

// Splits a row at separators outside double quotes (line ends are dropped first).
std::vector<std::string> SplitCsvRow(std::string_view line, char separator);

// Leading decimal integer after optional blanks and sign, as atoi reads it, saturated to the
// int32 range; 0 when there are no digits.
int32_t ParseLeadingInt(std::string_view text);

// Leading floating-point number as strtod reads it in the "C" locale; 0 when there is none, it
// is out of range or it is not finite. (ParseDecimal and ParseReal of base/NumberText.h.)
double ParseLeadingDouble(std::string_view text);

// "%f" with six decimals and a decimal point whatever the process locale.
std::string FormatFixed6(double value);

// True when the path ends in ".csv", compared without regard to case.
bool HasCsvExtension(std::string_view path);

}  // namespace zul

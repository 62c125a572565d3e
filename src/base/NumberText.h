// Conversions between numbers and the texts of the settings and UI definition files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

// Leading blanks, an optional sign and decimal digits, like atoi; 0 when there are no digits.
// Values beyond the 32-bit range saturate.
int32_t ParseDecimal(std::string_view text);

// Decimal, hexadecimal with a "0x" prefix, or octal with a leading 0, like strtol with base 0;
// saturated to the 32-bit range.
int32_t ParseCInteger(std::string_view text);

// Hexadecimal digits (an optional "0x" prefix allowed); 0 when there are none.
uint32_t ParseHexUnsigned(std::string_view text);

// The standard decimal floating conversion (strtod) of the text's beginning; 0 when it holds no
// number.
double ParseReal(std::string_view text);

// The value truncated towards zero and clamped to the 32-bit range (NaN gives 0).
int32_t TruncateToInt32(double value);

// "%d" and "%lf" (six decimals).
std::string FormatInt(int32_t value);
std::string FormatReal(double value);

}  // namespace zul

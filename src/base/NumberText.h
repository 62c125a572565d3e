// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's one decimal and one hexadecimal number parser, in two forms:
// - strict forms for texts that must be exactly a number (reply fields of the controller):
//   the whole text is checked, every character must belong to the number, and a value outside
//   the result type is refused;
// - lenient forms that read the leading number of a text the way atoi, strtol and strtod do
//   (settings, UI definition and data files, whose formats read a malformed number as 0).
// All of them are independent of the process locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

// Value of one hexadecimal digit of either case, -1 for any other character.
int HexDigitValue(char c);
// True for the blanks that strtol skips: space, tab, LF, VT, FF, CR.
bool IsNumberBlank(char c);

// ---- Strict forms: true and the value only when the text is exactly the number. ----

// Decimal digits with an optional leading "+" or "-"; no blanks; the value fits 32 bits.
bool ParseDecimalExact(std::string_view text, int32_t& value);
// Decimal digits only (no sign, no blanks); the value fits 32 bits unsigned.
bool ParseUnsignedExact(std::string_view text, uint32_t& value);
// One to eight hexadecimal digits of either case, nothing else (no prefix, no sign).
bool ParseHexExact(std::string_view text, uint32_t& value);
// Decimal fixed-point number: an optional sign, then digits with at most one point and at
// least one digit (no exponent, no blanks, no "inf" or "nan").
bool ParseRealExact(std::string_view text, double& value);
// Reads a signed integer that starts at pos and ends at the first non-digit: an optional sign
// and 1 to maxDigits digits (maxDigits at most 18). On success pos moves past it; on failure
// (no digit, or more than maxDigits digits) pos and value stay as they were.
bool ScanSignedDecimal(std::string_view text, size_t& pos, int64_t& value, size_t maxDigits);

// ---- Lenient forms: the leading number of the text, 0 when there is none. ----

// Leading blanks, an optional sign and decimal digits, like atoi; 0 when there are no digits.
// Values beyond the 32-bit range saturate.
int32_t ParseDecimal(std::string_view text);

// Decimal, hexadecimal with a "0x" prefix, or octal with a leading 0, like strtol with base 0;
// saturated to the 32-bit range.
int32_t ParseCInteger(std::string_view text);

// Leading blanks, an optional "0x" prefix and hexadecimal digits; 0 when there are none;
// saturated to the 32-bit range.
uint32_t ParseHexUnsigned(std::string_view text);

// Leading blanks, then a decimal floating-point number (sign, digits, point, exponent) as
// strtod reads it in the "C" locale; 0 when the text holds none or the value is not finite.
double ParseReal(std::string_view text);

// The value truncated towards zero and clamped to the 32-bit range (NaN gives 0).
int32_t TruncateToInt32(double value);

// "%d" and "%lf" (six decimals, a decimal point whatever the process locale).
std::string FormatInt(int32_t value);
std::string FormatReal(double value);

}  // namespace zul

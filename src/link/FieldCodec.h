// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed-width text fields inside the data part of a frame, and the version text.
// Writers put a field at a write cursor (overwriting what stands there, appending at the end).
// Reply data is read with the Take readers: a field must be there in full and every character
// must belong to it, otherwise the reader refuses it. The Read readers are the lenient forms
// (a short or malformed field reads as 0) for texts that are not replies. All conversions are
// independent of the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

inline constexpr int32_t kSigned11Width = 11;
inline constexpr int32_t kReal11Width = 11;
inline constexpr int32_t kHexWordWidth = 4;

// Writes the characters at the cursor (clamped to the text length) and advances the cursor.
void WriteText(std::string& text, int32_t& cursor, std::string_view field);
// Zero-padded unsigned decimal of the value's 32-bit pattern; only the rightmost width digits.
void WriteDecimal(std::string& text, int32_t& cursor, int64_t value, int32_t width);
// "+" or "-" followed by the magnitude as a decimal of width 10.
void WriteSigned11(std::string& text, int32_t& cursor, int32_t value);
// Explicit sign, zero-padded to 11 characters with six decimals; only the rightmost 11 remain.
void WriteReal11(std::string& text, int32_t& cursor, double value);
// The low 16 bits as four upper-case hex digits, low byte first (0x1234 -> "3412").
void WriteHexWord(std::string& text, int32_t& cursor, uint32_t value);
// The last decimal digit of the number.
void WriteTarget(std::string& text, int32_t& cursor, int32_t target);

// The field formatters on their own (what the writers above put into the text).
std::string FormatDecimal(int64_t value, int32_t width);
std::string FormatSigned11(int32_t value);
std::string FormatReal11(double value);
std::string FormatHexWord(uint32_t value);

// Strict readers of reply data. Each takes exactly the field's characters from the cursor and
// returns true with the value; when fewer characters remain or one does not belong to the
// field it returns false and leaves the cursor and the value unchanged.
// Decimal of the width: digits only (the controller writes them zero-padded, unsigned).
bool TakeDecimal(std::string_view text, int32_t& cursor, int32_t width, int32_t& value);
// "+" or "-" followed by ten digits; the value must fit 32 bits.
bool TakeSigned11(std::string_view text, int32_t& cursor, int32_t& value);
// Eleven characters: an optional sign, digits with at most one decimal point.
bool TakeReal11(std::string_view text, int32_t& cursor, double& value);
// Four hex digits of either case, low byte first.
bool TakeHexWord(std::string_view text, int32_t& cursor, uint16_t& value);
// A whole hex word field: exactly four hex digits, low byte first ("3412" is 0x1234).
bool ParseHexWordField(std::string_view field, uint16_t& value);

// Takes up to count characters from the cursor (clamped) and advances it by what was taken.
std::string_view ReadText(std::string_view text, int32_t& cursor, int32_t count);
// Decimal field of the width: leading blanks, an optional sign, digits up to the first
// non-digit; empty or non-numeric reads as 0. Saturates at the 32-bit range.
int32_t ReadDecimal(std::string_view text, int32_t& cursor, int32_t width);
// Real field of width 11; non-numeric reads as 0.0.
double ReadReal11(std::string_view text, int32_t& cursor);
// Two hex digits for the low byte, then two for the high byte; 0 unless all four are hex.
uint16_t ReadHexWord(std::string_view text, int32_t& cursor);
// Free-length signed integer: optional sign, then digits up to the first non-digit.
int32_t ReadSignedInt(std::string_view text, int32_t& cursor);

// Lenient parsers of a whole field text, as the Read readers apply them (ParseDecimal and
// ParseReal of base/NumberText.h).
int32_t ParseDecimalField(std::string_view field);
double ParseRealField(std::string_view field);

// "%X.%02X": the high byte in hex, a point, the low byte as two hex digits (0x0123 -> "1.23").
std::string FormatVersionText(uint16_t version);

}  // namespace zul

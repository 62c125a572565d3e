// SPDX-License-Identifier: GPL-3.0-or-later
// Text fields of the controller's side of the protocol: parsing request parameters strictly
// (a controller refuses what it cannot read) and formatting reply data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zul::sim {

// Exactly `text.size()` decimal digits, nothing else. Empty text is refused.
std::optional<int64_t> ParseDigits(std::string_view text);
// "+" or "-" followed by exactly ten digits.
std::optional<int64_t> ParseSigned11(std::string_view text);
// An 11-character real: sign, digits with one decimal point ("+001.500000"); also accepts a
// leading blank or zero padding. Refuses anything that is not entirely a number.
std::optional<double> ParseReal11(std::string_view text);
// Four hex digits, low byte first ("3412" is 0x1234).
std::optional<uint16_t> ParseHexWord(std::string_view text);

// Zero-padded decimal of exactly `width` digits (the rightmost digits of a longer number).
std::string FormatDecimal(uint64_t value, int width);
// Sign and ten digits.
std::string FormatSigned11(int64_t value);
// "%+011.6f": sign, zero padding, six decimals. The magnitude must stay below 1000.
std::string FormatReal11(double value);
// Same from a value in millionths, exact (no floating-point rounding).
std::string FormatMicros11(int64_t micros);
// Four hex digits, low byte first.
std::string FormatHexWord(uint16_t value);

// Rounds a real to the nearest millionth, half away from zero.
int64_t ToMicros(double value);

}  // namespace zul::sim

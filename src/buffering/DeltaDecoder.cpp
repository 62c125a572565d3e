#include "buffering/DeltaDecoder.h"

#include <charconv>
#include <cmath>

#include "link/Frame.h"

namespace zul {

namespace {

// Longest digit run accepted for one difference; keeps the integer far from overflow while
// allowing every difference a ±950 value range can produce.
constexpr size_t kMaxDeltaDigits = 15;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Parses the absolute first value: optional leading blanks, optional sign, digits with at most
// one decimal point, and nothing else in the field.
bool ParseFirstValue(std::string_view field, double& value) {
    size_t pos = 0;
    while (pos < field.size() && field[pos] == ' ') {
        ++pos;
    }
    bool negative = false;
    if (pos < field.size() && (field[pos] == '+' || field[pos] == '-')) {
        negative = field[pos] == '-';
        ++pos;
    }
    std::string_view number = field.substr(pos);
    int digits = 0;
    int points = 0;
    for (char c : number) {
        if (IsDigit(c)) {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else {
            return false;
        }
    }
    if (digits == 0 || points > 1) {
        return false;
    }
    double magnitude = 0.0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), magnitude,
                                     std::chars_format::fixed);
    if (ec != std::errc() || end != number.data() + number.size()) {
        return false;
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

// Reads one difference at pos: an optional sign and at least one digit.
bool ParseDelta(std::string_view text, size_t& pos, int64_t& delta) {
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    size_t start = pos;
    int64_t magnitude = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        if (pos - start >= kMaxDeltaDigits) {
            return false;
        }
        magnitude = magnitude * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == start) {
        return false;
    }
    delta = negative ? -magnitude : magnitude;
    return true;
}

// Walks the whole reply and tells whether it holds exactly out.size() well-formed values; stores
// them into out only when write is set.
bool Walk(std::string_view reply, std::span<double> out, bool write) {
    if (reply.size() < kReplyDataOffset + kFirstValueWidth) {
        return false;
    }
    double value = 0.0;
    if (!ParseFirstValue(reply.substr(kReplyDataOffset, kFirstValueWidth), value)) {
        return false;
    }
    if (write) {
        out[0] = value;
    }
    size_t pos = kReplyDataOffset + kFirstValueWidth;
    for (size_t i = 1; i < out.size(); ++i) {
        int64_t delta = 0;
        if (!ParseDelta(reply, pos, delta)) {
            return false;
        }
        value = ApplyDelta(value, delta);
        if (write) {
            out[i] = value;
        }
    }
    return pos == reply.size();
}

}  // namespace

double ApplyDelta(double previous, int64_t deltaMillionths) {
    double x = (static_cast<double>(deltaMillionths) * 0.000001 + previous) * 1000000.0;
    double sign = x < 0.0 ? -1.0 : 1.0;
    return sign * std::trunc(std::fabs(x) + 0.01) * 0.000001;
}

int32_t DecodeValueBlock(std::string_view reply, std::span<double> out, ResultInfo* info) {
    ClearResult(info);
    if (out.empty()) {
        return SetResult(info, ZUL_ERR);
    }
    // Check the whole reply first so that a bad one leaves the destination untouched.
    if (!Walk(reply, out, false)) {
        return SetResult(info, ZUL_ERR_COMM_RES);
    }
    Walk(reply, out, true);
    return ZUL_OK;
}

}  // namespace zul

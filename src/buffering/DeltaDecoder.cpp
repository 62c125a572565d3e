// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/DeltaDecoder.h"

#include <cmath>

#include "base/NumberText.h"
#include "link/Frame.h"

namespace zul {

namespace {

// Longest digit run accepted for one difference; keeps the integer far from overflow while
// allowing every difference a ±950 value range can produce.
constexpr size_t kMaxDeltaDigits = 15;

// Parses the absolute first value: optional leading blanks (padding), then an optional sign
// and digits with at most one decimal point, and nothing else in the field.
bool ParseFirstValue(std::string_view field, double& value) {
    size_t pos = field.find_first_not_of(' ');
    return pos != std::string_view::npos && ParseRealExact(field.substr(pos), value);
}

// Reads one difference at pos: an optional sign and 1 to kMaxDeltaDigits digits.
bool ParseDelta(std::string_view text, size_t& pos, int64_t& delta) {
    return ScanSignedDecimal(text, pos, delta, kMaxDeltaDigits);
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

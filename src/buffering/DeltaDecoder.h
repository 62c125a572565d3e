// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of one "%EE#RLB" reply: an absolute first value followed by signed differences in
// millionths of the value unit.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "base/ResultInfo.h"

namespace zul {

// Width of the absolute first value, e.g. "+001.000000".
inline constexpr size_t kFirstValueWidth = 11;

// Decodes exactly out.size() values from the reply text (data from kReplyDataOffset on).
// The reply must hold exactly that many values: a reply that is shorter, carries a malformed
// number, or has characters left over is ZUL_ERR_COMM_RES, and then out is left untouched.
// An empty out is ZUL_ERR. Returns the code stored in info.
int32_t DecodeValueBlock(std::string_view reply, std::span<double> out, ResultInfo* info);

// One step of the decoding: the value that follows previous when the difference is
// deltaMillionths. The magnitude in millionths is truncated after adding 0.01, so that a
// value that lands just below a whole millionth is not rounded down by one.
double ApplyDelta(double previous, int64_t deltaMillionths);

}  // namespace zul

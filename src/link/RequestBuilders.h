// SPDX-License-Identifier: GPL-3.0-or-later
// The generic request builders that read or write one value of the controller. Each builds
// "<command string><target digit>[<field>]", submits it with echo mode 0 and (except PostWord)
// waits for the end, copies the request's outcome into *result and returns its code. On a
// failure the out value keeps its cleared value. A reply that is not exactly "%EE$", the echo
// and the field (short, long, or with a character that does not belong to the field) fails
// with ZUL_ERR_COMM_RES, the request text in detail1 and the reply text in detail2.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/ResultInfo.h"
#include "link/CommGate.h"
#include "link/CommRequest.h"

namespace zul {

// A request of the command string and the target digit, ready for its fields.
std::unique_ptr<CommRequest> MakeTargetRequest(std::string_view command, int32_t target);
// Copies the request's code, osError and details into *result and returns the code.
int32_t CopyRequestResult(const CommRequest& request, ResultInfo* result);

// Fills *result for a reply that does not decode: ZUL_ERR_COMM_RES, detail1 the request text,
// detail2 the reply text as the controller sent it (without the echo letter that matching adds
// for the register block commands; unprintable bytes escaped; a long reply shortened to its
// beginning and its length). Returns the code.
int32_t SetMalformedReply(ResultInfo* result, std::string_view command, std::string_view reply);

// Decoders of whole single-value replies (data from offset 7, nothing after the field): five
// digits, sign and ten digits, or a real of 11 characters. False leaves the value unchanged.
bool DecodeWordReply(std::string_view reply, int32_t& value);
bool DecodeLongReply(std::string_view reply, int32_t& value);
bool DecodeRealReply(std::string_view reply, double& value);

// Reply data: decimal of width 5 at offset 7 (a reply of exactly 12 characters).
int32_t ReadWord(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                 int32_t* value);
int32_t WriteWord(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                  int32_t value);
// Fire-and-forget: nobody sees the outcome.
void PostWord(CommGate& gate, std::string_view command, int32_t target, int32_t value);
// Reply data: signed decimal of 11 characters at offset 7 (a reply of exactly 18 characters).
int32_t ReadLong(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                 int32_t* value);
int32_t WriteLong(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                  int32_t value);
// Reply data: real of width 11 at offset 7 (a reply of exactly 18 characters).
int32_t ReadReal(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                 double* value);
int32_t WriteReal(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                  double value);

}  // namespace zul

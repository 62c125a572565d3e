// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/RequestBuilders.h"

#include "link/FieldCodec.h"
#include "link/Frame.h"
#include "link/TraceEscape.h"

namespace zul {

namespace {

constexpr size_t kWordReplyLength = 12;   // "%EE$" + echo + five digits
constexpr size_t kLongReplyLength = 18;   // "%EE$" + echo + eleven characters
constexpr size_t kDetailReplyBytes = 96;  // a longer reply shows its beginning and its length

std::unique_ptr<CommRequest> Run(CommGate& gate, std::unique_ptr<CommRequest> request) {
    return gate.SubmitAndWait(std::move(request));
}

// Decodes the one field of a single-value reply with the reader, which must end exactly at the
// end of the reply.
template <class T, class Reader>
bool DecodeSingle(std::string_view reply, size_t length, T& value, Reader read) {
    if (reply.size() != length) {
        return false;
    }
    int32_t cursor = static_cast<int32_t>(kReplyDataOffset);
    return read(reply, cursor, value);
}

// Runs the read and decodes its reply into *value (when given); a reply that does not decode
// turns the result into ZUL_ERR_COMM_RES.
template <class T, class Decoder>
int32_t RunRead(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                T* value, Decoder decode) {
    ClearResult(result);
    if (value != nullptr) {
        *value = T{};
    }
    auto request = Run(gate, MakeTargetRequest(command, target));
    if (request->result.code != ZUL_OK) {
        return CopyRequestResult(*request, result);
    }
    T decoded{};
    if (!decode(request->reply, decoded)) {
        return SetMalformedReply(result, request->command, request->reply);
    }
    if (value != nullptr) {
        *value = decoded;
    }
    return CopyRequestResult(*request, result);
}

}  // namespace

std::unique_ptr<CommRequest> MakeTargetRequest(std::string_view command, int32_t target) {
    auto request = std::make_unique<CommRequest>();
    WriteText(request->command, request->commandCursor, command);
    WriteTarget(request->command, request->commandCursor, target);
    request->echoMode = kEchoMode3Letters;
    return request;
}

int32_t SetMalformedReply(ResultInfo* result, std::string_view command, std::string_view reply) {
    // Show the reply as the controller sent it: reply matching gave the two-letter echo of the
    // register block commands a third letter, which is taken out again here.
    std::string received(reply);
    const bool registerBlock =
        command.substr(0, 7) == "%EE#RDD" || command.substr(0, 7) == "%EE#WDD";
    if (registerBlock && received.size() >= 7 && received.compare(0, 4, "%EE$") == 0 &&
        received[6] == 'D') {
        received.erase(6, 1);
    }
    reply = received;
    std::string shown;
    if (reply.size() > kDetailReplyBytes) {
        shown = EscapeTraceBytes(reply.substr(0, kDetailReplyBytes)) + "... (" +
                std::to_string(reply.size()) + " characters)";
    } else {
        shown = EscapeTraceBytes(reply);
    }
    return SetResult(result, ZUL_ERR_COMM_RES, 0, EscapeTraceBytes(command), std::move(shown));
}

bool DecodeWordReply(std::string_view reply, int32_t& value) {
    return DecodeSingle(
        reply, kWordReplyLength, value,
        [](std::string_view r, int32_t& at, int32_t& v) { return TakeDecimal(r, at, 5, v); });
}

bool DecodeLongReply(std::string_view reply, int32_t& value) {
    return DecodeSingle(reply, kLongReplyLength, value, TakeSigned11);
}

bool DecodeRealReply(std::string_view reply, double& value) {
    return DecodeSingle(reply, kLongReplyLength, value, TakeReal11);
}

int32_t CopyRequestResult(const CommRequest& request, ResultInfo* result) {
    if (result != nullptr) {
        *result = request.result;
    }
    return request.result.code;
}

int32_t ReadWord(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                 int32_t* value) {
    return RunRead(gate, result, command, target, value, DecodeWordReply);
}

int32_t WriteWord(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                  int32_t value) {
    ClearResult(result);
    auto request = MakeTargetRequest(command, target);
    WriteDecimal(request->command, request->commandCursor, value, 5);
    request = Run(gate, std::move(request));
    return CopyRequestResult(*request, result);
}

void PostWord(CommGate& gate, std::string_view command, int32_t target, int32_t value) {
    auto request = MakeTargetRequest(command, target);
    WriteDecimal(request->command, request->commandCursor, value, 5);
    gate.Submit(std::move(request));
}

int32_t ReadLong(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                 int32_t* value) {
    return RunRead(gate, result, command, target, value, DecodeLongReply);
}

int32_t WriteLong(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                  int32_t value) {
    ClearResult(result);
    auto request = MakeTargetRequest(command, target);
    WriteSigned11(request->command, request->commandCursor, value);
    request = Run(gate, std::move(request));
    return CopyRequestResult(*request, result);
}

int32_t ReadReal(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                 double* value) {
    return RunRead(gate, result, command, target, value, DecodeRealReply);
}

int32_t WriteReal(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                  double value) {
    ClearResult(result);
    auto request = MakeTargetRequest(command, target);
    WriteReal11(request->command, request->commandCursor, value);
    request = Run(gate, std::move(request));
    return CopyRequestResult(*request, result);
}

}  // namespace zul

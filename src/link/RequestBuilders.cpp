#include "link/RequestBuilders.h"

#include "link/FieldCodec.h"
#include "link/Frame.h"

namespace zul {

namespace {

constexpr size_t kWordReplyLength = 12;  // "%EE$" + echo + five digits
constexpr size_t kLongReplyLength = 18;  // "%EE$" + echo + eleven characters

std::unique_ptr<CommRequest> Run(CommGate& gate, std::unique_ptr<CommRequest> request) {
    return gate.SubmitAndWait(std::move(request));
}

}  // namespace

std::unique_ptr<CommRequest> MakeTargetRequest(std::string_view command, int32_t target) {
    auto request = std::make_unique<CommRequest>();
    WriteText(request->command, request->commandCursor, command);
    WriteTarget(request->command, request->commandCursor, target);
    request->echoMode = kEchoMode3Letters;
    return request;
}

int32_t CopyRequestResult(const CommRequest& request, ResultInfo* result) {
    if (result != nullptr) {
        *result = request.result;
    }
    return request.result.code;
}

int32_t ReadWord(CommGate& gate, ResultInfo* result, std::string_view command, int32_t target,
                 int32_t* value) {
    ClearResult(result);
    if (value != nullptr) {
        *value = 0;
    }
    auto request = Run(gate, MakeTargetRequest(command, target));
    if (request->result.code == ZUL_OK && request->reply.size() >= kWordReplyLength &&
        value != nullptr) {
        request->replyCursor = static_cast<int32_t>(kReplyDataOffset);
        *value = ReadDecimal(request->reply, request->replyCursor, 5);
    }
    return CopyRequestResult(*request, result);
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
    ClearResult(result);
    if (value != nullptr) {
        *value = 0;
    }
    auto request = Run(gate, MakeTargetRequest(command, target));
    if (request->result.code == ZUL_OK && request->reply.size() >= kLongReplyLength &&
        value != nullptr) {
        request->replyCursor = static_cast<int32_t>(kReplyDataOffset);
        *value = ReadDecimal(request->reply, request->replyCursor, kSigned11Width);
    }
    return CopyRequestResult(*request, result);
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
    ClearResult(result);
    if (value != nullptr) {
        *value = 0.0;
    }
    auto request = Run(gate, MakeTargetRequest(command, target));
    if (request->result.code == ZUL_OK && request->reply.size() >= kLongReplyLength &&
        value != nullptr) {
        request->replyCursor = static_cast<int32_t>(kReplyDataOffset);
        *value = ReadReal11(request->reply, request->replyCursor);
    }
    return CopyRequestResult(*request, result);
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

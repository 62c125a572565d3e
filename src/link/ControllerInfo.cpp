#include "link/ControllerInfo.h"

#include "link/Commands.h"
#include "link/FieldCodec.h"
#include "link/RegisterBlock.h"
#include "link/RequestBuilders.h"

namespace zul {

namespace {

constexpr uint32_t kNameFirst = 118;
constexpr uint32_t kNameLast = 123;
constexpr uint32_t kVersionRegister = 124;
constexpr uint32_t kText3First = 152;
constexpr uint32_t kText3Last = 159;
constexpr uint32_t kText4First = 160;
constexpr uint32_t kText4Last = 167;

std::string TrimBlanks(std::string text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string RegisterText(const RegisterBlock& job, uint32_t first, uint32_t last) {
    std::string text;
    for (uint32_t address = first; address <= last; ++address) {
        uint16_t word = job.RegisterValue(address);
        text.push_back(static_cast<char>(word >> 8));
        text.push_back(static_cast<char>(word & 0xFF));
    }
    size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        text.erase(zero);
    }
    return TrimBlanks(std::move(text));
}

std::string NumberAndAlias(int32_t bank, const std::string& alias) {
    return std::to_string(bank) + " " + alias;
}

}  // namespace

int32_t ReadControllerInfo(CommGate& gate, ResultInfo* result, ControllerInfo* info) {
    ClearResult(result);
    ControllerInfo out;
    if (info != nullptr) {
        *info = out;
    }
    RegisterBlock job;
    for (uint32_t address = kNameFirst; address <= kVersionRegister; ++address) {
        job.AddRegister(address);
    }
    for (uint32_t address = kText3First; address <= kText4Last; ++address) {
        job.AddRegister(address);
    }
    int32_t code = job.Run(gate, result, true);
    if (code != ZUL_OK) {
        return code;
    }
    out.name = RegisterText(job, kNameFirst, kNameLast);
    out.version = job.RegisterValue(kVersionRegister);
    out.versionText = FormatVersionText(out.version);
    out.text3 = RegisterText(job, kText3First, kText3Last);
    out.text4 = RegisterText(job, kText4First, kText4Last);
    if (info != nullptr) {
        *info = std::move(out);
    }
    return ZUL_OK;
}

int32_t CheckMemoryMatch(CommGate& gate, ResultInfo* result, ControllerStateSource& state) {
    ClearResult(result);
    if (state.LineState() == 0) {
        return ZUL_OK;
    }
    int32_t expected = state.CurMemNo();
    int32_t actual = 0;
    int32_t code = ReadWord(gate, result, cmd::kReadCurrentMemory, 0, &actual);
    if (code != ZUL_OK) {
        return code;
    }
    if (actual == expected) {
        return ZUL_OK;
    }
    return SetResult(result, ZUL_ERR_CUR_MEM_NO_MATCH, 0,
                     NumberAndAlias(expected, state.MemAlias(expected)),
                     NumberAndAlias(actual, state.MemAlias(actual)));
}

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
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

// The characters of the registers, high byte first. The text ends at the first zero byte; the
// characters before it must be text (no control characters other than tab). False for a text
// that is not.
bool RegisterText(const RegisterBlock& job, uint32_t first, uint32_t last, std::string& out) {
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
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
            return false;
        }
    }
    out = TrimBlanks(std::move(text));
    return true;
}

// A frame of the identity read whose text is not text: ZUL_ERR_COMM_RES with the request and
// the reply as the controller sent them.
int32_t SetBadIdentityText(ResultInfo* result, const RegisterBlock& job, uint32_t first,
                           uint32_t last) {
    std::string command;
    std::string reply = "%EE$RDD";
    int32_t cursor = 0;
    WriteText(command, cursor, cmd::kReadRegisters);
    WriteDecimal(command, cursor, first, 5);
    WriteDecimal(command, cursor, last, 5);
    for (uint32_t address = first; address <= last; ++address) {
        reply += FormatHexWord(job.RegisterValue(address));
    }
    return SetMalformedReply(result, command, reply);
}

// "%d %s" of the bank and its alias; without an alias the number alone, so that the text it goes
// into has no blank before the punctuation that follows.
std::string NumberAndAlias(int32_t bank, const std::string& alias) {
    return alias.empty() ? std::to_string(bank) : std::to_string(bank) + " " + alias;
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
    if (!RegisterText(job, kNameFirst, kNameLast, out.name)) {
        return SetBadIdentityText(result, job, kNameFirst, kVersionRegister);
    }
    out.version = job.RegisterValue(kVersionRegister);
    out.versionText = FormatVersionText(out.version);
    if (!RegisterText(job, kText3First, kText3Last, out.text3) ||
        !RegisterText(job, kText4First, kText4Last, out.text4)) {
        return SetBadIdentityText(result, job, kText3First, kText4Last);
    }
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

// SPDX-License-Identifier: GPL-3.0-or-later
// Two small operations on top of the builders: the controller's identification, and the check
// that the controller works in the memory bank the tool shows.
#pragma once

#include <cstdint>
#include <string>

#include "base/ResultInfo.h"
#include "link/CommGate.h"

namespace zul {

struct ControllerInfo {
    std::string name;         // registers 118-123
    std::string versionText;  // register 124 as "%X.%02X"
    std::string text3;        // registers 152-159
    std::string text4;        // registers 160-167
    uint16_t version = 0;     // register 124
};

// Reads registers 118-124 and 152-167 (two frames). Each register holds two characters, the
// high byte first; a text ends at a zero byte and is trimmed of blanks and tabs. A reply that
// does not decode, or a text with a control character (other than tab) before its end, fails
// with ZUL_ERR_COMM_RES and the frame's request and reply texts; the outputs stay cleared.
int32_t ReadControllerInfo(CommGate& gate, ResultInfo* result, ControllerInfo* info);

// The settings CheckMemoryMatch reads; the settings store implements it.
class ControllerStateSource {
public:
    virtual ~ControllerStateSource() = default;
    virtual int32_t LineState() = 0;                 // CONTROLLER LineState
    virtual int32_t CurMemNo() = 0;                  // ZUL_APP_DATA CurMemNo
    virtual std::string MemAlias(int32_t bank) = 0;  // FORM_SOFTWARE MemAlias%m
};

// 0 when offline (LineState 0) or when "%EE#RMC0" reports CurMemNo; else
// ZUL_ERR_CUR_MEM_NO_MATCH with detail1 "<expected> <alias>" and detail2 "<actual> <alias>",
// or the code of the failed read.
int32_t CheckMemoryMatch(CommGate& gate, ResultInfo* result, ControllerStateSource& state);

}  // namespace zul

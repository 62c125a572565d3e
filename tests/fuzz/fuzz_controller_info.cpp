// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary replies to the identification read (registers 118-124 and 152-167 in one
// "%EE#RDD" job). A failed read leaves an empty record; a good one gives texts that hold no
// zero byte and no surrounding blanks, and the version text of the version word.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzGate.h"
#include "link/ControllerInfo.h"
#include "link/FieldCodec.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void CheckText(const std::string& text, size_t limit) {
    Check(text.size() <= limit);
    Check(text.find('\0') == std::string::npos);
    if (!text.empty()) {
        Check(text.front() != ' ' && text.front() != '\t');
        Check(text.back() != ' ' && text.back() != '\t');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string_view replies(reinterpret_cast<const char*>(bytes), size);
    zul::fuzz::FuzzGate gate(replies);
    zul::ControllerInfo info;
    info.name = "stale";
    info.version = 7;
    zul::ResultInfo result;
    int32_t code = zul::ReadControllerInfo(gate, &result, &info);
    Check(code == result.code);
    if (code != zul::ZUL_OK) {
        Check(info.name.empty() && info.versionText.empty() && info.text3.empty() &&
              info.text4.empty() && info.version == 0);
        return 0;
    }
    CheckText(info.name, 12);
    CheckText(info.text3, 16);
    CheckText(info.text4, 16);
    Check(info.versionText == zul::FormatVersionText(info.version));
    return 0;
}

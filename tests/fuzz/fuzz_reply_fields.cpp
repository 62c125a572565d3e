// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary reply data to the readers of single values (5-digit words, 11-character
// signed fields, reals) and to a block of "%EE#RDD" register words. The first byte chooses the
// reader, the rest are the replies (see FuzzGate.h). Whatever arrives, a reader returns the
// request's result code, a failed read leaves its value cleared, and an accepted real is
// finite.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "FuzzGate.h"
#include "link/Commands.h"
#include "link/RegisterBlock.h"
#include "link/RequestBuilders.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void ReadRegisters(zul::fuzz::FuzzGate& gate, uint8_t shape) {
    // Up to 64 registers in one run, and a second run after a gap when the bit is set, so
    // that one job takes two frames.
    zul::RegisterBlock job;
    uint32_t count = 1 + (shape & 0x3F);
    for (uint32_t a = 0; a < count; ++a) {
        job.AddRegister(2800 + a);
    }
    if (shape & 0x40) {
        job.AddRegister(3000);
        job.AddRegister(3001);
    }
    zul::ResultInfo result;
    int32_t code = job.Run(gate, &result, true);
    Check(code == result.code);
    Check(gate.Requests() <= 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 1) {
        return 0;
    }
    std::string_view replies(reinterpret_cast<const char*>(bytes + 1), size - 1);
    zul::fuzz::FuzzGate gate(replies);
    zul::ResultInfo result;
    switch (bytes[0] % 4) {
        case 0: {
            int32_t value = -1;
            int32_t code = zul::ReadWord(gate, &result, zul::cmd::kReadZeroSet, 3, &value);
            Check(code == result.code);
            Check(code == zul::ZUL_OK ? value >= -99999 && value <= 99999 : value == 0);
            break;
        }
        case 1: {
            int32_t value = -1;
            int32_t code = zul::ReadLong(gate, &result, zul::cmd::kReadBufferingCount, 0, &value);
            Check(code == result.code);
            Check(code == zul::ZUL_OK || value == 0);
            break;
        }
        case 2: {
            double value = -1.0;
            int32_t code = zul::ReadReal(gate, &result, zul::cmd::kReadZeroSet, 4, &value);
            Check(code == result.code);
            Check(code == zul::ZUL_OK ? std::isfinite(value) : value == 0.0);
            break;
        }
        default:
            ReadRegisters(gate, size > 1 ? bytes[1] : 0);
            break;
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary "%EE#RDD" replies to the reads of a light-wave capture, as the light-wave
// thread sends them. The first byte chooses the list: the full capture list (with or without
// the extra words), or a short list of addresses taken from the following bytes; the rest are
// the replies (see FuzzGate.h). A stored reply gives exactly the words its text spells; a refused
// one changes no word; the frames are filled from whatever was stored.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "FuzzGate.h"
#include "lightwave/LightWaveFrame.h"
#include "lightwave/LightWaveReadList.h"
#include "link/CommRequest.h"
#include "link/FieldCodec.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool SameHex(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'a' && a[i] <= 'f' ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
        if (x != b[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 1) {
        return 0;
    }
    zul::LightWaveReadList list;
    size_t at = 1;
    if (bytes[0] & 1) {
        list.BuildCaptureList((bytes[0] & 2) != 0);
    } else {
        // Up to 16 addresses, two bytes each, near the capture area and the extra words.
        size_t count = (bytes[0] >> 1) & 0x0F;
        for (size_t i = 0; i < count && at + 1 < size; ++i, at += 2) {
            int32_t offset = bytes[at] << 8 | bytes[at + 1];
            list.Insert(offset & 0x8000 ? 17190 + (offset & 0x7F) : 40 + (offset & 0x0F));
        }
    }
    zul::fuzz::FuzzGate gate(
        std::string_view(reinterpret_cast<const char*>(bytes + at), size - at));
    const auto& reads = list.Reads();
    for (size_t r = 0; r < reads.size(); ++r) {
        auto request = std::make_unique<zul::CommRequest>();
        request->command = zul::DataAreaReadCommand(reads[r]);
        request->echoMode = zul::kEchoMode2Letters;
        request = gate.SubmitAndWait(std::move(request));
        if (request->result.code != zul::ZUL_OK) {
            break;
        }
        std::vector<uint16_t> before = list.Words();
        zul::ResultInfo info;
        int32_t code = list.StoreReply(r, request->reply, &info);
        Check(code == info.code);
        if (code != zul::ZUL_OK) {
            Check(list.Words() == before);
            continue;
        }
        std::string_view reply = request->reply;
        for (int32_t a = reads[r].first; a <= reads[r].last; ++a) {
            size_t offset = zul::kReplyDataOffset + 4 * static_cast<size_t>(a - reads[r].first);
            Check(SameHex(reply.substr(offset, 4), zul::FormatHexWord(list.WordAt(a))));
        }
    }
    zul::LightWaveFrame headA;
    zul::LightWaveFrame headB;
    list.FillFrames(headA, headB);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts an arbitrary byte stream into frames and matches each against a request, as the raw
// communication thread and the communication controller do with what the line delivers.
// The first byte chooses the block check and the echo mode and how the stream is cut into
// arrivals; the request text runs up to the first line feed, the stream follows it.
//  - Arrivals cut anywhere give the same frames as the stream in one piece.
//  - Each frame begins with "%EE" and holds no carriage return; the buffer stays bounded.
//  - A good reply sent after the stream is always found, whatever came before it.
//  - An accepted reply begins with "%EE$"; an error reply comes from a "%EE!" frame.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/Frame.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::vector<std::string> InPieces(std::string_view stream, bool bccOn, size_t step) {
    zul::FrameExtractor extractor;
    std::vector<std::string> frames;
    for (size_t at = 0; at < stream.size(); at += step) {
        for (auto& frame : extractor.Push(stream.substr(at, step), bccOn)) {
            frames.push_back(std::move(frame));
        }
        Check(extractor.Buffered() <= zul::kMaxReceiveBuffer);
    }
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 1) {
        return 0;
    }
    const bool bccOn = (bytes[0] & 1) != 0;
    const int32_t echoMode = (bytes[0] >> 1) & 1;
    const size_t step = 1 + (bytes[0] >> 2);
    std::string_view input(reinterpret_cast<const char*>(bytes + 1), size - 1);
    size_t lf = input.find('\n');
    std::string_view request = lf == std::string_view::npos ? "%EE#RMC0" : input.substr(0, lf);
    std::string_view stream = lf == std::string_view::npos ? input : input.substr(lf + 1);

    zul::FrameExtractor whole;
    std::vector<std::string> frames = whole.Push(stream, bccOn);
    Check(whole.Buffered() <= zul::kMaxReceiveBuffer);
    if (stream.size() <= zul::kMaxReceiveBuffer) {
        Check(InPieces(stream, bccOn, step) == frames);
    }
    for (const std::string& frame : frames) {
        Check(frame.size() >= 4 && frame.compare(0, 3, "%EE") == 0);
        Check(frame.find(zul::kCarriageReturn) == std::string::npos);
        zul::MatchResult match = zul::MatchReply(request, echoMode, frame);
        if (match.kind == zul::ReplyMatch::kAccepted) {
            Check(match.text.compare(0, 4, "%EE$") == 0);
            Check(match.text.size() == frame.size() + (echoMode == zul::kEchoMode2Letters));
        } else if (match.kind == zul::ReplyMatch::kError) {
            Check(frame.compare(0, 4, "%EE!") == 0);
        }
    }

    // A good reply after the stream: the extractor that saw the stream still finds it.
    if (stream.size() < zul::kMaxReceiveBuffer / 2) {
        std::string good = "%EE$RMC00001";
        std::string sent = zul::Terminate(bccOn ? zul::AppendBcc(good) : zul::AppendNoBcc(good));
        std::vector<std::string> after = whole.Push(sent, bccOn);
        Check(!after.empty() && after.back() == good);
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimBlockCheck.h"

namespace zul::sim {

namespace {

unsigned XorOfBytes(std::string_view text) {
    unsigned sum = 0;
    for (unsigned char byte : text) {
        sum ^= byte;
    }
    return sum;
}

// Value of a hex digit of either case; 16 for anything else.
unsigned NibbleOf(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    return 16;
}

}  // namespace

std::string BlockCheckOf(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    unsigned sum = XorOfBytes(text);
    return {kDigits[sum / 16], kDigits[sum % 16]};
}

bool BlockCheckMatches(std::string_view frame) {
    if (frame.size() < 2) {
        return false;
    }
    unsigned high = NibbleOf(frame[frame.size() - 2]);
    unsigned low = NibbleOf(frame[frame.size() - 1]);
    if (high > 15 || low > 15) {
        return false;
    }
    return high * 16 + low == XorOfBytes(frame.substr(0, frame.size() - 2));
}

std::string FrameReply(std::string_view text) {
    std::string bytes(text);
    bytes += BlockCheckOf(text);
    bytes += kFrameEnd;
    return bytes;
}

}  // namespace zul::sim

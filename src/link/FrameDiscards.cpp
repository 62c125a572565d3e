// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FrameDiscards.h"

#include "link/Frame.h"

namespace zul {

namespace {

// Shortest frame, carriage return included.
constexpr size_t kShortestFrame = 7;

// True when the piece (up to its carriage return) ends with the frame text and its block check.
bool EndsWithFrame(std::string_view piece, std::string_view frame, bool bccOn) {
    if (piece.size() < frame.size() + 2) {
        return false;
    }
    size_t at = piece.size() - 2 - frame.size();
    if (piece.substr(at, frame.size()) != frame) {
        return false;
    }
    // With the check on, a frame with the same text but a bad check may come first.
    return !bccOn ||
           CheckBcc(frame.data(), frame.size(), piece[piece.size() - 2], piece[piece.size() - 1]);
}

}  // namespace

std::vector<DiscardedFrame> FindDiscardedFrames(std::string_view consumed,
                                                const std::vector<std::string>& frames,
                                                bool bccOn) {
    std::vector<DiscardedFrame> discarded;
    size_t next = 0;  // the next delivered frame to find
    size_t cursor = 0;
    while (cursor < consumed.size()) {
        size_t cr = consumed.find(kCarriageReturn, cursor);
        if (cr == std::string_view::npos) {
            break;  // bytes without an end, dropped to bound the buffer: not a frame
        }
        std::string_view piece = consumed.substr(cursor, cr - cursor);
        cursor = cr + 1;
        if (next < frames.size() && EndsWithFrame(piece, frames[next], bccOn)) {
            ++next;
            continue;
        }
        // The extraction tries the last start before a carriage return; so does this.
        size_t start = piece.rfind("%EE");
        if (start == std::string_view::npos) {
            continue;
        }
        DiscardedFrame frame;
        frame.bytes = std::string(piece.substr(start));
        frame.reason = frame.bytes.size() + 1 < kShortestFrame ? DiscardReason::kBroken
                                                               : DiscardReason::kBadBcc;
        frame.framesBefore = next;
        discarded.push_back(std::move(frame));
    }
    return discarded;
}

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// Which received frames the frame extraction dropped, and why. The extraction drops a corrupted
// frame silently (a good frame behind it must still be found); the link reports what it
// dropped, so that a reply lost to a bad block check is not mistaken for a silent controller.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "link/LinkRecord.h"

namespace zul {

struct DiscardedFrame {
    std::string bytes;  // from its "%EE" up to its carriage return (not included)
    DiscardReason reason = DiscardReason::kNone;
    size_t framesBefore = 0;  // how many delivered frames came before it on the line
};

// consumed: the bytes one extraction took out of the receive buffer, in order; frames: the frame
// texts it delivered from them, in order. Returns every other piece ending in a carriage return
// that began a frame ("%EE"): too short to be one (kBroken), or failing its block check
// (kBadBcc). Pieces without "%EE" are line noise, not frames, and are not returned.
std::vector<DiscardedFrame> FindDiscardedFrames(std::string_view consumed,
                                                const std::vector<std::string>& frames, bool bccOn);

}  // namespace zul

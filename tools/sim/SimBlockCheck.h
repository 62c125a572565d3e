// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's side of the frame envelope: the block check and the terminator. Written
// apart from the tool's frame code on purpose, so that a fault in either one shows up as a
// disagreement between the tool and the emulator instead of hiding in both.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zul::sim {

inline constexpr char kFrameEnd = '\r';
// Longest request the controller takes, terminator included.
inline constexpr size_t kMaxRequestBytes = 512;

// The block check of the text: the exclusive or of all its bytes as two upper-case hex digits.
std::string BlockCheckOf(std::string_view text);
// True when the last two characters of the frame are the block check of what precedes them
// (hex digits of either case). A frame shorter than two characters never matches.
bool BlockCheckMatches(std::string_view frame);
// The reply text with its block check and the terminator, as the controller sends it.
std::string FrameReply(std::string_view text);

}  // namespace zul::sim

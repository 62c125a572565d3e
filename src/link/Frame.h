// SPDX-License-Identifier: GPL-3.0-or-later
// The command frame: "%EE#" + mnemonic + data + BCC + CR out, "%EE$"/"%EE!" replies in.
// Pure byte-string functions with no thread or transport dependency.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/NumberText.h"

namespace zul {

inline constexpr char kCarriageReturn = '\r';
inline constexpr size_t kMaxRequestFrame = 512;  // bytes including BCC and CR
// Longest legal reply is below 33,500 bytes; the receive buffer never grows past this.
inline constexpr size_t kMaxReceiveBuffer = 65536;
inline constexpr size_t kReplyDataOffset = 7;

// XOR of every byte of the text, written as two upper-case hex digits and appended.
std::string AppendBcc(std::string_view text);
// Appends "**" in place of the BCC (BCC switched off).
std::string AppendNoBcc(std::string_view text);
// The bytes the transports send: the text followed by a carriage return.
std::string Terminate(std::string_view text);
// True when the two characters parse as hex (either case) and XORed with every one of the
// count bytes give zero.
bool CheckBcc(const char* bytes, size_t count, char bcc1, char bcc2);

// Cuts a byte stream into frame texts (frames without BCC and CR). Keeps the partial frame
// between calls. Corrupted frames are dropped one byte at a time so that a good frame after
// them is still found. The buffer is capped at kMaxReceiveBuffer.
class FrameExtractor {
public:
    // Appends the bytes and returns every complete frame text now in the buffer, in order.
    std::vector<std::string> Push(std::string_view newBytes, bool bccOn);
    void Reset() { buffer_.clear(); }
    size_t Buffered() const { return buffer_.size(); }

private:
    std::string buffer_;
};

// Free-function form: buffer is the caller's receive buffer. Appends the bytes, removes and
// returns every complete frame text, drops corrupted starts, and caps what stays buffered.
std::vector<std::string> ExtractFrames(std::string& buffer, std::string_view newBytes, bool bccOn);
// Bounds a receive buffer that holds no complete frame to kMaxReceiveBuffer bytes.
void EnforceReceiveCap(std::string& buffer);

enum class ReplyMatch {
    kAccepted,  // the answer to the request; text adjusted for echo mode 1
    kError,     // "%EE!" error reply; errorCode holds the controller's number
    kNotReply,  // not for this request: discard and keep waiting
};

struct MatchResult {
    ReplyMatch kind = ReplyMatch::kNotReply;
    std::string text;       // accepted reply text, data at offset 7
    int32_t errorCode = 0;  // for kError
};

inline constexpr int32_t kEchoMode3Letters = 0;
inline constexpr int32_t kEchoMode2Letters = 1;

MatchResult MatchReply(std::string_view request, int32_t echoMode, std::string_view frame);

}  // namespace zul

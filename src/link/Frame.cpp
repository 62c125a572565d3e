// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Frame.h"

#include <algorithm>

namespace zul {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

uint8_t XorOf(const char* bytes, size_t count) {
    uint8_t x = 0;
    for (size_t i = 0; i < count; ++i) {
        x ^= static_cast<uint8_t>(bytes[i]);
    }
    return x;
}

// The BCC characters as a number, or -1 when they are not two hex digits.
int ParseBcc(char bcc1, char bcc2) {
    const char digits[2] = {bcc1, bcc2};
    uint32_t value = 0;
    return ParseHexExact(std::string_view(digits, 2), value) ? static_cast<int>(value) : -1;
}

std::string_view Prefix(std::string_view text, size_t from, size_t count) {
    if (from >= text.size()) {
        return {};
    }
    return text.substr(from, count);
}

}  // namespace

std::vector<std::string> FrameExtractor::Push(std::string_view newBytes, bool bccOn) {
    return ExtractFrames(buffer_, newBytes, bccOn);
}

std::string AppendBcc(std::string_view text) {
    uint8_t x = XorOf(text.data(), text.size());
    std::string out;
    out.reserve(text.size() + 2);
    out.append(text);
    out.push_back(kHexDigits[x >> 4]);
    out.push_back(kHexDigits[x & 0x0F]);
    return out;
}

std::string AppendNoBcc(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.append(text);
    out.append("**");
    return out;
}

std::string Terminate(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 1);
    out.append(text);
    out.push_back(kCarriageReturn);
    return out;
}

bool CheckBcc(const char* bytes, size_t count, char bcc1, char bcc2) {
    int v = ParseBcc(bcc1, bcc2);
    if (v < 0) {
        return false;
    }
    return (static_cast<uint8_t>(v) ^ XorOf(bytes, count)) == 0;
}

std::vector<std::string> ExtractFrames(std::string& buffer, std::string_view newBytes, bool bccOn) {
    buffer.append(newBytes);
    std::vector<std::string> frames;

    // Scan with a read position and erase once at the end. While the candidate start moves
    // towards the same carriage return, the XOR over candidate..BCC is kept up to date
    // incrementally, so a long run of corrupted "%EE" starts costs linear time.
    size_t pos = 0;
    size_t cr = std::string::npos;
    size_t xorStart = 0;
    uint8_t xorValue = 0;
    bool xorValid = false;

    while (pos < buffer.size()) {
        size_t start = buffer.find('%', pos);
        if (start == std::string::npos) {
            pos = buffer.size();
            break;
        }
        pos = start;
        if (buffer.size() - pos < 3) {
            break;
        }
        if (buffer[pos + 1] != 'E' || buffer[pos + 2] != 'E') {
            ++pos;
            continue;
        }
        if (cr == std::string::npos || cr < pos) {
            cr = buffer.find(kCarriageReturn, pos);
            xorValid = false;
            if (cr == std::string::npos) {
                break;
            }
        }
        // A reply never carries "%EE" in its body: a later start before the same carriage
        // return means the frame at pos lost its end, so scanning resumes at the later start.
        // (Without this, an even run of "%EE" in front of a good frame XORs to zero and the
        // good frame would be swallowed into a garbage one.)
        size_t later = buffer.rfind("%EE", cr);
        if (later != std::string::npos && later > pos) {
            pos = later;
        }
        size_t length = cr - pos + 1;  // including the carriage return
        if (length < 7) {
            ++pos;
            continue;
        }
        size_t textEnd = cr - 2;  // offset of the first BCC character
        if (bccOn) {
            if (!xorValid) {
                xorValue = XorOf(buffer.data() + pos, textEnd - pos);
                xorValid = true;
            } else {
                xorValue ^= XorOf(buffer.data() + xorStart, pos - xorStart);
            }
            xorStart = pos;
            int v = ParseBcc(buffer[cr - 2], buffer[cr - 1]);
            if (v < 0 || (static_cast<uint8_t>(v) ^ xorValue) != 0) {
                ++pos;
                continue;
            }
        }
        frames.emplace_back(buffer, pos, textEnd - pos);
        pos = cr + 1;
        cr = std::string::npos;
        xorValid = false;
    }
    buffer.erase(0, pos);
    EnforceReceiveCap(buffer);
    return frames;
}

void EnforceReceiveCap(std::string& buffer) {
    if (buffer.size() <= kMaxReceiveBuffer) {
        return;
    }
    // Drop at least the excess, then up to the next "%", so that a frame that has begun
    // arriving after the garbage keeps its start.
    size_t from = std::max<size_t>(1, buffer.size() - kMaxReceiveBuffer);
    size_t next = buffer.find('%', from);
    if (next == std::string::npos) {
        buffer.clear();
    } else {
        buffer.erase(0, next);
    }
}

MatchResult MatchReply(std::string_view request, int32_t echoMode, std::string_view frame) {
    MatchResult result;
    bool accepted = Prefix(frame, 0, 4) == "%EE$";
    if (echoMode == kEchoMode3Letters && accepted && Prefix(frame, 4, 3) == Prefix(request, 4, 3)) {
        result.kind = ReplyMatch::kAccepted;
        result.text = std::string(frame);
        return result;
    }
    if (echoMode == kEchoMode2Letters && accepted && Prefix(frame, 4, 2) == Prefix(request, 4, 2)) {
        result.kind = ReplyMatch::kAccepted;
        result.text = std::string(frame);
        result.text.insert(std::min<size_t>(6, result.text.size()), 1, 'D');
        return result;
    }
    if (echoMode != kEchoMode3Letters && echoMode != kEchoMode2Letters) {
        return result;
    }
    if (frame.size() >= 6 && frame.substr(0, 4) == "%EE!") {
        result.kind = ReplyMatch::kError;
        result.errorCode = ParseDecimal(frame.substr(4, 2));
        return result;
    }
    return result;
}

}  // namespace zul

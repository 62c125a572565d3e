// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/RegisterBlock.h"

#include <algorithm>

#include "link/Commands.h"
#include "link/FieldCodec.h"
#include "link/Frame.h"
#include "link/RequestBuilders.h"

namespace zul {

namespace {

constexpr size_t kGrowStep = 1000;
constexpr size_t kMaxReadReply = 32500;

template <class T>
void GrowInSteps(std::vector<T>& list) {
    if (list.size() == list.capacity()) {
        list.reserve(list.capacity() + kGrowStep);
    }
}

}  // namespace

void RegisterBlock::AddRegister(uint32_t address) {
    GrowInSteps(addresses_);
    GrowInSteps(slots_);
    GrowInSteps(values_);
    size_t slot = addresses_.size();
    auto at = std::lower_bound(addresses_.begin(), addresses_.end(), address);
    size_t position = static_cast<size_t>(at - addresses_.begin());
    addresses_.insert(at, address);
    slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(position), slot);
    values_.push_back(0);
}

size_t RegisterBlock::SetRegisterValue(uint32_t address, uint16_t value) {
    auto at = std::find(addresses_.begin(), addresses_.end(), address);
    if (at == addresses_.end()) {
        return addresses_.size();
    }
    size_t slot = slots_[static_cast<size_t>(at - addresses_.begin())];
    values_[slot] = value;
    return slot;
}

uint16_t RegisterBlock::RegisterValue(uint32_t address) const {
    auto at = std::find(addresses_.begin(), addresses_.end(), address);
    if (at == addresses_.end()) {
        return 0;
    }
    return values_[slots_[static_cast<size_t>(at - addresses_.begin())]];
}

bool RegisterBlock::BuildNextFrame(std::string& text) {
    size_t count = addresses_.size();
    if (next_ >= count) {
        return false;
    }
    end_ = next_ + 1;
    while (end_ < count) {
        if (addresses_[end_] != addresses_[end_ - 1] + 1) {
            break;
        }
        size_t k = end_ - next_;
        if (!read_ && 4 * k + 24 > kMaxRequestFrame) {
            break;
        }
        if (read_ && 4 + 4 * k + 9 > kMaxReadReply) {
            break;
        }
        ++end_;
    }
    text.clear();
    int32_t cursor = 0;
    WriteText(text, cursor, read_ ? cmd::kReadRegisters : cmd::kWriteRegisters);
    WriteDecimal(text, cursor, addresses_[next_], 5);
    WriteDecimal(text, cursor, addresses_[end_ - 1], 5);
    if (!read_) {
        for (size_t i = next_; i < end_; ++i) {
            WriteHexWord(text, cursor, values_[slots_[i]]);
        }
    }
    return true;
}

int32_t RegisterBlock::TakeReadReply(const CommRequest& request, ResultInfo* result) {
    const std::string& reply = request.reply;
    const size_t words = end_ - next_;
    if (!read_ || end_ <= next_ || reply.size() != kReplyDataOffset + kHexWordWidth * words) {
        return SetMalformedReply(result, request.command, reply);
    }
    // Decode every word before storing any, so that a bad reply leaves the values as they were.
    std::vector<uint16_t> decoded(words);
    int32_t cursor = static_cast<int32_t>(kReplyDataOffset);
    for (uint16_t& word : decoded) {
        if (!TakeHexWord(reply, cursor, word)) {
            return SetMalformedReply(result, request.command, reply);
        }
    }
    for (size_t i = 0; i < words; ++i) {
        values_[slots_[next_ + i]] = decoded[i];
    }
    FrameDone();
    return ZUL_OK;
}

int32_t RegisterBlock::Run(CommGate& gate, ResultInfo* result, bool read,
                           const std::atomic<int32_t>* abort, const RegisterProgressFn& progress) {
    ClearResult(result);
    size_t count = addresses_.size();
    if (progress) {
        progress(0, count);
    }
    read_ = read;
    next_ = 0;
    end_ = 0;
    if (read_) {
        std::fill(values_.begin(), values_.end(), 0);
    }
    int32_t last = ZUL_OK;
    while (abort == nullptr || abort->load() == 0) {
        auto request = std::make_unique<CommRequest>();
        if (!BuildNextFrame(request->command)) {
            return last;
        }
        request->commandCursor = static_cast<int32_t>(request->command.size());
        request->echoMode = kEchoMode2Letters;
        request = gate.SubmitAndWait(std::move(request));
        last = request->result.code;
        if (result != nullptr) {
            *result = request->result;
        }
        if (last == ZUL_OK && read_) {
            last = TakeReadReply(*request, result);
        }
        if (last != ZUL_OK) {
            return last;
        }
        FrameDone();
        if (progress) {
            progress(next_, count);
        }
    }
    return SetResult(result, ZUL_ERR_ABORT);
}

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// A register block transfer job: controller registers (16-bit values) read or written in as
// few "%EE#RDD"/"%EE#WDD" frames as the frame limits allow. Only consecutive registers share
// a frame; a write frame holds at most 123 registers (512 bytes with BCC and CR), a read frame
// at most 8122 (its reply stays below 32,500 bytes).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/ResultInfo.h"
#include "link/CommGate.h"

namespace zul {

inline constexpr size_t kMaxWriteRegistersPerFrame = 123;
inline constexpr size_t kMaxReadRegistersPerFrame = 8122;

// Called with (registers done, register count): once before the first frame and after each.
using RegisterProgressFn = std::function<void(size_t done, size_t total)>;

class RegisterBlock {
public:
    // Inserts the address before the first stored address that is not below it; the value of
    // the new register is kept in the slot numbered by the registers added before it.
    void AddRegister(uint32_t address);
    // Stores the value of the first register with the address. Returns its slot; the register
    // count when there is none (then nothing is stored), 0 for an empty job.
    size_t SetRegisterValue(uint32_t address, uint16_t value);
    // The value of the first register with the address, 0 when there is none.
    uint16_t RegisterValue(uint32_t address) const;
    // The value in a slot (slots number the registers in the order they were added); 0 and
    // no effect outside the job.
    uint16_t SlotValue(size_t slot) const { return slot < values_.size() ? values_[slot] : 0; }
    void SetSlotValue(size_t slot, uint16_t value) {
        if (slot < values_.size()) {
            values_[slot] = value;
        }
    }

    size_t Count() const { return addresses_.size(); }
    bool IsRead() const { return read_; }
    const std::vector<uint32_t>& Addresses() const { return addresses_; }

    // The request text of the next frame from the current position (advancing the end of the
    // frame), or false when every register has been transferred.
    bool BuildNextFrame(std::string& text);
    // Marks the frame last built as transferred, so that BuildNextFrame moves on to the next
    // one (for callers that send the frames themselves, asynchronously).
    void FrameDone() { next_ = end_; }
    // Takes the words of the reply to the read frame last built and marks the frame done. The
    // reply must be exactly one hex word per register of the frame (data from offset 7);
    // otherwise nothing is stored, the frame stays open, and the result is ZUL_ERR_COMM_RES
    // with the request and reply texts (see SetMalformedReply). Returns the code.
    int32_t TakeReadReply(const CommRequest& request, ResultInfo* result);

    // Runs the transfer: read (direction true) or write. Stops at the first failing frame (a
    // read reply that does not decode fails as TakeReadReply says), or with ZUL_ERR_ABORT
    // before the next frame once *abort becomes nonzero.
    int32_t Run(CommGate& gate, ResultInfo* result, bool read,
                const std::atomic<int32_t>* abort = nullptr,
                const RegisterProgressFn& progress = {});

private:
    std::vector<uint32_t> addresses_;  // ascending
    std::vector<size_t> slots_;        // per address position: index into values_
    std::vector<uint16_t> values_;     // in the order the registers were added
    bool read_ = true;
    size_t next_ = 0;
    size_t end_ = 0;
};

// The job's operations under their system names.
inline void AddRegister(RegisterBlock& job, uint32_t address) {
    job.AddRegister(address);
}
inline size_t SetRegisterValue(RegisterBlock& job, uint32_t address, uint16_t value) {
    return job.SetRegisterValue(address, value);
}
inline int32_t RunRegisterBlock(RegisterBlock& job, CommGate& gate, ResultInfo* result, bool read,
                                const std::atomic<int32_t>* abort = nullptr,
                                const RegisterProgressFn& progress = {}) {
    return job.Run(gate, result, read, abort, progress);
}

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// The messages a station must not lose (buffered values, settings drift) while they wait for
// the broker: one file per message in a folder of the state folder, numbered in the order they
// were added, so that a station that restarts, or a machine that loses power, sends every one of
// them once it runs again. A message is removed only when the broker has acknowledged it.
//
// Each file is written under a temporary name, flushed to the disk and then renamed, so a file
// with a message name is always complete; left-over temporary files are removed when the folder
// is opened. The queue is bounded by a number of messages and of bytes: a batch that does not
// fit is refused as a whole, and the caller keeps what it could not queue (the controller keeps
// its buffered values until the next buffering starts).
//
// All members may be called from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zul::station {

struct OutboxMessage {
    uint64_t number = 0;  // its place in the queue (from 1)
    std::string kind;     // "buffer", "drift"
    std::string topic;
    std::string payload;
    int qos = 1;
    bool retain = false;
};

struct OutboxLimits {
    size_t messages = 20000;
    uint64_t bytes = 256ull << 20;
};

class Outbox {
public:
    explicit Outbox(OutboxLimits limits = {}) : limits_(limits) {}

    // Creates the folder when missing and takes in the messages it holds. False with a reason
    // when the folder cannot be made or read. A message file that does not read back (damaged
    // on the disk) is renamed to "<name>.bad", kept for a look, and named in set aside.
    bool Open(const std::string& folder, std::string& error,
              std::vector<std::string>* setAside = nullptr);

    // Queues the messages in their order, all or none; their numbers are set. False with a
    // reason when they do not fit the limits or cannot be written.
    bool Add(std::vector<OutboxMessage>& messages, std::string& error);
    // Whether messages of this count and payload size would fit now.
    bool HasRoom(size_t count, uint64_t bytes) const;
    // Removes every queued message of the kind other than those in keep (a newer drift result
    // makes the older ones pointless). Returns how many were removed.
    size_t DropKind(std::string_view kind, const std::set<uint64_t>& keep);

    // The numbers queued, oldest first.
    std::vector<uint64_t> Numbers() const;
    // The first queued number above after (0: from the start); 0 when there is none.
    uint64_t NextAfter(uint64_t after) const;
    // Reads one message; false when it is gone or cannot be read.
    bool Load(uint64_t number, OutboxMessage& message) const;
    // Removes one message (acknowledged by the broker).
    void Remove(uint64_t number);

    size_t Count() const;
    uint64_t Bytes() const;
    const std::string& Folder() const { return folder_; }

private:
    struct Entry {
        std::string kind;
        uint64_t bytes = 0;
    };
    std::string PathOf(uint64_t number) const;

    OutboxLimits limits_;
    std::string folder_;
    mutable std::mutex mutex_;
    std::vector<std::pair<uint64_t, Entry>> entries_;  // in number order
    uint64_t bytes_ = 0;
    uint64_t last_ = 0;
};

// File form of one message (also what Load reads back); exposed for the tests.
std::string EncodeOutboxMessage(const OutboxMessage& message);
bool DecodeOutboxMessage(std::string_view text, OutboxMessage& message);

}  // namespace zul::station

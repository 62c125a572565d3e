// SPDX-License-Identifier: GPL-3.0-or-later
#include "Outbox.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/NumberText.h"

namespace zul::station {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMagic = "QVM8-OUTBOX 1\n";
constexpr std::string_view kSuffix = ".msg";
constexpr std::string_view kTemporary = ".tmp";

// Writes the whole text to a new file and flushes it to the disk.
bool WriteDurably(const std::string& path, const std::string& text, std::string& error) {
    int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = path + ": " + std::strerror(n < 0 ? errno : ENOSPC);
            ::close(fd);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (::fdatasync(fd) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

bool ReadWhole(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::stringstream s;
    s << in.rdbuf();
    text = s.str();
    return !in.bad();
}

// "name value\n" at pos; moves pos past it.
bool Field(std::string_view text, size_t& pos, std::string_view name, std::string_view& value) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) {
        return false;
    }
    std::string_view line = text.substr(pos, end - pos);
    if (line.size() < name.size() + 1 || line.substr(0, name.size()) != name ||
        line[name.size()] != ' ') {
        return false;
    }
    value = line.substr(name.size() + 1);
    pos = end + 1;
    return true;
}

}  // namespace

std::string EncodeOutboxMessage(const OutboxMessage& message) {
    std::string text(kMagic);
    text += "kind " + message.kind + "\n";
    text += "topic " + message.topic + "\n";
    text += "qos " + std::to_string(message.qos) + "\n";
    text += std::string("retain ") + (message.retain ? "1" : "0") + "\n";
    text += "length " + std::to_string(message.payload.size()) + "\n\n";
    text += message.payload;
    return text;
}

bool DecodeOutboxMessage(std::string_view text, OutboxMessage& message) {
    if (text.substr(0, kMagic.size()) != kMagic) {
        return false;
    }
    size_t pos = kMagic.size();
    std::string_view kind, topic, qos, retain, length;
    if (!Field(text, pos, "kind", kind) || !Field(text, pos, "topic", topic) ||
        !Field(text, pos, "qos", qos) || !Field(text, pos, "retain", retain) ||
        !Field(text, pos, "length", length)) {
        return false;
    }
    uint32_t qosValue = 0;
    uint32_t size = 0;
    if (!ParseUnsignedExact(qos, qosValue) || qosValue > 2 || (retain != "0" && retain != "1") ||
        !ParseUnsignedExact(length, size) || topic.empty() || kind.empty()) {
        return false;
    }
    if (pos >= text.size() || text[pos] != '\n' || text.size() - pos - 1 != size) {
        return false;  // a payload cut short, or with something after it
    }
    message.kind = std::string(kind);
    message.topic = std::string(topic);
    message.qos = static_cast<int>(qosValue);
    message.retain = retain == "1";
    message.payload = std::string(text.substr(pos + 1));
    return true;
}

std::string Outbox::PathOf(uint64_t number) const {
    char name[32];
    std::snprintf(name, sizeof name, "%020llu", static_cast<unsigned long long>(number));
    return folder_ + "/" + name + std::string(kSuffix);
}

bool Outbox::Open(const std::string& folder, std::string& error,
                  std::vector<std::string>* setAside) {
    std::lock_guard lock(mutex_);
    folder_ = folder;
    entries_.clear();
    bytes_ = 0;
    last_ = 0;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = folder + ": " + ec.message();
        return false;
    }
    fs::directory_iterator it(folder, ec);
    if (ec) {
        error = folder + ": " + ec.message();
        return false;
    }
    std::vector<std::pair<uint64_t, fs::path>> found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path& path = it->path();
        std::string name = path.filename().string();
        if (name.size() > kTemporary.size() &&
            name.compare(name.size() - kTemporary.size(), kTemporary.size(), kTemporary) == 0) {
            fs::remove(path, ec);  // a write that never finished
            continue;
        }
        if (name.size() != 20 + kSuffix.size() || name.compare(20, kSuffix.size(), kSuffix) != 0) {
            continue;
        }
        uint32_t high = 0;
        uint32_t low = 0;
        // Twenty digits do not fit one 32-bit parse: the top ten and the bottom ten.
        if (!ParseUnsignedExact(std::string_view(name).substr(0, 10), high) ||
            !ParseUnsignedExact(std::string_view(name).substr(10, 10), low)) {
            continue;
        }
        uint64_t number = static_cast<uint64_t>(high) * 10000000000ull + low;
        found.emplace_back(number, path);
    }
    if (ec) {
        error = folder + ": " + ec.message();
        return false;
    }
    std::sort(found.begin(), found.end());
    for (const auto& [number, path] : found) {
        std::string text;
        OutboxMessage message;
        if (!ReadWhole(path.string(), text) || !DecodeOutboxMessage(text, message)) {
            fs::rename(path, path.string() + ".bad", ec);
            if (setAside != nullptr) {
                setAside->push_back(path.string());
            }
            continue;
        }
        entries_.push_back({number, Entry{message.kind, text.size()}});
        bytes_ += text.size();
        last_ = std::max(last_, number);
    }
    return true;
}

bool Outbox::HasRoom(size_t count, uint64_t bytes) const {
    std::lock_guard lock(mutex_);
    return entries_.size() + count <= limits_.messages && bytes_ + bytes <= limits_.bytes;
}

bool Outbox::Add(std::vector<OutboxMessage>& messages, std::string& error) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> texts;
    uint64_t total = 0;
    for (OutboxMessage& message : messages) {
        texts.push_back(EncodeOutboxMessage(message));
        total += texts.back().size();
    }
    if (entries_.size() + messages.size() > limits_.messages || bytes_ + total > limits_.bytes) {
        error = "the queue of messages for the broker is full (" + std::to_string(entries_.size()) +
                " messages, " + std::to_string(bytes_) + " bytes)";
        return false;
    }
    std::vector<std::string> written;
    auto undo = [&] {
        std::error_code ec;
        for (const std::string& path : written) {
            fs::remove(path, ec);
        }
    };
    for (size_t i = 0; i < messages.size(); ++i) {
        std::string temporary = PathOf(last_ + 1 + i) + std::string(kTemporary);
        written.push_back(temporary);
        if (!WriteDurably(temporary, texts[i], error)) {
            undo();
            return false;
        }
    }
    // Every file is on the disk; now they take their names, oldest first.
    for (size_t i = 0; i < messages.size(); ++i) {
        const uint64_t number = last_ + 1 + i;
        if (::rename(written[i].c_str(), PathOf(number).c_str()) != 0) {
            error = PathOf(number) + ": " + std::strerror(errno);
            // The ones renamed already stay queued: they are complete messages.
            for (size_t j = 0; j < i; ++j) {
                entries_.push_back({last_ + 1 + j, Entry{messages[j].kind, texts[j].size()}});
                bytes_ += texts[j].size();
                messages[j].number = last_ + 1 + j;
            }
            last_ += i;
            written.erase(written.begin(), written.begin() + static_cast<long>(i));
            undo();
            return false;
        }
    }
    SyncFolder(folder_);
    for (size_t i = 0; i < messages.size(); ++i) {
        messages[i].number = last_ + 1 + i;
        entries_.push_back({messages[i].number, Entry{messages[i].kind, texts[i].size()}});
        bytes_ += texts[i].size();
    }
    last_ += messages.size();
    return true;
}

size_t Outbox::DropKind(std::string_view kind, const std::set<uint64_t>& keep) {
    std::lock_guard lock(mutex_);
    size_t dropped = 0;
    std::error_code ec;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->second.kind == kind && keep.count(it->first) == 0) {
            fs::remove(PathOf(it->first), ec);
            bytes_ -= it->second.bytes;
            it = entries_.erase(it);
            ++dropped;
        } else {
            ++it;
        }
    }
    return dropped;
}

std::vector<uint64_t> Outbox::Numbers() const {
    std::lock_guard lock(mutex_);
    std::vector<uint64_t> numbers;
    for (const auto& entry : entries_) {
        numbers.push_back(entry.first);
    }
    return numbers;
}

uint64_t Outbox::NextAfter(uint64_t after) const {
    std::lock_guard lock(mutex_);
    auto it =
        std::upper_bound(entries_.begin(), entries_.end(), after,
                         [](uint64_t value, const auto& entry) { return value < entry.first; });
    return it == entries_.end() ? 0 : it->first;
}

bool Outbox::Load(uint64_t number, OutboxMessage& message) const {
    std::string path;
    {
        std::lock_guard lock(mutex_);
        path = PathOf(number);
    }
    std::string text;
    if (!ReadWhole(path, text) || !DecodeOutboxMessage(text, message)) {
        return false;
    }
    message.number = number;
    return true;
}

void Outbox::Remove(uint64_t number) {
    std::lock_guard lock(mutex_);
    auto it =
        std::lower_bound(entries_.begin(), entries_.end(), number,
                         [](const auto& entry, uint64_t value) { return entry.first < value; });
    if (it == entries_.end() || it->first != number) {
        return;
    }
    std::error_code ec;
    fs::remove(PathOf(number), ec);
    bytes_ -= it->second.bytes;
    entries_.erase(it);
}

size_t Outbox::Count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

uint64_t Outbox::Bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

}  // namespace zul::station

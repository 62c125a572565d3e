// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ProfileFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>

#include "base/DiagnosticLog.h"
#include "base/NumberText.h"
#include "settings/DirectProfile.h"
#include "settings/SafeFile.h"

namespace zul {

namespace {

// Direct-mode values are read into a buffer of 261 bytes including the terminator.
constexpr size_t kDirectValueLimit = 260;

bool IsRooted(std::string_view path) {
    return !path.empty() &&
           (path[0] == '/' || path[0] == '\\' || (path.size() >= 2 && path[1] == ':'));
}

std::string DirectSectionName(std::string_view section, std::string_view subSection) {
    std::string name(section);
    if (!subSection.empty()) {
        name += '_';
        name += subSection;
    }
    return name;
}

// Cuts to at most limit bytes without splitting a UTF-8 sequence.
std::string CutUtf8(std::string_view text, size_t limit) {
    if (text.size() <= limit) {
        return std::string(text);
    }
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return std::string(text.substr(0, cut));
}

std::string WithExtension(const std::string& path, std::string_view extension) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string result = path;
    if (dot != std::string::npos && dot > nameStart) {
        result.erase(dot);
    }
    result += '.';
    result += extension;
    return result;
}

}  // namespace

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return {};
    }
    return std::string(buffer, static_cast<size_t>(n));
}

ProfileFile::ProfileFile() : model_(std::make_unique<ProfileModel>()) {
    std::string exe = ExecutablePath();
    path_ = exe.empty() ? std::string("qv-m8.zul") : WithExtension(exe, "zul");
}

ProfileFile::ProfileFile(const ProfileFile& other)
    : path_(other.path_),
      layoutMode_(other.layoutMode_),
      model_(std::make_unique<ProfileModel>()) {}

ProfileFile& ProfileFile::operator=(const ProfileFile& other) {
    if (this != &other) {
        path_ = other.path_;
        layoutMode_ = other.layoutMode_;
    }
    return *this;
}

ProfileFile::~ProfileFile() {
    if (cached_) {
        End(nullptr);
    }
}

void ProfileFile::SetPath(std::string_view path) {
    if (IsRooted(path)) {
        path_.assign(path);
        return;
    }
    std::string exe = ExecutablePath();
    size_t slash = exe.find_last_of('/');
    if (slash == std::string::npos) {
        path_.assign(path);
        return;
    }
    path_ = exe.substr(0, slash + 1);
    path_ += path;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view subSection,
                                   std::string_view key, std::string_view defaultValue,
                                   ResultInfo* info) {
    ClearResult(info);
    if (cached_) {
        const LineRecord* record = model_->FindKey(section, subSection, key);
        return record != nullptr ? record->value : std::string(defaultValue);
    }
    std::string value;
    if (!ReadDirectValue(path_, DirectSectionName(section, subSection), key, value)) {
        return CutUtf8(defaultValue, kDirectValueLimit);
    }
    return CutUtf8(value, kDirectValueLimit);
}

int32_t ProfileFile::SetString(std::string_view section, std::string_view subSection,
                               std::string_view key, std::string_view value, ResultInfo* info) {
    ClearResult(info);
    if (cached_) {
        model_->SetValue(section, subSection, key, value);
        return ZUL_OK;
    }
    return LogIfFails("settings", "value not written", info, [&](ResultInfo* result) {
        return WriteDirectValue(path_, DirectSectionName(section, subSection), key, value, result);
    });
}

int32_t ProfileFile::GetInt(std::string_view section, std::string_view subSection,
                            std::string_view key, int32_t defaultValue, ResultInfo* info) {
    return ParseDecimal(GetString(section, subSection, key, std::to_string(defaultValue), info));
}

int32_t ProfileFile::SetInt(std::string_view section, std::string_view subSection,
                            std::string_view key, int32_t value, ResultInfo* info) {
    return SetString(section, subSection, key, std::to_string(value), info);
}

int32_t ProfileFile::SetDouble(std::string_view section, std::string_view subSection,
                               std::string_view key, double value, ResultInfo* info) {
    char text[512];
    std::snprintf(text, sizeof text, "%lf", value);
    return SetString(section, subSection, key, text, info);
}

int32_t ProfileFile::Begin(bool forWrite, ResultInfo* info) {
    ClearResult(info);
    return LogIfFails("settings", forWrite ? "file not opened for writing" : "file not read", info,
                      [&](ResultInfo* result) { return EnterCache(forWrite, result); });
}

int32_t ProfileFile::EnterCache(bool forWrite, ResultInfo* info) {
    if (cached_) {
        if (forWrite && (!lock_ || !lock_->Held())) {
            auto lock = std::make_unique<FileWriteLock>();
            int32_t rc = lock->Acquire(path_, ZUL_ERR_FILE_READ, info);
            if (rc != ZUL_OK) {
                return rc;
            }
            lock_ = std::move(lock);
        }
        forWrite_ = forWrite;
        return ZUL_OK;
    }
    model_->Clear();
    content_.clear();
    if (forWrite) {
        auto lock = std::make_unique<FileWriteLock>();
        int32_t rc = lock->Acquire(path_, ZUL_ERR_FILE_READ, info);
        if (rc == ZUL_OK) {
            rc = lock->ReadContent(content_, info);
        }
        if (rc != ZUL_OK) {
            content_.clear();
            return rc;
        }
        lock_ = std::move(lock);
    } else {
        bool missing = false;
        if (int32_t rc = ReadRegularFile(path_, content_, missing, info); rc != ZUL_OK) {
            return rc;
        }
    }
    model_->Parse(content_);
    cached_ = true;
    forWrite_ = forWrite;
    return ZUL_OK;
}

int32_t ProfileFile::BeginRewrite(ResultInfo* info) {
    ClearResult(info);
    if (cached_) {
        LeaveCache();
    }
    model_->Clear();
    content_.clear();
    auto lock = std::make_unique<FileWriteLock>();
    int32_t rc = LogIfFails(
        "settings", "file not opened for writing", info,
        [&](ResultInfo* result) { return lock->Acquire(path_, ZUL_ERR_FILE_READ, result); });
    if (rc != ZUL_OK) {
        return rc;
    }
    lock_ = std::move(lock);
    model_->Parse(content_);
    cached_ = true;
    forWrite_ = true;
    return ZUL_OK;
}

int32_t ProfileFile::End(ResultInfo* info) {
    ClearResult(info);
    if (!cached_) {
        return ZUL_OK;
    }
    int32_t rc = forWrite_ ? LogIfFails("settings", "file not written", info,
                                        [this](ResultInfo* result) { return WriteCache(result); })
                           : ZUL_OK;
    LeaveCache();
    return rc;
}

int32_t ProfileFile::WriteCache(ResultInfo* info) {
    if (!lock_ || !lock_->Held()) {
        return SetFileResult(info, ZUL_ERR_FILE_WRITE, EBADF, path_);
    }
    AtomicFileWriter writer;
    int32_t rc = writer.Open(*lock_, info);
    if (rc != ZUL_OK) {
        return rc;
    }
    rc = model_->Write(
        layoutMode_, content_, [&writer](std::string_view line) { return writer.AppendLine(line); },
        info);
    if (rc == ZUL_ERR_OS_FILE_WRITE) {
        return SetFileResult(info, ZUL_ERR_OS_FILE_WRITE, writer.Error(), path_);
    }
    if (rc != ZUL_OK) {
        return rc;  // a CSV writer's error, already in info; the writer drops the temporary file
    }
    return writer.Commit(info);
}

void ProfileFile::LeaveCache() {
    model_->Clear();
    content_.clear();
    content_.shrink_to_fit();
    lock_.reset();
    cached_ = false;
    forWrite_ = false;
}

int32_t ProfileFile::AddCsvBlock(std::string_view section, std::string_view subSection,
                                 CsvWriteLine writer, int64_t context1, int64_t context2,
                                 ResultInfo* info) {
    ClearResult(info);
    if (!cached_) {
        return SetResult(info, ZUL_ERR);
    }
    auto record = std::make_unique<LineRecord>();
    record->section.assign(section);
    record->subSection.assign(subSection);
    record->isCsvBlock = true;
    record->writeLine = std::move(writer);
    record->context1 = context1;
    record->context2 = context2;
    model_->AddRecord(std::move(record));
    return ZUL_OK;
}

int32_t ProfileFile::ReadCsvBlocks(std::string_view section, std::string_view subSection,
                                   const CsvReadLine& reader, int64_t context1, int64_t context2,
                                   ResultInfo* info) {
    ClearResult(info);
    if (!cached_) {
        return SetResult(info, ZUL_ERR);
    }
    const ProfileSubSection* sub = model_->FindSubSection(section, subSection);
    if (sub == nullptr || !reader) {
        return ZUL_OK;
    }
    int64_t state = 0;
    for (const auto& record : sub->records) {
        if (!record->isCsvBlock) {
            continue;
        }
        size_t pos = static_cast<size_t>(std::max<int64_t>(record->blockStart, 0));
        const size_t end =
            std::min(static_cast<size_t>(std::max<int64_t>(record->blockEnd, 0)), content_.size());
        while (pos < end) {
            size_t newline = content_.find('\n', pos);
            size_t lineEnd = newline == std::string::npos ? content_.size() : newline;
            std::string line = content_.substr(pos, lineEnd - pos);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            pos = lineEnd + 1;
            ResultInfo result;
            bool done = false;
            reader(context1, context2, result, state, done, line);
            if (!result.Ok()) {
                if (info != nullptr) {
                    *info = result;
                }
                return result.code;
            }
            if (done) {
                return ZUL_OK;
            }
        }
    }
    return ZUL_OK;
}

int32_t ProfileFile::GetKeyValueLists(std::string_view section, std::string_view subSection,
                                      std::vector<std::string>& keys,
                                      std::vector<std::string>& values, ResultInfo* info) {
    ClearResult(info);
    if (!cached_) {
        return SetResult(info, ZUL_ERR);
    }
    keys.clear();
    values.clear();
    const ProfileSubSection* sub = model_->FindSubSection(section, subSection);
    if (sub == nullptr) {
        return ZUL_OK;
    }
    for (const auto& record : sub->records) {
        if (!record->key.empty()) {
            keys.push_back(record->key);
            values.push_back(record->value);
        }
    }
    return ZUL_OK;
}

int32_t ProfileFile::SetKeyValueLists(std::string_view section, std::string_view subSection,
                                      const std::vector<std::string>& keys,
                                      const std::vector<std::string>& values, ResultInfo* info) {
    ClearResult(info);
    if (!cached_) {
        return SetResult(info, ZUL_ERR);
    }
    ProfileSubSection& sub = model_->SubSection(section, subSection);
    sub.keys.clear();
    sub.records.clear();
    size_t pairs = std::min(keys.size(), values.size());
    for (size_t i = 0; i < pairs; ++i) {
        auto record = std::make_unique<LineRecord>();
        record->section.assign(section);
        record->subSection.assign(subSection);
        record->key = keys[i];
        record->value = values[i];
        LineRecord* stored = record.get();
        sub.records.push_back(std::move(record));
        if (!stored->key.empty()) {
            sub.keys[stored->key] = stored;  // a repeated key reads as its last value
        }
    }
    return ZUL_OK;
}

}  // namespace zul

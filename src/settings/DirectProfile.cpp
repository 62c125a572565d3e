// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/DirectProfile.h"

#include <cerrno>
#include <optional>
#include <vector>

#include "base/ProfileText.h"
#include "settings/SafeFile.h"

namespace zul {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return {};
    }
    size_t end = text.find_last_not_of(" \t");
    return text.substr(start, end - start + 1);
}

std::vector<std::string_view> SplitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    size_t pos = 0;
    if (content.substr(0, 3) == "\xEF\xBB\xBF") {
        pos = 3;
    }
    while (pos < content.size()) {
        size_t newline = content.find('\n', pos);
        size_t end = newline == std::string_view::npos ? content.size() : newline;
        std::string_view line = content.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

// The section name of a header line, or nothing.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line[0] != '[') {
        return std::nullopt;
    }
    size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return TrimBlanks(line.substr(1, close - 1));
}

// The key of a key line, or nothing; value receives the raw text after "=".
std::optional<std::string_view> KeyOf(std::string_view line, std::string_view* value) {
    line = TrimBlanks(line);
    if (line.empty() || line[0] == ';') {
        return std::nullopt;
    }
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    if (value != nullptr) {
        *value = TrimBlanks(line.substr(equals + 1));
    }
    return TrimBlanks(line.substr(0, equals));
}

std::string_view StripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::string_view OneLine(std::string_view text) {
    size_t cut = text.find_first_of("\r\n");
    return cut == std::string_view::npos ? text : text.substr(0, cut);
}

// Line index range [begin, end) of the first section with the name; begin is the header line.
bool FindSection(const std::vector<std::string_view>& lines, std::string_view section,
                 size_t& begin, size_t& end) {
    for (size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionOf(lines[i]);
        if (!name || !EqualsNoCase(*name, section)) {
            continue;
        }
        begin = i;
        end = i + 1;
        while (end < lines.size() && !SectionOf(lines[end])) {
            ++end;
        }
        return true;
    }
    return false;
}

}  // namespace

bool ReadDirectValue(const std::string& path, std::string_view section, std::string_view key,
                     std::string& value) {
    if (key.empty()) {
        return false;
    }
    std::string content;
    bool missing = false;
    if (ReadRegularFile(path, content, missing, nullptr) != ZUL_OK || missing) {
        return false;
    }
    std::vector<std::string_view> lines = SplitLines(content);
    size_t begin = 0;
    size_t end = 0;
    if (!FindSection(lines, section, begin, end)) {
        return false;
    }
    for (size_t i = begin + 1; i < end; ++i) {
        std::string_view raw;
        auto name = KeyOf(lines[i], &raw);
        if (name && EqualsNoCase(*name, key)) {
            value.assign(StripQuotes(raw));
            return true;
        }
    }
    return false;
}

int32_t WriteDirectValue(const std::string& path, std::string_view section, std::string_view key,
                         std::string_view value, ResultInfo* info) {
    section = OneLine(section);
    key = OneLine(key);
    value = OneLine(value);
    if (section.empty() || TrimBlanks(key).empty()) {
        return SetFileResult(info, ZUL_ERR_OS_FILE_WRITE, EINVAL, path);
    }
    FileWriteLock lock;
    if (int32_t rc = lock.Acquire(path, ZUL_ERR_OS_FILE_WRITE, info); rc != ZUL_OK) {
        return rc;
    }
    std::string content;
    if (lock.ReadContent(content, info) != ZUL_OK) {
        return SetResult(info, ZUL_ERR_OS_FILE_WRITE, info != nullptr ? info->osError : 0, path,
                         info != nullptr ? info->detail2 : std::string());
    }
    std::vector<std::string_view> lines = SplitLines(content);
    std::string keyLine = std::string(TrimBlanks(key)) + "=" + std::string(value);
    // Built by appending: GCC 12 reports a false -Wrestrict for "[" + std::string in optimised
    // builds.
    std::string header;
    header.reserve(section.size() + 2);
    header.append(1, '[').append(section).append(1, ']');

    size_t begin = 0;
    size_t end = 0;
    std::optional<size_t> replace;
    std::optional<size_t> insertAfter;
    bool appendSection = false;
    if (FindSection(lines, section, begin, end)) {
        insertAfter = begin;
        for (size_t i = begin + 1; i < end; ++i) {
            auto name = KeyOf(lines[i], nullptr);
            if (name && EqualsNoCase(*name, TrimBlanks(key))) {
                replace = i;
                break;
            }
            if (!TrimBlanks(lines[i]).empty()) {
                insertAfter = i;
            }
        }
    } else {
        appendSection = true;
    }

    AtomicFileWriter writer;
    if (writer.Open(lock, info) != ZUL_OK) {
        return SetResult(info, ZUL_ERR_OS_FILE_WRITE, info != nullptr ? info->osError : 0, path,
                         info != nullptr ? info->detail2 : std::string());
    }
    bool ok = true;
    for (size_t i = 0; i < lines.size() && ok; ++i) {
        if (replace && *replace == i) {
            ok = writer.AppendLine(keyLine);
            continue;
        }
        ok = writer.AppendLine(lines[i]);
        if (ok && !replace && insertAfter && *insertAfter == i) {
            ok = writer.AppendLine(keyLine);
        }
    }
    if (ok && appendSection) {
        ok = writer.AppendLine(header) && writer.AppendLine(keyLine);
    }
    if (!ok) {
        return SetFileResult(info, ZUL_ERR_OS_FILE_WRITE, writer.Error(), path);
    }
    return writer.Commit(info);
}

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ProfileModel.h"

#include <algorithm>

#include "base/ProfileText.h"

namespace zul {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A key, value or comment never carries a line break into the file: it would split the line
// and could open sections of its own. The text is cut there, as a reader would see it.
std::string_view OneLine(std::string_view text) {
    size_t cut = text.find_first_of("\r\n");
    return cut == std::string_view::npos ? text : text.substr(0, cut);
}

bool IsLayoutWithoutHeaders(int layoutMode) {
    return layoutMode == kLayoutCsvOnly || layoutMode == kLayoutCsvExport;
}

}  // namespace

void ProfileModel::Clear() {
    index_.clear();
    sections_.clear();
}

ProfileSection* ProfileModel::FindSection(std::string_view name) const {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : it->second;
}

ProfileSubSection* ProfileModel::FindSubSection(std::string_view section,
                                                std::string_view sub) const {
    ProfileSection* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    auto it = found->index.find(sub);
    return it == found->index.end() ? nullptr : it->second;
}

const LineRecord* ProfileModel::FindKey(std::string_view section, std::string_view sub,
                                        std::string_view key) const {
    ProfileSubSection* found = FindSubSection(section, sub);
    if (found == nullptr) {
        return nullptr;
    }
    auto it = found->keys.find(key);
    return it == found->keys.end() ? nullptr : it->second;
}

ProfileSubSection& ProfileModel::SubSection(std::string_view section, std::string_view sub) {
    ProfileSection* target = FindSection(section);
    if (target == nullptr) {
        auto created = std::make_unique<ProfileSection>();
        created->name.assign(section);
        target = created.get();
        sections_.push_back(std::move(created));
        index_.emplace(target->name, target);
    }
    auto it = target->index.find(sub);
    if (it != target->index.end()) {
        return *it->second;
    }
    auto created = std::make_unique<ProfileSubSection>();
    created->name.assign(sub);
    ProfileSubSection* result = created.get();
    target->subSections.push_back(std::move(created));
    target->index.emplace(result->name, result);
    return *result;
}

void ProfileModel::SetValue(std::string_view section, std::string_view sub, std::string_view key,
                            std::string_view value) {
    ProfileSubSection& target = SubSection(section, sub);
    if (!key.empty()) {
        auto it = target.keys.find(key);
        if (it != target.keys.end()) {
            it->second->value.assign(value);
            return;
        }
    }
    auto record = std::make_unique<LineRecord>();
    record->section.assign(section);
    record->subSection.assign(sub);
    record->key.assign(key);
    record->value.assign(value);
    AddRecord(std::move(record));
}

LineRecord* ProfileModel::AddRecord(std::unique_ptr<LineRecord> record) {
    ProfileSubSection& target = SubSection(record->section, record->subSection);
    if (!record->key.empty()) {
        auto it = target.keys.find(record->key);
        if (it != target.keys.end()) {
            *it->second = std::move(*record);  // the last duplicate wins, at the first's place
            return it->second;
        }
        LineRecord* stored = record.get();
        target.records.push_back(std::move(record));
        target.keys.emplace(stored->key, stored);
        return stored;
    }
    LineRecord* stored = record.get();
    target.records.push_back(std::move(record));
    return stored;
}

void ProfileModel::Parse(std::string_view content) {
    Clear();
    size_t pos = 0;
    if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        pos = kByteOrderMark.size();
    }
    std::string section;
    std::string sub;
    LineRecord* openBlock = nullptr;
    while (pos < content.size()) {
        const size_t lineStart = pos;
        const size_t newline = content.find('\n', pos);
        const size_t lineEnd = newline == std::string_view::npos ? content.size() : newline + 1;
        pos = lineEnd;

        ProfileLine line = SplitProfileLine(content.substr(lineStart, lineEnd - lineStart));
        bool header = false;
        if (line.text.size() >= 2) {
            std::string_view text = line.text;
            std::string_view inner = text.substr(1, text.size() - 2);
            if (text.front() == '[' && text.back() == ']') {
                section = TrimText(inner);
                sub.clear();
                header = true;
            } else if (text.front() == '<' && text.back() == '>') {
                sub = TrimText(inner);
                header = true;
            }
        }
        if (openBlock != nullptr) {
            if (!header) {
                continue;  // a data line of the open block is not stored
            }
            openBlock->blockEnd = static_cast<int64_t>(lineStart);
            openBlock = nullptr;
        }

        auto record = std::make_unique<LineRecord>();
        record->text = std::move(line.text);
        record->section = section;
        record->subSection = sub;
        // A header is never a key line, even when its name holds "=": a key taken from it would
        // come out as a line of its own on every save, next to the header.
        if (line.hasSeparator && !header) {
            record->key = std::move(line.key);
            record->value = std::move(line.value);
        }
        record->comment = std::move(line.comment);
        const bool opensBlock = header && EqualsNoCase(sub, "CSV");
        if (opensBlock) {
            record->isCsvBlock = true;
            record->blockStart = static_cast<int64_t>(lineEnd);
            record->blockEnd = static_cast<int64_t>(lineEnd);
        }
        LineRecord* stored = AddRecord(std::move(record));
        if (opensBlock) {
            openBlock = stored;
        }
    }
    if (openBlock != nullptr) {
        openBlock->blockEnd = static_cast<int64_t>(content.size());
    }
}

int32_t ProfileModel::Write(int layoutMode, std::string_view content, const LineSink& sink,
                            ResultInfo* info) const {
    const bool headersHidden = IsLayoutWithoutHeaders(layoutMode);
    auto emit = [&](std::string_view line) { return headersHidden || sink(line); };

    for (const auto& section : sections_) {
        bool firstOfSection = true;
        // Lines of the unnamed sub-section go first: after a sub-section header a reader files
        // every line under that sub-section, and no header leads back to the unnamed one.
        std::vector<const ProfileSubSection*> order;
        order.reserve(section->subSections.size());
        if (auto unnamed = section->index.find(std::string_view{});
            unnamed != section->index.end()) {
            order.push_back(unnamed->second);
        }
        for (const auto& sub : section->subSections) {
            if (!sub->name.empty()) {
                order.push_back(sub.get());
            }
        }
        for (const ProfileSubSection* sub : order) {
            bool firstOfSub = true;
            for (const auto& record : sub->records) {
                std::string line;
                if (firstOfSection && !section->name.empty()) {
                    line += '[';
                    line += section->name;
                    line += ']';
                    if (!record->subSection.empty() || !record->key.empty()) {
                        if (!emit(line)) {
                            return ZUL_ERR_OS_FILE_WRITE;
                        }
                        line.clear();
                    }
                }
                firstOfSection = false;
                if (firstOfSub && !sub->name.empty()) {
                    line += "\t<";
                    line += sub->name;
                    line += '>';
                    if (!record->key.empty()) {
                        if (!emit(line)) {
                            return ZUL_ERR_OS_FILE_WRITE;
                        }
                        line.clear();
                    }
                }
                firstOfSub = false;
                if (!record->key.empty()) {
                    if (!line.empty()) {
                        line += '\t';
                    } else if (layoutMode != kLayoutSettings || !record->subSection.empty()) {
                        line += "\t\t";
                    }
                    line += QuoteText(OneLine(record->key));
                    line += '=';
                    line += QuoteText(OneLine(record->value));
                }
                if (!record->comment.empty()) {
                    if (!line.empty()) {
                        line += '\t';
                    }
                    line += OneLine(record->comment);
                }
                if (!emit(line)) {
                    return ZUL_ERR_OS_FILE_WRITE;
                }
                if (!record->isCsvBlock) {
                    continue;
                }
                if (record->writeLine) {
                    int64_t state = 0;
                    for (;;) {
                        ResultInfo result;
                        bool done = false;
                        std::string data;
                        record->writeLine(record->context1, record->context2, result, state, done,
                                          data);
                        if (!result.Ok()) {
                            if (info != nullptr) {
                                *info = result;
                            }
                            return result.code;
                        }
                        if (done) {
                            break;
                        }
                        if (!sink(data)) {
                            return ZUL_ERR_OS_FILE_WRITE;
                        }
                    }
                    continue;
                }
                // A block read from the file goes back with its data lines unchanged.
                size_t pos = static_cast<size_t>(record->blockStart);
                const size_t end = std::min(static_cast<size_t>(record->blockEnd), content.size());
                while (pos < end) {
                    size_t newline = content.find('\n', pos);
                    size_t lineEnd = newline == std::string_view::npos ? content.size() : newline;
                    std::string_view data = content.substr(pos, lineEnd - pos);
                    if (!data.empty() && data.back() == '\r') {
                        data.remove_suffix(1);
                    }
                    if (!sink(data)) {
                        return ZUL_ERR_OS_FILE_WRITE;
                    }
                    pos = lineEnd + 1;
                }
            }
        }
    }
    return ZUL_OK;
}

}  // namespace zul

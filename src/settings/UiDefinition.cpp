// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/UiDefinition.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/DiagnosticLog.h"
#include "base/NumberText.h"
#include "base/ProfileText.h"
#include "settings/MessageTexts.h"
#include "settings/ProfileFile.h"
#include "settings/UiRequiredIds.h"

namespace zul {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return;
    }
    std::string out;
    size_t start = 0;
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, start)) {
        out.append(text, start, pos - start);
        out += to;
        start = pos + from.size();
    }
    out.append(text, start, std::string::npos);
    text = std::move(out);
}

// "h" or "H" marks a control to hide when unsupported; the rest is hexadecimal.
void ParseCtrlVersion(std::string_view text, UiControlRecord& record) {
    text = TrimView(text);
    record.hideIfUnsupported = !text.empty() && (text.front() == 'h' || text.front() == 'H');
    if (record.hideIfUnsupported) {
        text.remove_prefix(1);
    }
    record.ctrlVersion = ParseHexUnsigned(text);
}

void SetField(UiControlRecord& record, std::string_view key, const std::string& value) {
    const std::string k = Lower(key);
    if (k == "ctrlid") {
        record.ctrlId = ParseCInteger(value);
    } else if (k == "ctrlkind") {
        record.ctrlKind = ParseDecimal(value);
    } else if (k == "caption") {
        record.caption = value;
        record.originalCaption = value;
    } else if (k == "captioncnt") {
        record.captionCount = ParseDecimal(value);
    } else if (k == "default") {
        record.defaultValue.text = value;
    } else if (k == "maxval") {
        record.maxValue.text = value;
    } else if (k == "minval") {
        record.minValue.text = value;
    } else if (k == "unit") {
        record.unit = value;
        record.originalUnit = value;
    } else if (k == "color1") {
        record.color1 = ParseDecimal(value);
    } else if (k == "color2") {
        record.color2 = ParseDecimal(value);
    } else if (k == "color3") {
        record.color3 = ParseDecimal(value);
    } else if (k == "color4") {
        record.color4 = ParseDecimal(value);
    } else if (k == "visible") {
        record.visible = ParseDecimal(value);
        record.originalVisible = record.visible;
    } else if (k == "enable") {
        record.enable = ParseDecimal(value);
        record.originalEnable = record.enable;
    } else if (k == "tooltip") {
        record.tooltip = UnquoteText(value);
    } else if (k == "selectlist") {
        record.selectList = value;
    } else if (k == "selectval") {
        record.selectValues = value;
    } else if (k == "selectcnt") {
        record.selectCount = ParseDecimal(value);
    } else if (k == "type") {
        record.type = ParseDecimal(value);
    } else if (k == "micron") {
        record.micron = ParseDecimal(value);
    } else if (k == "ctrlver") {
        ParseCtrlVersion(value, record);
    }
}

void SetInteger(UiValue& value, int32_t number) {
    value.integer = number;
    value.real = number;
}

void SetReal(UiValue& value, double number) {
    value.real = number;
    value.integer = TruncateToInt32(number);
}

// Converts Default, MaxVal and MinVal by the record type; false for an unknown type.
bool FinishRecord(UiControlRecord& record) {
    switch (record.type) {
        case kUiTypeInt:
            SetInteger(record.defaultValue, ParseDecimal(record.defaultValue.text));
            SetInteger(record.maxValue, ParseDecimal(record.maxValue.text));
            SetInteger(record.minValue, ParseDecimal(record.minValue.text));
            return true;
        case kUiTypeBool: {
            const std::string_view d = TrimView(record.defaultValue.text);
            const int32_t value = EqualsNoCase(d, "TRUE")    ? 1
                                  : EqualsNoCase(d, "FALSE") ? 0
                                                             : ParseDecimal(d);
            SetInteger(record.defaultValue, value);
            SetInteger(record.maxValue, 1);
            SetInteger(record.minValue, 0);
            return true;
        }
        case kUiTypeReal:
            SetReal(record.defaultValue, ParseReal(record.defaultValue.text));
            SetReal(record.maxValue, ParseReal(record.maxValue.text));
            SetReal(record.minValue, ParseReal(record.minValue.text));
            return true;
        case kUiTypeText:
            for (UiValue* v : {&record.defaultValue, &record.maxValue, &record.minValue}) {
                SetInteger(*v, ParseDecimal(v->text));
                v->real = ParseReal(v->text);
            }
            return true;
        default:
            return false;
    }
}

// Joins list entries back into a comma list that splits into the same entries.
std::string JoinCommaList(const std::vector<std::string>& entries, size_t count) {
    std::string out;
    for (size_t i = 0; i < count && i < entries.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        const std::string& e = entries[i];
        if (e.find_first_of(",\"") != std::string::npos) {
            out += '"';
            for (char c : e) {
                out += c;
                if (c == '"') {
                    out += '"';
                }
            }
            out += '"';
        } else {
            out += e;
        }
    }
    return out;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

int32_t UiDefinition::Load(std::string_view path, ResultInfo* info) {
    ClearResult(info);
    const int32_t code = LogIfFails("settings", "UI definition not loaded", info,
                                    [&](ResultInfo* result) { return LoadRecords(path, result); });
    return code;
}

int32_t UiDefinition::LoadRecords(std::string_view path, ResultInfo* info) {
    records_.clear();
    byId_.clear();
    byName_.clear();
    bufferModeCopy_.reset();

    std::FILE* file = std::fopen(std::string(path).c_str(), "rb");
    if (!file) {
        return SetResult(info, ZUL_ERR_FILE_READ, errno, std::string(path));
    }
    std::string content;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        content.append(buffer, got);
    }
    const bool readFailed = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (readFailed) {
        return SetResult(info, ZUL_ERR_OS_FILE_READ, readErrno, std::string(path));
    }

    // A byte-order mark written by some editors is not part of the first line.
    size_t start = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    UiControlRecord* current = nullptr;
    auto finish = [&]() -> bool { return !current || FinishRecord(*current); };
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            end = content.size();
        }
        const ProfileLine line =
            SplitProfileLine(std::string_view(content).substr(start, end - start));
        start = end + 1;
        const std::string& text = line.text;
        if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
            if (!finish()) {
                Index();
                return SetResult(info, ZUL_ERR, 0, std::string(path), current->name);
            }
            if (records_.size() >= kMaxUiRecords) {
                Index();
                return SetResult(info, ZUL_ERR, 0, std::string(path));
            }
            records_.push_back(std::make_unique<UiControlRecord>());
            current = records_.back().get();
            current->name = TrimText(std::string_view(text).substr(1, text.size() - 2));
            continue;
        }
        if (current && line.hasSeparator) {
            SetField(*current, line.key, line.value);
        }
    }
    const bool lastOk = finish();
    Index();
    if (!lastOk) {
        return SetResult(info, ZUL_ERR, 0, std::string(path), current->name);
    }
    if (const int32_t code = CheckCompleteness(info); code != ZUL_OK) {
        return code;
    }
    if (const UiControlRecord* record = FindById(kBufferModeRecordId)) {
        bufferModeCopy_ = *record;
    }
    return ZUL_OK;
}

void UiDefinition::Index() {
    byId_.clear();
    byName_.clear();
    for (const auto& record : records_) {
        if (record->ctrlId != 0) {
            byId_.emplace(record->ctrlId, record.get());
        }
        if (!record->name.empty()) {
            byName_.emplace(Lower(record->name), record.get());
        }
    }
}

int32_t UiDefinition::CheckCompleteness(ResultInfo* info) const {
    for (int32_t id : RequiredControlIds()) {
        if (!FindById(id)) {
            return SetResult(info, ZUL_ERR, 0, std::to_string(id));
        }
    }
    for (std::string_view name : RequiredCaptionKeys()) {
        if (!FindByName(name)) {
            return SetResult(info, ZUL_ERR, 0, std::string(name));
        }
    }
    for (int32_t code = 0; code < kResultCodeCount; ++code) {
        const std::string_view key = ResultKey(code);
        if (!key.empty() && !FindByName(key)) {
            return SetResult(info, ZUL_ERR, 0, std::string(key));
        }
    }
    for (int32_t index = 0; index < kMessageCount; ++index) {
        if (!FindByName(MessageKey(index))) {
            return SetResult(info, ZUL_ERR, 0, std::string(MessageKey(index)));
        }
    }
    return ZUL_OK;
}

const UiControlRecord* UiDefinition::FindById(int32_t ctrlId) const {
    if (ctrlId == 0) {
        return nullptr;
    }
    const auto it = byId_.find(ctrlId);
    return it == byId_.end() ? nullptr : it->second;
}

UiControlRecord* UiDefinition::FindMutable(int32_t ctrlId) {
    const auto it = byId_.find(ctrlId);
    return ctrlId == 0 || it == byId_.end() ? nullptr : it->second;
}

const UiControlRecord* UiDefinition::FindByName(std::string_view name) const {
    if (name.empty()) {
        return nullptr;
    }
    const auto it = byName_.find(Lower(name));
    return it == byName_.end() ? nullptr : it->second;
}

ChoiceList UiDefinition::FillChoiceList(int32_t ctrlId, int32_t wanted,
                                        const std::array<std::string, 16>* bankAliases) const {
    ChoiceList list;
    const UiControlRecord* record = FindById(ctrlId);
    if (!record) {
        return list;
    }
    const std::vector<std::string> texts = SplitCommaList(record->selectList);
    const std::vector<std::string> values = SplitCommaList(record->selectValues);
    if (wanted == -1 && record->type == kUiTypeInt) {
        wanted = record->defaultValue.integer;
    }
    for (size_t i = 0; i < texts.size() && i < values.size(); ++i) {
        ChoiceEntry entry{texts[i], ParseDecimal(values[i])};
        if (bankAliases && i < bankAliases->size()) {
            entry.text += ' ';
            entry.text += (*bankAliases)[i];
        }
        if (list.selected < 0 && entry.value == wanted) {
            list.selected = static_cast<int32_t>(list.entries.size());
        }
        list.entries.push_back(std::move(entry));
    }
    if (list.selected < 0 && !list.entries.empty()) {
        list.selected = 0;
    }
    list.visible = record->visible == 0;
    list.enabled = record->enable == 0;
    return list;
}

std::string UiDefinition::GetErrorText(int32_t code) const {
    const std::string_view key = ResultKey(code);
    const UiControlRecord* record = key.empty() ? nullptr : FindByName(key);
    return record ? UnescapeText(UnquoteText(record->caption)) : std::string(kNoStringData);
}

std::string UiDefinition::GetMessageText(int32_t index) const {
    const std::string_view key = MessageKey(index);
    const UiControlRecord* record = key.empty() ? nullptr : FindByName(key);
    return record ? UnescapeText(UnquoteText(record->caption)) : std::string(kNoStringData);
}

void UiDefinition::ApplyControllerVersion(uint32_t version) {
    for (const auto& record : records_) {
        record->visible = record->originalVisible;
        record->enable = record->originalEnable;
        if (version < record->ctrlVersion) {
            record->enable = 1;
            if (record->hideIfUnsupported) {
                record->visible = 1;
            }
        }
    }
}

void UiDefinition::RestrictBufferModeChoices(uint32_t version, uint32_t entry1, uint32_t entry4) {
    UiControlRecord* record = FindMutable(kBufferModeRecordId);
    if (!record || !bufferModeCopy_) {
        return;
    }
    *record = *bufferModeCopy_;
    std::vector<std::string> texts = SplitCommaList(record->selectList);
    std::vector<std::string> values = SplitCommaList(record->selectValues);
    size_t keep = 4;
    bool keepDefault = false;
    if (version < entry4 && version < entry1) {
        keep = 1;
    } else if (version < entry4) {
        // Choices 0 and 2.
        for (std::vector<std::string>* list : {&texts, &values}) {
            std::vector<std::string> picked;
            for (size_t i : {size_t{0}, size_t{2}}) {
                if (i < list->size()) {
                    picked.push_back((*list)[i]);
                }
            }
            *list = std::move(picked);
        }
        keep = 2;
        keepDefault = true;
    }
    const size_t kept = std::min(keep, std::min(texts.size(), values.size()));
    record->selectList = JoinCommaList(texts, kept);
    record->selectValues = JoinCommaList(values, kept);
    record->selectCount = static_cast<int32_t>(kept);
    if (!keepDefault) {
        record->defaultValue = UiValue{"0", 0, 0.0};
    }
}

void UiDefinition::ApplyMicronMode(bool on, std::string_view unitText) {
    for (const auto& record : records_) {
        record->caption = record->originalCaption;
        record->unit = record->originalUnit;
        if (!on) {
            continue;
        }
        if (record->micron == 1) {
            ReplaceAll(record->caption, "mm", unitText);
        } else if (record->micron == 2) {
            ReplaceAll(record->unit, "mm", unitText);
        }
    }
}

std::string UiDefinition::DefaultPath() {
    const std::string folder = FolderOf(ExecutablePath());
    const std::string beside = folder + "default.frs";
    if (::access(beside.c_str(), R_OK) == 0) {
        return beside;
    }
    const std::string installed = folder + "../share/qvm8-zul/default.frs";
#ifdef QVM8_SOURCE_DATA_DIR
    // A program run from the build tree finds the file in the source tree's data folder.
    const std::string source = std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs";
    if (::access(installed.c_str(), R_OK) != 0 && ::access(source.c_str(), R_OK) == 0) {
        return source;
    }
#endif
    return installed;
}

}  // namespace zul

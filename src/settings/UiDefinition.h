// SPDX-License-Identifier: GPL-3.0-or-later
// The UI definition: every caption, tool tip, unit, choice list, default, range, colour and
// state of the tool's windows and controls, the texts of all results and messages, and a few
// named option records, loaded once from the file "default.frs".
//
// Loading and the Apply*/Restrict* calls change the records; they run on the user-interface
// thread while no other thread reads the definition (start-up, or a firmware version change
// handled on that thread). Lookups are read-only and may run on any thread otherwise.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/ResultInfo.h"
#include "settings/UiControlRecord.h"

namespace zul {

inline constexpr size_t kMaxUiRecords = 2000;
inline constexpr int32_t kBufferModeRecordId = 1272;
inline constexpr std::string_view kNoStringData = "no string data";

// One entry of a filled choice list: the text shown and the value it stands for.
struct ChoiceEntry {
    std::string text;
    int32_t value = 0;
};

// A choice list as data, for a front end to put into its combo box.
struct ChoiceList {
    std::vector<ChoiceEntry> entries;
    int32_t selected = -1;  // index into entries; -1 only when entries is empty
    bool visible = true;
    bool enabled = true;
};

class UiDefinition {
public:
    UiDefinition() = default;
    UiDefinition(const UiDefinition&) = delete;
    UiDefinition& operator=(const UiDefinition&) = delete;

    // Reads the file, then checks that every required id and name has a record. On success a
    // copy of the buffer-mode record (1272) is kept for RestrictBufferModeChoices. A failed
    // load leaves the records read so far.
    int32_t Load(std::string_view path, ResultInfo* info = nullptr);

    // The first record with that id; id 0 finds nothing.
    const UiControlRecord* FindById(int32_t ctrlId) const;
    // The first record whose name equals name without regard to ASCII case; "" finds nothing.
    const UiControlRecord* FindByName(std::string_view name) const;

    size_t RecordCount() const { return records_.size(); }
    const UiControlRecord& Record(size_t index) const { return *records_[index]; }

    // The entries of the record's choice list, as many as both SelectList and SelectVal have.
    // With bank aliases, entries 0..15 get a blank and the alias of that bank appended. The
    // first entry whose value equals wanted is selected (-1: the record's default when its type
    // is integer); else the first entry. No record gives an empty list.
    ChoiceList FillChoiceList(int32_t ctrlId, int32_t wanted,
                              const std::array<std::string, 16>* bankAliases = nullptr) const;

    // Text of a result code: the unescaped Caption of the section named by its key, or
    // "no string data".
    std::string GetErrorText(int32_t code) const;
    // Text of a message (0..9), as GetErrorText.
    std::string GetMessageText(int32_t index) const;

    // For every record: restores visible and enable, then disables controls that need a newer
    // controller, and hides those marked to hide when unsupported.
    void ApplyControllerVersion(uint32_t version);

    // Restores the buffer-mode record and keeps the part of its choices the firmware offers:
    // below entry4 and entry1 the first choice only; below entry4 but at least entry1 choices 0
    // and 2 (default kept); from entry4 on the first four. Other cases reset the default to 0.
    void RestrictBufferModeChoices(uint32_t version, uint32_t entry1, uint32_t entry4);

    // Restores every caption and unit, then with micron mode on replaces "mm" by unitText in
    // the captions of records marked 1 and in the units of records marked 2.
    void ApplyMicronMode(bool on, std::string_view unitText);

    // The file UI definitions are read from: "default.frs" beside the executable, else in
    // ../share/qvm8-zul/ relative to the executable's folder, else (a build-tree run) in the
    // source tree's data folder.
    static std::string DefaultPath();

private:
    // Load without its log line on failure.
    int32_t LoadRecords(std::string_view path, ResultInfo* info);
    UiControlRecord* FindMutable(int32_t ctrlId);
    void Index();
    int32_t CheckCompleteness(ResultInfo* info) const;

    std::vector<std::unique_ptr<UiControlRecord>> records_;
    std::unordered_map<int32_t, UiControlRecord*> byId_;
    std::unordered_map<std::string, UiControlRecord*> byName_;  // lower-case names
    std::optional<UiControlRecord> bufferModeCopy_;
};

}  // namespace zul

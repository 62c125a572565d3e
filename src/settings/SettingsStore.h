// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store: the value of every setting item for all memory banks, heads and outputs,
// and the tool's window and option settings, behind one re-entrant lock. It owns the profile
// file of the current settings file and a snapshot of the values taken at the last load or save,
// against which it decides whether the settings have changed.
//
// Typed accessors. Each value type has its accessors (GetInt/SetInt for integer and boolean
// items, GetDouble/SetDouble for real items, GetText/SetText for text items), in two forms:
//  - store.GetInt<kHeadSetupMode>(bank, head): the id is a template argument; an id outside
//    1..209 or an accessor that does not match the item's type does not compile (the templates
//    are constrained, so a requires-expression can test this).
//  - store.GetInt(id, bank, head): for code that walks ids at run time; an unknown id, a
//    mismatched accessor or an index out of range touches no value: a getter returns 0, 0.0 or
//    an empty text, a setter returns false.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ResultInfo.h"
#include "settings/MicronMode.h"
#include "settings/ProfileFile.h"
#include "settings/SettingItem.h"
#include "settings/SettingsImage.h"

namespace zul {

class UiDefinition;
class UsbDeviceLister;

// What a load found in the settings file: the number of values read (present and not empty)
// of the numeric items of the memory banks, of the system settings (MEM_CMN, SYS_BUFFERING) and
// of all other items.
struct SettingsLoadReport {
    int32_t bankValues = 0;
    int32_t systemValues = 0;
    int32_t otherValues = 0;
    int32_t soughtValues = 0;  // the numeric values a complete file holds
    bool endsMidLine = false;  // the last line has no line end, as in a file cut short

    int32_t FoundValues() const { return bankValues + systemValues + otherValues; }
    // A file that exists but holds none of the settings: empty, binary, in another encoding or
    // another kind of file. It must not be taken for that file's settings.
    bool HoldsNoSettings() const { return FoundValues() == 0; }
    // A file that holds part of the settings and stops inside a line: cut short (a copy or a
    // save that did not complete). The program writes every line with its line end.
    bool CutShort() const { return endsMidLine && FoundValues() < soughtValues; }
};

// The reasons a settings file that is there is not taken as settings.
inline constexpr std::string_view kHoldsNoSettings = "the file holds no settings";
// "the file stops inside a line after N of its M settings: it was cut short"
std::string CutShortReason(const SettingsLoadReport& report);

// The name of the default settings file in the per-user application-data folder.
inline constexpr std::string_view kDefaultSettingsFileName = "qv-m8.zul";
// True when the name ends in ".zul", in any case: the test every front end applies to a
// settings-file name given to it.
bool IsSettingsFileName(std::string_view name);
inline constexpr std::string_view kAliasSection = "CtrlAlias";
inline constexpr std::string_view kAliasSubSection = "ARRAY";

class SettingsStore {
public:
    // Initial values (all 0 or empty, except GraphUpdateCycle 500, LogFolder "log" and
    // ImageFolder "image"); the current path is the default settings file.
    SettingsStore();
    // Copies both images, the current path and the profile's path and layout mode.
    SettingsStore(const SettingsStore& other);
    // Locks this store, then other; releases them in the reverse order.
    SettingsStore& operator=(const SettingsStore& other);
    ~SettingsStore();

    // Holds the lock for several calls that must see one state.
    [[nodiscard]] std::unique_lock<std::recursive_mutex> Lock() const;

    // Run-time typed accessors (see the file comment).
    int32_t GetInt(int32_t id, int32_t index1 = 0, int32_t index2 = 0) const;
    bool SetInt(int32_t id, int32_t value, int32_t index1 = 0, int32_t index2 = 0);
    double GetDouble(int32_t id, int32_t index1 = 0, int32_t index2 = 0) const;
    bool SetDouble(int32_t id, double value, int32_t index1 = 0, int32_t index2 = 0);
    std::string GetText(int32_t id, int32_t index1 = 0, int32_t index2 = 0) const;
    bool SetText(int32_t id, std::string_view value, int32_t index1 = 0, int32_t index2 = 0);

    // Compile-time typed accessors (see the file comment).
    template <int32_t Id>
    requires(IsIntItem(Id)) int32_t GetInt(int32_t index1 = 0, int32_t index2 = 0)
    const { return GetInt(Id, index1, index2); }
    template <int32_t Id>
    requires(IsIntItem(Id)) bool SetInt(int32_t value, int32_t index1 = 0, int32_t index2 = 0) {
        return SetInt(Id, value, index1, index2);
    }
    template <int32_t Id>
    requires(IsRealItem(Id)) double GetDouble(int32_t index1 = 0, int32_t index2 = 0) const {
        return GetDouble(Id, index1, index2);
    }
    template <int32_t Id>
    requires(IsRealItem(Id)) bool SetDouble(double value, int32_t index1 = 0, int32_t index2 = 0) {
        return SetDouble(Id, value, index1, index2);
    }
    template <int32_t Id>
    requires(IsTextItem(Id)) std::string GetText(int32_t index1 = 0, int32_t index2 = 0)
    const { return GetText(Id, index1, index2); }
    template <int32_t Id>
    requires(IsTextItem(Id)) bool SetText(std::string_view value, int32_t index1 = 0,
                                          int32_t index2 = 0) {
        return SetText(Id, value, index1, index2);
    }

    // Reads of the snapshot image, addressed like the accessors.
    int32_t GetSnapshotInt(int32_t id, int32_t index1 = 0, int32_t index2 = 0) const;
    double GetSnapshotDouble(int32_t id, int32_t index1 = 0, int32_t index2 = 0) const;
    std::string GetSnapshotText(int32_t id, int32_t index1 = 0, int32_t index2 = 0) const;

    // Consistent block copies. GetBank returns false (and leaves out alone) for a bank
    // outside 0..15.
    bool GetBank(int32_t bank, BankBlock& out) const;
    SystemBlock GetSystemBlock() const;
    void SetSystemBlock(const SystemBlock& block);
    MeasurementWindowBlock GetMeasurementWindowBlock() const;
    LightWaveWindowBlock GetLightWaveWindowBlock() const;
    BufferingWindowBlock GetBufferingWindowBlock() const;
    // A copy of the whole live image.
    SettingsImage GetImage() const;

    // The live values of bank from overwrite bank to; false when either is outside 0..15.
    bool CopyBank(int32_t to, int32_t from);

    // The USB device names and their aliases (equal lengths).
    void GetAliasLists(std::vector<std::string>& names, std::vector<std::string>& aliases) const;
    // Replaces both lists; entries beyond the shorter list are dropped so that they stay pairs.
    void SetAliasLists(const std::vector<std::string>& names,
                       const std::vector<std::string>& aliases);
    std::string CurrentDeviceName() const;
    std::string CurrentDeviceAlias() const;

    std::string GetFilePath() const;
    // An empty path is ignored; otherwise the current path (and the profile's) becomes the
    // path made absolute.
    void SetFilePath(std::string_view path);

    // Refreshes attached (the identification texts of the attached controllers) from lister,
    // moves the live UsbConnect name to its front (inserting it when missing and
    // insertIfMissing is set), then sets UsbConnect to the first entry if there is one.
    void PromoteUsbDevice(UsbDeviceLister& lister, std::vector<std::string>& attached,
                          bool insertIfMissing);

    // True when every counted item (storage class 1) and the USB device lists, current device
    // name and alias equal their snapshot.
    bool IsUnchanged() const;
    // snapshot := live.
    void MarkSaved();

    // Reads the settings file (path given: from there, and it becomes the current file).
    // A missing key or an empty value leaves the item unchanged; Rs232cBCC is 0 afterwards
    // whatever the file held. A value of a numeric item that is not a number ("xyz", "0x10",
    // "nan") stops the load with ZUL_ERR_INI_FILE_READ: detail1 the file, detail2 section, key
    // and text. A file that is not a regular file or is larger than 16 MiB is refused (the codes
    // of ProfileFile::Begin). report (optional) receives what the file held.
    int32_t Load(ResultInfo* info = nullptr, std::string_view path = {},
                 SettingsLoadReport* report = nullptr);
    // Writes the settings file (path given: there, without changing the current file). Entries
    // the store does not know survive in place.
    int32_t Save(ResultInfo* info = nullptr, std::string_view path = {});

    // Per-item rules, evaluated on the live image.
    // Writes every item's default (items whose default source yields nothing keep their value).
    void ResetToDefaults(const UiDefinition& ui);
    // The item's default as an integer (0 when it has none or is not an integer item).
    int32_t GetItemDefault(const UiDefinition& ui, int32_t id) const;
    // True when the present value breaks the item's validation rule; unknown ids are valid.
    bool IsItemInvalid(const UiDefinition& ui, int32_t id, int32_t index1 = 0,
                       int32_t index2 = 0) const;
    // The display text of the value; empty for an unknown id.
    std::string FormatItem(const UiDefinition& ui, const MicronMode& micron, int32_t id,
                           int32_t index1 = 0, int32_t index2 = 0) const;
    // True when the connected controller (firmware version) supports the item.
    bool IsItemSupported(const UiDefinition& ui, uint32_t firmwareVersion, int32_t id) const;

private:
    std::optional<int32_t> RadioDefault(const UiDefinition& ui, const SettingItem& item) const;
    void SetDefault(const UiDefinition& ui, const SettingItem& item, int32_t index1,
                    int32_t index2);
    int32_t LoadItems(ResultInfo* info, SettingsLoadReport& report);
    int32_t SaveItems(ResultInfo* info);

    mutable std::recursive_mutex mutex_;
    ProfileFile profile_;
    std::string currentPath_;
    std::unique_ptr<SettingsImage> live_;
    std::unique_ptr<SettingsImage> snapshot_;
};

}  // namespace zul

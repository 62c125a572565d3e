// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsStore.h"

#include <algorithm>

#include "base/Paths.h"
#include "base/ProfileText.h"
#include "settings/ImageField.h"
#include "settings/ItemInstances.h"
#include "settings/UsbDeviceLister.h"

namespace zul {

namespace {

FieldRef Resolve(const SettingsImage& image, int32_t id, int32_t index1, int32_t index2) {
    // Resolution only locates the field; constness is restored by the callers.
    return ResolveField(const_cast<SettingsImage&>(image), id, index1, index2);
}

bool ValidBank(int32_t bank) {
    return bank >= 0 && bank < kBankCount;
}

}  // namespace

bool IsSettingsFileName(std::string_view name) {
    constexpr std::string_view kSuffix = ".zul";
    return name.size() >= kSuffix.size() &&
           EqualsNoCase(name.substr(name.size() - kSuffix.size()), kSuffix);
}

SettingsStore::SettingsStore()
    : live_(std::make_unique<SettingsImage>()), snapshot_(std::make_unique<SettingsImage>()) {
    SetFilePath(AppDataPath(kDefaultSettingsFileName));
}

SettingsStore::SettingsStore(const SettingsStore& other) {
    std::lock_guard<std::recursive_mutex> source(other.mutex_);
    profile_ = other.profile_;
    currentPath_ = other.currentPath_;
    live_ = std::make_unique<SettingsImage>(*other.live_);
    snapshot_ = std::make_unique<SettingsImage>(*other.snapshot_);
}

SettingsStore& SettingsStore::operator=(const SettingsStore& other) {
    if (this == &other) {
        return *this;
    }
    std::lock_guard<std::recursive_mutex> destination(mutex_);
    std::lock_guard<std::recursive_mutex> source(other.mutex_);
    profile_ = other.profile_;
    currentPath_ = other.currentPath_;
    *live_ = *other.live_;
    *snapshot_ = *other.snapshot_;
    return *this;
}

SettingsStore::~SettingsStore() = default;

std::unique_lock<std::recursive_mutex> SettingsStore::Lock() const {
    return std::unique_lock<std::recursive_mutex>(mutex_);
}

int32_t SettingsStore::GetInt(int32_t id, int32_t index1, int32_t index2) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const FieldRef field = Resolve(*live_, id, index1, index2);
    return field.integer ? *field.integer : 0;
}

bool SettingsStore::SetInt(int32_t id, int32_t value, int32_t index1, int32_t index2) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const FieldRef field = ResolveField(*live_, id, index1, index2);
    if (!field.integer) {
        return false;
    }
    *field.integer = value;
    return true;
}

double SettingsStore::GetDouble(int32_t id, int32_t index1, int32_t index2) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const FieldRef field = Resolve(*live_, id, index1, index2);
    return field.real ? *field.real : 0.0;
}

bool SettingsStore::SetDouble(int32_t id, double value, int32_t index1, int32_t index2) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const FieldRef field = ResolveField(*live_, id, index1, index2);
    if (!field.real) {
        return false;
    }
    *field.real = value;
    return true;
}

std::string SettingsStore::GetText(int32_t id, int32_t index1, int32_t index2) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const FieldRef field = Resolve(*live_, id, index1, index2);
    return field.text ? *field.text : std::string();
}

bool SettingsStore::SetText(int32_t id, std::string_view value, int32_t index1, int32_t index2) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const FieldRef field = ResolveField(*live_, id, index1, index2);
    if (!field.text) {
        return false;
    }
    field.text->assign(value);
    return true;
}

int32_t SettingsStore::GetSnapshotInt(int32_t id, int32_t index1, int32_t index2) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const FieldRef field = Resolve(*snapshot_, id, index1, index2);
    return field.integer ? *field.integer : 0;
}

double SettingsStore::GetSnapshotDouble(int32_t id, int32_t index1, int32_t index2) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const FieldRef field = Resolve(*snapshot_, id, index1, index2);
    return field.real ? *field.real : 0.0;
}

std::string SettingsStore::GetSnapshotText(int32_t id, int32_t index1, int32_t index2) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const FieldRef field = Resolve(*snapshot_, id, index1, index2);
    return field.text ? *field.text : std::string();
}

bool SettingsStore::GetBank(int32_t bank, BankBlock& out) const {
    if (!ValidBank(bank)) {
        return false;
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    out = live_->bank[static_cast<size_t>(bank)];
    return true;
}

SystemBlock SettingsStore::GetSystemBlock() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return live_->system;
}

void SettingsStore::SetSystemBlock(const SystemBlock& block) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    live_->system = block;
}

MeasurementWindowBlock SettingsStore::GetMeasurementWindowBlock() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return live_->formMeasurement;
}

LightWaveWindowBlock SettingsStore::GetLightWaveWindowBlock() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return live_->formLightWave;
}

BufferingWindowBlock SettingsStore::GetBufferingWindowBlock() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return live_->formBuffering;
}

SettingsImage SettingsStore::GetImage() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return *live_;
}

bool SettingsStore::CopyBank(int32_t to, int32_t from) {
    if (!ValidBank(to) || !ValidBank(from)) {
        return false;
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (to != from) {
        live_->bank[static_cast<size_t>(to)] = live_->bank[static_cast<size_t>(from)];
    }
    return true;
}

void SettingsStore::GetAliasLists(std::vector<std::string>& names,
                                  std::vector<std::string>& aliases) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    names = live_->formSoftware.usbDeviceNames;
    aliases = live_->formSoftware.usbDeviceAliases;
}

void SettingsStore::SetAliasLists(const std::vector<std::string>& names,
                                  const std::vector<std::string>& aliases) {
    const size_t count = std::min(names.size(), aliases.size());
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    live_->formSoftware.usbDeviceNames.assign(names.begin(), names.begin() + count);
    live_->formSoftware.usbDeviceAliases.assign(aliases.begin(), aliases.begin() + count);
}

std::string SettingsStore::CurrentDeviceName() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return live_->formSoftware.currentDeviceName;
}

std::string SettingsStore::CurrentDeviceAlias() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return live_->formSoftware.currentAlias;
}

std::string SettingsStore::GetFilePath() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return currentPath_;
}

void SettingsStore::SetFilePath(std::string_view path) {
    if (path.empty()) {
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    profile_.SetPath(path);
    currentPath_ = profile_.Path();
}

void SettingsStore::PromoteUsbDevice(UsbDeviceLister& lister, std::vector<std::string>& attached,
                                     bool insertIfMissing) {
    // The device list is taken before the lock: enumeration talks to the USB library.
    attached = UsbControllerNames(lister.ListUsbDevices());
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::string& current = live_->formSoftware.UsbConnect;
    const auto it = std::find(attached.begin(), attached.end(), current);
    if (it != attached.end()) {
        std::rotate(attached.begin(), it, it + 1);
    } else if (insertIfMissing) {
        attached.insert(attached.begin(), current);
    }
    if (!attached.empty()) {
        current = attached.front();
    }
}

bool SettingsStore::IsUnchanged() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (const SettingItem& item : kSettingItems) {
        if (item.valueType == kValueEnd) {
            break;
        }
        if (item.storageClass != kStorageCounted) {
            continue;
        }
        const bool same = ForEachInstance(
            item, [&](const std::string&, const std::string&, int32_t index1, int32_t index2) {
                const FieldRef a = Resolve(*live_, item.id, index1, index2);
                const FieldRef b = Resolve(*snapshot_, item.id, index1, index2);
                if (a.integer) {
                    return *a.integer == *b.integer;
                }
                if (a.real) {
                    return *a.real == *b.real;
                }
                return !a.text || *a.text == *b.text;
            });
        if (!same) {
            return false;
        }
    }
    const SoftwareWindowBlock& a = live_->formSoftware;
    const SoftwareWindowBlock& b = snapshot_->formSoftware;
    return a.currentDeviceName == b.currentDeviceName && a.currentAlias == b.currentAlias &&
           a.usbDeviceNames == b.usbDeviceNames && a.usbDeviceAliases == b.usbDeviceAliases;
}

void SettingsStore::MarkSaved() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    *snapshot_ = *live_;
}

}  // namespace zul

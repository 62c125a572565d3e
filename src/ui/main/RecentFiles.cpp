// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/RecentFiles.h"

#include <algorithm>

#include "settings/ProfileFile.h"

namespace zul::ui {

namespace {

constexpr std::string_view kSection = "RECENT_FILES";

std::string KeyOf(size_t index) {
    return "File" + std::to_string(index + 1);
}

}  // namespace

void RecentFiles::Add(const std::string& path) {
    Remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kRecentFileCount) {
        paths_.resize(kRecentFileCount);
    }
}

void RecentFiles::Remove(const std::string& path) {
    paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}

bool RecentFiles::Read(const std::string& settingsFile) {
    ProfileFile file;
    file.SetPath(settingsFile);
    if (file.Begin(false) != ZUL_OK) {
        return false;
    }
    paths_.clear();
    for (size_t i = 0; i < kRecentFileCount; ++i) {
        std::string path = file.GetString(kSection, "", KeyOf(i), "");
        if (!path.empty() && std::find(paths_.begin(), paths_.end(), path) == paths_.end()) {
            paths_.push_back(path);
        }
    }
    file.End();
    return true;
}

bool RecentFiles::Write(const std::string& settingsFile) const {
    ProfileFile file;
    file.SetPath(settingsFile);
    if (file.Begin(true) != ZUL_OK) {
        return false;
    }
    bool ok = true;
    for (size_t i = 0; i < kRecentFileCount; ++i) {
        const std::string value = i < paths_.size() ? paths_[i] : std::string();
        ok = file.SetString(kSection, "", KeyOf(i), value) == ZUL_OK && ok;
    }
    return file.End() == ZUL_OK && ok;
}

}  // namespace zul::ui

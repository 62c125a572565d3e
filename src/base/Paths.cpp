// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace zul {

namespace {

namespace fs = std::filesystem;

// An environment variable that holds an absolute path, else empty (relative XDG values are
// invalid and ignored).
std::string AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    return value;
}

std::string JoinPath(std::string base, std::string_view name) {
    if (base.empty() || base.back() != '/') {
        base += '/';
    }
    base += name;
    return base;
}

// <base>/<company>/<product>/<name>, creating the folders (and the base) when missing.
std::string ProductPath(const std::string& base, std::string_view name) {
    std::string company = JoinPath(base, kCompanyFolder);
    std::string product = JoinPath(company, kProductFolder);
    std::error_code ec;
    fs::create_directories(product, ec);  // an existing folder is fine; failure shows later
    return JoinPath(product, name);
}

std::string ConfigFolder() {
    std::string folder = AbsoluteEnv("XDG_CONFIG_HOME");
    return folder.empty() ? JoinPath(HomeFolder(), ".config") : folder;
}

std::string StateFolder() {
    std::string folder = AbsoluteEnv("XDG_STATE_HOME");
    return folder.empty() ? JoinPath(HomeFolder(), ".local/state") : folder;
}

// Expands a user-dirs.dirs value: "$HOME/..." or an absolute path; quotes already removed.
std::string ExpandUserDir(std::string value) {
    if (value.rfind("$HOME", 0) == 0) {
        std::string rest = value.substr(5);
        if (rest.empty() || rest[0] == '/') {
            return HomeFolder() + rest;
        }
        return {};
    }
    return value.empty() || value[0] != '/' ? std::string{} : value;
}

// XDG_DOCUMENTS_DIR="..." from <config>/user-dirs.dirs, empty when absent.
std::string DocumentsFromUserDirs() {
    std::ifstream in(JoinPath(ConfigFolder(), "user-dirs.dirs"));
    std::string line;
    std::string found;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') {
            continue;
        }
        constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
        if (line.compare(start, kKey.size(), kKey) != 0) {
            continue;
        }
        std::string value = line.substr(start + kKey.size());
        size_t end = value.find_last_not_of(" \t");
        value.erase(end == std::string::npos ? 0 : end + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        found = ExpandUserDir(value);  // the last assignment wins, as in a shell
    }
    return found;
}

}  // namespace

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return home;
    }
    passwd entry{};
    passwd* result = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr) {
        return result->pw_dir;
    }
    return "/";
}

bool IsRootedName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    return name[0] == '/' || name[0] == '\\' || (name.size() >= 2 && name[1] == ':');
}

std::string AppDataPath(std::string_view name) {
    if (IsRootedName(name)) {
        return std::string(name);
    }
    return ProductPath(ConfigFolder(), name);
}

std::string LocalAppDataPath(std::string_view name) {
    if (IsRootedName(name)) {
        return std::string(name);
    }
    return ProductPath(StateFolder(), name);
}

std::string DocumentsPath(std::string_view name) {
    if (IsRootedName(name)) {
        return std::string(name);
    }
    std::string folder = AbsoluteEnv("XDG_DOCUMENTS_DIR");
    if (folder.empty()) {
        folder = DocumentsFromUserDirs();
    }
    if (folder.empty()) {
        folder = JoinPath(HomeFolder(), "Documents");
    }
    return JoinPath(folder, name);
}

std::string CanonicalPath(std::string_view path) {
    if (path.empty()) {
        return {};
    }
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec) {
        return std::string(path);
    }
    fs::path canonical = fs::weakly_canonical(absolute, ec);
    if (ec) {
        return absolute.lexically_normal().string();
    }
    return canonical.string();
}

std::string FileNameWithExtension(std::string_view path) {
    size_t slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace zul

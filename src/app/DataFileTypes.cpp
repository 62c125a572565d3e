// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DataFileTypes.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/Paths.h"
#include "settings/SafeFile.h"

extern char** environ;

namespace zul {

namespace {

std::string UserDataFolder() {
    const char* value = std::getenv("XDG_DATA_HOME");
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    return HomeFolder() + "/.local/share";
}

// "." followed by letters and digits only: the extension goes into a file name and into XML.
bool IsPlainExtension(std::string_view extension) {
    if (extension.size() < 2 || extension.size() > 16 || extension[0] != '.') {
        return false;
    }
    for (char c : extension.substr(1)) {
        bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum) {
            return false;
        }
    }
    return true;
}

bool CsvTypeKnown() {
    std::vector<std::string> folders{UserDataFolder()};
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs != nullptr && dirs[0] != '\0' ? dirs : "/usr/local/share:/usr/share";
    size_t start = 0;
    while (start <= list.size()) {
        size_t colon = list.find(':', start);
        std::string folder =
            list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!folder.empty() && folder[0] == '/') {
            folders.push_back(folder);
        }
        if (colon == std::string::npos) {
            break;
        }
        start = colon + 1;
    }
    for (const std::string& folder : folders) {
        struct stat info {};
        if (::stat((folder + "/mime/text/csv.xml").c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            return true;
        }
    }
    return false;
}

// Runs update-mime-database on the folder and waits for it; silent about everything.
void UpdateMimeDatabase(const std::string& mimeFolder) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return;
    }
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = "update-mime-database";
    std::string folder = mimeFolder;
    char* argv[] = {program.data(), folder.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), &actions, nullptr, argv, environ) == 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

std::string PackageText(std::string_view extension) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"text/csv\">\n"
        "    <glob pattern=\"*";
    text += extension;
    text +=
        "\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    return text;
}

}  // namespace

std::string DataFileTypePackagePath(std::string_view extension) {
    std::string name(extension.substr(extension.empty() || extension[0] != '.' ? 0 : 1));
    return UserDataFolder() + "/mime/packages/qvm8-zul-" + name + ".xml";
}

bool RegisterDataFileTypes(std::string_view extension) {
    if (!IsPlainExtension(extension) || !CsvTypeKnown()) {
        return false;
    }
    const std::string package = DataFileTypePackagePath(extension);
    struct stat info {};
    if (::lstat(package.c_str(), &info) == 0) {
        return false;  // already registered (or deliberately replaced by the user)
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(package).parent_path(), ec);
    if (ec) {
        return false;
    }
    AtomicFileWriter writer;
    if (writer.Open(package, 0644, nullptr) != ZUL_OK || !writer.Append(PackageText(extension)) ||
        writer.Commit(nullptr) != ZUL_OK) {
        return false;
    }
    UpdateMimeDatabase(UserDataFolder() + "/mime");
    return true;
}

}  // namespace zul

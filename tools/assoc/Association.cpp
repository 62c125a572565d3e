// SPDX-License-Identifier: GPL-3.0-or-later
#include "Association.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/ChildProcess.h"
#include "base/Paths.h"

namespace assoc {

namespace fs = std::filesystem;

namespace {

std::string JoinPath(std::string base, std::string_view name) {
    if (!base.empty() && base.back() != '/') {
        base += '/';
    }
    base += name;
    return base;
}

std::string ExecutableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

bool IsExecutableFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}

bool IsReadableFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && ::access(path.c_str(), R_OK) == 0;
}

// Writes text to path.tmp, then renames it over path, so that a reader never sees half a file.
bool WriteAtomically(const std::string& path, const std::string& text, int* error) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            *error = errno != 0 ? errno : EIO;
            std::error_code ec;
            fs::remove(temporary, ec);
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = errno;
        std::error_code ec;
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

// Removes a file; a file that is not there counts as removed.
bool RemoveFile(const std::string& path, int* error) {
    std::error_code ec;
    fs::remove(path, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        *error = ec.value();
        return false;
    }
    return true;
}

// The full path of a program on PATH, empty when there is none.
std::string FindOnPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
    while (true) {
        const size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (!folder.empty()) {
            const std::string candidate = JoinPath(std::string(folder), name);
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        rest.remove_prefix(colon + 1);
    }
}

// Runs program with one argument and waits for it; true when it exited with 0. Its output goes
// to the tool's own output streams.
bool RunAndWait(const std::string& program, const std::string& argument) {
    const pid_t child = zul::StartChild({program, argument}, zul::ChildStreams{});
    return child != 0 && zul::WaitForChild(child) == 0;
}

// A desktop entry string value: backslashes doubled, line breaks as \n.
std::string EscapeValue(std::string_view value) {
    std::string escaped;
    for (char c : value) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::string UserDataHome() {
    const char* value = std::getenv("XDG_DATA_HOME");
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    return JoinPath(zul::HomeFolder(), ".local/share");
}

AssociationPlan PlanForThisProgram() {
    AssociationPlan plan;
    plan.dataHome = UserDataHome();
    const std::string folder = ExecutableFolder();
    const std::string beside = JoinPath(folder, "qvm8-zul");
    plan.program = !folder.empty() && IsExecutableFile(beside) ? beside : "qvm8-zul";
    const std::string themeIcon = JoinPath(
        folder, "../share/icons/hicolor/scalable/apps/" + std::string(kDesktopId) + ".svg");
    const std::string pictureIcon = JoinPath(folder, "image/icon.svg");
    if (!folder.empty() && IsReadableFile(themeIcon)) {
        plan.icon = kDesktopId;
    } else if (!folder.empty() && IsReadableFile(pictureIcon)) {
        plan.icon = pictureIcon;
    }
    return plan;
}

std::string MimePackageText() {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"";
    text += kSettingsMimeType;
    text +=
        "\">\n"
        "    <comment>QV-M8 ZuL settings file</comment>\n"
        "    <sub-class-of type=\"text/plain\"/>\n"
        "    <generic-icon name=\"text-x-generic\"/>\n"
        "    <glob pattern=\"*.zul\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    return text;
}

std::string QuoteExecArgument(std::string_view argument) {
    // Reserved characters force quoting; inside quotes ", `, $ and \ take a backslash. The
    // entry's string escapes then double every backslash.
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool needsQuotes =
        argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    std::string quoted;
    if (needsQuotes) {
        quoted += '"';
    }
    for (char c : argument) {
        if (c == '%') {
            quoted += "%%";
            continue;
        }
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            quoted += "\\\\";
            if (c == '\\') {
                quoted += "\\\\";
                continue;
            }
        }
        quoted += c;
    }
    if (needsQuotes) {
        quoted += '"';
    }
    return quoted;
}

std::string DesktopEntryText(const AssociationPlan& plan) {
    std::string text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=QV-M8 ZuL\n"
        "GenericName=Displacement Sensor Controller Tool\n"
        "Comment=Configure and monitor a QV-M8 laser displacement sensor controller\n"
        "Exec=" +
        QuoteExecArgument(plan.program) +
        " %f\n"
        "TryExec=" +
        EscapeValue(plan.program) + "\n";
    if (!plan.icon.empty()) {
        text += "Icon=" + EscapeValue(plan.icon) + "\n";
    }
    text +=
        "Terminal=false\n"
        "Categories=Science;Engineering;Qt;\n"
        "MimeType=";
    text += kSettingsMimeType;
    text += ";\n";
    return text;
}

std::string MimePackagePath(const AssociationPlan& plan) {
    return JoinPath(plan.dataHome, "mime/packages/" + std::string(kMimePackageName));
}

std::string DesktopEntryPath(const AssociationPlan& plan) {
    return JoinPath(plan.dataHome, "applications/" + std::string(kDesktopId) + ".desktop");
}

bool RefreshDesktopCaches(const AssociationPlan& plan) {
    bool ok = true;
    const std::string mime = FindOnPath("update-mime-database");
    if (!mime.empty()) {
        ok = RunAndWait(mime, JoinPath(plan.dataHome, "mime")) && ok;
    }
    const std::string desktop = FindOnPath("update-desktop-database");
    if (!desktop.empty()) {
        ok = RunAndWait(desktop, JoinPath(plan.dataHome, "applications")) && ok;
    }
    return ok;
}

int32_t Register(const AssociationPlan& plan, zul::ResultInfo* info) {
    zul::ClearResult(info);
    const std::string mimePath = MimePackagePath(plan);
    const std::string desktopPath = DesktopEntryPath(plan);
    for (const std::string& path : {mimePath, desktopPath}) {
        std::error_code ec;
        fs::create_directories(fs::path(path).parent_path(), ec);
        if (ec) {
            return zul::SetResult(info, zul::ZUL_ERR_OS_FILE_WRITE, ec.value(),
                                  fs::path(path).parent_path().string());
        }
    }
    int error = 0;
    if (!WriteAtomically(mimePath, MimePackageText(), &error)) {
        return zul::SetResult(info, zul::ZUL_ERR_OS_FILE_WRITE, error, mimePath);
    }
    if (!WriteAtomically(desktopPath, DesktopEntryText(plan), &error)) {
        int ignored = 0;
        RemoveFile(mimePath, &ignored);
        return zul::SetResult(info, zul::ZUL_ERR_OS_FILE_WRITE, error, desktopPath);
    }
    RefreshDesktopCaches(plan);
    return zul::ZUL_OK;
}

int32_t Unregister(const AssociationPlan& plan, zul::ResultInfo* info) {
    zul::ClearResult(info);
    int error = 0;
    for (const std::string& path : {DesktopEntryPath(plan), MimePackagePath(plan)}) {
        if (!RemoveFile(path, &error)) {
            return zul::SetResult(info, zul::ZUL_ERR_OS_FILE_WRITE, error, path);
        }
    }
    RefreshDesktopCaches(plan);
    return zul::ZUL_OK;
}

}  // namespace assoc

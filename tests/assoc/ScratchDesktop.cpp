// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScratchDesktop.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/ChildProcess.h"

extern char** environ;

namespace assoctest {

namespace fs = std::filesystem;

ScratchDesktop::ScratchDesktop() {
    std::string pattern = (fs::temp_directory_path() / "qvm8-assoc-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    root_ = pattern;
    dataHome = root_ + "/data";
    fs::create_directories(root_ + "/system");
    fs::create_directories(root_ + "/home");
}

ScratchDesktop::~ScratchDesktop() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

void ScratchDesktop::WriteFile(const std::string& name, const std::string& text) const {
    const fs::path path = Path(name);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

RunResult ScratchDesktop::Run(const std::string& program, const std::vector<std::string>& arguments,
                              const std::vector<std::string>& overrides) const {
    std::vector<std::string> settings = overrides;
    settings.push_back("XDG_DATA_HOME=" + dataHome);
    settings.push_back("XDG_DATA_DIRS=" + root_ + "/system");
    settings.push_back("HOME=" + root_ + "/home");
    auto overridden = [&](std::string_view entry) {
        for (const std::string& setting : settings) {
            const std::string_view name =
                std::string_view(setting).substr(0, setting.find('=') + 1);
            if (entry.rfind(name, 0) == 0) {
                return true;
            }
        }
        return false;
    };
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!overridden(*entry)) {
            environment.emplace_back(*entry);
        }
    }
    environment.insert(environment.end(), settings.begin(), settings.end());
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());

    const std::string outPath = Path("run.out");
    const std::string errPath = Path("run.err");
    RunResult result;
    int error = 0;
    const pid_t pid = zul::StartChild(args,
                                      {zul::ChildStream::Null(), zul::ChildStream::File(outPath),
                                       zul::ChildStream::File(errPath)},
                                      envp.data(), &error);
    if (pid == 0) {
        result.err = std::strerror(error);
        return result;
    }
    const int exitCode = zul::WaitForChild(pid);
    if (exitCode >= 0) {
        result.exitCode = exitCode;
    }
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

}  // namespace assoctest

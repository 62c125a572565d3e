// SPDX-License-Identifier: GPL-3.0-or-later
// A scratch desktop for the association tests: a temporary folder used as XDG_DATA_HOME (and,
// so that no installed type interferes, as the only XDG_DATA_DIRS entry), and a way to run a
// program in it and collect its exit code and output.
#pragma once

#include <string>
#include <vector>

namespace assoctest {

struct RunResult {
    int exitCode = -1;  // -1: could not be started or did not exit normally
    std::string out;
    std::string err;
};

class ScratchDesktop {
public:
    ScratchDesktop();
    ~ScratchDesktop();
    ScratchDesktop(const ScratchDesktop&) = delete;
    ScratchDesktop& operator=(const ScratchDesktop&) = delete;

    const std::string& Root() const { return root_; }
    // XDG_DATA_HOME of the runs; Root()/data unless changed.
    std::string dataHome;

    std::string Path(const std::string& name) const { return root_ + "/" + name; }
    void WriteFile(const std::string& name, const std::string& text) const;

    // Runs program with arguments, XDG_DATA_HOME = dataHome, XDG_DATA_DIRS = Root()/system,
    // HOME = Root()/home, the given NAME=value overrides and the rest of the environment
    // unchanged.
    RunResult Run(const std::string& program, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& overrides = {}) const;

private:
    std::string root_;
};

// The environment override for runs of the MIME probe: a sanitizer build's leak checker stays
// out of the Qt library's own start-up allocations.
inline const std::vector<std::string> kProbeEnvironment = {"ASAN_OPTIONS=detect_leaks=0"};

std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// The full path of a program on PATH, empty when it is not there.
std::string FindProgram(const std::string& name);

}  // namespace assoctest

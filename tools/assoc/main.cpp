// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8-assoc: registers or removes the user's association of settings files (*.zul) with the
// desktop program. The desktop program runs it as "qvm8-assoc <pid> /register" or
// "qvm8-assoc <pid> /unregister" and reads the exit code:
//   1   registered            2   removed
//   3   registering failed    4   removing failed (nothing half-done is left behind)
//   64  usage error (wrong arguments)
// 253 to 255 are never used: the desktop program keeps them for "could not be started".
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "Association.h"

namespace {

enum ExitCode : int {
    kExitRegistered = 1,
    kExitUnregistered = 2,
    kExitRegisterFailed = 3,
    kExitUnregisterFailed = 4,
    kExitUsage = 64,
};

constexpr char kUsage[] =
    "usage: qvm8-assoc <pid> /register | /unregister\n"
    "  <pid>         process id of the calling program (a positive number)\n"
    "  /register     associate *.zul settings files with qvm8-zul for this user\n"
    "  /unregister   remove that association\n"
    "exit codes: 1 registered, 2 removed, 3 registering failed, 4 removing failed, 64 usage\n";

bool IsProcessId(std::string_view text) {
    if (text.empty() || text.size() > 10 || text[0] == '0') {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

int Usage(const char* problem) {
    std::fprintf(stderr, "qvm8-assoc: %s\n%s", problem, kUsage);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 3) {
        return Usage("expected a process id and /register or /unregister");
    }
    if (!IsProcessId(argv[1])) {
        return Usage("the first argument must be the calling program's process id");
    }
    const std::string_view verb = argv[2];
    const bool registering = EqualsNoCase(verb, "/register");
    if (!registering && !EqualsNoCase(verb, "/unregister")) {
        return Usage("the second argument must be /register or /unregister");
    }

    const assoc::AssociationPlan plan = assoc::PlanForThisProgram();
    zul::ResultInfo info;
    if (registering) {
        if (assoc::Register(plan, &info) != zul::ZUL_OK) {
            std::fprintf(stderr, "qvm8-assoc: cannot write %s: %s\n", info.detail1.c_str(),
                         std::strerror(info.osError));
            return kExitRegisterFailed;
        }
        return kExitRegistered;
    }
    if (assoc::Unregister(plan, &info) != zul::ZUL_OK) {
        std::fprintf(stderr, "qvm8-assoc: cannot remove %s: %s\n", info.detail1.c_str(),
                     std::strerror(info.osError));
        return kExitUnregisterFailed;
    }
    return kExitUnregistered;
}

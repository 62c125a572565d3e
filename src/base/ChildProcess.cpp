// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace zul {

namespace {

void AddStream(posix_spawn_file_actions_t& actions, int target, const ChildStream& stream) {
    const int flags = target == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
    switch (stream.kind) {
        case ChildStream::Kind::kInherit:
            break;
        case ChildStream::Kind::kNull:
            posix_spawn_file_actions_addopen(&actions, target, "/dev/null",
                                             target == 0 ? O_RDONLY : O_WRONLY, 0);
            break;
        case ChildStream::Kind::kFile:
            posix_spawn_file_actions_addopen(&actions, target, stream.path.c_str(), flags, 0600);
            break;
        case ChildStream::Kind::kDescriptor:
            posix_spawn_file_actions_adddup2(&actions, stream.fd, target);
            break;
    }
}

}  // namespace

pid_t StartChild(const std::vector<std::string>& args, const ChildStreams& streams,
                 char* const* envp, int* error) {
    if (args.empty()) {
        if (error != nullptr) {
            *error = EINVAL;
        }
        return 0;
    }
    std::vector<std::string> owned = args;
    std::vector<char*> argv;
    for (std::string& a : owned) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : streams.closeInChild) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    AddStream(actions, 0, streams.in);
    AddStream(actions, 1, streams.out);
    AddStream(actions, 2, streams.err);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(),
                               envp != nullptr ? envp : environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (error != nullptr) {
            *error = rc;
        }
        return 0;
    }
    return pid;
}

int WaitForChild(pid_t pid, rusage* usage) {
    int status = 0;
    rusage used{};
    while (::wait4(pid, &status, 0, &used) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    if (usage != nullptr) {
        *usage = used;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zul

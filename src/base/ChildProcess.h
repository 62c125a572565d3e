// SPDX-License-Identifier: GPL-3.0-or-later
// Starting another program with its standard streams where the caller wants them (the null
// device, a file, a descriptor such as a pipe's end), and waiting for it to end.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace zul {

// Where one standard stream of the child goes.
struct ChildStream {
    enum class Kind { kInherit, kNull, kFile, kDescriptor };
    Kind kind = Kind::kInherit;
    std::string path;  // kFile: created or emptied, mode 0600 (opened for reading for stdin)
    int fd = -1;       // kDescriptor: becomes the stream in the child

    static ChildStream Null() { return {Kind::kNull, {}, -1}; }
    static ChildStream File(std::string path) { return {Kind::kFile, std::move(path), -1}; }
    static ChildStream Descriptor(int fd) { return {Kind::kDescriptor, {}, fd}; }
};

struct ChildStreams {
    ChildStreams() = default;
    ChildStreams(ChildStream input, ChildStream output, ChildStream error,
                 std::vector<int> close = {})
        : in(std::move(input)),
          out(std::move(output)),
          err(std::move(error)),
          closeInChild(std::move(close)) {}

    ChildStream in;
    ChildStream out;
    ChildStream err;
    std::vector<int> closeInChild;  // descriptors the child must not keep (a pipe's other end)
};

// Starts args[0] with the arguments args (args[0] is also the program's argv[0]) and the
// environment envp (null: this process's). The child's process id, or 0 when it could not be
// started (the reason as an errno value in *error).
pid_t StartChild(const std::vector<std::string>& args, const ChildStreams& streams,
                 char* const* envp = nullptr, int* error = nullptr);

// Waits for the child to end (interrupted waits are resumed). Its exit code, or -1 when it was
// ended by a signal or could not be waited for; usage (optional) gets what it used.
int WaitForChild(pid_t pid, rusage* usage = nullptr);

}  // namespace zul

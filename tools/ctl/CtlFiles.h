// SPDX-License-Identifier: GPL-3.0-or-later
// Settings files as qvm8ctl reads and writes them.
#pragma once

#include <string>

#include "CtlCommand.h"
#include "settings/SettingsStore.h"

namespace zul::ctl {

// Holds a settings file in the registry of files in use from before the first request until
// it is written, so that a file in use, or a registry that cannot be opened, ends the command
// before anything is read from the controller. Released when destroyed.
class ReservedSettingsFile {
public:
    explicit ReservedSettingsFile(CtlContext& context) : context_(context) {}
    ~ReservedSettingsFile();
    ReservedSettingsFile(const ReservedSettingsFile&) = delete;
    ReservedSettingsFile& operator=(const ReservedSettingsFile&) = delete;

    // Returns the exit status: 0, ZUL_ERR_INI_FILE_WRITE for a path that cannot be written (a
    // folder, a missing folder, a block device or a socket), or ZUL_ERR_INI_FILE_LOCKED, after
    // printing the failure.
    int Reserve(const std::string& path);
    // The absolute path; empty until reserved.
    const std::string& Path() const { return path_; }

private:
    CtlContext& context_;
    std::string path_;
};

// Writes store to the reserved file with the settings file's own link items. A path that is a
// device or a FIFO (-o /dev/stdout) is written through. Returns the exit status (after printing
// a failure).
int SaveSettingsCopy(CtlContext& context, const SettingsStore& store,
                     const ReservedSettingsFile& file);

// Checks, before any request, that an output file (of buffered values or light-wave frames) can
// be written, so that a long read never ends in a file that cannot be saved. Returns the exit
// status: 0, or ZUL_ERR_FILE_WRITE for a folder, a block device, a socket or a missing folder,
// after printing the failure.
int CheckOutputFile(CtlContext& context, const std::string& path);

// The controller settings an input file must hold for a command that writes them.
enum class InputSettings {
    kBanks,   // at least one value of a memory bank
    kSystem,  // at least one system setting
    kAny,     // either
};

// A copy of the main store with the file's settings read over it. A missing file, a file that
// cannot be read or holds a value that is no number, and a file that holds none of the needed
// settings (an empty, cut, binary or UTF-16 file) is a failure (ZUL_ERR_INI_FILE_READ). Returns
// the exit status (after printing a failure); 0 when store holds the file's settings.
int LoadSettingsCopy(CtlContext& context, const std::string& path, InputSettings needed,
                     SettingsStore& store);

// Reads every setting of the connected controller into into, as read-all does (the banks, then
// unless banksOnly the system settings), with the progress bar and Ctrl-C. The main store is
// untouched. Returns the exit status (after printing a failure).
int ReadWholeController(CtlContext& context, SettingsStore& into, bool banksOnly);

}  // namespace zul::ctl

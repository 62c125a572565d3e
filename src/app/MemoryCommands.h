// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's memory-bank commands: save the controller's current bank, initialise it,
// initialise all banks. Each asks its question first and shows its notice when done.
#pragma once

#include <cstdint>

#include "base/ResultInfo.h"
#include "settings/MessageBox.h"

namespace zul {

class Application;

enum class MemoryCommand {
    kSaveBank,            // "%EE#WWR" 1
    kInitialiseBank,      // "%EE#WIN" 1, after the memory-bank match check
    kInitialiseAllBanks,  // "%EE#WIN" 2
};

// The command alone: sends it and waits for the reply. Initialising raises the reconnect mode
// exactly while the command is outstanding (the controller restarts).
int32_t SendMemoryCommand(Application& app, MemoryCommand command, ResultInfo* result);

// The whole flow: for initialising one bank first the memory-bank match check (a failure is
// reported and nothing is sent), then the question, then the command; a failure is reported
// as an error, a success shows the done notice. Returns ZUL_ERR_ABORT when the answer was not
// Yes. result (may be null) receives the outcome with its details.
int32_t RunMemoryCommand(Application& app, MemoryCommand command, MessageBoxHost& host,
                         ResultInfo* result = nullptr);

}  // namespace zul

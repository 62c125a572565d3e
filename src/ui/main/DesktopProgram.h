// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's run: the application's start-up with the desktop steps (the emulated
// controller for --simulate, the device for --device, top-most stop boxes for start-up and exit
// failures, the splash, the main window), the main window's run, and the shutdown (link closed
// before the threads stop, settings written, exit failures reported, recent files kept).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QMetaObject>

#include "app/Application.h"
#include "ui/framework/QtWindowSink.h"
#include "ui/main/CommandLine.h"
#include "ui/main/Screenshots.h"

class QEventLoop;

namespace zul::ui {

class CMainWindow;
class SimulatedSession;

struct DesktopStartOptions {
    std::string uiDefinitionPath;  // empty: the installed default.frs
    bool showSplash = true;
    bool registerDataFileTypes = true;
};

class DesktopProgram {
public:
    explicit DesktopProgram(CommandLine commandLine);
    ~DesktopProgram();  // Finish when it has not run
    DesktopProgram(const DesktopProgram&) = delete;
    DesktopProgram& operator=(const DesktopProgram&) = delete;

    // Start-up up to the main window shown. On failure the reason has been shown in a top-most
    // stop box, everything done so far is undone and the result code is returned.
    int32_t Start(const DesktopStartOptions& options = {});

    // Runs until the main window has closed (or, with --screenshots, writes the pictures).
    // Returns the program's exit status.
    int Run();

    // Shutdown; returns ZUL_OK or ZUL_ERR_INI_FILE_WRITE (shown in a top-most box). Runs once.
    int32_t Finish();

    // Ends Run as closing the main window does, once the loops of open boxes, dialogs and a
    // synchronous command have returned (a synchronous command is ended by closing the link).
    // Called on SIGINT and SIGTERM (CTerminationRequest), which Start begins to watch.
    void RequestQuit();

    Application& App() { return app_; }
    CMainWindow* Main() { return main_.get(); }
    SimulatedSession* Simulation() { return simulation_.get(); }

private:
    CommandLine commandLine_;
    std::optional<UnattendedBoxes> unattended_;     // --screenshots: from start-up to exit
    std::unique_ptr<SimulatedSession> simulation_;  // before app_: it chooses the folders
    QtWindowSink sink_;
    Application app_;
    std::unique_ptr<CMainWindow> main_;
    std::optional<int32_t> fileCommunicationType_;  // restored before the exit save (--device)
    QEventLoop* loop_ = nullptr;                    // Run's loop while it runs
    QMetaObject::Connection terminationConnection_;
    bool quitRequested_ = false;
    bool started_ = false;
    bool finished_ = false;

    void StopWatchingTermination();
    // SIGINT and SIGTERM end the program in its normal order from here on.
    void WatchTermination();
    // Starts the emulated controller of --simulate; false (reason shown) when it cannot run.
    bool StartSimulation(int32_t* code);
    ApplicationOptions MakeApplicationOptions(const DesktopStartOptions& options);
    void ShowSplash();
};

}  // namespace zul::ui

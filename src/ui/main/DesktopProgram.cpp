// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/DesktopProgram.h"

#include <string>
#include <string_view>

#include <QApplication>
#include <QEventLoop>

#include "app/ConnectSequence.h"
#include "base/DiagnosticLog.h"
#include "link/LinkSettings.h"
#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"
#include "settings/MessageBox.h"
#include "settings/SettingItem.h"
#include "ui/forms/DefaultPrinter.h"
#include "ui/framework/FallbackTexts.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/QtText.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/TerminationRequest.h"
#include "ui/main/DesktopWindows.h"
#include "ui/main/MainWindow.h"
#include "ui/main/OutputPictures.h"
#include "ui/main/Screenshots.h"
#include "ui/main/SimulatedSession.h"
#include "ui/main/SplashScreen.h"

namespace zul::ui {

namespace {

// A failure of the program's start or end, which no window is there to report: logged, then
// shown in a top-most stop box.
void ShowStopBox(std::string_view what, const QString& text) {
    LogError("desktop", std::string(what) + ": " + ToStdString(text));
    QtMessageBoxHost host;
    host.ShowTopMost(text, kMbError);
}

}  // namespace

DesktopProgram::DesktopProgram(CommandLine commandLine)
    : commandLine_(std::move(commandLine)),
      simulation_(commandLine_.simulate ? std::make_unique<SimulatedSession>() : nullptr) {}

DesktopProgram::~DesktopProgram() {
    Finish();
    StopWatchingTermination();
}

void DesktopProgram::StopWatchingTermination() {
    if (!terminationConnection_) {
        return;
    }
    QObject::disconnect(terminationConnection_);
    terminationConnection_ = {};
    CTerminationRequest& termination = CTerminationRequest::Instance();
    termination.StopWatching();
    termination.Clear();
}

void DesktopProgram::RequestQuit() {
    quitRequested_ = true;
    // A synchronous command holds the loops until its reply or its time-out: the link closes
    // now, as it would on the way out anyway, which ends the request at once.
    if (IsSynchronousCommandRunning()) {
        if (CThreadCommControler* comm = app_.CommControler()) {
            comm->Disconnect();
        }
    }
    if (loop_ != nullptr) {
        loop_->quit();  // returns once the nested loops of boxes and dialogs have ended
    }
}

int32_t DesktopProgram::Start(const DesktopStartOptions& options) {
    started_ = true;
    WatchTermination();
    if (commandLine_.screenshots) {
        unattended_.emplace();
    }
    int32_t code = ZUL_OK;
    if (simulation_ && !StartSimulation(&code)) {
        return code;
    }
    if (commandLine_.device) {
        SetSerialDeviceOverride(*commandLine_.device);
    }
    ResultInfo result;
    if (app_.Startup(MakeApplicationOptions(options), &result) != ZUL_OK) {
        const std::string& text = app_.StartupFailureText();
        ShowStopBox("start-up failed",
                    text.empty() ? FallbackText(kResUiDefinitionReadError) : ToQString(text));
        app_.Shutdown();
        finished_ = true;
        return result.code != ZUL_OK ? result.code : ZUL_ERR;
    }

    RegisterDesktopWindows();
    FetchDefaultPrinter();
    // The splash covers the building of the main window.
    if (options.showSplash && !commandLine_.screenshots) {
        ShowSplash();
    }
    main_ = std::make_unique<CMainWindow>(app_, sink_);
    main_->show();
    return ZUL_OK;
}

void DesktopProgram::WatchTermination() {
    // From here on SIGINT and SIGTERM end the program in its normal order; a box of the
    // start-up is closed as well.
    if (terminationConnection_) {
        return;
    }
    CTerminationRequest& termination = CTerminationRequest::Instance();
    termination.WatchSignals();
    terminationConnection_ = QObject::connect(&termination, &CTerminationRequest::Requested,
                                              &termination, [this] { RequestQuit(); });
}

bool DesktopProgram::StartSimulation(int32_t* code) {
    ResultInfo info;
    if (simulation_->Start(&info) == ZUL_OK) {
        return true;
    }
    ShowStopBox("simulated controller did not start",
                ToQString(SimulatedSession::FailureText(info)));
    simulation_.reset();
    *code = info.code != ZUL_OK ? info.code : ZUL_ERR;
    return false;
}

ApplicationOptions DesktopProgram::MakeApplicationOptions(const DesktopStartOptions& options) {
    ApplicationOptions appOptions;
    appOptions.uiDefinitionPath = options.uiDefinitionPath;
    appOptions.commandLineFile = commandLine_.settingsFile;
    // A simulated run leaves the user's file types alone as well.
    appOptions.registerDataFileTypes = options.registerDataFileTypes && !simulation_;
    appOptions.window = &sink_;
    appOptions.beforeThreads = [this](SettingsStore& store) {
        if (simulation_) {
            SimulatedSession::ApplyLinkSettings(store);
        } else if (commandLine_.device) {
            // For this run only: the file's choice comes back before the settings are written.
            fileCommunicationType_ = store.GetInt<kSoftCommunicationType>();
            store.SetInt<kSoftCommunicationType>(kCommunicationRs232c);
        }
    };
    return appOptions;
}

void DesktopProgram::ShowSplash() {
    const QPixmap picture = CSplashScreen::LoadPicture(
        ToQString(ResolveImageFolder(app_.Store().GetText<kAppImageFolder>())));
    if (!picture.isNull()) {
        (new CSplashScreen(picture))->ShowCentred();
    }
}

int DesktopProgram::Run() {
    if (!main_) {
        return 1;
    }
    int status = 0;
    if (commandLine_.screenshots) {
        status = WriteScreenshots(*main_, ToQString(*commandLine_.screenshots));
    } else if (!quitRequested_) {
        QEventLoop loop;
        QObject::connect(main_.get(), &CMainWindow::Closed, &loop, &QEventLoop::quit);
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
    }
    if (quitRequested_ && main_ && main_->isVisible()) {
        // Asked to end: the main window closes with its usual steps (it asks nothing now).
        main_->close();
    }
    return Finish() == ZUL_OK ? status : 1;
}

int32_t DesktopProgram::Finish() {
    if (finished_ || !started_) {
        return ZUL_OK;
    }
    finished_ = true;
    // The link closes before the threads stop, so nothing reports a lost line on the way out.
    if (app_.Online()) {
        DisconnectController(app_);
    }
    RecentFiles recent;
    if (main_) {
        recent = main_->Recent();
        main_.reset();  // takes its values, closes the child windows
    }
    if (fileCommunicationType_) {
        app_.Store().SetInt<kSoftCommunicationType>(*fileCommunicationType_);
    }
    ResultInfo result;
    const int32_t code = app_.Shutdown(&result);
    if (code != ZUL_OK) {
        ShowStopBox("shut-down failed", ToQString(ResultText(app_.Ui(), result)));
    } else if (app_.SavedAtExit()) {
        recent.Write(app_.DefaultSettingsFile());
    }
    if (commandLine_.device) {
        SetSerialDeviceOverride("");
    }
    simulation_.reset();
    StopWatchingTermination();
    return code;
}

}  // namespace zul::ui

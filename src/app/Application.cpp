// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/AppMessages.h"
#include "app/DataFileTypes.h"
#include "app/UsbControllerLister.h"
#include "app/Version.h"
#include "base/Paths.h"
#include "link/MessageThread.h"
#include "link/ThreadCommControler.h"
#include "link/ThreadLog.h"
#include "link/ThreadRawComm.h"
#include "settings/MessageBox.h"
#include "settings/SafeFile.h"
#include "settings/SettingItem.h"

namespace zul {

namespace {

std::string FormatFullVersion() {
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(kVersionMajor),
                  static_cast<unsigned>(kVersionMinor), static_cast<unsigned>(kVersionPatch), 0u);
    return text;
}

std::string FormatShortVersion() {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u", static_cast<unsigned>(kVersionMajor),
                  static_cast<unsigned>(kVersionMinor));
    return text;
}

}  // namespace

Application::Application() = default;

Application::~Application() {
    Shutdown();
}

int32_t Application::Startup(const ApplicationOptions& options, ResultInfo* result) {
    ClearResult(result);
    ResultInfo local;
    ResultInfo* info = result != nullptr ? result : &local;
    options_ = options;
    startupRan_ = true;
    failureText_.clear();

    // The UI definition holds every text, so without it only the fixed text can be shown.
    std::string uiPath =
        options_.uiDefinitionPath.empty() ? UiDefinition::DefaultPath() : options_.uiDefinitionPath;
    if (ui_.Load(uiPath, info) != ZUL_OK) {
        failureText_ = kUiDefinitionReadErrorText;
        return info->code;
    }

    UsbControllerLister lister(options_.ftdi);
    if (options_.registerDataFileTypes) {
        RegisterDataFileTypes(".bfd");
        RegisterDataFileTypes(".lwd");
    }

    store_.ResetToDefaults(ui_);
    defaultSettingsPath_ = store_.GetFilePath();
    {
        std::lock_guard lock(usbMutex_);
        store_.PromoteUsbDevice(lister, usbControllers_, false);
    }
    if (!options_.commandLineFile.empty() && IsSettingsFileName(options_.commandLineFile)) {
        store_.SetFilePath(AppDataPath(options_.commandLineFile));
    }

    registry_ = std::make_unique<SettingsFileRegistry>(options_.registryFolder);
    const bool registryOpen = registry_->Open();
    const std::string path = store_.GetFilePath();
    if (options_.reserveSettingsFile && !registryOpen) {
        // Whether another instance holds the file cannot be known: say why, not "in use".
        SetFileResult(info, ZUL_ERR_OS_FILE_WRITE, registry_->OpenError(), registry_->Folder());
        failureText_ = ResultText(ui_, *info);
        return info->code;
    }
    if (options_.reserveSettingsFile) {
        if (!registry_->ReserveSettingsFile(path)) {
            SetResult(info, ZUL_ERR_INI_FILE_LOCKED, 0, FileNameWithExtension(path));
            failureText_ = ResultText(ui_, *info);
            return info->code;
        }
        reservedPath_ = path;
    }

    if (options_.loadSettings) {
        ResultInfo load;
        SettingsLoadReport report;
        // A file named on the command line that is there but holds no settings, or was cut
        // short, is refused rather than shown under its name with default values; a missing
        // one is a new file.
        std::error_code exists;
        const bool named =
            !options_.commandLineFile.empty() && std::filesystem::exists(path, exists);
        if (store_.Load(&load, {}, &report) == ZUL_OK && named) {
            if (report.HoldsNoSettings()) {
                SetResult(&load, ZUL_ERR_INI_FILE_READ, 0, path, std::string(kHoldsNoSettings));
            } else if (report.CutShort()) {
                SetResult(&load, ZUL_ERR_INI_FILE_READ, 0, path, CutShortReason(report));
            }
        }
        if (!load.Ok()) {
            SetResult(info, ZUL_ERR_INI_FILE_READ, load.osError, FileNameWithExtension(path),
                      load.detail2);
            failureText_ = ResultText(ui_, *info);
            return info->code;
        }
        settingsLoaded_ = true;
        store_.MarkSaved();
    }

    ApplyVersionOptions();
    micron_ = ReadMicronMode(ui_, store_.GetInt<kSoftMeasUnit>());
    ui_.ApplyMicronMode(micron_.active, micron_.unit);
    ReconnectSettings reconnect = ReadReconnectSettings(ui_);
    environment_.SetReconnectSettings(reconnect.time, reconnect.retry);

    if (options_.beforeThreads) {
        options_.beforeThreads(store_);
    }
    StartWorkerThreads();

    fullVersion_ = FormatFullVersion();
    shortVersion_ = FormatShortVersion();
    LogLine(std::string("START, ") + kProductTitle + ", version " + fullVersion_);
    return ZUL_OK;
}

int32_t Application::Shutdown(ResultInfo* result) {
    ClearResult(result);
    if (shutdownDone_ || !startupRan_) {
        return ZUL_OK;
    }
    shutdownDone_ = true;
    if (threadsStarted_) {
        StopWorkerThreads();
        threadsStarted_ = false;
    }
    int32_t code = ZUL_OK;
    if (settingsLoaded_) {
        if (options_.saveAtExit && MayWriteDefaultFile()) {
            ResultInfo save;
            if (store_.Save(&save, defaultSettingsPath_) != ZUL_OK) {
                code = SetResult(result, ZUL_ERR_INI_FILE_WRITE, save.osError,
                                 FileNameWithExtension(defaultSettingsPath_), save.detail2);
            } else {
                savedAtExit_ = true;
            }
        }
        settingsLoaded_ = false;
    }
    if (defaultHeldForExit_ && registry_) {
        registry_->ReleaseSettingsFile(defaultSettingsPath_);
        defaultHeldForExit_ = false;
    }
    if (!reservedPath_.empty() && registry_) {
        registry_->ReleaseSettingsFile(reservedPath_);
        reservedPath_.clear();
    }
    registry_.reset();
    return code;
}

bool Application::MayWriteDefaultFile() {
    // The default file is written at exit by the instance that holds it, or by an instance on
    // another file while no running instance holds the default one; it is held until the
    // reservations are withdrawn, so that no instance starts on it in between.
    if (!options_.reserveSettingsFile ||
        CanonicalPath(reservedPath_) == CanonicalPath(defaultSettingsPath_)) {
        return true;
    }
    if (!registry_) {
        return false;
    }
    defaultHeldForExit_ = registry_->ReserveSettingsFile(defaultSettingsPath_);
    return defaultHeldForExit_;
}

void Application::ApplyVersionOptions() {
    environment_.SetFirmwareVersion(kUnknownFirmwareVersion);
    thresholds_ = ReadVersionThresholds(ui_);
    for (size_t i = 0; i < thresholds_.size(); ++i) {
        environment_.SetVersionThreshold(i, thresholds_[i]);
    }
    ApplyVersionRules();
}

void Application::ApplyVersionRules() {
    uint32_t version = environment_.FirmwareVersion();
    ui_.ApplyControllerVersion(version);
    ui_.RestrictBufferModeChoices(version, thresholds_[0], thresholds_[3]);
}

void Application::SetFirmwareVersion(uint32_t version) {
    uint16_t word = static_cast<uint16_t>(version > 0xFFFF ? 0xFFFF : version);
    if (word == environment_.FirmwareVersion()) {
        return;
    }
    environment_.SetFirmwareVersion(word);
    ApplyVersionRules();
    if (options_.window != nullptr) {
        for (uint32_t id : {kWmReapplyUiDefinition, kWmReapplyUiVersion}) {
            std::unique_ptr<MessagePayload> none;
            options_.window->PostWindowMessage(id, 0, 0, none);
        }
    }
}

std::vector<std::string> Application::UsbControllers() const {
    std::lock_guard lock(usbMutex_);
    return usbControllers_;
}

void Application::RefreshUsbControllers() {
    UsbControllerLister lister(options_.ftdi);
    std::lock_guard lock(usbMutex_);
    store_.PromoteUsbDevice(lister, usbControllers_, false);
}

void Application::SetConnectionState(int32_t state) {
    store_.SetInt<kCtrlLineState>(state);
    if (lightWave_) {
        lightWave_->SetLineState(state);
    }
    if (buffering_) {
        buffering_->SetLineState(state);
    }
}

void Application::ReplaceSettings(const SettingsStore& values) {
    if (&values == &store_) {
        return;
    }
    auto lock = store_.Lock();
    const int32_t lineState = store_.GetInt<kCtrlLineState>();
    const std::string type = store_.GetText<kCtrlType>();
    const std::string version = store_.GetText<kCtrlVersion>();
    const std::string sensorA = store_.GetText<kCtrlSensorA>();
    const std::string sensorB = store_.GetText<kCtrlSensorB>();
    store_ = values;
    store_.SetInt<kCtrlLineState>(lineState);
    store_.SetText<kCtrlType>(type);
    store_.SetText<kCtrlVersion>(version);
    store_.SetText<kCtrlSensorA>(sensorA);
    store_.SetText<kCtrlSensorB>(sensorB);
}

bool Application::ReserveSettingsFile(const std::string& path) {
    if (!registry_) {
        registry_ = std::make_unique<SettingsFileRegistry>(options_.registryFolder);
    }
    return registry_->ReserveSettingsFile(path);
}

void Application::AdoptReservation(const std::string& path) {
    if (CanonicalPath(path) == CanonicalPath(reservedPath_)) {
        return;
    }
    if (!reservedPath_.empty() && registry_) {
        registry_->ReleaseSettingsFile(reservedPath_);
    }
    reservedPath_ = path;
}

bool Application::ReleaseSettingsFile(const std::string& path) {
    return registry_ && registry_->ReleaseSettingsFile(path);
}

std::vector<MessageThread*> Application::DataThreads() {
    // In start order: measurement, light-wave, buffering.
    std::vector<MessageThread*> threads;
    for (MessageThread* thread : {static_cast<MessageThread*>(measurement_.get()),
                                  static_cast<MessageThread*>(lightWave_.get()),
                                  static_cast<MessageThread*>(buffering_.get())}) {
        if (thread != nullptr) {
            threads.push_back(thread);
        }
    }
    return threads;
}

void Application::StartWorkerThreads() {
    log_ = std::make_unique<CThreadLog>(logSettings_);
    log_->Start();
    SetLogThread(log_.get());

    raw_ = std::make_unique<CThreadRawComm>(linkSettings_, environment_, options_.window,
                                            options_.ftdi);
    raw_->Start();
    comm_ = std::make_unique<CThreadCommControler>(*raw_, linkSettings_, environment_);
    comm_->Start();

    // The data threads start after the communication threads: measurement, light-wave,
    // buffering.
    measurement_ = std::make_unique<CThreadMeasurement>(*comm_, store_);
    measurement_->Start();
    lightWave_ = std::make_unique<CThreadLightWave>(*comm_, environment_);
    lightWave_->Start();
    buffering_ = std::make_unique<CThreadBuffering>(*comm_, environment_);
    buffering_->Start();
    buffering_->SetLineState(LineState());
    lightWave_->SetLineState(LineState());
    threadsStarted_ = true;
}

void Application::StopWorkerThreads() {
    // Every thread is asked to stop first, in the documented order, and only then joined in the
    // same order. A stop drains the queue and runs OnStop; no handler of these threads blocks
    // on anything but a thread later in the chain or a bounded poll, and a request to a
    // stopping thread fails at once instead of waiting, so every join ends.
    std::vector<MessageThread*> data = DataThreads();
    for (MessageThread* thread : data) {
        thread->RequestStop();
    }
    if (comm_) {
        comm_->SetStopping();
        comm_->RequestStop();
    }
    if (raw_) {
        raw_->SetStopping();
        raw_->RequestStop();
    }
    for (MessageThread* thread : data) {
        thread->Join();
    }
    if (comm_) {
        comm_->Join();
    }
    if (raw_) {
        raw_->Join();
    }
    // The log thread goes last so that the others can log until they end.
    SetLogThread(nullptr);
    if (log_) {
        log_->Stop();
    }
    // The data threads go after the controller has been joined: until then it may still hand
    // them a finished request (which their refused post then destroys).
    comm_.reset();
    buffering_.reset();
    lightWave_.reset();
    measurement_.reset();
    raw_.reset();
    log_.reset();
}

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// The one application object every front end shares: it owns the settings store, the UI
// definition, the worker threads, the option records, the firmware version with its threshold
// list and the reservation of the settings file, and runs the start-up and shutdown steps in
// their fixed order. The desktop program adds its windows on top; qvm8ctl uses it without any.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/OptionSections.h"
#include "app/SettingsFileRegistry.h"
#include "app/StoreSources.h"
#include "base/ResultInfo.h"
#include "buffering/ThreadBuffering.h"
#include "lightwave/ThreadLightWave.h"
#include "link/LinkEnvironment.h"
#include "link/WindowPost.h"
#include "measurement/ThreadMeasurement.h"
#include "settings/MicronMode.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"

namespace zul {

class CThreadCommControler;
class CThreadLog;
class CThreadRawComm;
class FtdiLibrary;
class MessageThread;

// The text shown when the UI definition cannot be read (the texts of the file are unavailable
// then).
inline constexpr const char* kUiDefinitionReadErrorText =
    "Resource file read error. Or file is broken.";

struct ApplicationOptions {
    std::string uiDefinitionPath;  // empty: UiDefinition::DefaultPath()
    std::string commandLineFile;   // a settings file named on the command line (".zul" only)
    // The desktop program reserves its settings file for the whole run, loads it and writes the
    // settings to the default file at exit; a command-line tool may do none of that.
    bool reserveSettingsFile = true;
    bool loadSettings = true;
    bool saveAtExit = true;
    bool registerDataFileTypes = true;
    std::string registryFolder;    // empty: RegistryFolder()
    WindowSink* window = nullptr;  // the main window's message sink, if any
    FtdiLibrary* ftdi = nullptr;   // null: the process-wide USB library
    // Runs after the settings are read and before the worker threads start (for example to
    // apply settings given on a command line for this run only).
    std::function<void(SettingsStore&)> beforeThreads;
};

class Application {
public:
    Application();
    ~Application();  // runs Shutdown when it has not run yet
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the start-up steps. On failure the steps done so far are undone by Shutdown (which
    // the caller still runs), StartupFailureText() holds the text to show and the result code
    // is returned.
    int32_t Startup(const ApplicationOptions& options, ResultInfo* result = nullptr);
    const std::string& StartupFailureText() const { return failureText_; }

    // Stops the worker threads (data threads first, then the communication controller, the raw
    // communication thread and the log thread; each is joined), writes the settings to the
    // default settings file when they were loaded and the options ask for it, and withdraws the
    // reservation. An instance on another file writes the default file only while no running
    // instance holds it, so that it never overwrites the settings of the instance that does.
    // Returns ZUL_ERR_INI_FILE_WRITE when the settings could not be written. Runs once; later calls
    // return ZUL_OK.
    int32_t Shutdown(ResultInfo* result = nullptr);

    // True when Shutdown wrote the settings to the default settings file.
    bool SavedAtExit() const { return savedAtExit_; }

    SettingsStore& Store() { return store_; }
    const UiDefinition& Ui() const { return ui_; }
    UiDefinition& MutableUi() { return ui_; }
    LinkEnvironment& Environment() { return environment_; }

    // Worker threads; null before start-up and after shutdown.
    CThreadLog* LogThread() { return log_.get(); }
    CThreadRawComm* RawComm() { return raw_.get(); }
    CThreadCommControler* CommControler() { return comm_.get(); }
    CThreadMeasurement* Measurement() { return measurement_.get(); }
    CThreadLightWave* LightWave() { return lightWave_.get(); }
    CThreadBuffering* Buffering() { return buffering_.get(); }
    bool ThreadsStarted() const { return threadsStarted_; }

    // Firmware version of the connected controller (0xFFFF before the first connection).
    uint32_t FirmwareVersion() const { return environment_.FirmwareVersion(); }
    // Stores a new version, re-applies the version rules of the UI definition and posts the two
    // re-apply notifications to the main window. Nothing happens when the version is unchanged.
    void SetFirmwareVersion(uint32_t version);
    const VersionThresholds& Thresholds() const { return thresholds_; }
    // True when the firmware version reaches threshold entry (0-based).
    bool IsVersionAtLeast(size_t entry) const {
        return environment_.IsVersionAtLeastThreshold(entry);
    }

    const MicronMode& Micron() const { return micron_; }
    ReconnectSettings Reconnect() const {
        return {environment_.ReconnectTime(), environment_.ReconnectRetry()};
    }
    int32_t ReconnectMode() const { return environment_.ReconnectMode(); }
    void SetReconnectMode(int32_t on) { environment_.SetReconnectMode(on); }

    // "major.minor.patch.build" and "major.minor" of the program ("*.*.*.*"/"*.*" by default).
    const std::string& FullVersion() const { return fullVersion_; }
    const std::string& ShortVersion() const { return shortVersion_; }

    // The attached USB controllers (identification texts), refreshed by RefreshUsbControllers.
    std::vector<std::string> UsbControllers() const;
    // Refreshes the list and puts the remembered controller first.
    void RefreshUsbControllers();

    // LineState := state, and the data threads that follow the connection are told.
    void SetConnectionState(int32_t state);
    // The connection state (the store's LineState: 0 not connected, 1 connected). The one
    // place front ends read it; SetConnectionState is the one place it changes.
    int32_t LineState() const { return store_.GetInt<kCtrlLineState>(); }
    bool Online() const { return LineState() != 0; }

    // The main store takes the settings of values (a settings file read into a copy, the
    // result of a settings transfer). The run-time values of the connection stay as they are:
    // the line state and the identity of the connected controller (type, version, sensors),
    // which no file holds and which may have changed since the copy was taken.
    void ReplaceSettings(const SettingsStore& values);

    // The settings-file registry of this instance.
    bool ReserveSettingsFile(const std::string& path);
    bool ReleaseSettingsFile(const std::string& path);
    const std::string& ReservedSettingsFile() const { return reservedPath_; }
    // Makes path, which this instance has just reserved, its reserved settings file and
    // withdraws the previous reservation (no gap in which another instance could take path).
    void AdoptReservation(const std::string& path);
    const std::string& DefaultSettingsFile() const { return defaultSettingsPath_; }

    // The sources the link layer reads from the settings store.
    StoreLinkSettings& LinkSettingsFromStore() { return linkSettings_; }
    StoreControllerState& ControllerStateFromStore() { return controllerState_; }

private:
    // True when the settings may be written to the default file at exit (see Shutdown).
    bool MayWriteDefaultFile();
    void ApplyVersionOptions();
    void ApplyVersionRules();
    void StartWorkerThreads();
    void StopWorkerThreads();
    // The data threads in their start order (measurement, light-wave, buffering).
    std::vector<MessageThread*> DataThreads();

    SettingsStore store_;
    UiDefinition ui_;
    ApplicationOptions options_;
    bool startupRan_ = false;
    bool shutdownDone_ = false;
    bool settingsLoaded_ = false;
    bool threadsStarted_ = false;

    LinkEnvironment environment_;
    StoreLinkSettings linkSettings_{store_};
    StoreControllerState controllerState_{store_};
    StoreLogSettings logSettings_{store_};
    std::unique_ptr<CThreadLog> log_;
    std::unique_ptr<CThreadRawComm> raw_;
    std::unique_ptr<CThreadCommControler> comm_;
    std::unique_ptr<CThreadMeasurement> measurement_;
    std::unique_ptr<CThreadLightWave> lightWave_;
    std::unique_ptr<CThreadBuffering> buffering_;

    std::string fullVersion_ = "*.*.*.*";
    std::string shortVersion_ = "*.*";
    mutable std::mutex usbMutex_;
    std::vector<std::string> usbControllers_;
    VersionThresholds thresholds_ = kDefaultVersionThresholds;
    MicronMode micron_;

    std::unique_ptr<SettingsFileRegistry> registry_;
    std::string reservedPath_;
    std::string defaultSettingsPath_;
    bool defaultHeldForExit_ = false;
    bool savedAtExit_ = false;
    std::string failureText_;
};

}  // namespace zul

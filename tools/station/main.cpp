// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8-station: one headless process per controller on a production line, publishing the
// controller's status, measured values, settings drift and buffered values to an MQTT broker.
//
// Everything that can be wrong with the station's own input (options, configuration file,
// reference file, password and CA files, state folder) and with the broker (unreachable,
// refused login, TLS) ends the program with a message before anything is published; only then
// does the station thread start. Exit status: 0 after SIGTERM or SIGINT, 64 for a usage or
// configuration error, 66 for an input file that cannot be read, 69 for a broker that cannot be
// reached or whose TLS fails, 73 for a state folder that cannot be used, 77 for a refused login,
// and the result code (1..35) of a core that cannot start.
#include <fcntl.h>
#include <mosquitto.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "MqttClient.h"
#include "Outbox.h"
#include "Station.h"
#include "StationLog.h"
#include "StationOptions.h"
#include "StationPayloads.h"
#include "StationState.h"
#include "app/Application.h"
#include "link/LinkSettings.h"
#include "link/SerialPortName.h"
#include "link/TraceEscape.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"

using namespace zul;
using namespace zul::station;

namespace {

namespace fs = std::filesystem;

constexpr int kExitNoInput = 66;
constexpr int kExitUnavailable = 69;
constexpr int kExitCantCreate = 73;
constexpr int kExitNoPermission = 77;

// How long the broker has to accept the first connection.
constexpr int kFirstConnectLimitMs = 15000;
// How long a stopping station waits for the broker to take its offline status.
constexpr std::chrono::milliseconds kOfflineLimit(3000);

// --trace: each trace and diagnostic line of the link on standard error, after the local time.
void PrintTraceLine(std::string_view line) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    std::fprintf(stderr, "%02d:%02d:%02d.%03ld %.*s\n", local.tm_hour, local.tm_min, local.tm_sec,
                 now.tv_nsec / 1000000, static_cast<int>(line.size()), line.data());
    std::fflush(stderr);
}

// The link settings the options name, written into the store for this run only (nothing is
// saved: the station writes no settings file).
void ApplyLinkOptions(const StationOptions& options, SettingsStore& store) {
    auto lock = store.Lock();
    if (options.device) {
        store.SetInt<kSoftCommunicationType>(kCommunicationRs232c);
    }
    if (options.usb) {
        store.SetInt<kSoftCommunicationType>(kCommunicationUsb);
        store.SetText<kSoftUsbConnect>(*options.usb);
    }
    const std::pair<const std::optional<int32_t>*, int32_t> items[] = {
        {&options.baud, kSoftRs232cBaudrate},
        {&options.dataLength, kSoftRs232cDateLen},
        {&options.parity, kSoftRs232cParity},
        {&options.bcc, kSoftRs232cBCC},
        {&options.timeout, kSoftRs232cTimeout}};
    for (const auto& [value, id] : items) {
        if (value->has_value()) {
            store.SetInt(id, **value);
        }
    }
}

// The link's notices for a main window, handed to the station once it exists.
class DeviceErrorSink final : public WindowSink {
public:
    void Attach(Station* station) { station_.store(station); }
    bool PostWindowMessage(uint32_t id, int64_t wParam, int64_t lParam,
                           std::unique_ptr<MessagePayload>& payload) override {
        Station* station = station_.load();
        if (station == nullptr) {
            payload.reset();
            return true;
        }
        return station->PostWindowMessage(id, wParam, lParam, payload);
    }

private:
    std::atomic<Station*> station_{nullptr};
};

int Fail(int status, const std::string& text) {
    Log(LogLevel::kError, text);
    return status;
}

bool ReadPassword(const std::string& path, std::string& password, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the password file " + path + ": " + std::strerror(errno);
        return false;
    }
    std::getline(in, password);
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    if (password.empty()) {
        error = "the password file " + path + " holds no password on its first line";
        return false;
    }
    return true;
}

bool LoadReference(const StationOptions& options, SettingsStore& store, std::string& error) {
    std::error_code ec;
    if (!fs::is_regular_file(options.reference, ec)) {
        error = "cannot read the reference file " + options.reference + ": " +
                (fs::exists(options.reference, ec) ? "not a file" : std::strerror(ENOENT));
        return false;
    }
    ResultInfo load;
    SettingsLoadReport report;
    if (store.Load(&load, options.reference, &report) != ZUL_OK) {
        error = "cannot read the reference file " + options.reference + ": " +
                (load.detail2.empty() ? std::strerror(load.osError) : load.detail2);
        return false;
    }
    if (report.bankValues + report.systemValues == 0) {
        error = "the reference file " + options.reference + " holds no controller settings";
        return false;
    }
    return true;
}

// The state folder, held by this process alone for its whole run.
bool LockStateFolder(const std::string& folder, int& fd, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "cannot create the state folder " + folder + ": " + ec.message();
        return false;
    }
    fd = ::open((folder + "/lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot use the state folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK
                    ? "another station runs on the state folder " + folder
                    : "cannot lock the state folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Signals are blocked in every thread and taken through a descriptor.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    const int signalFd = ::signalfd(-1, &signals, SFD_CLOEXEC);

    StationOptions options;
    std::string error;
    if (!ParseStationOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "qvm8-station: %s\n%s", error.c_str(), StationUsageText().c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::printf("%s", StationUsageText().c_str());
        return 0;
    }
    SetLogName(options.id);

    std::string password;
    if (!options.passwordFile.empty() && !ReadPassword(options.passwordFile, password, error)) {
        return Fail(kExitNoInput, error);
    }
    if (!options.cafile.empty() && ::access(options.cafile.c_str(), R_OK) != 0) {
        return Fail(kExitNoInput,
                    "cannot read the CA file " + options.cafile + ": " + std::strerror(errno));
    }
    const std::string stateFolder = StateFolderOf(options);
    int lockFd = -1;
    if (!LockStateFolder(stateFolder, lockFd, error)) {
        return Fail(kExitCantCreate, error);
    }
    Outbox outbox;
    std::vector<std::string> setAside;
    if (!outbox.Open(stateFolder + "/outbox", error, &setAside)) {
        return Fail(kExitCantCreate, "cannot use the queue folder: " + error);
    }
    for (const std::string& path : setAside) {
        Log(LogLevel::kWarning, "a damaged queued message is set aside as " + path + ".bad");
    }
    StationState state;
    if (!state.Open(stateFolder, error)) {
        return Fail(kExitCantCreate, error);
    }

    // The core, as qvm8ctl runs it: no settings file is reserved or written.
    DeviceErrorSink sink;
    ApplicationOptions appOptions;
    appOptions.commandLineFile = options.settingsFile;
    appOptions.reserveSettingsFile = false;
    appOptions.saveAtExit = false;
    appOptions.registerDataFileTypes = false;
    appOptions.window = &sink;
    appOptions.beforeThreads = [&options](SettingsStore& store) {
        ApplyLinkOptions(options, store);
    };
    if (options.device) {
        SetSerialDeviceOverride(*options.device);
    }
    if (options.trace) {
        SetTraceTap(PrintTraceLine);
    }
    Application app;
    ResultInfo result;
    if (app.Startup(appOptions, &result) != ZUL_OK) {
        std::string text = app.StartupFailureText();
        app.Shutdown();
        return Fail(result.code != ZUL_OK ? result.code : ZUL_ERR,
                    "cannot start: " + (text.empty() ? std::string(ResultKey(result.code)) : text));
    }
    std::unique_ptr<SettingsStore> reference;
    if (!options.reference.empty()) {
        reference = std::make_unique<SettingsStore>(app.Store());
        if (!LoadReference(options, *reference, error)) {
            app.Shutdown();
            return Fail(kExitNoInput, error);
        }
    }

    // The broker must accept the station before anything is published.
    MqttClient mqtt;
    Station station(options, app, mqtt, outbox, state, reference.get());
    sink.Attach(&station);
    const int gateFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // CONNACK code, 1000 + the code of a lost connection, or kLoggedError.
    constexpr int kLoggedError = 2000;
    std::atomic<int> firstOutcome{-1};
    auto settle = [&](int outcome) {
        int none = -1;
        if (firstOutcome.compare_exchange_strong(none, outcome)) {
            uint64_t one = 1;
            ssize_t n = ::write(gateFd, &one, sizeof one);
            (void)n;
        }
    };
    MqttEvents events;
    events.connected = [&](int code) {
        settle(code);
        station.OnMqttConnected(code);
    };
    events.disconnected = [&](int code) {
        settle(1000 + code);
        station.OnMqttDisconnected(code);
    };
    events.published = [&](int mid) { station.OnMqttPublished(mid); };
    events.logError = [&](const std::string&) { settle(kLoggedError); };
    MqttSettings settings;
    settings.host = options.brokerHost;
    settings.port = options.BrokerPort();
    settings.clientId = "qvm8-station-" + options.id;
    settings.username = options.username;
    settings.password = password;
    settings.cafile = options.cafile;
    settings.willTopic = options.TopicPrefix() + "status";
    settings.willPayload = OfflinePayload();
    auto abandon = [&](int status, const std::string& text) {
        mqtt.Stop();
        sink.Attach(nullptr);
        app.Shutdown();
        SetTraceTap({});
        return Fail(status, text);
    };
    if (!mqtt.Start(settings, events, error)) {
        return abandon(kExitUnavailable, error);
    }
    const std::string where = options.brokerHost + ":" + std::to_string(options.BrokerPort());
    pollfd waits[2] = {{signalFd, POLLIN, 0}, {gateFd, POLLIN, 0}};
    int ready = ::poll(waits, 2, kFirstConnectLimitMs);
    if (ready > 0 && (waits[0].revents & POLLIN)) {
        mqtt.Stop();
        sink.Attach(nullptr);
        app.Shutdown();
        return 0;  // stopped before it began
    }
    const int outcome = firstOutcome.load();
    if (outcome == -1) {
        return abandon(kExitUnavailable, "the broker " + where + " did not answer within " +
                                             std::to_string(kFirstConnectLimitMs / 1000) + " s");
    }
    if (outcome >= 1000) {
        std::string why = mqtt.LastLogError();
        if (why.empty()) {
            why =
                MqttClient::ErrorText(outcome == kLoggedError ? MOSQ_ERR_UNKNOWN : outcome - 1000);
        }
        return abandon(
            kExitUnavailable,
            "the connection to the broker " + where + " failed: " + why +
                (options.cafile.empty() ? std::string() : " (CA file " + options.cafile + ")"));
    }
    if (outcome != 0) {
        // 4: bad user name or password, 5: not authorised.
        return abandon(
            outcome == 4 || outcome == 5 ? kExitNoPermission : kExitUnavailable,
            "the broker " + where + " refused the station: " + MqttClient::RefusalText(outcome));
    }

    station.Start();
    Log(LogLevel::kInfo, "publishing under " + options.TopicPrefix() + " on " + where +
                             "; state folder " + stateFolder);
    NotifyReady("broker connected");

    signalfd_siginfo received{};
    while (::read(signalFd, &received, sizeof received) < 0 && errno == EINTR) {
    }
    NotifyStopping();
    Log(LogLevel::kInfo,
        std::string("stopping (") + strsignal(static_cast<int>(received.ssi_signo)) + ")");
    station.Finish(kOfflineLimit);
    mqtt.Stop();
    station.Stop();
    sink.Attach(nullptr);
    app.Shutdown();
    SetTraceTap({});
    ::close(lockFd);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The station's MQTT connection, through libmosquitto: one client with its last will, user
// name and password, and TLS when a CA file is given. libmosquitto runs the network on a thread
// of its own and reconnects by itself with a growing delay (1 s, doubling up to 30 s); the
// events it reports (connected, connection lost, a QoS 1 message acknowledged) go to the
// handlers given at Start, on that thread.
#pragma once

#include <functional>
#include <mutex>
#include <string>

struct mosquitto;

namespace zul::station {

struct MqttSettings {
    std::string host;
    int port = 1883;
    std::string clientId;
    std::string username;  // empty: none
    std::string password;  // with a user name only
    std::string cafile;    // empty: no TLS
    int keepAliveS = 15;
    std::string willTopic;
    std::string willPayload;  // retained, QoS 1
};

struct MqttEvents {
    // The broker accepted (code 0) or refused (the CONNACK code, 1 to 5) the connection.
    std::function<void(int code)> connected;
    // The connection ended (code 0: by Stop).
    std::function<void(int code)> disconnected;
    // A message published with QoS 1 was acknowledged; a QoS 0 message has left.
    std::function<void(int mid)> published;
    // libmosquitto logged an error (a TLS handshake that fails reports nothing else).
    std::function<void(const std::string& text)> logError;
};

class MqttClient {
public:
    MqttClient();
    ~MqttClient();
    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // Sets everything up and starts connecting; the outcome arrives as an event. False with a
    // reason when the settings cannot be used (a CA file that is no certificate) or the
    // connection cannot even be started (a host that does not resolve, a refused port).
    bool Start(const MqttSettings& settings, MqttEvents events, std::string& error);
    // Publishes; returns libmosquitto's code (0 on success) and sets mid.
    int Publish(const std::string& topic, const std::string& payload, int qos, bool retain,
                int* mid);
    // Disconnects cleanly (the broker then does not publish the will) and stops the network
    // thread. Safe to call more than once.
    void Stop();

    // The last error or warning libmosquitto logged (TLS failures say why here).
    std::string LastLogError() const;

    // Texts for the codes of libmosquitto and of a refused connection.
    static std::string ErrorText(int code);
    static std::string RefusalText(int code);

private:
    static void OnConnect(mosquitto*, void* self, int code);
    static void OnDisconnect(mosquitto*, void* self, int code);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnLog(mosquitto*, void* self, int level, const char* text);

    mosquitto* handle_ = nullptr;
    MqttEvents events_;
    bool running_ = false;
    mutable std::mutex logMutex_;
    std::string lastLogError_;
};

}  // namespace zul::station

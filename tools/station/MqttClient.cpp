// SPDX-License-Identifier: GPL-3.0-or-later
#include "MqttClient.h"

#include <mosquitto.h>

#include <cerrno>
#include <cstring>

namespace zul::station {

namespace {

constexpr unsigned kFirstRetryS = 1;
constexpr unsigned kLongestRetryS = 30;
constexpr int kInflightMessages = 20;

}  // namespace

MqttClient::MqttClient() = default;

MqttClient::~MqttClient() {
    Stop();
    if (handle_ != nullptr) {
        mosquitto_destroy(handle_);
    }
}

bool MqttClient::Start(const MqttSettings& s, MqttEvents events, std::string& error) {
    events_ = std::move(events);
    handle_ = mosquitto_new(s.clientId.c_str(), true, this);
    if (handle_ == nullptr) {
        error = "cannot create the MQTT client: " + std::string(std::strerror(errno));
        return false;
    }
    mosquitto_connect_callback_set(handle_, &MqttClient::OnConnect);
    mosquitto_disconnect_callback_set(handle_, &MqttClient::OnDisconnect);
    mosquitto_publish_callback_set(handle_, &MqttClient::OnPublish);
    mosquitto_log_callback_set(handle_, &MqttClient::OnLog);
    int rc =
        mosquitto_will_set(handle_, s.willTopic.c_str(), static_cast<int>(s.willPayload.size()),
                           s.willPayload.data(), 1, true);
    if (rc == MOSQ_ERR_SUCCESS && !s.username.empty()) {
        rc = mosquitto_username_pw_set(handle_, s.username.c_str(),
                                       s.password.empty() ? nullptr : s.password.c_str());
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        error = "cannot set up the MQTT client: " + ErrorText(rc);
        return false;
    }
    if (!s.cafile.empty()) {
        rc = mosquitto_tls_set(handle_, s.cafile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = "cannot use the CA file " + s.cafile + ": " +
                    (rc == MOSQ_ERR_INVAL ? std::string("it cannot be read") : ErrorText(rc));
            return false;
        }
    }
    mosquitto_reconnect_delay_set(handle_, kFirstRetryS, kLongestRetryS, true);
    mosquitto_max_inflight_messages_set(handle_, kInflightMessages);
    errno = 0;
    rc = mosquitto_connect_async(handle_, s.host.c_str(), s.port, s.keepAliveS);
    int osError = errno;
    if (rc != MOSQ_ERR_SUCCESS) {
        std::string where = s.host + ":" + std::to_string(s.port);
        if (rc == MOSQ_ERR_ERRNO) {
            error = "cannot reach the broker " + where + ": " + std::strerror(osError);
        } else if (rc == MOSQ_ERR_EAI) {
            error = "cannot find the broker's address " + s.host;
        } else if (rc == MOSQ_ERR_TLS) {
            std::string why = LastLogError();
            error = "TLS with the broker " + where + " failed" +
                    (why.empty() ? std::string() : ": " + why) + " (CA file " + s.cafile + ")";
        } else {
            error = "cannot connect to the broker " + where + ": " + ErrorText(rc);
        }
        return false;
    }
    rc = mosquitto_loop_start(handle_);
    if (rc != MOSQ_ERR_SUCCESS) {
        error = "cannot start the MQTT network thread: " + ErrorText(rc);
        return false;
    }
    running_ = true;
    return true;
}

int MqttClient::Publish(const std::string& topic, const std::string& payload, int qos, bool retain,
                        int* mid) {
    if (handle_ == nullptr) {
        return MOSQ_ERR_INVAL;
    }
    return mosquitto_publish(handle_, mid, topic.c_str(), static_cast<int>(payload.size()),
                             payload.data(), qos, retain);
}

void MqttClient::Stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    mosquitto_disconnect(handle_);
    // Between two reconnect attempts the network thread may be waiting out its delay; it
    // does not need to finish that.
    mosquitto_loop_stop(handle_, true);
}

std::string MqttClient::LastLogError() const {
    std::lock_guard lock(logMutex_);
    return lastLogError_;
}

std::string MqttClient::ErrorText(int code) {
    return mosquitto_strerror(code);
}

std::string MqttClient::RefusalText(int code) {
    return mosquitto_connack_string(code);
}

void MqttClient::OnConnect(mosquitto*, void* self, int code) {
    auto* client = static_cast<MqttClient*>(self);
    if (client->events_.connected) {
        client->events_.connected(code);
    }
}

void MqttClient::OnDisconnect(mosquitto*, void* self, int code) {
    auto* client = static_cast<MqttClient*>(self);
    if (client->events_.disconnected) {
        client->events_.disconnected(code);
    }
}

void MqttClient::OnPublish(mosquitto*, void* self, int mid) {
    auto* client = static_cast<MqttClient*>(self);
    if (client->events_.published) {
        client->events_.published(mid);
    }
}

void MqttClient::OnLog(mosquitto*, void* self, int level, const char* text) {
    if ((level & (MOSQ_LOG_ERR | MOSQ_LOG_WARNING)) == 0 || text == nullptr) {
        return;
    }
    auto* client = static_cast<MqttClient*>(self);
    {
        std::lock_guard lock(client->logMutex_);
        client->lastLogError_ = text;
    }
    if ((level & MOSQ_LOG_ERR) != 0 && client->events_.logError) {
        client->events_.logError(text);
    }
}

}  // namespace zul::station

// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for libftdi1 used by the link tests: the same C entry points the USB transport
// binds with dlopen, over a table of pretend bridges that the tests fill and drive through the
// fake_ftdi_* control functions.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Device {
    std::string description;
    std::string serial;
    bool stringsFail = false;
};

struct DeviceListNode {
    DeviceListNode* next;
    void* dev;
};

struct Context {
    int opened = -1;
};

struct Config {
    int baudrate = 0;
    int bits = -1;
    int stopBits = -1;
    int parity = -1;
    int flow = -1;
    int dtr = -1;
    int rts = -1;
    int eventChar = -1;
    int eventEnable = -1;
    int latency = -1;
};

struct State {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<Device> devices;
    Config config;
    std::string rx;
    std::string tx;
    bool unplugged = false;
    int maxWrite = 0;  // 0: no limit
    int openCount = 0;
    int openDevice = -1;
    int writeCalls = 0;
    bool writeFails = false;
};

State& S() {
    static State state;
    return state;
}

constexpr int kDeviceUnavailable = -666;

}  // namespace

extern "C" {

// ---- control functions for the tests ----

void fake_ftdi_reset() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.devices.clear();
    s.config = Config{};
    s.rx.clear();
    s.tx.clear();
    s.unplugged = false;
    s.maxWrite = 0;
    s.openCount = 0;
    s.openDevice = -1;
    s.writeCalls = 0;
    s.writeFails = false;
}

void fake_ftdi_add_device(const char* description, const char* serial, int stringsFail) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.devices.push_back({description, serial, stringsFail != 0});
}

void fake_ftdi_push_rx(const char* data, int length) {
    State& s = S();
    {
        std::lock_guard lock(s.mutex);
        s.rx.append(data, static_cast<size_t>(length));
    }
    s.cv.notify_all();
}

// Waits until at least want bytes have been written (or the time runs out); copies them out
// and removes them. Returns the number of bytes copied.
int fake_ftdi_take_tx(char* out, int want, int timeoutMs) {
    State& s = S();
    std::unique_lock lock(s.mutex);
    s.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                  [&] { return static_cast<int>(s.tx.size()) >= want; });
    int n = std::min(want, static_cast<int>(s.tx.size()));
    std::memcpy(out, s.tx.data(), static_cast<size_t>(n));
    s.tx.erase(0, static_cast<size_t>(n));
    return n;
}

void fake_ftdi_unplug() {
    State& s = S();
    {
        std::lock_guard lock(s.mutex);
        s.unplugged = true;
    }
    s.cv.notify_all();
}

void fake_ftdi_set_max_write(int bytes) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.maxWrite = bytes;
}

void fake_ftdi_set_write_fails(int fails) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.writeFails = fails != 0;
}

// Waits until the library has been asked to write at least count times.
int fake_ftdi_wait_write_calls(int count, int timeoutMs) {
    State& s = S();
    std::unique_lock lock(s.mutex);
    s.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                  [&] { return s.writeCalls >= count; });
    return s.writeCalls;
}

int fake_ftdi_write_calls() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    return s.writeCalls;
}

int fake_ftdi_open_device() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    return s.openDevice;
}

// Which: 0 baudrate, 1 bits, 2 stop bits, 3 parity, 4 flow, 5 dtr, 6 rts, 7 event char,
// 8 event char enabled, 9 latency timer.
int fake_ftdi_config(int which) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    const Config& c = s.config;
    const int values[] = {c.baudrate, c.bits, c.stopBits,  c.parity,      c.flow,
                          c.dtr,      c.rts,  c.eventChar, c.eventEnable, c.latency};
    return which >= 0 && which < 10 ? values[which] : -1;
}

// ---- the library's entry points ----

void* ftdi_new() {
    return new Context;
}

void ftdi_free(void* context) {
    delete static_cast<Context*>(context);
}

int ftdi_usb_find_all(void*, DeviceListNode** list, int, int) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    *list = nullptr;
    DeviceListNode** tail = list;
    for (size_t i = 0; i < s.devices.size(); ++i) {
        auto* node = new DeviceListNode{nullptr, reinterpret_cast<void*>(i + 1)};
        *tail = node;
        tail = &node->next;
    }
    return static_cast<int>(s.devices.size());
}

void ftdi_list_free(DeviceListNode** list) {
    DeviceListNode* node = *list;
    while (node != nullptr) {
        DeviceListNode* next = node->next;
        delete node;
        node = next;
    }
    *list = nullptr;
}

int ftdi_usb_get_strings(void*, void* dev, char* manufacturer, int mnfLen, char* description,
                         int descLen, char* serial, int serialLen) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    size_t index = reinterpret_cast<size_t>(dev) - 1;
    if (index >= s.devices.size() || s.devices[index].stringsFail) {
        return -9;
    }
    auto copy = [](char* out, int length, const std::string& text) {
        if (out == nullptr || length <= 0) {
            return;
        }
        std::strncpy(out, text.c_str(), static_cast<size_t>(length));
    };
    copy(manufacturer, mnfLen, "FTDI");
    copy(description, descLen, s.devices[index].description);
    copy(serial, serialLen, s.devices[index].serial);
    return 0;
}

int ftdi_usb_open_dev(void* context, void* dev) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    size_t index = reinterpret_cast<size_t>(dev) - 1;
    if (index >= s.devices.size() || s.unplugged) {
        return -4;
    }
    static_cast<Context*>(context)->opened = static_cast<int>(index);
    s.openDevice = static_cast<int>(index);
    ++s.openCount;
    return 0;
}

int ftdi_usb_close(void* context) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    static_cast<Context*>(context)->opened = -1;
    s.openDevice = -1;
    return 0;
}

#define FAKE_SETTER(name, field)                     \
    int name(void*, int value) {                     \
        State& s = S();                              \
        std::lock_guard lock(s.mutex);               \
        s.config.field = value;                      \
        return s.unplugged ? kDeviceUnavailable : 0; \
    }
FAKE_SETTER(ftdi_set_baudrate, baudrate)
FAKE_SETTER(ftdi_setflowctrl, flow)
#undef FAKE_SETTER

int ftdi_set_line_property(void*, int bits, int stopBits, int parity) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.config.bits = bits;
    s.config.stopBits = stopBits;
    s.config.parity = parity;
    return 0;
}

int ftdi_setdtr_rts(void*, int dtr, int rts) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.config.dtr = dtr;
    s.config.rts = rts;
    return 0;
}

int ftdi_set_event_char(void*, unsigned char eventChar, unsigned char enable) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.config.eventChar = eventChar;
    s.config.eventEnable = enable;
    return 0;
}

int ftdi_set_latency_timer(void*, unsigned char latency) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.config.latency = latency;
    return 0;
}

int ftdi_tcioflush(void*) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.rx.clear();
    return 0;
}

// Returns what has arrived, waiting at most one latency period as the bridge does.
int ftdi_read_data(void*, unsigned char* buffer, int size) {
    State& s = S();
    std::unique_lock lock(s.mutex);
    s.cv.wait_for(lock, std::chrono::milliseconds(2), [&] { return s.unplugged || !s.rx.empty(); });
    if (s.unplugged) {
        return kDeviceUnavailable;
    }
    int n = std::min(size, static_cast<int>(s.rx.size()));
    std::memcpy(buffer, s.rx.data(), static_cast<size_t>(n));
    s.rx.erase(0, static_cast<size_t>(n));
    return n;
}

int ftdi_write_data(void*, const unsigned char* buffer, int size) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    ++s.writeCalls;
    s.cv.notify_all();
    if (s.unplugged) {
        return kDeviceUnavailable;
    }
    if (s.writeFails) {
        return -1;
    }
    int n = s.maxWrite > 0 ? std::min(size, s.maxWrite) : size;
    s.tx.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
    return n;
}

}  // extern "C"

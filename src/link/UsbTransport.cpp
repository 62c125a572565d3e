// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/UsbTransport.h"

#include <cerrno>
#include <cstring>

#include "link/FtdiLibrary.h"
#include "link/UsbDevices.h"

namespace zul {

namespace {

// Stands for "no such device" when the library gives no code of its own.
constexpr int kNoDevice = -ENODEV;

}  // namespace

UsbTransport::UsbTransport(FtdiLibrary* library) : library_(library) {}

UsbTransport::~UsbTransport() {
    Close();
}

FtdiLibrary& UsbTransport::Library() {
    return library_ != nullptr ? *library_ : FtdiLibrary::Shared();
}

int UsbTransport::OpenMatching(const std::string& identification) {
    FtdiLibrary& lib = Library();
    std::string serial = UsbSerialOfIdentification(identification);
    bool bySerial = !serial.empty();
    FtdiDeviceList* list = nullptr;
    int found = lib.ftdi_usb_find_all(context_, &list, 0, 0);
    if (found < 0) {
        return found;
    }
    int status = kNoDevice;
    for (FtdiDeviceList* node = list; node != nullptr; node = node->next) {
        char description[kUsbStringLength + 1] = {};
        char serialText[kUsbStringLength + 1] = {};
        if (lib.ftdi_usb_get_strings(context_, node->dev, nullptr, 0, description, kUsbStringLength,
                                     serialText, kUsbStringLength) != 0) {
            continue;
        }
        bool match = bySerial
                         ? std::string(serialText, strnlen(serialText, kUsbStringLength)) == serial
                         : std::string(description, strnlen(description, kUsbStringLength)) ==
                               identification;
        if (!match) {
            continue;
        }
        status = lib.ftdi_usb_open_dev(context_, node->dev);
        if (status == 0) {
            deviceOpen_ = true;
        }
        break;
    }
    if (list != nullptr) {
        lib.ftdi_list_free(&list);
    }
    return status;
}

int UsbTransport::Configure() {
    FtdiLibrary& lib = Library();
    int status;
    if ((status = lib.ftdi_set_baudrate(context_, kUsbBaudrate)) < 0 ||
        (status = lib.ftdi_set_line_property(context_, kFtdiBits8, kFtdiStopBit1,
                                             kFtdiParityNone)) < 0 ||
        (status = lib.ftdi_setflowctrl(context_, kFtdiDisableFlowControl)) < 0 ||
        (status = lib.ftdi_setdtr_rts(context_, 1, 1)) < 0 ||
        (status = lib.ftdi_set_event_char(context_, '\r', 1)) < 0 ||
        (status = lib.ftdi_set_latency_timer(context_, kUsbLatencyTimerMs)) < 0 ||
        (status = lib.purge(context_)) < 0) {
        return status;
    }
    return 0;
}

void UsbTransport::ReleaseContext() {
    FtdiLibrary& lib = Library();
    if (context_ == nullptr) {
        return;
    }
    if (deviceOpen_) {
        lib.ftdi_usb_close(context_);
        deviceOpen_ = false;
    }
    lib.ftdi_free(context_);
    context_ = nullptr;
}

int32_t UsbTransport::Open(ResultInfo* result, const std::string& identification,
                           const std::string& deviceName, TransportCallback callback) {
    ClearResult(result);
    if (open_.load()) {
        return ZUL_OK;
    }
    Attach(std::move(callback));
    FtdiLibrary& lib = Library();
    if (!lib.Loaded()) {
        return SetResult(result, ZUL_ERR_FT_USB_OPEN, kNoDevice, identification, deviceName);
    }
    context_ = lib.ftdi_new();
    if (context_ == nullptr) {
        return SetResult(result, ZUL_ERR_FT_USB_OPEN, -ENOMEM, identification, deviceName);
    }
    int status = OpenMatching(identification);
    if (status == 0) {
        status = Configure();
    }
    if (status != 0) {
        ReleaseContext();
        return SetResult(result, ZUL_ERR_FT_USB_OPEN, status, identification, deviceName);
    }
    BeginSession();
    open_.store(true);
    reader_ = std::thread([this] { ReaderBody(); });
    return ZUL_OK;
}

void UsbTransport::ReaderBody() {
    FtdiLibrary& lib = Library();
    std::string buffer(kTransportReadChunk, '\0');
    while (!stop_.load()) {
        if (error_.load()) {
            // After a device error only the stop is awaited.
            std::unique_lock lock(stopMutex_);
            stopCv_.wait_for(lock, std::chrono::milliseconds(kWatcherWaitMs),
                             [this] { return stop_.load(); });
            continue;
        }
        // Returns when the bridge sends a packet: at the event character, when its buffer
        // fills, or when its latency timer runs out (then often with no data).
        int n = lib.ftdi_read_data(context_, reinterpret_cast<unsigned char*>(buffer.data()),
                                   static_cast<int>(buffer.size()));
        if (stop_.load()) {
            break;
        }
        if (n > 0) {
            auto record = NewEvent(TransportEventKind::kActivity);
            record->readDone = true;
            record->portEventDone = true;
            record->bytesRead = static_cast<uint32_t>(n);
            record->data.assign(buffer.data(), static_cast<size_t>(n));
            Notify(std::move(record));
        } else if (n < 0) {
            RaiseDeviceError(n);
        }
    }
}

void UsbTransport::Write(std::unique_ptr<TransportEvent> record) {
    if (!open_.load() || error_.load() || inFlight_) {
        FinishWriteNow(std::move(record), ZUL_ERR_USB_SEND, 0);
        return;
    }
    size_t length = std::min<size_t>(record->length, record->data.size());
    size_t offset = std::min<size_t>(record->offset, length);
    int count = static_cast<int>(length - offset);
    int n = count > 0
                ? Library().ftdi_write_data(
                      context_,
                      reinterpret_cast<const unsigned char*>(record->data.data() + offset), count)
                : 0;
    if (n < 0) {
        FinishWriteNow(std::move(record), ZUL_ERR_FT_USB_SEND, n);
        return;
    }
    inFlight_ = std::move(record);
    NotifyWriteDone(static_cast<uint32_t>(n));
}

void UsbTransport::Close() {
    if (!open_.load()) {
        return;
    }
    {
        std::lock_guard lock(stopMutex_);
        stop_.store(true);
    }
    stopCv_.notify_all();
    if (reader_.joinable()) {
        reader_.join();
    }
    Library().purge(context_);
    ReleaseContext();
    inFlight_.reset();
    open_.store(false);
    error_.store(false);
}

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
// libftdi1, loaded with dlopen on first use. Only the functions the USB transport needs are
// bound; the library's context and device types stay opaque. A missing library (or one that
// lacks a needed function) leaves the object unloaded, and every user then behaves as if no
// bridge were attached.
#pragma once

#include <string>

namespace zul {

// Opaque library types.
struct FtdiContext;
struct FtdiUsbDevice;
// The library's device list node (its published layout).
struct FtdiDeviceList {
    FtdiDeviceList* next;
    FtdiUsbDevice* dev;
};

class FtdiLibrary {
public:
    // Loads the library file (a name for the dynamic loader or a path).
    explicit FtdiLibrary(const std::string& file);
    ~FtdiLibrary();
    FtdiLibrary(const FtdiLibrary&) = delete;
    FtdiLibrary& operator=(const FtdiLibrary&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    const std::string& File() const { return file_; }

    // The process-wide library, loaded on first use: $QVM8_FTDI_LIBRARY when set, else
    // "libftdi1.so.2".
    static FtdiLibrary& Shared();

    FtdiContext* (*ftdi_new)() = nullptr;
    void (*ftdi_free)(FtdiContext*) = nullptr;
    int (*ftdi_usb_find_all)(FtdiContext*, FtdiDeviceList**, int vendor, int product) = nullptr;
    void (*ftdi_list_free)(FtdiDeviceList**) = nullptr;
    int (*ftdi_usb_get_strings)(FtdiContext*, FtdiUsbDevice*, char* manufacturer, int mnfLen,
                                char* description, int descLen, char* serial,
                                int serialLen) = nullptr;
    int (*ftdi_usb_open_dev)(FtdiContext*, FtdiUsbDevice*) = nullptr;
    int (*ftdi_usb_close)(FtdiContext*) = nullptr;
    int (*ftdi_set_baudrate)(FtdiContext*, int) = nullptr;
    int (*ftdi_set_line_property)(FtdiContext*, int bits, int stopBits, int parity) = nullptr;
    int (*ftdi_setflowctrl)(FtdiContext*, int) = nullptr;
    int (*ftdi_setdtr_rts)(FtdiContext*, int dtr, int rts) = nullptr;
    int (*ftdi_set_event_char)(FtdiContext*, unsigned char, unsigned char enable) = nullptr;
    int (*ftdi_set_latency_timer)(FtdiContext*, unsigned char) = nullptr;
    int (*purge)(FtdiContext*) = nullptr;  // ftdi_tcioflush, else ftdi_usb_purge_buffers
    int (*ftdi_read_data)(FtdiContext*, unsigned char*, int) = nullptr;
    int (*ftdi_write_data)(FtdiContext*, const unsigned char*, int) = nullptr;

private:
    std::string file_;
    void* handle_ = nullptr;
};

// Constants of the library's interface.
inline constexpr int kFtdiBits8 = 8;
inline constexpr int kFtdiStopBit1 = 0;
inline constexpr int kFtdiParityNone = 0;
inline constexpr int kFtdiDisableFlowControl = 0;

}  // namespace zul

// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FtdiLibrary.h"

#include <dlfcn.h>

#include <cstdlib>

namespace zul {

namespace {

template <class Fn>
bool Bind(void* handle, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(dlsym(handle, name));
    return fn != nullptr;
}

}  // namespace

FtdiLibrary::FtdiLibrary(const std::string& file) : file_(file) {
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return;
    }
    bool ok = Bind(handle, "ftdi_new", ftdi_new) && Bind(handle, "ftdi_free", ftdi_free) &&
              Bind(handle, "ftdi_usb_find_all", ftdi_usb_find_all) &&
              Bind(handle, "ftdi_list_free", ftdi_list_free) &&
              Bind(handle, "ftdi_usb_get_strings", ftdi_usb_get_strings) &&
              Bind(handle, "ftdi_usb_open_dev", ftdi_usb_open_dev) &&
              Bind(handle, "ftdi_usb_close", ftdi_usb_close) &&
              Bind(handle, "ftdi_set_baudrate", ftdi_set_baudrate) &&
              Bind(handle, "ftdi_set_line_property", ftdi_set_line_property) &&
              Bind(handle, "ftdi_setflowctrl", ftdi_setflowctrl) &&
              Bind(handle, "ftdi_setdtr_rts", ftdi_setdtr_rts) &&
              Bind(handle, "ftdi_set_event_char", ftdi_set_event_char) &&
              Bind(handle, "ftdi_set_latency_timer", ftdi_set_latency_timer) &&
              Bind(handle, "ftdi_read_data", ftdi_read_data) &&
              Bind(handle, "ftdi_write_data", ftdi_write_data);
    if (ok && !Bind(handle, "ftdi_tcioflush", purge)) {
        ok = Bind(handle, "ftdi_usb_purge_buffers", purge);
    }
    if (!ok) {
        dlclose(handle);
        return;
    }
    handle_ = handle;
}

FtdiLibrary::~FtdiLibrary() {
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
}

FtdiLibrary& FtdiLibrary::Shared() {
    static FtdiLibrary library([] {
        const char* file = std::getenv("QVM8_FTDI_LIBRARY");
        return std::string(file != nullptr && *file != '\0' ? file : "libftdi1.so.2");
    }());
    return library;
}

}  // namespace zul

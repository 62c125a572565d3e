// SPDX-License-Identifier: GPL-3.0-or-later
// Message numbers of the two communication threads and of their window notification.
#pragma once

#include <cstdint>

#include "link/MessageThread.h"

namespace zul {

// Communication controller thread.
inline constexpr uint32_t kMsgCommFrame = kUserMessage + 9;           // 1033: received frame
inline constexpr uint32_t kMsgCommSubmit = kUserMessage + 10;         // 1034: CommRequest
inline constexpr uint32_t kMsgCommSent = kUserMessage + 11;           // 1035: LinkRecord sent
inline constexpr uint32_t kMsgCommCancel = kUserMessage + 12;         // 1036: cancel a request
inline constexpr uint32_t kMsgCommReloadTimeout = kUserMessage + 17;  // 1041
inline constexpr uint32_t kMsgCommConnect = kUserMessage + 35;        // 1059
inline constexpr uint32_t kMsgCommDisconnect = kUserMessage + 36;     // 1060
inline constexpr uint32_t kMsgCommResend = kUserMessage + 40;         // 1064: link is back

// Raw communication thread.
inline constexpr uint32_t kMsgRawSend = kUserMessage + 10;             // 1034: LinkRecord
inline constexpr uint32_t kMsgRawCancel = kUserMessage + 12;           // 1036: cancel a record
inline constexpr uint32_t kMsgRawIgnored = kUserMessage + 21;          // 1045
inline constexpr uint32_t kMsgRawSerialEvent = kUserMessage + 22;      // 1046: TransportEvent
inline constexpr uint32_t kMsgRawUsbEvent = kUserMessage + 23;         // 1047: TransportEvent
inline constexpr uint32_t kMsgRawCloseTransports = kUserMessage + 32;  // 1056
inline constexpr uint32_t kMsgRawConnect = kUserMessage + 35;          // 1059
inline constexpr uint32_t kMsgRawDisconnect = kUserMessage + 36;       // 1060
// Installs the frame consumer (private to the thread; keeps its state on its own thread).
inline constexpr uint32_t kMsgRawAttachConsumer = kUserMessage + 200;

// Window message to the main window: wParam = ZUL_ERR_USB_DEVICE or ZUL_ERR_RS_DEVICE.
inline constexpr uint32_t kWmLinkDeviceError = kUserMessage + 33;  // 1057

}  // namespace zul

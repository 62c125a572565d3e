// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/EventWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace zul::ui {

bool RunEventsUntil(const std::function<bool()>& done, int limitMs) {
    QDeadlineTimer deadline(limitMs);
    // Wakes the waiting event loop now and then, so that the deadline is seen without spinning.
    QTimer heartbeat;
    heartbeat.start(50);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace zul::ui

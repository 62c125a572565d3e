// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/TerminationRequest.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QSocketNotifier>
#include <QWidget>

namespace zul::ui {

namespace {

// [0] read by the GUI thread, [1] written by the handler (non-blocking: a flood of signals
// must not block the handler; one byte is enough to be heard).
int g_signalPipe[2] = {-1, -1};
struct sigaction g_previousInt {};
struct sigaction g_previousTerm {};

void OnTerminationSignal(int /*signal*/) {
    const int saved = errno;
    const char byte = 1;
    (void)!::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

bool IsOpenModalDialog(const QWidget* widget) {
    const auto* dialog = qobject_cast<const QDialog*>(widget);
    return dialog != nullptr && dialog->isWindow() && dialog->isVisible() &&
           (dialog->isModal() || dialog->windowModality() != Qt::NonModal);
}

// Rejected from the dialog's own loop: a dialog rejected while it is being shown, before
// exec() has entered its loop, would be hidden with exec() still waiting.
void RejectLater(QDialog* dialog) {
    QMetaObject::invokeMethod(
        dialog,
        [guard = QPointer<QDialog>(dialog)] {
            if (guard != nullptr && guard->isVisible()) {
                guard->reject();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace

CTerminationRequest& CTerminationRequest::Instance() {
    static CTerminationRequest instance;
    return instance;
}

CTerminationRequest::~CTerminationRequest() {
    StopWatching();
}

bool CTerminationRequest::WatchSignals() {
    if (notifier_ != nullptr) {
        return true;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return false;
    }
    ::fcntl(g_signalPipe[1], F_SETFL, ::fcntl(g_signalPipe[1], F_GETFL) | O_NONBLOCK);
    notifier_ = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CTerminationRequest::OnSignalByte);
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &g_previousInt);
    ::sigaction(SIGTERM, &action, &g_previousTerm);
    return true;
}

void CTerminationRequest::StopWatching() {
    if (notifier_ == nullptr) {
        return;
    }
    ::sigaction(SIGINT, &g_previousInt, nullptr);
    ::sigaction(SIGTERM, &g_previousTerm, nullptr);
    delete notifier_;
    notifier_ = nullptr;
    for (int& fd : g_signalPipe) {
        ::close(fd);
        fd = -1;
    }
}

bool CTerminationRequest::Watching() const {
    return notifier_ != nullptr;
}

void CTerminationRequest::OnSignalByte() {
    char bytes[16];
    (void)!::read(g_signalPipe[0], bytes, sizeof bytes);
    Request();
}

void CTerminationRequest::Request() {
    requested_ = true;
    if (!filtering_ && qApp != nullptr) {
        qApp->installEventFilter(this);
        filtering_ = true;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (IsOpenModalDialog(window)) {
            RejectLater(static_cast<QDialog*>(window));
        }
    }
    emit Requested();
}

void CTerminationRequest::Clear() {
    requested_ = false;
    if (filtering_ && qApp != nullptr) {
        qApp->removeEventFilter(this);
    }
    filtering_ = false;
}

bool CTerminationRequest::eventFilter(QObject* watched, QEvent* event) {
    if (requested_ && event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (IsOpenModalDialog(widget)) {
            RejectLater(static_cast<QDialog*>(widget));
        }
    }
    return QObject::eventFilter(watched, event);
}

bool IsTerminationRequested() {
    return CTerminationRequest::Instance().IsRequested();
}

}  // namespace zul::ui

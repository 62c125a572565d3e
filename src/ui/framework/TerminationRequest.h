// SPDX-License-Identifier: GPL-3.0-or-later
// A request of the session to end the program (SIGTERM from a logout, `timeout` or systemd,
// SIGINT from a terminal), turned into an orderly end on the GUI thread.
//
// WatchSignals installs handlers for SIGINT and SIGTERM that only write a byte to a socket pair
// (about all a signal handler may do safely); a QSocketNotifier reads it on the GUI thread and
// calls Request(). Request():
// - marks the program as ending: from then on QtMessageBoxHost shows no box and answers at once
//   with the answer that does nothing (Cancel, No or OK), and every modal dialog that still
//   opens is rejected as soon as its own loop runs;
// - rejects every modal dialog that is open: message boxes end as No or Cancel, file dialogs as
//   cancelled, the settings transfer form cancels its transfer and closes when it has ended;
// - emits Requested(). The program then ends in its normal order once the loops of those
//   dialogs (and of a synchronous command) have returned (DesktopProgram::RequestQuit).
// GUI thread only, except the signal handler.
#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;

namespace zul::ui {

class CTerminationRequest : public QObject {
    Q_OBJECT

public:
    static CTerminationRequest& Instance();

    // Installs the signal handlers (once; the previous ones are kept for StopWatching). False
    // when the socket pair cannot be made (then the signals keep their previous handling).
    bool WatchSignals();
    // Puts the previous handlers back and closes the socket pair.
    void StopWatching();
    bool Watching() const;

    // See above. A second request only rejects what has opened since.
    void Request();
    bool IsRequested() const { return requested_; }
    // Forgets a request (a program that has ended, in a process that goes on: the tests).
    void Clear();

    Q_SIGNAL void Requested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CTerminationRequest() = default;
    ~CTerminationRequest() override;
    void OnSignalByte();

    bool requested_ = false;
    bool filtering_ = false;
    QSocketNotifier* notifier_ = nullptr;  // owned (child of this object)
};

// CTerminationRequest::Instance().IsRequested(), for code that only asks.
bool IsTerminationRequested();

}  // namespace zul::ui

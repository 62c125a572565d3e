// SPDX-License-Identifier: GPL-3.0-or-later
// The flood-light form of one head: Start begins the controller's automatic search of the
// emitted-light amount; a 100 ms timer polls its progress about once a second (asynchronously,
// the completion arrives as window message 1038), and the result is read, stored as the head's
// FloodLightAjust of the bank in use and shown. Modal; opened by RunFloodLightForm.
#pragma once

#include <cstdint>
#include <memory>

#include <QBasicTimer>
#include <QDialog>

#include "adjust/FloodLightSearch.h"
#include "link/CommRequest.h"
#include "ui/adjust/AdjustIds.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/WorkerRequest.h"

class QPushButton;

namespace Ui {
class FloodLightForm;
}

namespace zul {
class Application;
}

namespace zul::ui {

class CFloodLightForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    CFloodLightForm(Application& app, int32_t head, QWidget* parent = nullptr);
    ~CFloodLightForm() override;

    // The Start button; ignored while a search runs.
    void Start();
    // One tick of the 100 ms timer (public so that tests need not wait for the timer).
    void Tick();
    FloodLightState State() const;
    bool IsTimerActive() const { return timer_.isActive(); }
    // Close: stops the timer and withdraws an outstanding poll.
    void reject() override;

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void OnUiDefinitionApplied() override;

private:
    void OnPollDone(std::unique_ptr<CommRequest> poll);
    void Finish();
    void ShowResult(int32_t value);
    void Shutdown();

    Application& app_;
    int32_t head_;
    std::unique_ptr<Ui::FloodLightForm> ui_;
    QPushButton* startButton_ = nullptr;
    QtMessageBoxHost boxes_;
    // Where the controller thread hands the finished polls (before search_, which posts
    // through it).
    WorkerRequest<CommRequest> polls_;
    std::unique_ptr<FloodLightSearch> search_;
    QBasicTimer timer_;
    bool syncRunning_ = false;
};

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/adjust/FloodLightForm.h"

#include <QCloseEvent>
#include <QTimerEvent>

#include "app/Application.h"
#include "link/ThreadCommControler.h"
#include "settings/MessageBox.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/framework/QtText.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/UiApplier.h"
#include "ui_FloodLightForm.h"

namespace zul::ui {

namespace {

constexpr int kTickMs = 100;

}  // namespace

CFloodLightForm::CFloodLightForm(Application& app, int32_t head, QWidget* parent)
    : QDialog(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}),
      app_(app),
      head_(head),
      ui_(std::make_unique<Ui::FloodLightForm>()),
      boxes_(this),
      // Closing withdraws an outstanding poll; polls handed on before are destroyed unread.
      polls_(
          this, kWmFloodLightPollDone,
          [this](std::unique_ptr<CommRequest> poll) { OnPollDone(std::move(poll)); },
          [this] {
              if (search_) {
                  search_->Close();
              }
          }) {
    ui_->setupUi(this);
    SetPositionItems({kFloodFormTop, kFloodFormLeft, 0, 0, 0, 0});
    if (CThreadCommControler* comm = app_.CommControler()) {
        search_ = std::make_unique<FloodLightSearch>(*comm, app_.Store(), head_, polls_.Poster());
    }
    startButton_ = FindControl<QPushButton>(this, kFloodLightStartButton);
    connect(startButton_, &QPushButton::clicked, this, &CFloodLightForm::Start);
    connect(FindControl<QPushButton>(this, kFloodLightCloseButton), &QPushButton::clicked, this,
            &CFloodLightForm::reject);
    ui_->valueHead->setText(QString(QChar(static_cast<char16_t>(u'A' + head_))));
    ApplyUiDefinition();
    {
        const SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        ShowResult(store.GetInt<kHeadFloodLightAjust>(store.GetInt<kAppCurMemNo>(), head_));
    }
    timer_.start(kTickMs, this);
}

CFloodLightForm::~CFloodLightForm() {
    Shutdown();
}

void CFloodLightForm::Shutdown() {
    timer_.stop();
    polls_.Close();  // withdraws an outstanding poll
}

void CFloodLightForm::OnUiDefinitionApplied() {
    startButton_->setEnabled(search_ != nullptr && app_.Online());
}

FloodLightState CFloodLightForm::State() const {
    return search_ ? search_->State() : FloodLightState::kIdle;
}

void CFloodLightForm::ShowResult(int32_t value) {
    const ChoiceList list = app_.Ui().FillChoiceList(kFloodLightChoicesList, value);
    QString text = QString::number(value);
    if (list.selected >= 0 && list.entries[size_t(list.selected)].value == value) {
        text = ToQString(list.entries[size_t(list.selected)].text);
    }
    ui_->valueResult->setText(text);
}

void CFloodLightForm::Start() {
    if (!search_ || syncRunning_) {
        return;
    }
    const FloodLightState state = search_->State();
    if (state != FloodLightState::kIdle && state != FloodLightState::kEnded) {
        return;
    }
    startButton_->setEnabled(false);
    syncRunning_ = true;
    FloodLightSearch* search = search_.get();
    RunSynchronous([search](ResultInfo*) { return search->Start(); });
    syncRunning_ = false;
    if (search_->Ended()) {
        Finish();
    }
}

void CFloodLightForm::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) {
        Tick();
        return;
    }
    QDialog::timerEvent(event);
}

void CFloodLightForm::Tick() {
    // A synchronous command holds the link and the search; the next tick comes soon.
    if (!search_ || syncRunning_ || IsSynchronousCommandRunning()) {
        return;
    }
    search_->Tick();
}

void CFloodLightForm::OnPollDone(std::unique_ptr<CommRequest> poll) {
    if (!search_ || search_->State() != FloodLightState::kPolling) {
        return;  // not awaited (destroyed here)
    }
    // A finished search reads its result with a synchronous request.
    syncRunning_ = true;
    FloodLightSearch* search = search_.get();
    auto held = std::make_shared<std::unique_ptr<CommRequest>>(std::move(poll));
    RunSynchronous([search, held](ResultInfo*) {
        search->OnPollDone(std::move(*held));
        return ZUL_OK;
    });
    syncRunning_ = false;
    if (search_->Ended()) {
        Finish();
    }
}

void CFloodLightForm::Finish() {
    if (search_->HasValue()) {
        ShowResult(search_->Value());
    }
    // The form is usable again whatever the outcome.
    startButton_->setEnabled(app_.Online());
    if (search_->Result().code != ZUL_OK && search_->Result().code != ZUL_ERR_ABORT) {
        ReportResult(boxes_, app_.Ui(), search_->Result());
    }
}

void CFloodLightForm::closeEvent(QCloseEvent* event) {
    if (syncRunning_) {
        event->ignore();
        return;
    }
    Shutdown();
    QDialog::closeEvent(event);
}

void CFloodLightForm::reject() {
    if (syncRunning_) {
        return;
    }
    Shutdown();
    QDialog::reject();
}

}  // namespace zul::ui

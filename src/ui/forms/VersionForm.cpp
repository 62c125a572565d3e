// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/VersionForm.h"

#include <QLabel>
#include <QPushButton>

#include "app/Application.h"
#include "ui/framework/FallbackTexts.h"
#include "ui/framework/QtText.h"
#include "ui/framework/UiApplier.h"
#include "ui_VersionForm.h"

namespace zul::ui {

CVersionForm::CVersionForm(Application& app, FormBase* parentForm, QWidget* parent)
    : QDialog(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      ui_(std::make_unique<Ui::VersionForm>()) {
    ui_->setupUi(this);
    setWindowFlag(Qt::Window);
    QLabel* title = ui_->applicationTitle;
    title->setText(FallbackText(kResApplicationTitle));
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    title->setFont(font);
    fullVersion_ = ui_->fullVersion;
    shortVersion_ = ui_->shortVersion;
    controllerType_ = ui_->controllerType;
    controllerVersion_ = ui_->controllerVersion;
    connect(ui_->ok, &QPushButton::clicked, this, &QDialog::close);

    SetPositionItems({.top = kVerFormTop, .left = kVerFormLeft});
    ApplyUiDefinition();
    Refresh();
}

CVersionForm::~CVersionForm() = default;

void CVersionForm::Refresh() {
    fullVersion_->setText(ToQString(app_.FullVersion()));
    shortVersion_->setText(ToQString(app_.ShortVersion()));
    const SettingsStore& store = app_.Store();
    const bool online = app_.Online();
    controllerType_->setText(online ? ToQString(store.GetText<kCtrlType>()) : QString());
    controllerVersion_->setText(online ? ToQString(store.GetText<kCtrlVersion>()) : QString());
}

void CVersionForm::OnLineStateChanged(int32_t /*lineState*/) {
    Refresh();
}

QString CVersionForm::FullVersionText() const {
    return fullVersion_->text();
}

QString CVersionForm::ShortVersionText() const {
    return shortVersion_->text();
}

QString CVersionForm::ControllerTypeText() const {
    return controllerType_->text();
}

QString CVersionForm::ControllerVersionText() const {
    return controllerVersion_->text();
}

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/VersionForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Application.h"
#include "ui/framework/FallbackTexts.h"
#include "ui/framework/QtText.h"
#include "ui/framework/UiApplier.h"

namespace zul::ui {

namespace {

// A caption label found by its record name, with the value label it names.
QLabel* AddRow(QFormLayout* form, const char* captionRecord, const char* valueName) {
    auto* caption = new QLabel;
    caption->setProperty(kUiNameProperty, captionRecord);
    auto* value = new QLabel;
    value->setObjectName(valueName);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    caption->setBuddy(value);
    form->addRow(caption, value);
    return value;
}

}  // namespace

VersionForm::VersionForm(Application& app, FormBase* parentForm, QWidget* parent)
    : QDialog(parent), FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm), app_(app) {
    setProperty(kUiNameProperty, "Version_Wnd");
    setWindowFlag(Qt::Window);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(FallbackText(kResApplicationTitle));
    title->setObjectName("applicationTitle");
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    title->setFont(font);
    layout->addWidget(title);
    auto* rows = new QFormLayout;
    fullVersion_ = AddRow(rows, "Version_LblFullVersion", "fullVersion");
    shortVersion_ = AddRow(rows, "Version_LblShortVersion", "shortVersion");
    controllerType_ = AddRow(rows, "Version_LblControllerType", "controllerType");
    controllerVersion_ = AddRow(rows, "Version_LblControllerVersion", "controllerVersion");
    layout->addLayout(rows);
    auto* buttons = new QDialogButtonBox;
    auto* ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setProperty(kUiNameProperty, "Version_BtnOk");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::close);
    layout->addWidget(buttons);

    SetPositionItems({.top = kVerFormTop, .left = kVerFormLeft});
    ApplyUiDefinition();
    Refresh();
}

VersionForm::~VersionForm() = default;

void VersionForm::Refresh() {
    fullVersion_->setText(ToQString(app_.FullVersion()));
    shortVersion_->setText(ToQString(app_.ShortVersion()));
    const SettingsStore& store = app_.Store();
    const bool online = store.GetInt<kCtrlLineState>() != 0;
    controllerType_->setText(online ? ToQString(store.GetText<kCtrlType>()) : QString());
    controllerVersion_->setText(online ? ToQString(store.GetText<kCtrlVersion>()) : QString());
}

void VersionForm::OnLineStateChanged(int32_t /*lineState*/) {
    Refresh();
}

QString VersionForm::FullVersionText() const {
    return fullVersion_->text();
}

QString VersionForm::ShortVersionText() const {
    return shortVersion_->text();
}

QString VersionForm::ControllerTypeText() const {
    return controllerType_->text();
}

QString VersionForm::ControllerVersionText() const {
    return controllerVersion_->text();
}

}  // namespace zul::ui

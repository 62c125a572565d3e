// SPDX-License-Identifier: GPL-3.0-or-later
// The version information form (menu 32787): the program's title, its full and short version,
// and the connected controller's type and firmware version (empty while off line).
#pragma once

#include <memory>

#include <QDialog>

#include "ui/framework/FormBase.h"

class QLabel;

namespace Ui {
class VersionForm;
}

namespace zul {
class Application;
}

namespace zul::ui {

class CVersionForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    CVersionForm(Application& app, FormBase* parentForm, QWidget* parent);
    ~CVersionForm() override;

    // Shows the controller's identity again (after a connect or disconnect).
    void Refresh();

    QString FullVersionText() const;
    QString ShortVersionText() const;
    QString ControllerTypeText() const;
    QString ControllerVersionText() const;

protected:
    void OnLineStateChanged(int32_t lineState) override;

private:
    Application& app_;
    std::unique_ptr<Ui::VersionForm> ui_;
    QLabel* fullVersion_ = nullptr;
    QLabel* shortVersion_ = nullptr;
    QLabel* controllerType_ = nullptr;
    QLabel* controllerVersion_ = nullptr;
};

}  // namespace zul::ui

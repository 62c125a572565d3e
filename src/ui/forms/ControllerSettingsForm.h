// SPDX-License-Identifier: GPL-3.0-or-later
// The controller settings form (menu 32785): the controller's system settings (MEM_CMN items
// 96-109) on a private copy of the settings store, read from and written to the controller by
// "read system" and "write system" behind the transfer progress form.
//
// Before write system the form checks every edited value against its rule and refuses the
// write with ZUL_ERR_RANGE before any request goes out, then checks that the controller's
// current memory bank is the one the tool works on (CheckMemoryMatch). After a successful
// read the copy and the main store take the values read; after a successful write the main
// store takes the values written, so that the tool keeps showing what the controller holds.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QDialog>

#include "base/ResultInfo.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace Ui {
class ControllerSettingsForm;
}

namespace zul {

class Application;
class SettingsStore;

}  // namespace zul

namespace zul::ui {
class CNumericEdit;
}  // namespace zul::ui

namespace zul::ui {

class CControllerSettingsForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    CControllerSettingsForm(Application& app, FormBase* parentForm, QWidget* parent);
    ~CControllerSettingsForm() override;

    // The two commands (buttons; tests call them too). Return the result code.
    int32_t ReadSystem();
    int32_t WriteSystem();

    // The private copy (tests).
    const SettingsStore& Copy() const { return *copy_; }
    // The control of an item (a QComboBox or a CNumericEdit), null when it has none.
    QWidget* ControlOf(int32_t itemId) const;

    // Takes the controls into the private copy; the first item whose value breaks its rule
    // gives ZUL_ERR_RANGE in result (its caption and value as details).
    int32_t TakeControls(ResultInfo* result);

protected:
    void OnUiDefinitionApplied() override;
    void OnLineStateChanged(int32_t lineState) override;

private:
    struct Row {
        int32_t itemId = 0;
        int32_t ctrlId = 0;
        QLabel* label = nullptr;
        QComboBox* list = nullptr;
        CNumericEdit* edit = nullptr;
    };

    void ShowCopy();
    void UpdateCommands();
    int32_t RunTransfer(bool read, ResultInfo* result);

    Application& app_;
    std::unique_ptr<SettingsStore> copy_;
    std::vector<Row> rows_;
    QPushButton* readButton_ = nullptr;
    QPushButton* writeButton_ = nullptr;
    QtMessageBoxHost boxes_;
    std::unique_ptr<Ui::ControllerSettingsForm> ui_;
    bool busy_ = false;
};

}  // namespace zul::ui

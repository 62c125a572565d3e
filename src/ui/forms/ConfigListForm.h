// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration list (button 1770, menu 32784): a resizable window with a grid of every
// setting of the system block and the 16 memory banks (ConfigListRows), cells that differ from
// a chosen reference bank marked, and printing through the print form.
#pragma once

#include <cstdint>
#include <memory>

#include <QDialog>

#include "ui/forms/ConfigListRows.h"
#include "ui/framework/FormBase.h"

class QCheckBox;
class QComboBox;

namespace Ui {
class ConfigListForm;
}

namespace zul {

class Application;

}  // namespace zul

namespace zul::ui {
class CGridCtrl;
}  // namespace zul::ui

namespace zul::ui {

class CConfigListForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    CConfigListForm(Application& app, FormBase* parentForm, QWidget* parent);
    ~CConfigListForm() override;

    // Rebuilds the rows and shows the store's values again.
    void Refresh();
    // Opens the print form (modal).
    void OpenPrint();

    CGridCtrl* Grid() const { return grid_; }
    const ConfigListRows& Rows() const { return rows_; }
    // Marking of cells that differ from the reference bank.
    void SetMarkDifferences(bool on, int32_t referenceBank);

    static QColor DifferenceColor();

protected:
    void OnUiDefinitionApplied() override;
    void OnMemoryBankChanged(int32_t oldBank, int32_t newBank) override;

private:
    Application& app_;
    ConfigListRows rows_;
    std::unique_ptr<Ui::ConfigListForm> ui_;
    CGridCtrl* grid_ = nullptr;
    QCheckBox* mark_ = nullptr;
    QComboBox* reference_ = nullptr;
    bool marking_ = false;
    int32_t referenceBank_ = 0;
};

}  // namespace zul::ui

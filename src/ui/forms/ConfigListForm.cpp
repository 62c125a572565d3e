// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/ConfigListForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>

#include "app/Application.h"
#include "settings/SettingsStore.h"
#include "ui/forms/ConfigPrintForm.h"
#include "ui/framework/GridCtrl.h"
#include "ui/framework/UiApplier.h"
#include "ui_ConfigListForm.h"

namespace zul::ui {

namespace {

constexpr int32_t kBankListCtrl = 0x449;

}  // namespace

QColor CConfigListForm::DifferenceColor() {
    return QColor(255, 236, 160);
}

CConfigListForm::CConfigListForm(Application& app, FormBase* parentForm, QWidget* parent)
    : QDialog(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      rows_(app),
      ui_(std::make_unique<Ui::ConfigListForm>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    grid_ = ui_->configGrid;
    grid_->SetRowHeadersVisible(false);
    grid_->horizontalHeader()->setStretchLastSection(true);
    mark_ = ui_->markDifferences;
    reference_ = ui_->referenceBank;
    connect(ui_->print, &QPushButton::clicked, this, &CConfigListForm::OpenPrint);
    connect(ui_->close, &QPushButton::clicked, this, &QDialog::close);
    connect(mark_, &QCheckBox::toggled, this,
            [this](bool on) { SetMarkDifferences(on, SelectedChoiceValue(reference_, 0)); });
    connect(reference_, &QComboBox::currentIndexChanged, this,
            [this] { SetMarkDifferences(mark_->isChecked(), SelectedChoiceValue(reference_, 0)); });

    SetPositionItems({.top = kCfgListFormTop,
                      .left = kCfgListFormLeft,
                      .width = kCfgListFormWidth,
                      .height = kCfgListFormHeight,
                      .max = kCfgListFormMax});
    resize(760, 560);
    ApplyUiDefinition();
}

CConfigListForm::~CConfigListForm() = default;

void CConfigListForm::OnUiDefinitionApplied() {
    {
        const QSignalBlocker block(reference_);
        FillChoiceList(kBankListCtrl, reference_, referenceBank_, true);
    }
    Refresh();
}

void CConfigListForm::OnMemoryBankChanged(int32_t /*oldBank*/, int32_t /*newBank*/) {
    grid_->Model().RefreshVirtual();
}

void CConfigListForm::Refresh() {
    rows_.Build();
    GridVirtualCells cells;
    cells.text = [this](int row, int column) { return rows_.Text(row, column); };
    cells.background = [this](int row, int column) {
        return marking_ && rows_.DiffersFrom(row, column, referenceBank_) ? DifferenceColor()
                                                                          : QColor();
    };
    grid_->Model().SetVirtual(static_cast<int>(rows_.Rows().size()), ConfigListRows::kColumns,
                              cells);
    grid_->Model().SetColumnTitles(rows_.ColumnTitles());
    // Setting and item names are read whole; the last column takes what room is left.
    grid_->resizeColumnsToContents();
}

void CConfigListForm::SetMarkDifferences(bool on, int32_t referenceBank) {
    marking_ = on;
    referenceBank_ = referenceBank;
    grid_->Model().RefreshVirtual();
}

void CConfigListForm::OpenPrint() {
    CConfigPrintForm form(app_, rows_, this, this);
    form.exec();
}

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingInfoForm.h"

#include <QVBoxLayout>

#include "settings/SettingItem.h"
#include "ui/buffering/BufferingInfoView.h"
#include "ui_BufferingInfoForm.h"

namespace zul::ui {

CBufferingInfoForm::CBufferingInfoForm(const FormContext& context, FormBase* parentForm,
                                       QWidget* parent)
    : QDialog(parent),
      FormBase(this, context, parentForm),
      ui_(std::make_unique<Ui::BufferingInfoForm>()) {
    ui_->setupUi(this);
    setModal(false);
    auto* layout = new QVBoxLayout(ui_->infoHost);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new CBufferingInfoView(ui_->infoHost);
    layout->addWidget(view_);
    resize(420, sizeHint().height());  // every row shown, no empty space under them
    SetPositionItems({kBufInfoFormTop, kBufInfoFormLeft});
    connect(ui_->btnCloseInfo, &QPushButton::clicked, this, &QWidget::close);
    ApplyUiDefinition();
}

CBufferingInfoForm::~CBufferingInfoForm() = default;

void CBufferingInfoForm::OnUiDefinitionApplied() {
    if (Context().ui != nullptr) {
        view_->ApplyTitles(*Context().ui);
    }
}

void CBufferingInfoForm::Show(const std::array<OutputStatistics, 2>& statistics,
                              const MicronMode& micron) {
    view_->Show(statistics, micron);
}

}  // namespace zul::ui

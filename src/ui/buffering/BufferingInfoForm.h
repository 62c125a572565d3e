// SPDX-License-Identifier: GPL-3.0-or-later
// The information form of the buffering window: the statistics of both outputs in a window of
// its own (position FORM_BUFFERINGINFO).
#pragma once

#include <array>
#include <memory>

#include <QDialog>

#include "buffering/BufferingData.h"
#include "settings/MicronMode.h"
#include "ui/framework/FormBase.h"

namespace Ui {
class BufferingInfoForm;
}

namespace zul::ui {

class CBufferingInfoView;

class CBufferingInfoForm : public QDialog, public FormBase {
    Q_OBJECT
public:
    CBufferingInfoForm(const FormContext& context, FormBase* parentForm, QWidget* parent);
    ~CBufferingInfoForm() override;

    void Show(const std::array<OutputStatistics, 2>& statistics, const MicronMode& micron);
    CBufferingInfoView& View() { return *view_; }

protected:
    void OnUiDefinitionApplied() override;

private:
    std::unique_ptr<Ui::BufferingInfoForm> ui_;
    CBufferingInfoView* view_;
};

}  // namespace zul::ui

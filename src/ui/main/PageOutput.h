// SPDX-License-Identifier: GPL-3.0-or-later
// The output settings page (OUT1 or OUT2, section MEM%m_OUT%o): calculation, filter, judgement
// limits, measurement mode, alarm behaviour, the zero-set and scaling values shown read-only,
// and the buttons of the scaling form and the output-options dialog.
#pragma once

#include <memory>

#include "ui/main/PageBase.h"

namespace Ui {
class PageOutput;
}

namespace zul::ui {

class CPageOutput : public CPageBase {
    Q_OBJECT

public:
    // output: 0 OUT1, 1 OUT2.
    CPageOutput(Application& app, FormBase* parentForm, int32_t output, PageHooks hooks = {},
                QWidget* parent = nullptr);
    ~CPageOutput() override;

    // The scaling form and the output-options dialog (the buttons call these).
    void OpenScaling();
    void OpenOutputOptions();

protected:
    void ApplyRules() override;
    std::vector<QAbstractButton*> OnlineButtons() const override;
    void OnControlEdited(int32_t ctrlId) override;

private:
    std::unique_ptr<Ui::PageOutput> ui_;
};

}  // namespace zul::ui

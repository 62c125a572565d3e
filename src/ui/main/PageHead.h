// SPDX-License-Identifier: GPL-3.0-or-later
// The head settings page (Head A or Head B, section MEM%m_HEAD%h): the head's settings, its
// calibration points shown read-only, and the buttons of the calibration and flood-light forms.
#pragma once

#include <memory>

#include "ui/main/PageBase.h"

namespace Ui {
class PageHead;
}

namespace zul::ui {

class CPageHead : public CPageBase {
    Q_OBJECT

public:
    // head: 0 Head A, 1 Head B.
    CPageHead(Application& app, FormBase* parentForm, int32_t head, PageHooks hooks = {},
              QWidget* parent = nullptr);
    ~CPageHead() override;

    // The calibration and flood-light forms (the buttons call these).
    void OpenCalibration();
    void OpenFloodLight();

protected:
    void ApplyRules() override;
    std::vector<QAbstractButton*> OnlineButtons() const override;
    void OnControlEdited(int32_t ctrlId) override;

private:
    std::unique_ptr<Ui::PageHead> ui_;
};

}  // namespace zul::ui

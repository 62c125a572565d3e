// SPDX-License-Identifier: GPL-3.0-or-later
// The common settings page of a memory bank (section MEM%m_COMMON): sampling cycle,
// interference prevention, terminal inputs, chattering, alarm output and output-off delay.
#pragma once

#include <memory>

#include "ui/main/PageBase.h"

namespace Ui {
class PageCommon;
}

namespace zul::ui {

class CPageCommon : public CPageBase {
    Q_OBJECT

public:
    CPageCommon(Application& app, FormBase* parentForm, PageHooks hooks = {},
                QWidget* parent = nullptr);
    ~CPageCommon() override;

protected:
    void OnControlEdited(int32_t ctrlId) override;

private:
    std::unique_ptr<Ui::PageCommon> ui_;
};

}  // namespace zul::ui

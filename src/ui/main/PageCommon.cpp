// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/PageCommon.h"

#include "app/Application.h"
#include "settings/SettingItem.h"
#include "ui/main/MainControls.h"
#include "ui_PageCommon.h"

namespace zul::ui {

CPageCommon::CPageCommon(Application& app, FormBase* parentForm, PageHooks hooks, QWidget* parent)
    : CPageBase(app, parentForm, 0, std::move(hooks), parent),
      ui_(std::make_unique<Ui::PageCommon>()) {
    ui_->setupUi(this);
    SetBindings(
        {
            {1637, kCommonSamplingCycle, BindKind::kList},
            {1639, kCommonPreventInterference, BindKind::kList},
            {1640, kCommonTerminalInputCtrl, BindKind::kList},
            {1829, kCommonInputChattering, BindKind::kList},
            {1643, kCommonAlarmOutChange, BindKind::kList},
            {2012, kCommonOutputOffDelay, BindKind::kIntEdit},
        },
        {});
}

CPageCommon::~CPageCommon() = default;

void CPageCommon::OnControlEdited(int32_t ctrlId) {
    if (ctrlId == kCommonSamplingCycleList) {
        WriteNow(ctrlId);
        if (Hooks().bufferingChanged) {
            Hooks().bufferingChanged();
        }
    }
}

}  // namespace zul::ui

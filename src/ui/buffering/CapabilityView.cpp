// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/CapabilityView.h"

#include <mutex>

#include <QVBoxLayout>

#include "ui/buffering/CapabilityPanel.h"

namespace zul::ui {

CCapabilityView::CCapabilityView(const UiDefinition& ui, const SettingsStore& store, int output)
    : store_(store), panel_(new CCapabilityPanel(ui, output)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel_);
    panel_->LoadBankLimits(store_);
}

void CCapabilityView::LoadBankLimits() {
    panel_->LoadBankLimits(store_);
}

QWidget* CCapabilityView::Widget() {
    return this;
}

void CCapabilityView::ApplyTexts(const UiDefinition& /*ui*/) {
    panel_->ApplyTexts();  // the panel reads the definition it was made with
}

void CCapabilityView::ShowValues(const BufferingData& data, const MicronMode& micron) {
    CapabilityRange lines;
    {
        std::lock_guard lock(data.mutex);
        const int output = panel_->Output();
        const OutputBuffer& buffer = data.outputs[size_t(output)];
        const int32_t held = data.HeldCount(output);
        values_.assign(buffer.values.begin(), buffer.values.begin() + held);
        lines.measuringOn = buffer.display.horizontalOn != 0;
        lines.left = buffer.display.horizontalLeft;
        lines.right = buffer.display.horizontalRight;
    }
    panel_->ShowOutput(values_, lines, micron);
}

}  // namespace zul::ui

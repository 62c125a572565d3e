// SPDX-License-Identifier: GPL-3.0-or-later
// The process-capability page of one output in the buffering window: a CCapabilityPanel fed
// with the output's values and horizontal measure lines whenever the window shows new values,
// with its limits taken from the current memory bank's judgement limits.
#pragma once

#include <vector>

#include <QWidget>

#include "ui/buffering/BufferingView.h"

namespace zul {

class SettingsStore;

}  // namespace zul

namespace zul::ui {

class CCapabilityPanel;

// The view is the page's widget and holds the panel, so that the page owns both.
class CCapabilityView : public QWidget, public BufferingView {
    Q_OBJECT
public:
    // output: 0 OUT1, 1 OUT2. The UI definition and the store must outlive the view.
    CCapabilityView(const UiDefinition& ui, const SettingsStore& store, int output);

    CCapabilityPanel& Panel() const { return *panel_; }
    // The judgement limits of the store's current bank replace the limits shown.
    void LoadBankLimits();

    QWidget* Widget() override;
    void ApplyTexts(const UiDefinition& ui) override;
    void ShowValues(const BufferingData& data, const MicronMode& micron) override;

private:
    const SettingsStore& store_;
    CCapabilityPanel* panel_;     // a child of the view
    std::vector<double> values_;  // the output's values, copied under the block's lock
};

}  // namespace zul::ui

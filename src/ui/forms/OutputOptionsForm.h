// SPDX-License-Identifier: GPL-3.0-or-later
// The output-options dialog of an output page: the trigger settings of one output and memory
// bank (TriggerSelect, OuterTriggerSelect, InnerTriggerEdge, InnerTriggerLevel,
// InnerTriggerHis, TriggerDelay, TriggerSampleTerm, CycleTriggerTerm). It edits a private copy
// of these values and assigns them to the settings store on OK; Cancel leaves the store as it
// was. Fields without a valid number keep their stored value.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include <QDialog>

#include "ui/framework/FormBase.h"

namespace Ui {
class OutputOptionsForm;
}

namespace zul {
class Application;
}

namespace zul::ui {

class COutputOptionsForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    COutputOptionsForm(Application& app, int32_t bank, int32_t output, QWidget* parent = nullptr);
    ~COutputOptionsForm() override;

    void accept() override;

    // One option: its item, its control and its value in the private copy.
    struct Option {
        int32_t item;
        int32_t ctrlId;
        double value;
    };
    static constexpr size_t kOptionCount = 8;
    const std::array<Option, kOptionCount>& Copy() const { return copy_; }

protected:
    void OnUiDefinitionApplied() override;

private:
    void ShowCopy();
    void TakeIntoCopy();

    Application& app_;
    int32_t bank_;
    int32_t output_;
    std::unique_ptr<Ui::OutputOptionsForm> ui_;
    std::array<Option, kOptionCount> copy_;
};

// Shows the dialog modally for the output (through the adjustment forms' modal runner).
// True when it closed with OK.
bool RunOutputOptionsForm(Application& app, QWidget* parent, int32_t bank, int32_t output);

}  // namespace zul::ui

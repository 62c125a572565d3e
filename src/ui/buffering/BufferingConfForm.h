// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering settings form: the measure lines of each output (value lines and number
// lines, each pair switched on or off), kept in FORM_BUFFERINGCONF. Apply stores valid entries
// and tells the window, which redraws the lines and the statistics between them.
#pragma once

#include <array>
#include <memory>

#include <QDialog>

#include "ui/framework/FormBase.h"

namespace Ui {
class BufferingConfForm;
}

class QCheckBox;

namespace zul {

class SettingsStore;

}  // namespace zul

namespace zul::ui {

class CNumericEdit;

// The measure lines of one output as the settings store keeps them.
struct MeasureLines {
    bool verticalOn = false;
    double verticalTop = 950.0;
    double verticalBottom = -950.0;
    bool horizontalOn = false;
    int32_t horizontalLeft = 1;
    int32_t horizontalRight = 65000;
};

MeasureLines LoadMeasureLines(const SettingsStore& store, int output);
void StoreMeasureLines(SettingsStore& store, int output, const MeasureLines& lines);

class CBufferingConfForm : public QDialog, public FormBase {
    Q_OBJECT
public:
    CBufferingConfForm(const FormContext& context, FormBase* parentForm, QWidget* parent);
    ~CBufferingConfForm() override;

    // Fills the fields from the store.
    void Load();
    // Stores the fields when every one holds a valid value; false (nothing stored) otherwise.
    bool Apply();

signals:
    void linesChanged();

protected:
    void OnUiDefinitionApplied() override;

private:
    struct OutputFields {
        QCheckBox* verticalOn = nullptr;
        CNumericEdit* top = nullptr;
        CNumericEdit* bottom = nullptr;
        QCheckBox* horizontalOn = nullptr;
        CNumericEdit* left = nullptr;
        CNumericEdit* right = nullptr;
    };
    void UpdateEnabled();

    std::unique_ptr<Ui::BufferingConfForm> ui_;
    std::array<OutputFields, 2> fields_{};
};

}  // namespace zul::ui

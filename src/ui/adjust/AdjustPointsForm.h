// SPDX-License-Identifier: GPL-3.0-or-later
// The scaling form (one output) and the calibration form (one head): four point values, two
// buttons that take the current measured value into a point, and Apply, which sends the points
// and the execute command (the cancel command on any failure). Modal; opened by
// RunScalingForm / RunCalibrationForm.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include <QDialog>

#include "adjust/AdjustPoints.h"
#include "adjust/AdjustSequences.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"

namespace Ui {
class AdjustPointsForm;
}

namespace zul {

class Application;

}  // namespace zul

namespace zul::ui {
class CNumericEdit;
}  // namespace zul::ui

namespace zul::ui {

class CAdjustPointsForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    // index: the output (scaling) or head (calibration); start: the values shown first.
    CAdjustPointsForm(Application& app, AdjustKind kind, int32_t index, const AdjustPoints& start,
                      QWidget* parent = nullptr);
    ~CAdjustPointsForm() override;

    // The values of the four fields (a field without a valid number is empty).
    AdjustPoints Points() const;
    CNumericEdit* Field(int row) const { return edits_[static_cast<size_t>(row)]; }
    bool IsBusy() const { return busy_; }

    // The buttons call these; each returns at once while the form is busy.
    void TakeCurrentValue(int point);
    void Apply();
    // Cancel: the calibration form tells the controller (value 2 of its execute command).
    void reject() override;

protected:
    void OnUiDefinitionApplied() override;

private:
    void SetBusy(bool busy);
    // Puts back the stored values that failed their range check (the apply stopped there).
    void RestoreInvalidValues(const std::array<double, 4>& before);

    Application& app_;
    AdjustKind kind_;
    int32_t index_;
    std::unique_ptr<Ui::AdjustPointsForm> ui_;
    std::array<CNumericEdit*, 4> edits_{};
    QtMessageBoxHost boxes_;
    bool busy_ = false;
};

}  // namespace zul::ui

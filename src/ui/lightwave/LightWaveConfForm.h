// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave settings form: the comment and frame-rate value of the data, the update
// interval (GraphUpdateCycle), the step display (GraphRectDisp), the work-cell marks per head
// (WorkNoDisp%h), Save and Load of light-wave files, and one work information table per head
// (the eight work cells of the frame shown and their samples).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include <QDialog>

#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"

class QCheckBox;
class QLineEdit;

namespace Ui {
class LightWaveConfForm;
}

namespace zul::ui {
class CGridCtrl;
class CNumericEdit;
}  // namespace zul::ui

namespace zul::ui {

class CLightWaveWnd;

class CLightWaveConfForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    CLightWaveConfForm(CLightWaveWnd& window, QWidget* parent);
    ~CLightWaveConfForm() override;

    // Save and Load through the file dialog; return the result code (ZUL_ERR_ABORT when the
    // dialog was cancelled).
    int32_t Save();
    int32_t Load();

    // Fills both work information tables from the frames the window shows.
    void ShowWorkInformation();

    QLineEdit* CommentEdit() const { return comment_; }
    CNumericEdit* FrameRateEdit() const { return frameRate_; }
    CNumericEdit* IntervalEdit() const { return interval_; }
    QCheckBox* RectBox() const { return rect_; }
    QCheckBox* WorkNoBox(int head) const { return workNo_[head]; }
    CGridCtrl* WorkTable(int head) const { return tables_[head]; }

protected:
    void OnUiDefinitionApplied() override;

private:
    void ShowData();
    void TakeData();
    void StoreFolder(const QString& path);

    CLightWaveWnd& window_;
    QtMessageBoxHost boxes_;
    std::unique_ptr<Ui::LightWaveConfForm> ui_;
    QLineEdit* comment_ = nullptr;
    CNumericEdit* frameRate_ = nullptr;
    CNumericEdit* interval_ = nullptr;
    QCheckBox* rect_ = nullptr;
    std::array<QCheckBox*, 2> workNo_{};
    std::array<CGridCtrl*, 2> tables_{};
};

}  // namespace zul::ui

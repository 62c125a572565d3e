// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the adjustment forms from the settings pages: the memory-bank match check, then the
// form shown modally with every other window disabled, and what the caller keeps afterwards.
#pragma once

#include <cstdint>
#include <functional>

class QDialog;
class QWidget;

namespace zul {

class Application;
class MessageBoxHost;

}  // namespace zul

namespace zul::ui {
class FormBase;
}  // namespace zul::ui

namespace zul::ui {

// Shows a modal form and returns its result (QDialog::Accepted or Rejected). The program runs
// exec(); tests install a runner that drives the form without a modal loop.
using ModalRunner = std::function<int(QDialog& form)>;
// Process-wide test seam; an empty runner restores exec(). Returns the previous runner.
ModalRunner SetModalRunner(ModalRunner runner);
int RunModal(QDialog& form);
// Shows form (a top-level form) modally while every other window is disabled.
int RunModalOverDisabledWindows(QDialog& dialog, FormBase& form);

// Scaling of output (0/1): on OK the four values are stored for the bank in use (MV1, MV2, VV1,
// VV2). True when the form closed with OK.
bool RunScalingForm(Application& app, QWidget* parent, MessageBoxHost& boxes, int32_t output);
// Calibration of head (0/1): after the match check word 2619/2719 is set to 1; on OK the four
// values are stored (MV1, MV2, CV1, CV2). True when the form closed with OK.
bool RunCalibrationForm(Application& app, QWidget* parent, MessageBoxHost& boxes, int32_t head);
// The flood-light search of head (0/1); its result is stored by the search itself. True when
// the form was shown.
bool RunFloodLightForm(Application& app, QWidget* parent, MessageBoxHost& boxes, int32_t head);

}  // namespace zul::ui

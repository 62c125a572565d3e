// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameworkTestSupport.h"

#include <fstream>

namespace zul::test {

using namespace zul::ui;

TestUiDefinition::TestUiDefinition() {
    const std::string path = (dir_.path() + QStringLiteral("/test.frs")).toStdString();
    std::ofstream(path, std::ios::binary) << kFrameworkTestFrs;
    loadCode = ui_.Load(path);
}

RecordingForm::RecordingForm(const FormContext& context, FormBase* parentForm,
                             QWidget* parentWidget)
    : QWidget(parentWidget), FormBase(this, context, parentForm) {}

void RecordingForm::OnEnableForm(bool enable) {
    calls.push_back(enable ? "enable" : "disable");
}

void RecordingForm::OnPollingLockChanged(bool locked) {
    calls.push_back(locked ? "locked" : "unlocked");
}

void RecordingForm::OnLineStateChanged(int32_t lineState) {
    calls.push_back("line " + std::to_string(lineState));
}

void RecordingForm::OnMemoryBankChanged(int32_t oldBank, int32_t newBank) {
    calls.push_back("bank " + std::to_string(oldBank) + "->" + std::to_string(newBank));
}

void RecordingForm::OnTakeControlValues() {
    calls.push_back("take");
}

}  // namespace zul::test

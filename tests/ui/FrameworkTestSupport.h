// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the form framework tests: a small UI definition written to a temporary file
// and a form that records the framework calls it receives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QTemporaryDir>
#include <QWidget>

#include "settings/UiDefinition.h"
#include "ui/framework/FormBase.h"

namespace zul::test {

using namespace zul::ui;

// Records of the tests (ids 60000..60099, far from the program's own).
inline constexpr const char* kFrameworkTestFrs = R"([TestForm]
CtrlID=60000
Caption="Test form"
[Label]
CtrlID=60001
Caption="Head &A"
Tooltip="Distance to the head"
Color1=255
Color2=16711680
[Hidden]
CtrlID=60002
Caption="Hidden"
Visible=1
[Disabled]
CtrlID=60003
Caption="Disabled"
Enable=1
[List]
CtrlID=60004
CtrlKind=6
Type=0
Default=20
SelectList=ten,twenty,thirty,forty
SelectVal=10,20,30
SelectCnt=4
[GatedPlain]
CtrlID=60005
Caption=Plain
CtrlVer=200
[GatedHidden]
CtrlID=60006
Caption=HideMe
CtrlVer=h200
[Micron]
CtrlID=60007
Caption="Range mm"
Micron=1
[RealEdit]
CtrlID=60008
Type=2
Default=0.0
MinVal=-1.500
MaxVal=2.25
Tooltip="Offset"
[IntEdit]
CtrlID=60009
Type=0
MinVal=0
MaxVal=100
[States]
CtrlID=60010
Caption="Connect,Disconnect"
CaptionCnt=2
)";

// A UI definition loaded from kFrameworkTestFrs. The file lacks the program's required ids, so
// Load reports ZUL_ERR, but the records read stay available.
class TestUiDefinition {
public:
    TestUiDefinition();
    UiDefinition& Get() { return ui_; }
    int32_t loadCode = 0;

private:
    QTemporaryDir dir_;
    UiDefinition ui_;
};

// A form that counts the framework calls that reach it.
class RecordingForm : public QWidget, public FormBase {
public:
    RecordingForm(const FormContext& context, FormBase* parentForm = nullptr,
                  QWidget* parentWidget = nullptr);

    std::vector<std::string> calls;
    int appliedCount = 0;
    int restoredMode = -1;
    std::optional<int32_t> modeToStore;

protected:
    void OnUiDefinitionApplied() override { ++appliedCount; }
    void OnEnableForm(bool enable) override;
    void OnPollingLockChanged(bool locked) override;
    void OnLineStateChanged(int32_t lineState) override;
    void OnMemoryBankChanged(int32_t oldBank, int32_t newBank) override;
    void OnTakeControlValues() override;
    void RestoreFormMode(int32_t mode) override { restoredMode = mode; }
    std::optional<int32_t> FormModeToStore() const override { return modeToStore; }
};

}  // namespace zul::test

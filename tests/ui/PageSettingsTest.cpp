// SPDX-License-Identifier: GPL-3.0-or-later
// The settings pages against the emulator: bindings, enabling rules, immediate writes, bank
// switches, read-only labels, change marks, and that editing sends nothing to the controller.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

#include "PageTestSupport.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/PageCommon.h"
#include "ui/main/PageHead.h"
#include "ui/main/PageOutput.h"

namespace zul::test {

using namespace zul::ui;
namespace {

// Selects the entry with value in a choice list as a user would (through the view's index).
void Choose(QComboBox* box, int32_t value) {
    ASSERT_NE(box, nullptr);
    const int at = box->findData(value);
    ASSERT_GE(at, 0) << "no entry with value " << value;
    box->setCurrentIndex(at);
}

// Types text into an edit and leaves it (editing finished).
void Type(CNumericEdit* edit, const QString& text) {
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    emit edit->editingFinished();
}

class PageTest : public PageEmulatorTest {
protected:
    void SetUp() override {
        PageEmulatorTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        ui::PageHooks hooks;
        hooks.redrawPictures = [this] { ++redraws; };
        hooks.lightWaveChanged = [this] { ++lightWave; };
        hooks.bufferingChanged = [this] { ++buffering; };
        headB = std::make_unique<ui::CPageHead>(app, host.get(), 1, hooks);
        out1 = std::make_unique<ui::CPageOutput>(app, host.get(), 0, hooks);
        common = std::make_unique<ui::CPageCommon>(app, host.get(), hooks);
    }
    void DestroyPages() override {
        common.reset();
        out1.reset();
        headB.reset();
    }

    std::unique_ptr<ui::CPageHead> headB;
    std::unique_ptr<ui::CPageOutput> out1;
    std::unique_ptr<ui::CPageCommon> common;
    int redraws = 0;
    int lightWave = 0;
    int buffering = 0;
};

TEST_F(PageTest, OutputRulesFollowTheCurrentSelections) {
    QWidget* page = out1.get();
    auto enabled = [page](int32_t id) { return Ctrl(page, id)->isEnabled(); };
    // OutPattern: 8..11 enable the measurement target, refraction and its coefficient.
    for (int32_t pattern : {7, 8, 11, 12, 0}) {
        Choose(Ctrl<QComboBox>(page, ui::kOutPatternList), pattern);
        const bool on = pattern >= 8 && pattern <= 11;
        EXPECT_EQ(enabled(ui::kOutMeasureWorkList), on) << pattern;
        EXPECT_EQ(enabled(ui::kOutReflectionCalcList), on) << pattern;
        EXPECT_EQ(enabled(ui::kOutReflectionRateEdit), on) << pattern;
    }
    // FilterSelect: averaging for 0, cut-off for 1 and 2.
    for (int32_t filter : {0, 1, 2}) {
        Choose(Ctrl<QComboBox>(page, ui::kOutFilterList), filter);
        EXPECT_EQ(enabled(ui::kOutAverageTimesList), filter == 0) << filter;
        EXPECT_EQ(enabled(ui::kOutCutOffCycleList), filter == 1 || filter == 2) << filter;
    }
    // AnalogOutOnAlarm: the fixed voltage only for 1.
    Choose(Ctrl<QComboBox>(page, ui::kOutAnalogOnAlarmList), 1);
    EXPECT_TRUE(enabled(ui::kOutFixedValueEdit));
    Choose(Ctrl<QComboBox>(page, ui::kOutAnalogOnAlarmList), 0);
    EXPECT_FALSE(enabled(ui::kOutFixedValueEdit));
}

TEST_F(PageTest, OutputRulesFollowTheStoreOnRefresh) {
    {
        auto lock = Store().Lock();
        Store().SetInt<kOutOutPattern>(9, 4, 0);
        Store().SetInt<kOutFilterSelect>(2, 4, 0);
        Store().SetInt<kOutAnalogOutOnAlarm>(1, 4, 0);
    }
    out1->RefreshFromStore(4);
    EXPECT_TRUE(Ctrl(out1.get(), ui::kOutMeasureWorkList)->isEnabled());
    EXPECT_FALSE(Ctrl(out1.get(), ui::kOutAverageTimesList)->isEnabled());
    EXPECT_TRUE(Ctrl(out1.get(), ui::kOutCutOffCycleList)->isEnabled());
    EXPECT_TRUE(Ctrl(out1.get(), ui::kOutFixedValueEdit)->isEnabled());
    EXPECT_EQ(SelectedChoiceValue(Ctrl<QComboBox>(out1.get(), ui::kOutPatternList)), 9);
}

TEST_F(PageTest, PeakSearchCellsNeedTheFirmwareAndAutomaticLight) {
    QWidget* page = headB.get();
    ASSERT_GE(app.FirmwareVersion(), 0x224u);
    Choose(Ctrl<QComboBox>(page, ui::kHeadFloodLightList), 0);
    EXPECT_TRUE(Ctrl(page, ui::kHeadPeakSearchStartEdit)->isEnabled());
    EXPECT_TRUE(Ctrl(page, ui::kHeadPeakSearchEndEdit)->isEnabled());
    Choose(Ctrl<QComboBox>(page, ui::kHeadFloodLightList), 40);
    EXPECT_FALSE(Ctrl(page, ui::kHeadPeakSearchStartEdit)->isEnabled());
    EXPECT_FALSE(Ctrl(page, ui::kHeadPeakSearchEndEdit)->isEnabled());
    // The selection was written at once and the light-wave window told.
    EXPECT_EQ(Store().GetInt<kHeadFloodLightAjust>(Bank(), 1), 40);
    EXPECT_GE(lightWave, 1);

    // Exactly at entry 8 of the threshold list (0x224) and one below.
    Choose(Ctrl<QComboBox>(page, ui::kHeadFloodLightList), 0);
    app.SetFirmwareVersion(0x224);
    FormBase::ReapplyAllForms();
    EXPECT_TRUE(Ctrl(page, ui::kHeadPeakSearchStartEdit)->isEnabled());
    app.SetFirmwareVersion(0x223);
    FormBase::ReapplyAllForms();
    EXPECT_FALSE(Ctrl(page, ui::kHeadPeakSearchStartEdit)->isEnabled());
    EXPECT_FALSE(Ctrl(page, ui::kHeadPeakSearchEndEdit)->isEnabled());
    Choose(Ctrl<QComboBox>(page, ui::kHeadFloodLightList), 0);
    EXPECT_FALSE(Ctrl(page, ui::kHeadPeakSearchStartEdit)->isEnabled());
}

// A controller one below entry 8 of the version threshold list (0x224).
class PageOldFirmwareTest : public PageTest {
public:
    PageOldFirmwareTest() { firmware_ = 0x223; }
};

TEST_F(PageOldFirmwareTest, PeakSearchCellsStayDisabled) {
    ASSERT_EQ(app.FirmwareVersion(), 0x223u);
    for (int32_t light : {0, 10, 0}) {
        Choose(Ctrl<QComboBox>(headB.get(), ui::kHeadFloodLightList), light);
        EXPECT_FALSE(Ctrl(headB.get(), ui::kHeadPeakSearchStartEdit)->isEnabled()) << light;
        EXPECT_FALSE(Ctrl(headB.get(), ui::kHeadPeakSearchEndEdit)->isEnabled()) << light;
    }
}

class PageMicronTest : public PageTest {
public:
    PageMicronTest() { micron_ = true; }
};

TEST_F(PageMicronTest, LengthsAreShownAndTakenInMicrometres) {
    ASSERT_TRUE(app.Micron().active);
    const int32_t bank = Bank();
    Store().SetDouble<kOutOffsetInput>(0.0125, bank, 0);
    Store().SetDouble<kOutSCALING_MeasureValue1>(-1.5, bank, 0);
    out1->RefreshFromStore(bank);
    auto* offset = Ctrl<CNumericEdit>(out1.get(), ui::kOutOffsetEdit);
    EXPECT_EQ(offset->text(), QStringLiteral("12.500"));
    EXPECT_EQ(out1->findChild<QLabel*>(QStringLiteral("unit1174"))->text(),
              QString::fromStdString(app.Micron().unit));
    EXPECT_EQ(Ctrl<QLabel>(out1.get(), ui::kOutScalingMeasure1Text)->text(),
              QStringLiteral("-1500.000"));
    // Voltages are no lengths.
    Store().SetDouble<kOutSCALING_VoltageValue1>(2.5, bank, 0);
    out1->RefreshFromStore(bank);
    EXPECT_EQ(Ctrl<QLabel>(out1.get(), ui::kOutScalingVoltage1Text)->text(),
              QStringLiteral("2.500"));
    Type(offset, QStringLiteral("250"));
    EXPECT_TRUE(offset->IsInRange());
    host->TakeControlValues();
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutOffsetInput>(bank, 0), 0.25);
}

TEST_F(PageTest, ImmediateWritesAndTheirNotices) {
    const int32_t bank = Bank();
    Choose(Ctrl<QComboBox>(headB.get(), ui::kHeadSetupModeList), 1);  // SetupMode
    EXPECT_EQ(Store().GetInt<kHeadSetupMode>(bank, 1), 1);
    EXPECT_EQ(redraws, 1);
    Choose(Ctrl<QComboBox>(headB.get(), ui::kHeadMeasureWorkBasisList), 2);  // MeasureWorkBasis
    EXPECT_EQ(Store().GetInt<kHeadMeasureWorkBasis>(bank, 1), 2);
    EXPECT_EQ(redraws, 2);
    Type(Ctrl<CNumericEdit>(headB.get(), ui::kHeadPeakLevelEdit),
         QStringLiteral("37"));  // PeakLevel
    EXPECT_EQ(Store().GetInt<kHeadPeakLevel>(bank, 1), 37);
    EXPECT_EQ(lightWave, 1);
    Choose(Ctrl<QComboBox>(out1.get(), ui::kOutPatternList), 10);      // OutPattern
    Choose(Ctrl<QComboBox>(out1.get(), ui::kOutMeasureWorkList), 12);  // MeasureWork
    EXPECT_EQ(Store().GetInt<kOutOutPattern>(bank, 0), 10);
    EXPECT_EQ(Store().GetInt<kOutMeasureWork>(bank, 0), 12);
    EXPECT_EQ(redraws, 4);
    Store().SetInt<kCommonSamplingCycle>(0, bank);
    common->RefreshFromStore(bank);
    Choose(Ctrl<QComboBox>(common.get(), ui::kCommonSamplingCycleList), 2);  // SamplingCycle
    EXPECT_EQ(Store().GetInt<kCommonSamplingCycle>(bank), 2);
    EXPECT_EQ(buffering, 1);
    // Other controls wait for the take.
    Choose(Ctrl<QComboBox>(out1.get(), ui::kOutFilterList), 1);
    EXPECT_EQ(Store().GetInt<kOutFilterSelect>(bank, 0), 0);
    host->TakeControlValues();
    EXPECT_EQ(Store().GetInt<kOutFilterSelect>(bank, 0), 1);
}

TEST_F(PageTest, BankSwitchKeepsTheEditsInTheOldBank) {
    {
        auto lock = Store().Lock();
        Store().SetInt<kAppCurMemNo>(2);
        Store().SetDouble<kOutDecisionMax>(1.25, 5, 0);
        Store().SetInt<kHeadAlarmDelayTimes>(77, 5, 1);
    }
    host->MemoryBankChanged(Bank(), 2);
    Type(Ctrl<CNumericEdit>(out1.get(), ui::kOutDecisionMaxEdit), QStringLiteral("3.5"));
    Type(Ctrl<CNumericEdit>(headB.get(), ui::kHeadAlarmDelayEdit), QStringLiteral("12"));
    Ctrl<QCheckBox>(out1.get(), ui::kOutZeroSetSendCheck)->setChecked(true);

    Store().SetInt<kAppCurMemNo>(5);
    host->MemoryBankChanged(2, 5);
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutDecisionMax>(2, 0), 3.5);
    EXPECT_EQ(Store().GetInt<kHeadAlarmDelayTimes>(2, 1), 12);
    EXPECT_EQ(Store().GetInt<kOutZeroSetSend>(2, 0), 1);
    EXPECT_EQ(Ctrl<CNumericEdit>(out1.get(), ui::kOutDecisionMaxEdit)->text(),
              QStringLiteral("1.250000"));
    EXPECT_EQ(Ctrl<CNumericEdit>(headB.get(), ui::kHeadAlarmDelayEdit)->text(),
              QStringLiteral("77"));
    EXPECT_FALSE(Ctrl<QCheckBox>(out1.get(), ui::kOutZeroSetSendCheck)->isChecked());

    Store().SetInt<kAppCurMemNo>(2);
    host->MemoryBankChanged(5, 2);
    EXPECT_EQ(Ctrl<CNumericEdit>(out1.get(), ui::kOutDecisionMaxEdit)->text(),
              QStringLiteral("3.500000"));
    EXPECT_EQ(Ctrl<CNumericEdit>(headB.get(), ui::kHeadAlarmDelayEdit)->text(),
              QStringLiteral("12"));
    EXPECT_TRUE(Ctrl<QCheckBox>(out1.get(), ui::kOutZeroSetSendCheck)->isChecked());
}

TEST_F(PageTest, ValuesTheStoreGotMeanwhileAreNotOverwritten) {
    const int32_t bank = Bank();
    Store().SetDouble<kOutOffsetInput>(0.1234567, bank, 0);
    out1->RefreshFromStore(bank);
    Type(Ctrl<CNumericEdit>(out1.get(), ui::kOutDecisionMaxEdit), QStringLiteral("2.5"));
    host->TakeControlValues();
    // A read from the controller or an opened file replaces the values; the pages then show
    // them, and what they showed before never goes back into the store.
    Store().SetDouble<kOutDecisionMax>(9.0, bank, 0);
    Store().SetInt<kOutFilterSelect>(2, bank, 0);
    host->MemoryBankChanged(bank, bank);
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutDecisionMax>(bank, 0), 9.0);
    EXPECT_EQ(SelectedChoiceValue(Ctrl<QComboBox>(out1.get(), ui::kOutFilterList)), 2);
    // An unchanged real keeps all its digits, not the six the edit shows.
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutOffsetInput>(bank, 0), 0.1234567);
}

TEST_F(PageTest, InvalidEditsLeaveTheStoredValue) {
    const int32_t bank = Bank();
    Store().SetDouble<kOutDecisionMin>(-0.5, bank, 0);
    Store().SetInt<kHeadPeakLevel>(42, bank, 1);
    out1->RefreshFromStore(bank);
    headB->RefreshFromStore(bank);
    Type(Ctrl<CNumericEdit>(out1.get(), ui::kOutDecisionMinEdit), QStringLiteral("abc"));
    Ctrl<CNumericEdit>(headB.get(), ui::kHeadPeakLevelEdit)->clear();
    host->TakeControlValues();
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutDecisionMin>(bank, 0), -0.5);
    EXPECT_EQ(Store().GetInt<kHeadPeakLevel>(bank, 1), 42);

    // Out of the record's range: marked at once.
    auto* edit = Ctrl<CNumericEdit>(headB.get(), ui::kHeadPeakLevelEdit);
    Type(edit, QStringLiteral("150"));
    EXPECT_FALSE(edit->IsInRange());
    EXPECT_TRUE(edit->toolTip().contains(QStringLiteral("99")));
}

TEST_F(PageTest, EditingSendsNothingToTheController) {
    Choose(Ctrl<QComboBox>(out1.get(), ui::kOutPatternList), 8);
    Choose(Ctrl<QComboBox>(headB.get(), ui::kHeadSetupModeList), 2);
    Type(Ctrl<CNumericEdit>(out1.get(), ui::kOutOffsetEdit), QStringLiteral("0.25"));
    Choose(Ctrl<QComboBox>(common.get(), ui::kCommonSamplingCycleList), 1);
    host->TakeControlValues();
    Store().SetInt<kAppCurMemNo>(3);
    host->MemoryBankChanged(0, 3);
    QCoreApplication::processEvents();
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

TEST_F(PageTest, ReadOnlyLabelsInTheirFormats) {
    const int32_t bank = Bank();
    {
        auto lock = Store().Lock();
        Store().SetInt<kOutZeroSet>(1, bank, 0);
        Store().SetDouble<kOutZeroSetVal>(-0.125, bank, 0);
        Store().SetDouble<kOutSCALING_MeasureValue1>(-4.5, bank, 0);
        Store().SetDouble<kOutSCALING_MeasureValue2>(4.5, bank, 0);
        Store().SetDouble<kOutSCALING_VoltageValue1>(-5.0, bank, 0);
        Store().SetDouble<kOutSCALING_VoltageValue2>(2.5, bank, 0);
        Store().SetDouble<kHeadCALIB_MeasureValue1>(0.1, bank, 1);
        Store().SetDouble<kHeadCALIB_CorrectValue2>(2.0, bank, 1);
    }
    out1->RefreshFromStore(bank);
    headB->RefreshFromStore(bank);
    auto text = [](QWidget* page, int32_t id) { return Ctrl<QLabel>(page, id)->text(); };
    EXPECT_EQ(text(out1.get(), ui::kOutZeroSetList), QStringLiteral("1"));
    EXPECT_EQ(text(out1.get(), ui::kOutZeroSetValueEdit), QStringLiteral("-0.125000"));
    EXPECT_EQ(text(out1.get(), ui::kOutScalingMeasure1Text), QStringLiteral("-4.500000"));
    EXPECT_EQ(text(out1.get(), ui::kOutScalingMeasure2Text), QStringLiteral("4.500000"));
    EXPECT_EQ(text(out1.get(), ui::kOutScalingVoltage1Text), QStringLiteral("-5.000"));
    EXPECT_EQ(text(out1.get(), ui::kOutScalingVoltage2Text), QStringLiteral("2.500"));
    EXPECT_EQ(text(headB.get(), ui::kHeadCalibMeasureValue1Text), QStringLiteral("0.100000"));
    EXPECT_EQ(text(headB.get(), ui::kHeadCalibCorrectValue2Text), QStringLiteral("2.000000"));
    // Captions and units come from the records of the edits they show.
    EXPECT_FALSE(headB->findChild<QLabel*>(QStringLiteral("lbl1123"))->text().isEmpty());
    EXPECT_EQ(out1->findChild<QLabel*>(QStringLiteral("unit1668"))->text(), QStringLiteral("V"));
}

TEST_F(PageTest, MeasureModeRadiosWithTheListFallback) {
    const int32_t bank = Bank();
    QWidget* page = out1.get();
    Store().SetInt<kOutMeasureMode>(2, bank, 0);
    out1->RefreshFromStore(bank);
    EXPECT_TRUE(Ctrl<QRadioButton>(page, ui::kOutMeasureModeBottomRadio)->isChecked());
    EXPECT_FALSE(Ctrl<QRadioButton>(page, ui::kOutMeasureModeNormalRadio)->isChecked());
    // A value only the list has: no radio, the list's entry.
    Store().SetInt<kOutMeasureMode>(4, bank, 0);
    out1->RefreshFromStore(bank);
    for (int32_t id = ui::kOutMeasureModeNormalRadio; id <= ui::kOutMeasureModePeakToPeakRadio;
         ++id) {
        EXPECT_FALSE(Ctrl<QRadioButton>(page, id)->isChecked()) << id;
    }
    EXPECT_EQ(SelectedChoiceValue(Ctrl<QComboBox>(page, ui::kOutMeasureModeList)), 4);
    QTest::mouseClick(Ctrl<QRadioButton>(page, ui::kOutMeasureModePeakRadio), Qt::LeftButton);
    EXPECT_EQ(SelectedChoiceValue(Ctrl<QComboBox>(page, ui::kOutMeasureModeList)), 1);
    EXPECT_TRUE(Ctrl<QRadioButton>(page, ui::kOutMeasureModePeakRadio)->isChecked());
    host->TakeControlValues();
    EXPECT_EQ(Store().GetInt<kOutMeasureMode>(bank, 0), 1);
}

TEST_F(PageTest, ChangedValuesAreMarkedUntilSaved) {
    const int32_t bank = Bank();
    Store().MarkSaved();
    out1->RefreshChangeMarks();
    EXPECT_FALSE(out1->IsMarkedChanged(ui::kOutDecisionMaxEdit));
    Type(Ctrl<CNumericEdit>(out1.get(), ui::kOutDecisionMaxEdit), QStringLiteral("7.5"));
    EXPECT_TRUE(out1->IsMarkedChanged(ui::kOutDecisionMaxEdit));
    Choose(Ctrl<QComboBox>(out1.get(), ui::kOutFilterList), 2);
    EXPECT_TRUE(out1->IsMarkedChanged(ui::kOutFilterList));
    // Not counted: the zero-set check box is never saved.
    Ctrl<QCheckBox>(out1.get(), ui::kOutZeroSetSendCheck)->toggle();
    EXPECT_FALSE(out1->IsMarkedChanged(ui::kOutZeroSetSendCheck));
    host->TakeControlValues();
    ASSERT_DOUBLE_EQ(Store().GetDouble<kOutDecisionMax>(bank, 0), 7.5);
    Store().MarkSaved();
    out1->RefreshChangeMarks();
    EXPECT_FALSE(out1->IsMarkedChanged(ui::kOutDecisionMaxEdit));
    EXPECT_FALSE(out1->IsMarkedChanged(ui::kOutFilterList));
}

TEST_F(PageTest, AdjustmentButtonsFollowTheConnection) {
    EXPECT_TRUE(Ctrl(headB.get(), ui::kHeadCalibrationButton)->isEnabled());
    EXPECT_TRUE(Ctrl(headB.get(), ui::kHeadFloodLightButton)->isEnabled());
    EXPECT_TRUE(Ctrl(out1.get(), ui::kOutScalingButton)->isEnabled());
    app.SetConnectionState(0);
    host->LineStateChanged(0);
    EXPECT_FALSE(Ctrl(headB.get(), ui::kHeadCalibrationButton)->isEnabled());
    EXPECT_FALSE(Ctrl(headB.get(), ui::kHeadFloodLightButton)->isEnabled());
    EXPECT_FALSE(Ctrl(out1.get(), ui::kOutScalingButton)->isEnabled());
    // The options dialog needs no connection.
    EXPECT_TRUE(Ctrl(out1.get(), ui::kOutOptionsButton)->isEnabled());
    app.SetConnectionState(1);
    host->LineStateChanged(1);
    EXPECT_TRUE(Ctrl(out1.get(), ui::kOutScalingButton)->isEnabled());
}

}  // namespace
}  // namespace zul::test

// SPDX-License-Identifier: GPL-3.0-or-later
// The form base: UI records applied to real widgets, the framework calls and their propagation,
// the registry of windows and window positions.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "FrameworkTestSupport.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/UiApplier.h"

namespace zul::test {

using namespace zul::ui;
namespace {

template <class W>
W* Add(QWidget* parent, int32_t ctrlId, const QString& text = {}) {
    auto* widget = new W(parent);
    SetCtrlId(widget, ctrlId);
    if constexpr (std::is_base_of_v<QAbstractButton, W> || std::is_same_v<W, QLabel>) {
        widget->setText(text);
    }
    return widget;
}

class FormApplyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(definition.loadCode, ZUL_ERR);  // incomplete on purpose, records kept
        ASSERT_NE(definition.Get().FindById(60004), nullptr);
        form = std::make_unique<RecordingForm>(FormContext{&definition.Get(), nullptr});
        SetCtrlId(form.get(), 60000);
        label = Add<QLabel>(form.get(), 60001, "before");
        hidden = Add<QPushButton>(form.get(), 60002, "before");
        disabled = Add<QCheckBox>(form.get(), 60003, "before");
        list = Add<QComboBox>(form.get(), 60004);
        gatedPlain = Add<QPushButton>(form.get(), 60005);
        gatedHidden = Add<QPushButton>(form.get(), 60006);
        micron = Add<QLabel>(form.get(), 60007);
        edit = Add<CNumericEdit>(form.get(), 60008);
        states = Add<QPushButton>(form.get(), 60010);
        noRecord = Add<QPushButton>(form.get(), 60099, "kept");
        label->setBuddy(edit);
    }

    TestUiDefinition definition;
    std::unique_ptr<RecordingForm> form;
    QLabel* label = nullptr;
    QPushButton* hidden = nullptr;
    QCheckBox* disabled = nullptr;
    QComboBox* list = nullptr;
    QPushButton* gatedPlain = nullptr;
    QPushButton* gatedHidden = nullptr;
    QLabel* micron = nullptr;
    CNumericEdit* edit = nullptr;
    QPushButton* states = nullptr;
    QPushButton* noRecord = nullptr;
};

TEST_F(FormApplyTest, CaptionsTooltipsStatesAndColoursComeFromTheRecords) {
    form->ApplyUiDefinition();
    EXPECT_EQ(form->windowTitle(), "Test form");
    EXPECT_EQ(label->text(), "Head &A");
    EXPECT_EQ(label->toolTip(), "Distance to the head");
    EXPECT_TRUE(hidden->isHidden());
    EXPECT_FALSE(disabled->isHidden());
    EXPECT_FALSE(disabled->isEnabled());
    EXPECT_EQ(disabled->text(), "Disabled");
    EXPECT_TRUE(gatedPlain->isEnabled());  // no controller yet: version 0xFFFF
    // 0x00BBGGRR: 255 is red, 0xFF0000 is blue.
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0, 0, 255));
    // A caption list shows its first state until the window picks another.
    EXPECT_EQ(states->text(), "Connect");
    // A control without a record is left as it is.
    EXPECT_EQ(noRecord->text(), "kept");
    EXPECT_TRUE(noRecord->isEnabled());
    EXPECT_EQ(form->appliedCount, 1);
}

// Records are applied again after a controller reports its firmware, which may happen while a
// command holds every window disabled: the re-apply must not enable the held form.
TEST_F(FormApplyTest, ReapplyingKeepsAHeldFormDisabled) {
    form->EnableForm(false);
    form->ApplyUiDefinition();
    EXPECT_FALSE(form->isEnabled());
    form->EnableForm(true);
    EXPECT_TRUE(form->isEnabled());
    form->ApplyUiDefinition();
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(FormApplyTest, ChoiceListTakesAsManyEntriesAsBothListsHave) {
    form->ApplyUiDefinition();
    ASSERT_EQ(list->count(), 3);  // four texts, three values
    EXPECT_EQ(list->itemText(2), "thirty");
    EXPECT_EQ(list->itemData(0).toInt(), 10);
    EXPECT_EQ(list->itemData(2).toInt(), 30);
    // An empty list asks for -1: the record's Default (20).
    EXPECT_EQ(list->currentText(), "twenty");

    ASSERT_TRUE(form->FillChoiceList(60004, list, 30));
    EXPECT_EQ(SelectedChoiceValue(list), 30);
    ASSERT_TRUE(form->FillChoiceList(60004, list, 99));
    EXPECT_EQ(list->currentIndex(), 0);  // no match: the first entry
    // Re-applying keeps the value selected now.
    ASSERT_TRUE(form->FillChoiceList(60004, list, 30));
    form->ApplyUiDefinition();
    EXPECT_EQ(SelectedChoiceValue(list), 30);
    EXPECT_FALSE(form->FillChoiceList(60098, list, 10));  // no record: untouched
    EXPECT_EQ(list->count(), 3);
}

TEST_F(FormApplyTest, ChoiceListWithBankAliasesFromTheStore) {
    SettingsStore store;
    store.SetText(kSoftMemAlias, "line A", 0);
    store.SetText(kSoftMemAlias, "spare", 2);
    RecordingForm withStore(FormContext{&definition.Get(), &store});
    auto* bank = Add<QComboBox>(&withStore, 60004);
    ASSERT_TRUE(withStore.FillChoiceList(60004, bank, 20, true));
    EXPECT_EQ(bank->itemText(0), "ten line A");
    EXPECT_EQ(bank->itemText(2), "thirty spare");
    EXPECT_EQ(bank->currentIndex(), 1);
}

TEST_F(FormApplyTest, FirmwareGatingDisablesAndHidesOnlyWithThePrefix) {
    form->ApplyUiDefinition();
    definition.Get().ApplyControllerVersion(0x1FF);
    FormBase::ReapplyAllForms();
    EXPECT_FALSE(gatedPlain->isEnabled());
    EXPECT_FALSE(gatedPlain->isHidden());
    EXPECT_FALSE(gatedHidden->isEnabled());
    EXPECT_TRUE(gatedHidden->isHidden());
    // The file's own states come back with a controller that has the feature.
    definition.Get().ApplyControllerVersion(0x200);
    FormBase::ReapplyAllForms();
    EXPECT_TRUE(gatedPlain->isEnabled());
    EXPECT_TRUE(gatedHidden->isEnabled());
    EXPECT_FALSE(gatedHidden->isHidden());
    EXPECT_TRUE(hidden->isHidden());
    EXPECT_FALSE(disabled->isEnabled());
    EXPECT_EQ(form->appliedCount, 3);
}

TEST_F(FormApplyTest, MicronModeReplacesMillimetresInMarkedCaptions) {
    definition.Get().ApplyMicronMode(true, "\xC2\xB5m");
    form->ApplyUiDefinition();
    EXPECT_EQ(micron->text(), QString::fromUtf8("Range \xC2\xB5m"));
    EXPECT_EQ(states->text(), "Connect");  // not marked: unchanged
    definition.Get().ApplyMicronMode(false, "");
    form->ApplyUiDefinition();
    EXPECT_EQ(micron->text(), "Range mm");
}

TEST_F(FormApplyTest, EveryControlGetsAnAccessibleName) {
    form->ApplyUiDefinition();
    EXPECT_EQ(edit->accessibleName(), "Head A");  // its buddy label, without the mnemonic
    EXPECT_EQ(disabled->accessibleName(), "Disabled");
    EXPECT_EQ(form->accessibleName(), "Test form");
    // A renamed caption renames the control; a name the form set itself stays.
    noRecord->setAccessibleName("own name");
    definition.Get().ApplyMicronMode(true, "um");
    form->ApplyUiDefinition();
    EXPECT_EQ(micron->accessibleName(), "Range um");
    EXPECT_EQ(noRecord->accessibleName(), "own name");
    definition.Get().ApplyMicronMode(false, "");
}

TEST_F(FormApplyTest, NumericEditTakesKindDecimalsAndRangeFromItsRecord) {
    form->ApplyUiDefinition();
    EXPECT_EQ(edit->GetKind(), CNumericEdit::Kind::Real);
    EXPECT_EQ(edit->Decimals(), 3);
    EXPECT_DOUBLE_EQ(edit->Minimum(), -1.5);
    EXPECT_DOUBLE_EQ(edit->Maximum(), 2.25);
    EXPECT_EQ(edit->toolTip(), "Offset");
}

TEST_F(FormApplyTest, ATabPageKeepsItsControlsToItself) {
    // A page inside the form, with a control of its own that its rules keep enabled.
    RecordingForm page(FormContext{&definition.Get(), nullptr}, form.get(), form.get());
    auto* pageButton = Add<QPushButton>(&page, 60003, "page");
    form->ApplyUiDefinition();
    EXPECT_EQ(pageButton->text(), "page");  // not the form's to apply
    EXPECT_TRUE(pageButton->isEnabled());
    page.ApplyUiDefinition();
    EXPECT_EQ(pageButton->text(), "Disabled");
    EXPECT_FALSE(pageButton->isEnabled());
}

// --- Framework calls ---

class FormCallsTest : public ::testing::Test {
protected:
    TestUiDefinition definition;
    FormContext context{&definition.Get(), nullptr};
};

TEST_F(FormCallsTest, CallsReachChildFormsAfterTheParent) {
    RecordingForm parent(context);
    RecordingForm child(context, &parent, &parent);
    parent.LineStateChanged(1);
    parent.MemoryBankChanged(2, 5);
    parent.TakeControlValues();
    const std::vector<std::string> expected{"line 1", "bank 2->5", "take"};
    EXPECT_EQ(parent.calls, expected);
    EXPECT_EQ(child.calls, expected);
}

TEST_F(FormCallsTest, EnablingAndLockingNest) {
    RecordingForm parent(context);
    RecordingForm child(context, &parent);  // a window of its own, not a Qt child
    parent.EnableForm(false);
    parent.EnableForm(false);
    EXPECT_FALSE(parent.isEnabled());
    EXPECT_FALSE(child.isEnabled());
    parent.EnableForm(true);
    EXPECT_FALSE(parent.isEnabled());  // still held once
    EXPECT_FALSE(child.isEnabled());
    parent.EnableForm(true);
    EXPECT_TRUE(parent.isEnabled());
    EXPECT_TRUE(child.isEnabled());
    EXPECT_EQ(child.calls, (std::vector<std::string>{"disable", "enable"}));

    parent.LockPolling(true);
    parent.LockPolling(true);
    parent.LockPolling(false);
    EXPECT_TRUE(parent.IsPollingLocked());
    EXPECT_TRUE(child.IsPollingLocked());
    parent.LockPolling(false);
    EXPECT_FALSE(child.IsPollingLocked());
    parent.LockPolling(false);  // an extra unlock does not go below zero
    parent.LockPolling(true);
    EXPECT_TRUE(child.IsPollingLocked());
    EXPECT_EQ(parent.calls,
              (std::vector<std::string>{"disable", "enable", "locked", "unlocked", "locked"}));
}

TEST_F(FormCallsTest, DisableAllWindowsReachesEveryWindowAndNewOnes) {
    auto first = std::make_unique<RecordingForm>(context);
    RecordingForm second(context);
    RecordingForm child(context, first.get());
    FormBase::DisableAllWindows();
    EXPECT_FALSE(first->isEnabled());
    EXPECT_FALSE(second.isEnabled());
    EXPECT_FALSE(child.isEnabled());
    RecordingForm opened(context);  // opened while everything is disabled
    EXPECT_FALSE(opened.isEnabled());
    first.reset();  // a window closing meanwhile is forgotten
    FormBase::EnableAllWindows();
    EXPECT_TRUE(second.isEnabled());
    EXPECT_TRUE(child.isEnabled());
    EXPECT_TRUE(opened.isEnabled());
    FormBase::EnableAllWindows();  // unmatched: nothing happens
    EXPECT_TRUE(second.isEnabled());
}

// --- Window positions ---

TEST(FormPositionTest, PositionIsRestoredWhenShownAndStoredWhenClosed) {
    TestUiDefinition definition;
    SettingsStore store;
    store.SetInt(kLwFormLeft, 40);
    store.SetInt(kLwFormTop, 30);
    store.SetInt(kLwFormWidth, 320);
    store.SetInt(kLwFormHeight, 240);
    store.SetInt(kLwFormMode, 2);
    RecordingForm form(FormContext{&definition.Get(), &store});
    form.SetPositionItems(
        {kLwFormTop, kLwFormLeft, kLwFormWidth, kLwFormHeight, kLwFormMax, kLwFormMode});
    form.show();
    EXPECT_EQ(form.pos(), QPoint(40, 30));
    EXPECT_EQ(form.size(), QSize(320, 240));
    EXPECT_EQ(form.restoredMode, 2);

    form.move(70, 50);
    form.resize(300, 200);
    form.modeToStore = 1;
    form.close();
    EXPECT_EQ(store.GetInt(kLwFormLeft), 70);
    EXPECT_EQ(store.GetInt(kLwFormTop), 50);
    EXPECT_EQ(store.GetInt(kLwFormWidth), 300);
    EXPECT_EQ(store.GetInt(kLwFormHeight), 200);
    EXPECT_EQ(store.GetInt(kLwFormMax), 0);
    EXPECT_EQ(store.GetInt(kLwFormMode), 1);
}

TEST(FormPositionTest, ADialogEndedWithOkStoresItsPosition) {
    TestUiDefinition definition;
    SettingsStore store;
    RecordingForm form(FormContext{&definition.Get(), &store});
    form.SetPositionItems({kSoftFormTop, kSoftFormLeft});
    form.show();
    form.move(21, 43);
    form.hide();  // what QDialog::accept does
    EXPECT_EQ(store.GetInt(kSoftFormLeft), 21);
    EXPECT_EQ(store.GetInt(kSoftFormTop), 43);
}

TEST(FormPositionTest, DestroyingAShownFormStoresItsPosition) {
    TestUiDefinition definition;
    SettingsStore store;
    {
        RecordingForm form(FormContext{&definition.Get(), &store});
        form.SetPositionItems({kMainFormTop, kMainFormLeft});
        form.show();
        form.move(12, 34);
    }
    EXPECT_EQ(store.GetInt(kMainFormLeft), 12);
    EXPECT_EQ(store.GetInt(kMainFormTop), 34);
}

}  // namespace
}  // namespace zul::test

// SPDX-License-Identifier: GPL-3.0-or-later
// The scaling, calibration and flood-light forms and the output-options dialog against the
// emulator, opened from the settings pages as a user would, with the forms driven through the
// modal runner and the message boxes answered through the message-box host.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "FrameworkAccessibility.h"
#include "PageTestSupport.h"
#include "ui/adjust/AdjustPointsForm.h"
#include "ui/adjust/FloodLightForm.h"
#include "ui/forms/OutputOptionsForm.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/PageHead.h"
#include "ui/main/PageOutput.h"

namespace zul::test {

using namespace zul::ui;
namespace {

std::vector<std::string> WithPrefix(const std::vector<std::string>& frames,
                                    const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& frame : frames) {
        if (frame.rfind(prefix, 0) == 0) {
            out.push_back(frame);
        }
    }
    return out;
}

void SetField(ui::CAdjustPointsForm& form, int row, const QString& text) {
    CNumericEdit* edit = form.Field(row);
    edit->clear();
    QTest::keyClicks(edit, text);
}

class AdjustTest : public PageEmulatorTest {
protected:
    void SetUp() override {
        PageEmulatorTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        head = std::make_unique<ui::CPageHead>(app, host.get(), 0);
        out = std::make_unique<ui::CPageOutput>(app, host.get(), 0);
    }
    void DestroyPages() override {
        out.reset();
        head.reset();
    }
    QString LastBox() const { return boxes.shown.empty() ? QString() : boxes.shown.back().text; }

    std::unique_ptr<ui::CPageHead> head;
    std::unique_ptr<ui::CPageOutput> out;
};

TEST_F(AdjustTest, ScalingAppliesStoresAndRefreshesThePage) {
    const int32_t bank = Bank();
    forms.drive = [](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CAdjustPointsForm&>(dialog);
        EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("valueTarget"))->text(),
                  QStringLiteral("1"));
        SetField(form, 0, QStringLiteral("1.5"));    // MV1
        SetField(form, 1, QStringLiteral("-2"));     // VV1
        SetField(form, 2, QStringLiteral("-1.25"));  // MV2
        SetField(form, 3, QStringLiteral("4.5"));    // VV2
        form.Apply();
        return form.result();
    };
    QTest::mouseClick(Ctrl<QPushButton>(out.get(), ui::kOutScalingButton), Qt::LeftButton);
    EXPECT_EQ(forms.opened, 1);
    EXPECT_TRUE(boxes.shown.empty()) << LastBox().toStdString();
    const std::vector<std::string> frames = Frames();
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames[0], "%EE#RMC0");
    EXPECT_EQ(frames[1], "%EE#WAH3+001.500000");
    EXPECT_EQ(frames[2].substr(0, 8), "%EE#WAL3");
    EXPECT_EQ(frames[3].substr(0, 8), "%EE#WVH3");
    EXPECT_EQ(frames[4].substr(0, 8), "%EE#WVL3");
    EXPECT_EQ(frames[5], "%EE#WAS300001");
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutSCALING_MeasureValue1>(bank, 0), 1.5);
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutSCALING_MeasureValue2>(bank, 0), -1.25);
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutSCALING_VoltageValue1>(bank, 0), -2.0);
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutSCALING_VoltageValue2>(bank, 0), 4.5);
    EXPECT_EQ(Ctrl<QLabel>(out.get(), ui::kOutScalingMeasure1Text)->text(),
              QStringLiteral("1.500000"));
    EXPECT_EQ(Ctrl<QLabel>(out.get(), ui::kOutScalingVoltage2Text)->text(),
              QStringLiteral("4.500"));
}

TEST_F(AdjustTest, ScalingWithEqualPointsIsCancelledAndStaysOpen) {
    bool stayedOpen = false;
    forms.drive = [this, &stayedOpen](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CAdjustPointsForm&>(dialog);
        SetField(form, 0, QStringLiteral("1"));
        SetField(form, 1, QStringLiteral("-2"));
        SetField(form, 2, QStringLiteral("1"));
        SetField(form, 3, QStringLiteral("2"));
        form.Apply();
        stayedOpen = form.result() == 0 && form.isEnabled() && !form.IsBusy();
        form.reject();
        Flush();
        return form.result();
    };
    out->OpenScaling();
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_BAD_SCALING));
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    const std::vector<std::string> frames = Frames();
    EXPECT_EQ(WithPrefix(frames, "%EE#WA").size(), 3u);  // WAH, WAL, WAS cancel
    EXPECT_EQ(WithPrefix(frames, "%EE#WV").size(), 2u);
    EXPECT_EQ(WithPrefix(frames, "%EE#WAS300002").size(), 1u);
    EXPECT_TRUE(WithPrefix(frames, "%EE#WAS300001").empty());
}

TEST_F(AdjustTest, ScalingValueOutOfRangeStopsBeforeItsCommandAndIsNotKept) {
    const int32_t bank = Bank();
    Store().SetDouble<kOutSCALING_MeasureValue2>(3.0, bank, 0);
    forms.drive = [this](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CAdjustPointsForm&>(dialog);
        SetField(form, 0, QStringLiteral("1"));
        SetField(form, 2, QStringLiteral("5000"));  // beyond 999.999999
        form.Apply();
        form.reject();
        Flush();
        return form.result();
    };
    out->OpenScaling();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_RANGE));
    const std::vector<std::string> frames = Frames();
    EXPECT_EQ(WithPrefix(frames, "%EE#WAH3").size(), 1u);
    EXPECT_TRUE(WithPrefix(frames, "%EE#WAL3").empty());
    EXPECT_EQ(WithPrefix(frames, "%EE#WAS300002").size(), 1u);
    // The refused value never stays in the store.
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutSCALING_MeasureValue2>(bank, 0), 3.0);
    EXPECT_FALSE(Store().IsItemInvalid(app.Ui(), kOutSCALING_MeasureValue2, bank, 0));
}

TEST_F(AdjustTest, ScalingCommunicationFailureSendsTheCancel) {
    forms.drive = [this](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CAdjustPointsForm&>(dialog);
        SetField(form, 0, QStringLiteral("1"));
        SetField(form, 1, QStringLiteral("-2"));
        SetField(form, 2, QStringLiteral("-1"));
        SetField(form, 3, QStringLiteral("2"));
        sim::SimFaults faults;
        faults.silent = 1;  // the first value command gets no reply
        sim.SetFaults(faults);
        form.Apply();
        EXPECT_TRUE(form.isEnabled());
        form.reject();
        Flush();
        return form.result();
    };
    out->OpenScaling();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_COMM_TIMEOUT));
    const std::vector<std::string> frames = Frames();
    EXPECT_TRUE(WithPrefix(frames, "%EE#WAL3").empty());
    EXPECT_EQ(WithPrefix(frames, "%EE#WAS300002").size(), 1u);
}

TEST_F(AdjustTest, ScalingRefusesAFieldWithoutANumberAndCancelSendsNothing) {
    const int32_t bank = Bank();
    const double before = Store().GetDouble<kOutSCALING_VoltageValue1>(bank, 0);
    forms.drive = [](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CAdjustPointsForm&>(dialog);
        SetField(form, 1, QString());
        form.Apply();
        form.reject();
        return form.result();
    };
    out->OpenScaling();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_BAD_SCALING));
    Flush();
    const std::vector<std::string> frames = Frames();
    ASSERT_EQ(frames.size(), 2u);  // the match check and the flush
    EXPECT_EQ(Store().GetDouble<kOutSCALING_VoltageValue1>(bank, 0), before);
}

TEST_F(AdjustTest, FormsDoNotOpenOnAnotherBank) {
    Store().SetInt<kAppCurMemNo>(3);
    out->OpenScaling();
    head->OpenCalibration();
    head->OpenFloodLight();
    EXPECT_EQ(forms.opened, 0);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].style, kMbError);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("3"))) << LastBox().toStdString();
    EXPECT_EQ(WithPrefix(Frames(), "%EE#RMC0").size(), 3u);
    EXPECT_TRUE(WithPrefix(Frames(), "%EE#WDD").empty());
}

TEST_F(AdjustTest, TakeCurrentValueReadsTheOutput) {
    sim.SetFixedDisplacement(0, 1.5);
    sim.AdvanceClock(std::chrono::milliseconds(10));
    double taken = 0.0;
    forms.drive = [&taken](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CAdjustPointsForm&>(dialog);
        form.TakeCurrentValue(1);
        taken = form.Points().measure2.value_or(-1.0);
        form.reject();
        return form.result();
    };
    out->OpenScaling();
    EXPECT_TRUE(boxes.shown.empty()) << LastBox().toStdString();
    EXPECT_EQ(WithPrefix(Frames(), "%EE#RMD3").size(), 1u);
    // OUT1 measures Head A, fixed at 1.5 mm; the value is also the stored point.
    EXPECT_NEAR(taken, 1.5, 1e-3);
    EXPECT_DOUBLE_EQ(taken, Store().GetDouble<kOutSCALING_MeasureValue2>(Bank(), 0));
}

TEST_F(AdjustTest, FormsOpenOfflineWithoutARequest) {
    app.SetConnectionState(0);
    bool takeEnabled = true;
    forms.drive = [&takeEnabled](QDialog& form) {
        takeEnabled = Ctrl(&form, ui::kScalingTake1Button)->isEnabled();
        form.reject();
        return form.result();
    };
    out->OpenScaling();
    EXPECT_EQ(forms.opened, 1);
    EXPECT_FALSE(takeEnabled);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(sim.ReceivedFrames().empty());
    app.SetConnectionState(1);
}

// Point 1 of the scaling may only lie between 0 and 1 mm here; OUT1 measures 1.5 mm.
class AdjustRangeTest : public AdjustTest {
public:
    AdjustRangeTest() {
        editUi_ = [](std::string text) {
            const size_t section = text.find("[Scaling_EdtMeasureValue1]");
            const size_t max = text.find("MaxVal=", section);
            const size_t min = text.find("MinVal=", section);
            text.replace(max, text.find('\n', max) - max, "MaxVal=\"1.000000\"");
            text.replace(min, text.find('\n', min) - min, "MinVal=\"0.000000\"");
            return text;
        };
    }
};

TEST_F(AdjustRangeTest, TakenValueOutOfRangeIsShownAndNotKept) {
    const int32_t bank = Bank();
    Store().SetDouble<kOutSCALING_MeasureValue1>(0.5, bank, 0);
    sim.SetFixedDisplacement(0, 1.5);
    sim.AdvanceClock(std::chrono::milliseconds(10));
    QString field;
    forms.drive = [&field](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CAdjustPointsForm&>(dialog);
        form.TakeCurrentValue(0);
        field = form.Field(0)->text();
        form.reject();
        return form.result();
    };
    out->OpenScaling();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_SCALING_ALARM));
    EXPECT_EQ(field, QStringLiteral("0.500000"));
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutSCALING_MeasureValue1>(bank, 0), 0.5);
}

TEST_F(AdjustTest, CalibrationOpensAppliesAndStores) {
    const int32_t bank = Bank();
    forms.drive = [](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CAdjustPointsForm&>(dialog);
        EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("valueTarget"))->text(),
                  QStringLiteral("A"));
        SetField(form, 0, QStringLiteral("0.2"));   // MV1
        SetField(form, 1, QStringLiteral("0.25"));  // CV1
        SetField(form, 2, QStringLiteral("0.8"));   // MV2
        SetField(form, 3, QStringLiteral("0.75"));  // CV2
        form.Apply();
        return form.result();
    };
    QTest::mouseClick(Ctrl<QPushButton>(head.get(), ui::kHeadCalibrationButton), Qt::LeftButton);
    EXPECT_TRUE(boxes.shown.empty()) << LastBox().toStdString();
    const std::vector<std::string> frames = Frames();
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(frames[1], "%EE#WDD02619026190100");
    EXPECT_EQ(frames[2], "%EE#WCA1+000.200000");
    EXPECT_EQ(frames[3].substr(0, 8), "%EE#WCB1");
    EXPECT_EQ(frames[4].substr(0, 8), "%EE#WHA1");
    EXPECT_EQ(frames[5].substr(0, 8), "%EE#WHB1");
    EXPECT_EQ(frames[6], "%EE#WCE100001");
    EXPECT_DOUBLE_EQ(Store().GetDouble<kHeadCALIB_CorrectValue2>(bank, 0), 0.75);
    EXPECT_EQ(Ctrl<QLabel>(head.get(), ui::kHeadCalibMeasureValue1Text)->text(),
              QStringLiteral("0.200000"));
    EXPECT_EQ(Ctrl<QLabel>(head.get(), ui::kHeadCalibCorrectValue2Text)->text(),
              QStringLiteral("0.750000"));
}

TEST_F(AdjustTest, CalibrationCancelAndInvalidSetSendTheCancel) {
    forms.drive = [this](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CAdjustPointsForm&>(dialog);
        SetField(form, 0, QStringLiteral("0.5"));
        SetField(form, 1, QStringLiteral("0.25"));
        SetField(form, 2, QStringLiteral("0.5"));
        SetField(form, 3, QStringLiteral("0.75"));
        form.Apply();
        form.reject();
        Flush();
        return form.result();
    };
    head->OpenCalibration();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_BAD_CALIB));
    // One cancel after the failed apply, one from the Cancel button.
    EXPECT_EQ(WithPrefix(Frames(), "%EE#WCE100002").size(), 2u);
    EXPECT_TRUE(WithPrefix(Frames(), "%EE#WCE100001").empty());
}

// Runs the flood-light form's timer by hand, advancing the emulator's clock with it, until the
// search has ended (bounded).
void RunSearch(ui::CFloodLightForm& form, sim::Simulator& sim) {
    for (int tick = 0; tick < 400 && form.State() != FloodLightState::kEnded; ++tick) {
        sim.AdvanceClock(std::chrono::milliseconds(100));
        form.Tick();
        if (form.State() == FloodLightState::kPolling) {
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return form.State() != FloodLightState::kPolling; }, 5000));
        }
    }
}

TEST_F(AdjustTest, FloodLightSearchRunsToItsResult) {
    const int32_t bank = Bank();
    int polls = 0;
    forms.drive = [this, &polls](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CFloodLightForm&>(dialog);
        EXPECT_TRUE(form.IsTimerActive());
        EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("valueHead"))->text(),
                  QStringLiteral("A"));
        form.Start();
        EXPECT_EQ(form.State(), FloodLightState::kWaiting);
        // Nine ticks pass quietly; the tenth polls.
        for (int i = 0; i < 9; ++i) {
            form.Tick();
        }
        EXPECT_EQ(form.State(), FloodLightState::kWaiting);
        form.Tick();
        EXPECT_EQ(form.State(), FloodLightState::kPolling);
        RunSearch(form, sim);
        polls = static_cast<int>(WithPrefix(Frames(), "%EE#RFC1").size());
        EXPECT_EQ(form.State(), FloodLightState::kEnded);
        EXPECT_TRUE(FindControl<QPushButton>(&form, ui::kFloodLightStartButton)->isEnabled());
        form.reject();
        return form.result();
    };
    head->OpenFloodLight();
    EXPECT_GE(polls, 2);
    EXPECT_EQ(WithPrefix(Frames(), "%EE#WFC100001").size(), 1u);
    EXPECT_EQ(WithPrefix(Frames(), "%EE#RFB1").size(), 1u);
    const int32_t result = Store().GetInt<kHeadFloodLightAjust>(bank, 0);
    EXPECT_GT(result, 0);
    EXPECT_TRUE(boxes.shown.empty()) << LastBox().toStdString();
    // The page shows the result; automatic light is off, so the peak-search cells are disabled.
    EXPECT_EQ(SelectedChoiceValue(Ctrl<QComboBox>(head.get(), ui::kFloodLightChoicesList)), result);
    EXPECT_FALSE(Ctrl(head.get(), ui::kHeadPeakSearchStartEdit)->isEnabled());
}

TEST_F(AdjustTest, FloodLightResultZeroIsStoredShownAndReported) {
    const int32_t bank = Bank();
    Store().SetInt<kHeadFloodLightAjust>(30, bank, 0);
    sim.WriteWord(2600 + 17, 1);  // laser off: no light amount is enough
    QString shown;
    forms.drive = [this, &shown](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CFloodLightForm&>(dialog);
        form.Start();
        RunSearch(form, sim);
        shown = form.findChild<QLabel*>(QStringLiteral("valueResult"))->text();
        EXPECT_TRUE(FindControl<QPushButton>(&form, ui::kFloodLightStartButton)->isEnabled());
        form.reject();
        return form.result();
    };
    head->OpenFloodLight();
    EXPECT_EQ(Store().GetInt<kHeadFloodLightAjust>(bank, 0), 0);
    EXPECT_EQ(shown, QString::fromStdString(
                         app.Ui().FillChoiceList(ui::kFloodLightChoicesList, 0).entries[0].text));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_FLOOD_LIGHT_SEARCH));
    EXPECT_TRUE(Ctrl(head.get(), ui::kHeadPeakSearchStartEdit)->isEnabled());
}

TEST_F(AdjustTest, FloodLightFailedPollEndsTheSearch) {
    forms.drive = [this](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CFloodLightForm&>(dialog);
        form.Start();
        sim::SimFaults faults;
        faults.silent = 1;  // the first poll gets no reply
        sim.SetFaults(faults);
        RunSearch(form, sim);
        EXPECT_EQ(form.State(), FloodLightState::kEnded);
        EXPECT_TRUE(FindControl<QPushButton>(&form, ui::kFloodLightStartButton)->isEnabled());
        form.reject();
        return form.result();
    };
    head->OpenFloodLight();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, ErrorText(ZUL_ERR_COMM_TIMEOUT));
    EXPECT_TRUE(WithPrefix(Frames(), "%EE#RFB1").empty());
}

TEST_F(AdjustTest, FloodLightFormClosedWhileAPollIsOutstanding) {
    forms.drive = [this](QDialog& dialog) {
        auto& form = dynamic_cast<ui::CFloodLightForm&>(dialog);
        form.Start();
        sim::SimFaults faults;
        faults.delayed = 1;
        faults.delayMs = 300;
        sim.SetFaults(faults);
        for (int i = 0; i < 10; ++i) {
            form.Tick();
        }
        EXPECT_EQ(form.State(), FloodLightState::kPolling);
        form.reject();
        EXPECT_FALSE(form.IsTimerActive());
        return form.result();
    };
    head->OpenFloodLight();
    // The form is gone; whatever the poll's reply does now must not reach it.
    Flush();
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(WithPrefix(Frames(), "%EE#RFB1").empty());
}

TEST_F(AdjustTest, OutputOptionsEditAPrivateCopyAssignedOnOk) {
    const int32_t bank = Bank();
    {
        auto lock = Store().Lock();
        Store().SetInt<kOutTriggerSelect>(0, bank, 0);
        Store().SetDouble<kOutInnerTriggerLevel>(0.5, bank, 0);
        Store().SetInt<kOutCycleTriggerTerm>(100, bank, 0);
    }
    auto edit = [](QDialog& form) {
        auto* list = Ctrl<QComboBox>(&form, ui::kOutTriggerSelectList);
        list->setCurrentIndex(list->findData(2));
        auto* level = Ctrl<CNumericEdit>(&form, ui::kOutInnerTriggerLevelEdit);
        level->clear();
        QTest::keyClicks(level, QStringLiteral("-1.25"));
        auto* cycle = Ctrl<CNumericEdit>(&form, ui::kOutCycleTriggerTermEdit);
        cycle->clear();
        QTest::keyClicks(cycle, QStringLiteral("x"));  // not a number: the value is kept
    };
    forms.drive = [&edit](QDialog& form) {
        edit(form);
        form.reject();
        return form.result();
    };
    out->OpenOutputOptions();
    EXPECT_EQ(Store().GetInt<kOutTriggerSelect>(bank, 0), 0);
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutInnerTriggerLevel>(bank, 0), 0.5);

    forms.drive = [&edit](QDialog& form) {
        EXPECT_DOUBLE_EQ(dynamic_cast<ui::COutputOptionsForm&>(form).Copy()[3].value,
                         0.5);  // level
        edit(form);
        form.accept();
        return form.result();
    };
    QTest::mouseClick(Ctrl<QPushButton>(out.get(), ui::kOutOptionsButton), Qt::LeftButton);
    EXPECT_EQ(Store().GetInt<kOutTriggerSelect>(bank, 0), 2);
    EXPECT_DOUBLE_EQ(Store().GetDouble<kOutInnerTriggerLevel>(bank, 0), -1.25);
    EXPECT_EQ(Store().GetInt<kOutCycleTriggerTerm>(bank, 0), 100);
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

// Each adjustment form opens where it was last closed and stores where it was when it closes;
// the positions are not settings a user saves, so the save question stays away.
TEST_F(AdjustTest, EachFormRestoresAndStoresItsPositionWithoutCountingAsAChange) {
    struct Case {
        int32_t top;
        int32_t left;
        std::function<void()> open;
    };
    const std::vector<Case> cases = {
        {kScalingFormTop, kScalingFormLeft, [this] { out->OpenScaling(); }},
        {kCalibFormTop, kCalibFormLeft, [this] { head->OpenCalibration(); }},
        {kFloodFormTop, kFloodFormLeft, [this] { head->OpenFloodLight(); }},
    };
    Store().MarkSaved();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.top);
        Store().SetInt(c.left, 57);
        Store().SetInt(c.top, 41);
        Store().MarkSaved();
        QPoint opened;
        forms.drive = [&opened](QDialog& dialog) {
            dialog.show();
            opened = dialog.pos();
            dialog.move(133, 88);
            dialog.reject();
            return static_cast<int>(QDialog::Rejected);
        };
        const int before = forms.opened;
        c.open();
        ASSERT_EQ(forms.opened, before + 1) << (boxes.shown.empty() ? "" : LastBox().toStdString());
        EXPECT_EQ(opened, QPoint(57, 41));
        EXPECT_EQ(Store().GetInt(c.left), 133);
        EXPECT_EQ(Store().GetInt(c.top), 88);
        EXPECT_TRUE(Store().IsUnchanged());
    }
}

// Every control of the four forms a user reaches with the keyboard has a name for screen
// readers (a label beside it, or its own caption).
TEST_F(AdjustTest, EveryFormControlHasAnAccessibleName) {
    const std::vector<std::function<void()>> openers = {
        [this] { out->OpenScaling(); },
        [this] { head->OpenCalibration(); },
        [this] { head->OpenFloodLight(); },
        [this] { out->OpenOutputOptions(); },
    };
    for (size_t i = 0; i < openers.size(); ++i) {
        QStringList unnamed;
        size_t controls = 0;
        forms.drive = [&](QDialog& dialog) {
            dialog.show();
            controls = KeyboardControls(&dialog).size();
            unnamed = UnnamedKeyboardControls(&dialog);
            dialog.reject();
            return static_cast<int>(QDialog::Rejected);
        };
        const int before = forms.opened;
        openers[i]();
        ASSERT_EQ(forms.opened, before + 1) << i;
        EXPECT_GE(controls, 2u) << i;
        EXPECT_TRUE(unnamed.isEmpty()) << i << ": " << unnamed.join(", ").toStdString();
    }
}

}  // namespace
}  // namespace zul::test

// SPDX-License-Identifier: GPL-3.0-or-later
// Scaling and calibration apply, take-current-value and the calibration opener against a
// scripted controller, with the shipped UI definition's ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "acqsupport/ScriptedGate.h"
#include "adjust/AdjustSequences.h"
#include "link/FieldCodec.h"

namespace zul {
namespace {

using test::ScriptedGate;

class AdjustTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResultInfo info;
        ASSERT_EQ(ui.Load(std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs", &info), ZUL_OK)
            << info.detail1;
        store.SetInt<kAppCurMemNo>(3);
    }

    ScriptedGate::Answer Answer(const std::string& command) {
        std::lock_guard lock(mutex_);
        std::string mnemonic = command.substr(4, 3);
        if (command.substr(4, 4) == failOn_) {
            return {ZUL_OK, "%EE!31"};
        }
        if (mnemonic == "RMD") {
            return {ZUL_OK, "%EE$RMD" + FormatReal11(measured_)};
        }
        if (mnemonic == "WDD") {
            return {ZUL_OK, "%EE$WD"};
        }
        return {ZUL_OK, "%EE$" + mnemonic};
    }

    static AdjustPoints Points(double m1, double m2, double s1, double s2) {
        AdjustPoints p;
        p.measure1 = m1;
        p.measure2 = m2;
        p.second1 = s1;
        p.second2 = s2;
        return p;
    }

    std::mutex mutex_;
    std::string failOn_;
    double measured_ = 1.25;
    ScriptedGate gate{[this](const std::string& c) { return Answer(c); }};
    SettingsStore store;
    UiDefinition ui;
};

TEST(AdjustPointsTest, ValidityNeedsTwoDifferentPointsAndRejectsNaN) {
    AdjustPoints p;
    p.measure1 = 1.0;
    p.measure2 = 2.0;
    p.second1 = 0.0;
    p.second2 = 5.0;
    EXPECT_TRUE(p.IsValid());
    AdjustPoints same = p;
    same.measure2 = 1.0;
    EXPECT_FALSE(same.IsValid());
    AdjustPoints sameSecond = p;
    sameSecond.second2 = 0.0;
    EXPECT_FALSE(sameSecond.IsValid());
    AdjustPoints nan = p;
    nan.measure1 = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(nan.IsValid());
    AdjustPoints empty = p;
    empty.second1.reset();
    EXPECT_FALSE(empty.IsValid());
}

TEST_F(AdjustTest, ScalingApplySendsValuesInOrderThenExecutes) {
    ResultInfo info;
    ASSERT_EQ(ApplyAdjustment(gate, store, ui, AdjustKind::kScaling, 1,
                              Points(1.5, -2.25, 1.0, 4.5), &info),
              ZUL_OK);
    EXPECT_EQ(gate.Commands(), (std::vector<std::string>{
                                   "%EE#WAH4+001.500000", "%EE#WAL4-002.250000",
                                   "%EE#WVH4+001.000000", "%EE#WVL4+004.500000", "%EE#WAS400001"}));
    EXPECT_TRUE(gate.Posted().empty());
    EXPECT_DOUBLE_EQ(store.GetDouble<kOutSCALING_MeasureValue2>(3, 1), -2.25);
    EXPECT_DOUBLE_EQ(store.GetDouble<kOutSCALING_VoltageValue2>(3, 1), 4.5);
}

TEST_F(AdjustTest, EqualMeasureValuesSendTheValuesThenCancel) {
    ResultInfo info;
    EXPECT_EQ(ApplyAdjustment(gate, store, ui, AdjustKind::kScaling, 0, Points(1.0, 1.0, 1.0, 4.0),
                              &info),
              ZUL_ERR_BAD_SCALING);
    EXPECT_EQ(gate.Commands().size(), 5u);  // four values and the posted cancel
    EXPECT_EQ(gate.CountOf("%EE#WAS300001"), 0u);
    EXPECT_EQ(gate.Posted(), (std::vector<std::string>{"%EE#WAS300002"}));
}

TEST_F(AdjustTest, CancelCanBeWaitedFor) {
    ResultInfo info;
    EXPECT_EQ(ApplyAdjustment(gate, store, ui, AdjustKind::kCalibration, 0,
                              Points(1.0, 1.0, 1.0, 4.0), &info, true),
              ZUL_ERR_BAD_CALIB);
    EXPECT_TRUE(gate.Posted().empty());
    EXPECT_EQ(gate.Commands().back(), "%EE#WCE100002");
    EXPECT_EQ(info.code, ZUL_ERR_BAD_CALIB);
}

TEST_F(AdjustTest, OutOfRangeValueStopsBeforeItsCommand) {
    ResultInfo info;
    EXPECT_EQ(ApplyAdjustment(gate, store, ui, AdjustKind::kScaling, 0,
                              Points(1.0, 5000.0, 1.0, 4.0), &info),
              ZUL_ERR_RANGE);
    EXPECT_EQ(gate.Commands(), (std::vector<std::string>{"%EE#WAH3+001.000000", "%EE#WAS300002"}));
    // The store holds what was put into it up to the failure.
    EXPECT_DOUBLE_EQ(store.GetDouble<kOutSCALING_MeasureValue2>(3, 0), 5000.0);
}

TEST_F(AdjustTest, FieldWithoutNumberIsSkippedAndMakesTheSetInvalid) {
    AdjustPoints p = Points(1.0, 2.0, 1.0, 4.0);
    p.second1.reset();
    ResultInfo info;
    EXPECT_EQ(ApplyAdjustment(gate, store, ui, AdjustKind::kCalibration, 1, p, &info),
              ZUL_ERR_BAD_CALIB);
    EXPECT_EQ(gate.CountOf("%EE#WHA"), 0u);
    EXPECT_EQ(gate.CountOf("%EE#WCA2"), 1u);
    EXPECT_EQ(gate.Posted(), (std::vector<std::string>{"%EE#WCE200002"}));
}

TEST_F(AdjustTest, FailedCommandStopsWithItsResultAndCancels) {
    failOn_ = "WCB1";
    ResultInfo info;
    EXPECT_EQ(ApplyAdjustment(gate, store, ui, AdjustKind::kCalibration, 0,
                              Points(1.0, 2.0, 1.1, 2.1), &info),
              ZUL_ERR_COMM_RES);
    EXPECT_EQ(info.osError, 31);
    EXPECT_EQ(gate.Commands(), (std::vector<std::string>{"%EE#WCA1+001.000000",
                                                         "%EE#WCB1+002.000000", "%EE#WCE100002"}));
}

TEST_F(AdjustTest, TakeCurrentValueStoresTheMeasuredValue) {
    double value = 0.0;
    ResultInfo info;
    ASSERT_EQ(TakeCurrentValue(gate, store, ui, AdjustKind::kScaling, 1, 1, &value, &info), ZUL_OK);
    EXPECT_EQ(gate.Commands(), (std::vector<std::string>{"%EE#RMD4"}));
    EXPECT_DOUBLE_EQ(value, 1.25);
    EXPECT_DOUBLE_EQ(store.GetDouble<kOutSCALING_MeasureValue2>(3, 1), 1.25);

    measured_ = 5000.0;
    value = 0.0;
    EXPECT_EQ(TakeCurrentValue(gate, store, ui, AdjustKind::kCalibration, 0, 0, &value, &info),
              ZUL_ERR_CALIB_ALARM);
    EXPECT_EQ(gate.Commands().back(), "%EE#RMD3");
    EXPECT_DOUBLE_EQ(value, 0.0);
}

TEST_F(AdjustTest, OpenCalibrationWritesWordNineteenOfTheHeadBlock) {
    ResultInfo info;
    ASSERT_EQ(OpenCalibration(gate, 0, &info), ZUL_OK);
    ASSERT_EQ(OpenCalibration(gate, 1, &info), ZUL_OK);
    EXPECT_EQ(gate.Commands(),
              (std::vector<std::string>{"%EE#WDD02619026190100", "%EE#WDD02719027190100"}));
}

TEST_F(AdjustTest, StoredPointsRoundTrip) {
    StoreAdjustPoints(store, AdjustKind::kCalibration, 1, Points(0.5, 1.5, 0.6, 1.4));
    AdjustPoints back = StoredAdjustPoints(store, AdjustKind::kCalibration, 1);
    EXPECT_DOUBLE_EQ(*back.measure1, 0.5);
    EXPECT_DOUBLE_EQ(*back.measure2, 1.5);
    EXPECT_DOUBLE_EQ(*back.second1, 0.6);
    EXPECT_DOUBLE_EQ(*back.second2, 1.4);
    EXPECT_DOUBLE_EQ(store.GetDouble<kHeadCALIB_CorrectValue2>(3, 1), 1.4);
}

}  // namespace
}  // namespace zul

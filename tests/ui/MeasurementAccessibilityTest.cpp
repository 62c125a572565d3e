// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader reads from the measurement window: each value under its caption, with
// the value itself as the text that follows every cycle; a held output keeps showing (and
// saying) what it holds when the window is laid out again.
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "MeasurementBufferingFixture.h"
#include "app/ConnectSequence.h"
#include "settings/UiDefinition.h"
#include "ui/framework/QtText.h"
#include "ui/framework/UiApplier.h"
#include "ui/measurement/MeasurementWnd.h"

namespace zul::test {

using namespace zul::ui;
namespace {

constexpr int kWaitMs = 5000;

class MeasurementAccessibilityTest : public WindowEmulatorTest {
protected:
    void SetUp() override {
        WindowEmulatorTest::SetUp();
        app.Store().SetInt<kSoftMeasureCycle>(1);
        wnd = std::make_unique<CMeasurementWnd>(app, nullptr);
        wnd->show();
    }
    void CloseWindows() override { wnd.reset(); }

    // Lets polling run until one more cycle has come back, then holds it still.
    bool NextCycle() {
        wnd->LockPolling(false);
        QSignalSpy spy(wnd.get(), &CMeasurementWnd::cycleFinished);
        const bool came = spy.wait(kWaitMs) && spy.wait(kWaitMs);
        wnd->LockPolling(true);
        return came;
    }
    QLabel* Label(int id) { return FindControl<QLabel>(wnd.get(), id); }
    static QString Read(QLabel* label, QAccessible::Text what) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label);
        return iface != nullptr ? iface->text(what) : QStringLiteral("(no interface)");
    }
    QString Caption(int id) { return CaptionText(app.Ui().FindById(id)->caption); }

    std::unique_ptr<CMeasurementWnd> wnd;
};

TEST_F(MeasurementAccessibilityTest, EachValueIsNamedByItsCaptionAndReadAsItsValue) {
    sim.SetFixedDisplacement(0, 1.25);
    wnd->LockPolling(true);
    ASSERT_TRUE(NextCycle());
    // Measured value and zero-set offset of both outputs.
    std::map<int, QString> before;
    for (int id : {kMeasOut1Value, kMeasOut1Offset, kMeasOut2Value, kMeasOut2Offset}) {
        QLabel* label = Label(id);
        ASSERT_NE(label, nullptr) << id;
        EXPECT_NE(label->text(), Caption(id)) << id;  // a value is shown, not the caption
        EXPECT_EQ(Read(label, QAccessible::Name), Caption(id)) << id;
        EXPECT_EQ(Read(label, QAccessible::Description), label->text()) << id;
        before[id] = label->text();
    }
    // The next value is read as it is shown.
    sim.SetFixedDisplacement(0, 2.5);
    ASSERT_TRUE(NextCycle());
    EXPECT_NE(Label(kMeasOut1Value)->text(), before[kMeasOut1Value]);
    EXPECT_EQ(Read(Label(kMeasOut1Value), QAccessible::Description), Label(kMeasOut1Value)->text());
    EXPECT_EQ(Read(Label(kMeasOut1Value), QAccessible::Name), Caption(kMeasOut1Value));
}

TEST_F(MeasurementAccessibilityTest, AHeldOutputKeepsItsValueAndLampsWhenTheLayoutChanges) {
    sim.SetFixedDisplacement(0, 1.0);
    wnd->LockPolling(true);
    ASSERT_TRUE(NextCycle());
    QTest::mouseClick(FindControl<QPushButton>(wnd.get(), kMeasOut1HoldButton), Qt::LeftButton);
    ASSERT_TRUE(wnd->IsHeld(0));
    const QString frozen = Label(kMeasOut1Value)->text();
    const QString offset = Label(kMeasOut1Offset)->text();
    std::map<int, QColor> lamps;
    for (int id : {kMeasOut1AlarmLamp, kMeasOut1HiLamp, kMeasOut1GoLamp, kMeasOut1LowLamp,
                   kMeasOut1StrobeLamp}) {
        lamps[id] = Label(id)->palette().color(QPalette::Window);
    }
    sim.SetFixedDisplacement(0, 2.5);
    ASSERT_TRUE(NextCycle());
    // OUT2 switched off and on again: the window is laid out twice.
    FindControl<QAction>(wnd.get(), kMeasShowOut2Menu)->trigger();
    ASSERT_FALSE(wnd->Shown().out2);
    EXPECT_EQ(Label(kMeasOut1Value)->text(), frozen);
    EXPECT_EQ(Label(kMeasOut1Offset)->text(), offset);
    EXPECT_EQ(Read(Label(kMeasOut1Value), QAccessible::Description), frozen);
    for (const auto& [id, colour] : lamps) {
        EXPECT_EQ(Label(id)->palette().color(QPalette::Window), colour) << id;
    }
    FindControl<QAction>(wnd.get(), kMeasShowOut2Menu)->trigger();
    ASSERT_TRUE(wnd->Shown().out2);
    EXPECT_EQ(Label(kMeasOut1Value)->text(), frozen);
    // Released, it follows the controller again.
    QTest::mouseClick(FindControl<QPushButton>(wnd.get(), kMeasOut1HoldButton), Qt::LeftButton);
    ASSERT_TRUE(NextCycle());
    EXPECT_NE(Label(kMeasOut1Value)->text(), frozen);
}

}  // namespace
}  // namespace zul::test

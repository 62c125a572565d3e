// SPDX-License-Identifier: GPL-3.0-or-later
// A head page tells the light-wave window when a value it draws changes: the peak level (the
// horizontal line on the graph) and the flood-light setting redraw the open window at once.
#include "MainWindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include "ui/framework/TChart.h"
#include "ui/lightwave/LightWaveRegistration.h"
#include "ui/lightwave/LightWaveWnd.h"

namespace zul::test {

using namespace zul::ui;
namespace {

// True when the chart has a visible measure line at position.
bool HasLineAt(const CTChart& chart, double position) {
    for (int line = 0; line < chart.MeasureLineCount(); ++line) {
        if (chart.IsMeasureLineVisible(line) && chart.MeasureLinePosition(line) == position) {
            return true;
        }
    }
    return false;
}

TEST_F(MainWindowTest, HeadPageChangesRedrawTheOpenLightWaveWindow) {
    ui::RegisterLightWaveWindow();
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    auto* tabs = Control<QTabWidget>(ui::kMainSettingsPages);
    ASSERT_NE(tabs, nullptr);
    QWidget* headB = tabs->widget(1);
    auto* peak = FindControl<QLineEdit>(headB, ui::kHeadPeakLevelEdit);
    auto* flood = FindControl<QComboBox>(headB, ui::kHeadFloodLightList);
    ASSERT_NE(peak, nullptr);
    ASSERT_NE(flood, nullptr);

    // Without the window the change is only stored.
    tabs->setCurrentIndex(1);
    peak->setText(QStringLiteral("300"));
    emit peak->editingFinished();
    const int32_t bank = Store().GetInt<kAppCurMemNo>();
    EXPECT_EQ(Store().GetInt<kHeadPeakLevel>(bank, 1), 300);

    main->OpenChild(ui::ChildWindow::kLightWave);
    auto* window = qobject_cast<ui::CLightWaveWnd*>(main->Child(ui::ChildWindow::kLightWave));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(HasLineAt(*window->Chart(1), 300));
    int redraws = 0;
    window->SetRedrawHook([&redraws] { ++redraws; });

    peak->setFocus();
    peak->selectAll();
    QTest::keyClicks(peak, QStringLiteral("412"));
    QTest::keyClick(peak, Qt::Key_Return);
    EXPECT_EQ(Store().GetInt<kHeadPeakLevel>(bank, 1), 412);
    EXPECT_GE(redraws, 1);
    EXPECT_TRUE(HasLineAt(*window->Chart(1), 412));
    EXPECT_FALSE(HasLineAt(*window->Chart(1), 300));

    redraws = 0;
    ASSERT_GE(flood->count(), 2);
    flood->setCurrentIndex(flood->currentIndex() == 0 ? 1 : 0);
    EXPECT_EQ(Store().GetInt<kHeadFloodLightAjust>(bank, 1), flood->currentData().toInt());
    EXPECT_GE(redraws, 1);

    // A page value the window does not draw leaves it alone.
    redraws = 0;
    auto* alarmDelay = FindControl<QLineEdit>(headB, ui::kHeadAlarmDelayEdit);
    ASSERT_NE(alarmDelay, nullptr);
    alarmDelay->setText(QStringLiteral("3"));
    emit alarmDelay->editingFinished();
    EXPECT_EQ(redraws, 0);
    window->SetRedrawHook({});
    window->close();
}

}  // namespace
}  // namespace zul::test

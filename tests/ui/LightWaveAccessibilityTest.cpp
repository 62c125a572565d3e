// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave window's Start toggle through the accessibility interface, as a screen reader
// or an AT-SPI script drives it: the toggle action starts and stops capture exactly as a click
// does, and the toggle is read as the caption it shows.
#include <QAccessible>
#include <QPushButton>
#include <QTest>

#include "LightWaveFixture.h"
#include "app/ConnectSequence.h"
#include "ui/lightwave/LightWaveWnd.h"

namespace zul::test {

using namespace zul::ui;
namespace {

using ui::CLightWaveWnd;
using ui::LightWaveCapture;

constexpr const char* kTrigger = "%EE#WDD17200172000100";

class LightWaveAccessibilityTest : public LightWaveEmulatorTest {
protected:
    void CloseWindows() override { window.reset(); }

    std::unique_ptr<CLightWaveWnd> window;
};

TEST_F(LightWaveAccessibilityTest, TheToggleActionStartsAndStopsCapture) {
    app.Store().SetInt<kLwConfGraphUpdateCycle>(500);
    window = std::make_unique<CLightWaveWnd>(app, nullptr, nullptr);
    window->SetTimerRunning(false);
    window->show();
    QAccessibleInterface* start = QAccessible::queryAccessibleInterface(window->StartButton());
    ASSERT_NE(start, nullptr);
    QAccessibleActionInterface* actions = start->actionInterface();
    ASSERT_NE(actions, nullptr);
    const QString toggle = QAccessibleActionInterface::toggleAction();
    ASSERT_TRUE(actions->actionNames().contains(toggle))
        << actions->actionNames().join(", ").toStdString();
    EXPECT_EQ(start->text(QAccessible::Name), window->StartButton()->text());

    actions->doAction(toggle);
    EXPECT_EQ(window->State(), LightWaveCapture::kWaiting);
    EXPECT_TRUE(start->state().checked);
    EXPECT_EQ(start->text(QAccessible::Name), window->StartButton()->text());
    EXPECT_EQ(window->StartButton()->text(), QStringLiteral("Stop"));
    // Capture runs: the next tick sends the trigger.
    window->Tick();
    EXPECT_EQ(window->State(), LightWaveCapture::kRequestOut);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window->State() == LightWaveCapture::kWaiting; }, 10000));
    EXPECT_EQ(CountStartingWith(sim.ReceivedFrames(), kTrigger), 1u);

    actions->doAction(toggle);
    EXPECT_EQ(window->State(), LightWaveCapture::kStopped);
    EXPECT_FALSE(start->state().checked);
    EXPECT_EQ(start->text(QAccessible::Name), QStringLiteral("Start"));
    window->Tick();
    EXPECT_EQ(CountStartingWith(sim.ReceivedFrames(), kTrigger), 1u);
}

TEST_F(LightWaveAccessibilityTest, TheToggleActionCannotStartWithoutTheLine) {
    DisconnectController(app);
    window = std::make_unique<CLightWaveWnd>(app, nullptr, nullptr);
    window->SetTimerRunning(false);
    window->show();
    window->LineStateChanged(0);
    QAccessibleInterface* start = QAccessible::queryAccessibleInterface(window->StartButton());
    ASSERT_NE(start, nullptr);
    // A disabled toggle offers no action; switching it anyway changes nothing.
    EXPECT_FALSE(start->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::toggleAction()));
    window->StartButton()->toggle();
    EXPECT_EQ(window->State(), LightWaveCapture::kStopped);
    EXPECT_FALSE(window->StartButton()->isChecked());
}

}  // namespace
}  // namespace zul::test

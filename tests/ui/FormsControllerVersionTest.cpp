// SPDX-License-Identifier: GPL-3.0-or-later
// The version form and the controller settings form against the emulated controller.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "LightWaveFixture.h"
#include "app/ConnectSequence.h"
#include "app/Version.h"
#include "settings/SettingsStore.h"
#include "ui/forms/ControllerSettingsForm.h"
#include "ui/forms/VersionForm.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/UiApplier.h"

namespace zul::test {

using namespace zul::ui;
namespace {

using ui::CControllerSettingsForm;
using ui::CVersionForm;

class FormsVersionTest : public LightWaveEmulatorTest {};

TEST_F(FormsVersionTest, ShowsProgramAndControllerVersionsAndFollowsTheLine) {
    CVersionForm form(app, nullptr, nullptr);
    EXPECT_EQ(form.windowTitle(), "Version information");
    // The program's versions come from the project version, never the unset placeholders.
    EXPECT_TRUE(form.FullVersionText().startsWith(QString::number(kVersionMajor) + "."));
    EXPECT_NE(form.FullVersionText(), "*.*.*.*");
    EXPECT_NE(form.ShortVersionText(), "*.*");
    EXPECT_EQ(form.ShortVersionText(), QString::asprintf("%d.%02d", kVersionMajor, kVersionMinor));
    // The emulator identifies itself: its type and its firmware "%X.%02X".
    EXPECT_FALSE(form.ControllerTypeText().isEmpty());
    const QString firmware =
        QString::asprintf("%X.%02X", app.FirmwareVersion() >> 8, app.FirmwareVersion() & 0xFF);
    EXPECT_EQ(form.ControllerVersionText(), firmware);

    DisconnectController(app);
    form.LineStateChanged(0);
    EXPECT_TRUE(form.ControllerTypeText().isEmpty());
    EXPECT_TRUE(form.ControllerVersionText().isEmpty());
}

class FormsControllerTest : public LightWaveEmulatorTest {};

TEST_F(FormsControllerTest, WriteSystemRefusesAnOutOfRangeValueBeforeAnyRequest) {
    CControllerSettingsForm form(app, nullptr, nullptr);
    auto* consoleNo = qobject_cast<CNumericEdit*>(form.ControlOf(kMemCmnConsoleNo));
    ASSERT_NE(consoleNo, nullptr);
    consoleNo->setText("150");  // the record allows 0..99
    sim.ClearReceivedFrames();
    EXPECT_EQ(form.WriteSystem(), ZUL_ERR_RANGE);
    EXPECT_TRUE(sim.ReceivedFrames().empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains("Controller number")) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains("150"));
    // Nothing reached the main store either.
    EXPECT_NE(app.Store().GetInt<kMemCmnConsoleNo>(), 150);

    // Reading the controller's values replaces the bad one instead of being refused for it.
    boxes.clear();
    EXPECT_EQ(form.ReadSystem(), ZUL_OK);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(consoleNo->text(), QString::number(form.Copy().GetInt<kMemCmnConsoleNo>()));
    EXPECT_NE(consoleNo->text(), "150");
}

TEST_F(FormsControllerTest, WriteThenReadSystemGoesThroughTheController) {
    CControllerSettingsForm form(app, nullptr, nullptr);
    auto* baud = qobject_cast<QComboBox*>(form.ControlOf(kMemCmnRs232cBaudrate));
    auto* consoleNo = qobject_cast<CNumericEdit*>(form.ControlOf(kMemCmnConsoleNo));
    ASSERT_NE(baud, nullptr);
    ASSERT_NE(consoleNo, nullptr);
    EXPECT_EQ(baud->count(), 4);
    baud->setCurrentIndex(baud->findData(2));
    consoleNo->setText("42");
    ASSERT_EQ(form.WriteSystem(), ZUL_OK);
    EXPECT_TRUE(boxes.empty());
    const auto frames = sim.ReceivedFrames();
    EXPECT_EQ(CountStartingWith(frames, "%EE#RMC"), 1u);  // the memory-match check
    EXPECT_EQ(CountStartingWith(frames, "%EE#WSA"), 1u);
    EXPECT_EQ(CountStartingWith(frames, "%EE#WKG"), 1u);
    EXPECT_EQ(app.Store().GetInt<kMemCmnRs232cBaudrate>(), 2);
    EXPECT_EQ(app.Store().GetInt<kMemCmnConsoleNo>(), 42);

    // Edits that are not written are replaced by what the controller holds.
    baud->setCurrentIndex(baud->findData(0));
    consoleNo->setText("7");
    sim.ClearReceivedFrames();
    ASSERT_EQ(form.ReadSystem(), ZUL_OK);
    EXPECT_EQ(baud->currentData().toInt(), 2);
    EXPECT_EQ(consoleNo->text(), "42");
    EXPECT_EQ(form.Copy().GetInt<kMemCmnConsoleNo>(), 42);
    EXPECT_EQ(CountStartingWith(sim.ReceivedFrames(), "%EE#RDD0014700147"), 1u);
}

TEST_F(FormsControllerTest, CommandsWaitForTheLine) {
    DisconnectController(app);
    CControllerSettingsForm form(app, nullptr, nullptr);
    EXPECT_FALSE(form.findChild<QPushButton*>("readSystem")->isEnabled());
    EXPECT_FALSE(form.findChild<QPushButton*>("writeSystem")->isEnabled());
    sim.ClearReceivedFrames();
    EXPECT_EQ(form.ReadSystem(), ZUL_ERR_OFFLINE);
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

}  // namespace
}  // namespace zul::test

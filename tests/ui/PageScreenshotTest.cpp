// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of the pages and forms for --screenshots, taken from a window that hosts the five
// pages in its tab control as the main window does.
#include <QTabWidget>
#include <QVBoxLayout>

#include "PageTestSupport.h"
#include "ui/main/PageCommon.h"
#include "ui/main/PageHead.h"
#include "ui/main/PageOutput.h"
#include "ui/main/PageScreenshots.h"

namespace zul::test {

using namespace zul::ui;
namespace {

class PageScreenshotTest : public PageEmulatorTest {
protected:
    void DestroyPages() override { tabs = nullptr; }
    QTabWidget* tabs = nullptr;
};

TEST_F(PageScreenshotTest, EveryPictureIsTaken) {
    auto* layout = new QVBoxLayout(host.get());
    tabs = new QTabWidget(host.get());
    tabs->setObjectName(ControlObjectName(ui::kMainSettingsPages));
    layout->addWidget(tabs);
    tabs->addTab(new ui::CPageHead(app, host.get(), 0), QStringLiteral("A"));
    tabs->addTab(new ui::CPageHead(app, host.get(), 1), QStringLiteral("B"));
    tabs->addTab(new ui::CPageOutput(app, host.get(), 0), QStringLiteral("1"));
    tabs->addTab(new ui::CPageOutput(app, host.get(), 1), QStringLiteral("2"));
    tabs->addTab(new ui::CPageCommon(app, host.get()), QStringLiteral("C"));
    host->show();

    std::vector<std::string> names;
    for (const ui::PageScreenshot& shot : ui::PageScreenshots()) {
        const QImage image = shot.grab(*host, app);
        EXPECT_FALSE(image.isNull()) << shot.fileName;
        EXPECT_GT(image.width(), 100) << shot.fileName;
        names.push_back(shot.fileName);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"main-head-a.png", "main-head-b.png",
                                               "main-out1.png", "main-out2.png", "main-common.png",
                                               "scaling.png", "calibration.png", "floodlight.png",
                                               "output-options.png"}));
    EXPECT_EQ(tabs->currentIndex(), 0);  // the tab shown before is shown again
    // Taking pictures sends nothing (a request sent after them arrives first).
    Flush();
    EXPECT_EQ(Frames(), std::vector<std::string>{"%EE#RMC0"});
}

}  // namespace
}  // namespace zul::test

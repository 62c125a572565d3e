// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave window and the auxiliary forms opened from the real main window, as the
// program registers them: buttons and menus open each window once, closing re-enables them,
// and the image capture of button 1461 saves a picture of the main window.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "MainWindowFixture.h"
#include "ui/forms/ConfigListForm.h"
#include "ui/forms/ControllerSettingsForm.h"
#include "ui/forms/FormsRegistration.h"
#include "ui/forms/ImageCaptureForm.h"
#include "ui/forms/VersionForm.h"
#include "ui/lightwave/LightWaveRegistration.h"
#include "ui/lightwave/LightWaveWnd.h"
#include "ui/main/Screenshots.h"

namespace zul::test {

using namespace zul::ui;
namespace {

using ui::ChildWindow;

class LightWaveMainWiringTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ui::RegisterLightWaveWindow();
        ui::RegisterForms();
        StartProgram();
    }

    // Opens the child through its command, checks its class and that the command is off while
    // it is open, closes it and waits until the main window offers the command again.
    template <class Form, class Command>
    void OpenAndClose(ChildWindow kind, Command* command) {
        ASSERT_NE(command, nullptr);
        ASSERT_TRUE(command->isEnabled());
        main->OpenChild(kind);
        auto* form = qobject_cast<Form*>(main->Child(kind));
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(command->isEnabled());
        form->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return main->Child(kind) == nullptr; }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return command->isEnabled(); }, 5000));
    }
};

TEST_F(LightWaveMainWiringTest, EveryWindowOpensOnceAndClosesBackToTheMainWindow) {
    Connect();
    auto* lightWaveButton = Control<QPushButton>(ui::kMainLightWaveButton);
    ASSERT_NE(lightWaveButton, nullptr);
    // The light-wave window starts capturing from the main window's connection.
    QTest::mouseClick(lightWaveButton, Qt::LeftButton);
    auto* window = qobject_cast<ui::CLightWaveWnd*>(main->Child(ChildWindow::kLightWave));
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(lightWaveButton->isEnabled());
    window->SetCapture(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->FrameCount() >= 1; }, 10000));
    window->close();  // while capturing
    ASSERT_TRUE(QTest::qWaitFor([&] { return lightWaveButton->isEnabled(); }, 5000));

    OpenAndClose<ui::CConfigListForm>(ChildWindow::kConfigList,
                                      Control<QPushButton>(ui::kMainConfigListButton));
    OpenAndClose<ui::CControllerSettingsForm>(ChildWindow::kControllerSettings,
                                              main->findChild<QAction*>("action32785"));
    OpenAndClose<ui::CVersionForm>(ChildWindow::kVersionInfo,
                                   main->findChild<QAction*>("action32787"));
}

TEST_F(LightWaveMainWiringTest, ImageCaptureSavesThePictureOfTheMainWindow) {
    const std::string png = home.Path("docs/main-window.png");
    const std::string jpeg = home.Path("docs/main-window.jpg");
    for (const auto& [path, format] :
         {std::pair{png, ui::CaptureFormat::kPng}, std::pair{jpeg, ui::CaptureFormat::kJpeg}}) {
        dialogs.paths.push_back(path);
        // The form is modal: act on it from inside its own event loop.
        QTimer driver;
        int attempts = 0;
        const ui::CaptureFormat chosen = format;
        QObject::connect(&driver, &QTimer::timeout, [&driver, &attempts, chosen] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* form = qobject_cast<ui::CImageCaptureForm*>(widget);
                    form != nullptr && form->isVisible()) {
                    driver.stop();
                    form->SetTarget(ui::CaptureTarget::kMainWindow);
                    form->SetFormat(chosen);
                    if (form->Save() != ZUL_OK) {
                        form->reject();
                    }
                    return;
                }
            }
            if (++attempts > 250) {
                driver.stop();
            }
        });
        driver.start(20);
        Click(ui::kMainCaptureButton);
        ASSERT_FALSE(dialogs.requests.empty()) << "the capture form did not ask for a file";
        EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
        QImageReader reader(QString::fromStdString(path));
        EXPECT_EQ(reader.format(), QByteArray(format == ui::CaptureFormat::kPng ? "png" : "jpeg"));
        EXPECT_EQ(reader.size(), main->size());
    }
}

TEST_F(LightWaveMainWiringTest, ScreenshotsPictureEveryWindowAndPrintTheListToPdf) {
    const QString folder = QString::fromStdString(home.Path("shots"));
    ui::RegisterLightWaveScreenshots();
    ui::RegisterFormScreenshots([folder] { return folder; });
    // (The status also covers the main window's own pictures, such as the splash from the
    // image folder, which this test home does not have.)
    ui::WriteScreenshots(*main, folder);
    for (const char* name : {"lightwave.png", "lightwave-settings.png", "config-list.png",
                             "image-capture.png", "controller-settings.png", "version.png"}) {
        QImageReader reader(folder + "/" + name);
        EXPECT_EQ(reader.format(), QByteArray("png")) << name;
        EXPECT_GT(reader.size().width(), 100) << name;
    }
    QFile pdf(folder + "/config-list.pdf");
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
    // The light-wave window was closed again after its pictures.
    EXPECT_EQ(main->Child(ChildWindow::kLightWave), nullptr);
}

}  // namespace
}  // namespace zul::test

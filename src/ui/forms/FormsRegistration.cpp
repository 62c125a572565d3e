// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/FormsRegistration.h"

#include <QApplication>
#include <QDir>

#include "ui/forms/ConfigListForm.h"
#include "ui/forms/ConfigPrintForm.h"
#include "ui/forms/ControllerSettingsForm.h"
#include "ui/forms/ImageCaptureForm.h"
#include "ui/forms/SoftwareSettingsForm.h"
#include "ui/forms/VersionForm.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Screenshots.h"

namespace zul::ui {

namespace {

QImage PictureOfChild(CMainWindow& main, ChildWindow kind) {
    main.OpenChild(kind);
    QWidget* form = main.Child(kind);
    QImage image = form != nullptr ? GrabWindow(form) : QImage();
    if (form != nullptr) {
        form->close();
    }
    return image;
}

}  // namespace

void RegisterForms() {
    RegisterChildWindow(ChildWindow::kSoftwareSettings, [](CMainWindow& main) -> QWidget* {
        return new CSoftwareSettingsForm(main.App(), &main, &main,
                                         [&main] { main.RefreshBankAliases(); });
    });
    RegisterChildWindow(ChildWindow::kControllerSettings, [](CMainWindow& main) -> QWidget* {
        return new CControllerSettingsForm(main.App(), &main, &main);
    });
    RegisterChildWindow(ChildWindow::kConfigList, [](CMainWindow& main) -> QWidget* {
        return new CConfigListForm(main.App(), &main, &main);
    });
    RegisterChildWindow(ChildWindow::kVersionInfo, [](CMainWindow& main) -> QWidget* {
        return new CVersionForm(main.App(), &main, &main);
    });
    RegisterImageCapture([](CMainWindow& main) {
        QWidget* active = QApplication::activeWindow();
        CImageCaptureForm form(main.App(), &main, &main, active != nullptr ? active : &main, &main);
        form.exec();
    });
}

void RegisterFormScreenshots(std::function<QString()> outputFolder) {
    RegisterScreenshot("config-list.png", [outputFolder](CMainWindow& main) {
        main.OpenChild(ChildWindow::kConfigList);
        auto* list = qobject_cast<CConfigListForm*>(main.Child(ChildWindow::kConfigList));
        if (list == nullptr) {
            return QImage();
        }
        QImage image = GrabWindow(list);
        CConfigPrintForm print(main.App(), list->Rows(), list, list);
        print.SetDivision(ConfigDivision::kAllBanks);
        const QString pdf = QDir(outputFolder()).filePath("config-list.pdf");
        if (print.PrintToPdf(pdf) != ZUL_OK) {
            image = QImage();
        }
        list->close();
        return image;
    });
    RegisterScreenshot("image-capture.png", [](CMainWindow& main) {
        CImageCaptureForm form(main.App(), &main, &main, &main, &main);
        return GrabWindow(&form);
    });
    RegisterScreenshot("controller-settings.png", [](CMainWindow& main) {
        return PictureOfChild(main, ChildWindow::kControllerSettings);
    });
    RegisterScreenshot("version.png", [](CMainWindow& main) {
        return PictureOfChild(main, ChildWindow::kVersionInfo);
    });
}

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/Screenshots.h"

#include <cstdio>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QLayout>
#include <QWidget>

#include "app/Application.h"
#include "settings/SettingItem.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/QtText.h"
#include "ui/main/MainWindow.h"
#include "ui/main/OutputPictures.h"
#include "ui/main/SplashScreen.h"
#include "ui/main/TransferProgressForm.h"

namespace zul::ui {

namespace {

struct Entry {
    std::string fileName;
    ScreenshotStep step;
};

std::vector<Entry>& Steps() {
    static std::vector<Entry> steps;
    return steps;
}

// The percentage the progress form shows in its picture.
constexpr int kPicturePercent = 42;

QString& Folder() {
    static QString folder;
    return folder;
}

}  // namespace

UnattendedBoxes::UnattendedBoxes()
    : previous_(QtMessageBoxHost::SetAnswerer([](const MessageBoxShown& box) {
          std::fprintf(stderr, "qvm8-zul: %s\n", qPrintable(box.text));
          return box.style == kMbYesNo || box.style == kMbYesNoCancel ? kAnswerNo : kAnswerOk;
      })) {}

UnattendedBoxes::~UnattendedBoxes() {
    QtMessageBoxHost::SetAnswerer(previous_);
}

QString ScreenshotFolder() {
    return Folder();
}

void RegisterScreenshot(const std::string& fileName, ScreenshotStep step) {
    for (Entry& entry : Steps()) {
        if (entry.fileName == fileName) {
            entry.step = std::move(step);
            return;
        }
    }
    Steps().push_back({fileName, std::move(step)});
}

QImage GrabWindow(QWidget* window) {
    if (window == nullptr) {
        return {};
    }
    if (QLayout* layout = window->layout()) {
        layout->activate();
    }
    QCoreApplication::processEvents();
    return window->grab().toImage();
}

void RegisterMainScreenshots() {
    RegisterScreenshot("main.png", [](CMainWindow& main) {
        if (!main.IsExpanded()) {
            main.ToggleExpandedView();
        }
        return GrabWindow(&main);
    });
    RegisterScreenshot("main-compact.png", [](CMainWindow& main) {
        main.ToggleExpandedView();
        QImage image = GrabWindow(&main);
        main.ToggleExpandedView();
        return image;
    });
    RegisterScreenshot("software-settings.png", [](CMainWindow& main) {
        main.OpenChild(ChildWindow::kSoftwareSettings);
        QWidget* form = main.Child(ChildWindow::kSoftwareSettings);
        QImage image = GrabWindow(form);
        if (form != nullptr) {
            form->close();
        }
        return image;
    });
    RegisterScreenshot("transfer-progress.png", [](CMainWindow& main) {
        CTransferProgressForm form(main.Context(), &main, &main);
        form.SetPercent(kPicturePercent);
        form.show();
        QImage image = GrabWindow(&form);
        form.close();
        return image;
    });
    RegisterScreenshot("splash.png", [](CMainWindow& main) {
        const std::string folder =
            ResolveImageFolder(main.App().Store().GetText<kAppImageFolder>());
        return CSplashScreen::LoadPicture(ToQString(folder)).toImage();
    });
}

int WriteScreenshots(CMainWindow& main, const QString& folder) {
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "qvm8-zul: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    Folder() = folder;
    const UnattendedBoxes boxes;
    int status = 0;
    main.ToggleConnection();
    if (main.LineState() == 0) {
        std::fprintf(stderr, "qvm8-zul: the emulated controller did not answer\n");
        status = 1;
    } else {
        main.ReadSettings();
    }
    for (const Entry& entry : Steps()) {
        const QImage image = entry.step(main);
        const QString path = QDir(folder).filePath(QString::fromStdString(entry.fileName));
        if (image.isNull() || !image.save(path, "PNG")) {
            std::fprintf(stderr, "qvm8-zul: no picture for %s\n", qPrintable(path));
            status = 1;
        }
    }
    Folder().clear();
    return status;
}

}  // namespace zul::ui

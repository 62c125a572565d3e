// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/PageScreenshots.h"

#include <QCoreApplication>
#include <QTabWidget>
#include <QWidget>

#include "adjust/AdjustSequences.h"
#include "app/Application.h"
#include "settings/SettingItem.h"
#include "ui/adjust/AdjustPointsForm.h"
#include "ui/adjust/FloodLightForm.h"
#include "ui/forms/OutputOptionsForm.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/MainControls.h"

namespace zul::ui {

namespace {

QImage Grab(QWidget& window) {
    window.show();
    QCoreApplication::processEvents();
    window.adjustSize();
    QCoreApplication::processEvents();
    return window.grab().toImage();
}

std::function<QImage(QWidget&, Application&)> TabPicture(int tab) {
    return [tab](QWidget& main, Application&) {
        auto* tabs = FindControl<QTabWidget>(&main, kMainSettingsPages);
        if (tabs == nullptr || tab >= tabs->count()) {
            return QImage();
        }
        const int previous = tabs->currentIndex();
        tabs->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        QImage image = main.grab().toImage();
        tabs->setCurrentIndex(previous);
        return image;
    };
}

template <class Form, class... Args>
QImage FormPicture(Args&&... args) {
    Form form(std::forward<Args>(args)...);
    QImage image = Grab(form);
    form.hide();  // not closed: a closed calibration form would tell the controller to cancel
    return image;
}

}  // namespace

std::vector<PageScreenshot> PageScreenshots() {
    return {
        {"main-head-a.png", TabPicture(0)},
        {"main-head-b.png", TabPicture(1)},
        {"main-out1.png", TabPicture(2)},
        {"main-out2.png", TabPicture(3)},
        {"main-common.png", TabPicture(4)},
        {"scaling.png",
         [](QWidget&, Application& app) {
             return FormPicture<CAdjustPointsForm>(
                 app, AdjustKind::kScaling, 0,
                 StoredAdjustPoints(app.Store(), AdjustKind::kScaling, 0));
         }},
        {"calibration.png",
         [](QWidget&, Application& app) {
             return FormPicture<CAdjustPointsForm>(
                 app, AdjustKind::kCalibration, 0,
                 StoredAdjustPoints(app.Store(), AdjustKind::kCalibration, 0));
         }},
        {"floodlight.png",
         [](QWidget&, Application& app) { return FormPicture<CFloodLightForm>(app, 0); }},
        {"output-options.png",
         [](QWidget&, Application& app) {
             return FormPicture<COutputOptionsForm>(app, app.Store().GetInt<kAppCurMemNo>(), 0);
         }},
    };
}

}  // namespace zul::ui

#include "ui/main/DesktopWindows.h"

#include "ui/forms/SoftwareSettingsForm.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Screenshots.h"

namespace zul::ui {

void RegisterDesktopWindows() {
    RegisterChildWindow(ChildWindow::kSoftwareSettings, [](MainWindow& main) -> QWidget* {
        return new SoftwareSettingsForm(main.App(), &main, &main,
                                        [&main] { main.RefreshBankAliases(); });
    });
    RegisterMainScreenshots();
}

}  // namespace zul::ui

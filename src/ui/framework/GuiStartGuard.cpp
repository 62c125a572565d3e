// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/GuiStartGuard.h"

#include <cstdio>
#include <cstdlib>

#include <QString>

#include "ui/framework/FallbackTexts.h"

namespace zul::ui {

namespace {

QtMessageHandler g_previous = nullptr;

void OnStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        if (g_previous != nullptr) {
            g_previous(type, context, message);
        } else {
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        }
        return;
    }
    std::fprintf(stderr, "%s\n%s\n", message.toLocal8Bit().constData(),
                 FallbackText(kResComponentStartFailed).toLocal8Bit().constData());
    std::fflush(stderr);
    // No destructor may run: the framework is half built and nothing needs to be saved.
    std::_Exit(kGuiStartFailedExit);
}

}  // namespace

GuiStartGuard::GuiStartGuard() : previous_(qInstallMessageHandler(OnStartMessage)) {
    g_previous = previous_;
}

GuiStartGuard::~GuiStartGuard() {
    qInstallMessageHandler(previous_);
    g_previous = nullptr;
}

}  // namespace zul::ui

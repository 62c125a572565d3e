// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/ChildWindows.h"

#include <QAction>
#include <QPushButton>

#include "app/Application.h"
#include "settings/MessageBox.h"
#include "ui/framework/QtWindowSink.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/MainMessages.h"
#include "ui/main/MainWindow.h"

namespace zul::ui {

namespace {

std::array<ChildWindowFactory, kChildWindowCount>& Factories() {
    static std::array<ChildWindowFactory, kChildWindowCount> factories;
    return factories;
}

std::function<void(CMainWindow&)>& CaptureRunner() {
    static std::function<void(CMainWindow&)> run;
    return run;
}

}  // namespace

void RegisterChildWindow(ChildWindow kind, ChildWindowFactory factory) {
    Factories()[static_cast<size_t>(kind)] = std::move(factory);
}

void RegisterImageCapture(std::function<void(CMainWindow& main)> run) {
    CaptureRunner() = std::move(run);
}

ChildWindowSlots::ChildWindowSlots(CMainWindow& main, QtWindowSink& sink,
                                   const std::array<Commands, kChildWindowCount>& commands,
                                   QPushButton* captureButton)
    : main_(main), sink_(sink), captureButton_(captureButton) {
    for (int32_t i = 0; i < kChildWindowCount; ++i) {
        const ChildWindow kind = static_cast<ChildWindow>(i);
        Slot& slot = slots_[static_cast<size_t>(i)];
        slot.commands = commands[static_cast<size_t>(i)];
        if (slot.commands.button != nullptr) {
            QObject::connect(slot.commands.button, &QPushButton::clicked, &context_,
                             [this, kind] { Open(kind); });
        }
        QObject::connect(slot.commands.action, &QAction::triggered, &context_,
                         [this, kind] { Open(kind); });
    }
    QObject::connect(captureButton_, &QPushButton::clicked, &context_,
                     [this] { RunImageCapture(); });
}

QWidget* ChildWindowSlots::Window(ChildWindow kind) const {
    return slots_[static_cast<size_t>(kind)].window;
}

void ChildWindowSlots::Open(ChildWindow kind) {
    const size_t index = static_cast<size_t>(kind);
    Slot& slot = slots_[index];
    if (slot.window != nullptr) {
        slot.window->raise();
        slot.window->activateWindow();
        return;
    }
    const ChildWindowFactory& factory = Factories()[index];
    QWidget* window = factory ? factory(main_) : nullptr;
    if (window == nullptr) {
        ResultInfo result;
        SetResult(&result, ZUL_ERR_DIALOG_CREATE);
        ReportResult(main_.Boxes(), main_.App().Ui(), result);
        return;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    // The closed message reaches the main window through the message queue, as the child's own
    // notice would, after the child has run its close steps.
    const uint32_t closed = kWmChildClosedFirst + static_cast<uint32_t>(index);
    QObject::connect(window, &QObject::destroyed, &context_,
                     [this, closed] { sink_.Post(closed); });
    slot.window = window;
    UpdateCommands();
    window->show();
}

void ChildWindowSlots::Forget(int32_t index) {
    if (index < 0 || index >= kChildWindowCount) {
        return;
    }
    slots_[static_cast<size_t>(index)].window.clear();
    UpdateCommands();
}

void ChildWindowSlots::UpdateCommands() {
    const UiDefinition& ui = main_.App().Ui();
    for (size_t i = 0; i < slots_.size(); ++i) {
        const Commands& commands = slots_[i].commands;
        const bool available = Factories()[i] != nullptr && slots_[i].window == nullptr;
        if (commands.button != nullptr) {
            commands.button->setEnabled(available &&
                                        RecordAllowsEnabling(ui, CtrlIdOf(commands.button)));
        }
        commands.action->setEnabled(available &&
                                    RecordAllowsEnabling(ui, CtrlIdOf(commands.action)));
    }
    captureButton_->setEnabled(CaptureRunner() != nullptr &&
                               RecordAllowsEnabling(ui, CtrlIdOf(captureButton_)));
}

void ChildWindowSlots::DestroyAll() {
    for (Slot& slot : slots_) {
        if (QWidget* window = slot.window) {
            slot.window.clear();
            // Its end no longer reaches the main window: the main window is going.
            window->disconnect(&context_);
            window->disconnect(&main_);
            window->close();  // its close steps
            delete window;    // WA_DeleteOnClose may already have queued it; delete now
        }
    }
}

void ChildWindowSlots::RunImageCapture() {
    if (!CaptureRunner() || IsSynchronousCommandRunning()) {
        return;
    }
    FormBase::DisableAllWindows();
    CaptureRunner()(main_);
    FormBase::EnableAllWindows();
}

}  // namespace zul::ui

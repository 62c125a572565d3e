// SPDX-License-Identifier: GPL-3.0-or-later
// The child windows of the main window: which exist, how each is created, and the buttons and
// menu items that open them. Each child exists at most once; while it is open its commands are
// unavailable, and its closed message (1025 + its index) makes them available again.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include <QObject>
#include <QPointer>
#include <QWidget>

class QAction;
class QPushButton;

namespace zul::ui {

class CMainWindow;
class QtWindowSink;

// The child windows, in the order of their closed messages (1025 + index).
enum class ChildWindow : int32_t {
    kMeasurement = 0,         // 1010 / 32781, closed message 1025
    kLightWave = 1,           // 1011 / 32788, 1026
    kBuffering = 2,           // 1012 / 32782, 1027
    kSoftwareSettings = 3,    // 32786, 1028
    kControllerSettings = 4,  // 32785, 1029
    kConfigList = 5,          // 1770 / 32784, 1030
    kVersionInfo = 6,         // 32787, 1031
};
inline constexpr int32_t kChildWindowCount = 7;

// Creates a child window (a top-level form whose parent form is the main window); null when it
// cannot be created (ZUL_ERR_DIALOG_CREATE is shown then). The window is deleted when it
// closes. Windows of later parts of the program register their factory before the main window
// is built; a command without a factory is unavailable.
using ChildWindowFactory = std::function<QWidget*(CMainWindow& main)>;
void RegisterChildWindow(ChildWindow kind, ChildWindowFactory factory);
// Runs the image capture form modally (button 1461); unavailable while none is registered.
void RegisterImageCapture(std::function<void(CMainWindow& main)> run);

class ChildWindowSlots {
public:
    // The button (null: none) and the menu item that open a child.
    struct Commands {
        QPushButton* button = nullptr;
        QAction* action = nullptr;
    };

    // Connects the commands; captureButton runs the image capture form.
    ChildWindowSlots(CMainWindow& main, QtWindowSink& sink,
                     const std::array<Commands, kChildWindowCount>& commands,
                     QPushButton* captureButton);
    ChildWindowSlots(const ChildWindowSlots&) = delete;
    ChildWindowSlots& operator=(const ChildWindowSlots&) = delete;

    QWidget* Window(ChildWindow kind) const;
    // Creates the child, or raises it when it is open.
    void Open(ChildWindow kind);
    // The closed message of the child with index: it is forgotten.
    void Forget(int32_t index);
    // Each command is available while its child can be created and is not open, as the
    // records allow.
    void UpdateCommands();
    // Every child runs its close steps and is destroyed.
    void DestroyAll();
    // The image capture form, modally, with every window disabled.
    void RunImageCapture();

private:
    struct Slot {
        Commands commands;
        QPointer<QWidget> window;
    };

    CMainWindow& main_;
    QtWindowSink& sink_;
    std::array<Slot, kChildWindowCount> slots_{};
    QPushButton* captureButton_;
    // The receiver of the commands and of the children's ends: they end with the slots.
    QObject context_;
};

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
// The message boxes of the desktop program: the core's MessageBoxHost on QMessageBox.
//
// A box is modal over its owner form. While it is open the owner form and all of its child
// forms are disabled (FormBase::EnableForm(false) ... EnableForm(true)); without an owner form
// every registered window is (FormBase::DisableAllWindows). The caption is the application
// title (string resource 57344). Styles: kMbError OK with a stop icon, kMbNotice OK without an
// icon, kMbYesNo Yes/No and kMbYesNoCancel Yes/No/Cancel with an exclamation icon. Closing a
// box with Escape or the window button gives Cancel (Yes/No/Cancel), No (Yes/No) or OK. Once the
// program has been asked to end (CTerminationRequest), open boxes are closed that way and no box
// is shown any more: each is answered so at once.
//
// Tests answer boxes without a modal loop: SetAnswerer installs a function that receives each
// box instead of the dialog (while the owner is disabled, as a real box would be) and returns
// the button.
#pragma once

#include <functional>
#include <string>

#include <QPointer>
#include <QString>

#include "settings/MessageBox.h"

class QWidget;

namespace zul::ui {

class FormBase;

// One box as shown.
struct MessageBoxShown {
    QString caption;
    QString text;
    MessageBoxStyle style = kMbNotice;
    QWidget* owner = nullptr;
    bool topMost = false;
};

using MessageBoxAnswerer = std::function<MessageBoxAnswer(const MessageBoxShown& box)>;

class QtMessageBoxHost : public MessageBoxHost {
public:
    // owner: the form the box belongs to; null for a box of the whole program.
    explicit QtMessageBoxHost(FormBase* owner = nullptr);

    // Shows text (UTF-8) with the style; returns the button pressed.
    MessageBoxAnswer ShowMessageBox(const std::string& text, MessageBoxStyle style) override;
    // A box that stays above every window (start-up and exit failures).
    MessageBoxAnswer ShowTopMost(const QString& text, MessageBoxStyle style);
    // Wait cursor on/off (nests: each on needs an off).
    void SetWaitCursor(bool on) override;

    // Process-wide test seam; an empty function restores the real dialogs. Returns the
    // previous answerer.
    static MessageBoxAnswerer SetAnswerer(MessageBoxAnswerer answerer);

private:
    MessageBoxAnswer Show(const QString& text, MessageBoxStyle style, bool topMost);

    FormBase* owner_;
    QPointer<QWidget> ownerWidget_;
};

}  // namespace zul::ui

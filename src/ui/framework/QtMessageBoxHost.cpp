// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/QtMessageBoxHost.h"

#include <QApplication>
#include <QMessageBox>
#include <QWindow>

#include "ui/framework/FallbackTexts.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtText.h"
#include "ui/framework/TerminationRequest.h"

namespace zul::ui {

namespace {

MessageBoxAnswerer& Answerer() {
    static MessageBoxAnswerer answerer;
    return answerer;
}

// The answer of a box closed without a button: the one that does nothing.
MessageBoxAnswer NeutralAnswer(MessageBoxStyle style) {
    return style == kMbYesNoCancel ? kAnswerCancel : style == kMbYesNo ? kAnswerNo : kAnswerOk;
}

MessageBoxAnswer ToAnswer(QMessageBox::StandardButton button, MessageBoxStyle style) {
    switch (button) {
        case QMessageBox::Yes:
            return kAnswerYes;
        case QMessageBox::No:
            return kAnswerNo;
        case QMessageBox::Cancel:
            return kAnswerCancel;
        case QMessageBox::Ok:
            return kAnswerOk;
        default:
            return NeutralAnswer(style);
    }
}

MessageBoxAnswer RunDialog(const MessageBoxShown& shown) {
    // The box is a window of its own (not a child of the owner, which is disabled while the
    // box is open), modal for the whole program and placed over its owner.
    QMessageBox box;
    box.setWindowTitle(shown.caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(shown.text);
    box.setWindowModality(Qt::ApplicationModal);
    switch (shown.style) {
        case kMbError:
            box.setIcon(QMessageBox::Critical);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case kMbYesNo:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            break;
        case kMbYesNoCancel:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case kMbNotice:
        default:
            box.setIcon(QMessageBox::NoIcon);
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    if (shown.topMost) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    if (shown.owner != nullptr) {
        box.winId();  // creates the native window so that it can name its transient parent
        if (QWindow* ownerWindow = shown.owner->window()->windowHandle()) {
            box.windowHandle()->setTransientParent(ownerWindow);
        }
    }
    const int result = box.exec();
    return ToAnswer(static_cast<QMessageBox::StandardButton>(result), shown.style);
}

}  // namespace

QtMessageBoxHost::QtMessageBoxHost(FormBase* owner)
    : owner_(owner), ownerWidget_(owner != nullptr ? owner->Widget() : nullptr) {}

MessageBoxAnswer QtMessageBoxHost::ShowMessageBox(const std::string& text, MessageBoxStyle style) {
    return Show(ToQString(text), style, false);
}

MessageBoxAnswer QtMessageBoxHost::ShowTopMost(const QString& text, MessageBoxStyle style) {
    return Show(text, style, true);
}

void QtMessageBoxHost::SetWaitCursor(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

MessageBoxAnswerer QtMessageBoxHost::SetAnswerer(MessageBoxAnswerer answerer) {
    MessageBoxAnswerer previous = std::move(Answerer());
    Answerer() = std::move(answerer);
    return previous;
}

MessageBoxAnswer QtMessageBoxHost::Show(const QString& text, MessageBoxStyle style, bool topMost) {
    if (IsTerminationRequested()) {
        return NeutralAnswer(style);  // nobody is there to answer: the program is ending
    }
    // An owner form that is already gone: the box belongs to the whole program.
    FormBase* owner = ownerWidget_ != nullptr ? owner_ : nullptr;
    MessageBoxShown shown;
    shown.caption = FallbackText(kResApplicationTitle);
    shown.text = text;
    shown.style = style;
    shown.owner = owner != nullptr ? owner->Widget() : nullptr;
    shown.topMost = topMost;

    if (owner != nullptr) {
        owner->EnableForm(false);
    } else {
        FormBase::DisableAllWindows();
    }
    // A box asks for the user: the normal pointer over it, even inside a wait-cursor phase.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    const MessageBoxAnswer answer = Answerer() ? Answerer()(shown) : RunDialog(shown);
    if (waiting) {
        QApplication::restoreOverrideCursor();
    }
    if (owner != nullptr) {
        if (ownerWidget_ != nullptr) {  // the owner may have closed while the box was open
            owner->EnableForm(true);
        }
    } else {
        FormBase::EnableAllWindows();
    }
    return answer;
}

}  // namespace zul::ui

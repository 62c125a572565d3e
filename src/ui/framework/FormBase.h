// SPDX-License-Identifier: GPL-3.0-or-later
// The base every window, form and tab page of the desktop program shares. It is a mixin beside
// the Qt class: `class CMyForm : public QDialog, public FormBase` (Qt class FIRST, so that the
// widget still exists while ~FormBase stores the window position).
//
// What it does for the form:
// - ApplyUiDefinition(): applies the UI definition records to every widget and action below the
//   form that has a "ctrlId" (or "uiName") property, and to the form itself (window title);
//   widgets inside another registered form (a tab page) are left to that form. It then
//   sets accessible names and calls OnUiDefinitionApplied() so the form can re-run its own
//   state rules (records say what is allowed; the form then narrows it). The firmware gating,
//   micron units and the buffering-mode list trim are already in the records (UiDefinition
//   ApplyControllerVersion/ApplyMicronMode/RestrictBufferModeChoices), so re-applying after the
//   two re-apply notifications is ReapplyAllForms().
// - The five framework calls. Each is a public non-virtual call that runs the form's hook and
//   then the same call on every child form (forms created with this one as parentForm):
//     EnableForm(bool)                  -> OnEnableForm(bool)
//     LockPolling(bool)                 -> OnPollingLockChanged(bool) (lock count, see below)
//     LineStateChanged(int32_t)         -> OnLineStateChanged(int32_t)
//     MemoryBankChanged(old, new)       -> OnMemoryBankChanged(old, new)
//     TakeControlValues()               -> OnTakeControlValues()
// - Window positions: with SetPositionItems() the form restores FormLeft/FormTop (and
//   FormWidth/FormHeight/FormMax where it has them) from the settings store when it is shown,
//   and stores them when it is closed, hidden (not minimised) or destroyed. With both position
//   items at their default 0 (never placed), a modeless window opened from another one goes
//   beside that window on its screen, or cascaded from it, clear of the program's other open
//   windows; a stored position off every screen is moved onto the nearest one. FormMode means
//   something of its own per window: the base reads it for RestoreFormMode() and writes what
//   FormModeToStore() returns.
// - A registry of the open forms: DisableAllWindows()/EnableAllWindows() disable and enable
//   every registered top-level form (nested calls count), ForEachForm() visits them.
//
// Enabling counts: EnableForm(false) and EnableForm(true) nest (a form disabled twice needs two
// enables), so that a message box inside a synchronous command does not enable windows the
// command still holds disabled. The widget is enabled exactly when its count is zero.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "ui/framework/FormContext.h"

class QComboBox;

namespace zul::ui {

// Item ids of a form's position in the settings store; 0 = the form has no such item.
struct FormPositionItems {
    int32_t top = 0;
    int32_t left = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t max = 0;
    int32_t mode = 0;
};

class FormBase {
public:
    // widget: the form's own widget (usually `this`). parentForm: the form this one is a child
    // of (it then receives the framework calls from it), or null for a top-level window.
    FormBase(QWidget* widget, const FormContext& context, FormBase* parentForm = nullptr);
    virtual ~FormBase();
    FormBase(const FormBase&) = delete;
    FormBase& operator=(const FormBase&) = delete;

    QWidget* Widget() const { return widget_; }
    const FormContext& Context() const { return context_; }
    FormBase* ParentForm() const { return parentForm_; }
    const std::vector<FormBase*>& ChildForms() const { return children_; }

    // Applies the records to the form and every widget below it (see above).
    void ApplyUiDefinition();

    // Fills a choice list of this form with the wanted value (UiApplier FillChoiceList), with
    // the memory-bank aliases of the settings store appended when withBankAliases is set.
    bool FillChoiceList(int32_t ctrlId, QComboBox* box, int32_t wanted,
                        bool withBankAliases = false);

    // --- The five framework calls (each also reaches every child form) ---
    void EnableForm(bool enable);
    bool IsFormEnabled() const { return disableCount_ == 0; }
    // Locking counts: polling is locked while the count is above zero. The hook runs when the
    // state changes (0 -> 1 locked, 1 -> 0 unlocked).
    void LockPolling(bool lock);
    bool IsPollingLocked() const { return lockCount_ > 0; }
    void LineStateChanged(int32_t lineState);
    void MemoryBankChanged(int32_t oldBank, int32_t newBank);
    void TakeControlValues();

    // --- Window positions ---
    void SetPositionItems(const FormPositionItems& items);
    // Normally automatic (first show / close / destruction); public for forms that re-create
    // their layout or are shown in another way.
    void RestorePosition();
    void StorePosition();

    // --- The registry of open forms ---
    // Disables (count +1) / enables (count -1) every registered form that has no parent form
    // (child forms follow their parent through EnableForm).
    static void DisableAllWindows();
    static void EnableAllWindows();
    // Applies the UI definition again to every registered form (after a firmware change).
    static void ReapplyAllForms();
    // Visits every registered form (top-level and child forms) in creation order.
    static void ForEachForm(const std::function<void(FormBase&)>& visit);

protected:
    // A form created while its owner is held disabled takes over the owner's holds. A form
    // that must take input all the same (the transfer progress form's Cancel) drops them here;
    // holds taken afterwards (a box over all windows) still count.
    void ClearInheritedHolds();

    // Hooks; the defaults do nothing.
    virtual void OnUiDefinitionApplied() {}
    virtual void OnEnableForm(bool /*enable*/) {}
    virtual void OnPollingLockChanged(bool /*locked*/) {}
    virtual void OnLineStateChanged(int32_t /*lineState*/) {}
    virtual void OnMemoryBankChanged(int32_t /*oldBank*/, int32_t /*newBank*/) {}
    virtual void OnTakeControlValues() {}
    // FormMode as read from the store when the position is restored (only with a mode item).
    virtual void RestoreFormMode(int32_t /*mode*/) {}
    // The FormMode to store; nothing is stored when empty (the default).
    virtual std::optional<int32_t> FormModeToStore() const { return std::nullopt; }

private:
    class EventWatcher;
    void SetWidgetEnabledFromCount();
    // The visible window this one was opened from: its parent form's, else its parent widget's.
    QWidget* PlacementAnchor() const;
    // Places a window that has no stored position (see above).
    void PlaceUnpositioned();

    QWidget* widget_;
    FormContext context_;
    FormBase* parentForm_;
    std::vector<FormBase*> children_;
    int32_t disableCount_ = 0;
    int32_t lockCount_ = 0;
    FormPositionItems positionItems_;
    bool positionRestored_ = false;
    bool positionStored_ = false;
    std::unique_ptr<EventWatcher> watcher_;
};

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's memory-bank selector (control 1097): the bank the settings pages show. A
// choice makes it CurMemNo of ZUL_APP_DATA and of CONTROLLER and tells every form (old bank,
// new bank). An assistive tool chooses a bank by selecting an entry of the closed list (table
// selection or the entry's toggle action); the closed list's selection shows the bank in force,
// so that such a tool reads and toggles it.
#pragma once

#include <cstdint>

#include <QObject>

class QComboBox;

namespace zul {

class SettingsStore;

}  // namespace zul

namespace zul::ui {
class FormBase;
}  // namespace zul::ui

namespace zul::ui {

class BankSelector {
public:
    // form is the window the selector belongs to: it fills the list (with the bank aliases),
    // takes the control values before a switch and passes the switch on.
    BankSelector(FormBase& form, SettingsStore& store, QComboBox* box);
    BankSelector(const BankSelector&) = delete;
    BankSelector& operator=(const BankSelector&) = delete;

    int32_t Bank() const { return bank_; }
    // The bank becomes CurMemNo of ZUL_APP_DATA (clamped to the banks there are).
    void ReadFromStore();
    // Fills the list again (the bank aliases may have changed) with the bank selected.
    void Fill();
    // The closed list's selection follows the bank (after a record refilled the list).
    void ShowInList();

private:
    void OnSelected();
    void FollowAccessibleSelection();
    void OnListSelection();

    FormBase& form_;
    SettingsStore& store_;
    QComboBox* box_;
    int32_t bank_ = 0;
    bool filling_ = false;
    bool showingInList_ = false;
    // The receiver of the connections: they end with the selector.
    QObject context_;
};

}  // namespace zul::ui

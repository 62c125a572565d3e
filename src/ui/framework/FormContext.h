// SPDX-License-Identifier: GPL-3.0-or-later
// What every form needs from the application: the UI definition its records come from and the
// settings store its values and window positions live in.
#pragma once

namespace zul {

class SettingsStore;
class UiDefinition;

}  // namespace zul

namespace zul::ui {

struct FormContext {
    const UiDefinition* ui = nullptr;  // records of every control; must outlive the forms
    SettingsStore* store = nullptr;    // positions and bank aliases; may be null in tests
};

}  // namespace zul::ui

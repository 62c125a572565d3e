// SPDX-License-Identifier: GPL-3.0-or-later
// Applying UI definition records to Qt widgets. A widget that has a record carries its control
// number in the dynamic property "ctrlId" (and the object name "ctrl<number>"); a menu or other
// object found by record name carries the property "uiName" instead. FormBase runs these over
// all its widgets; windows call them directly for lists they fill with a value of their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <type_traits>

#include <QAction>
#include <QObject>
#include <QString>

class QComboBox;
class QWidget;

namespace zul {

class UiDefinition;
struct UiControlRecord;

}  // namespace zul

namespace zul::ui {

// The dynamic property names.
inline constexpr const char* kCtrlIdProperty = "ctrlId";
inline constexpr const char* kUiNameProperty = "uiName";

// The control number of an object (its "ctrlId" property), 0 when it has none.
int32_t CtrlIdOf(const QObject* object);
// Sets "ctrlId" and the object name "ctrl<number>".
void SetCtrlId(QObject* object, int32_t ctrlId);
// The object name of a control: "ctrl<number>".
QString ControlObjectName(int32_t ctrlId);
// The control numbered ctrlId below root: the object named "ctrl<number>"; a menu item (which
// keeps a name of its own) also by its "ctrlId" property. Null when root holds none of that
// type. Windows fill their named pointers with it once; tests find the controls they drive.
template <class T = QWidget>
T* FindControl(const QObject* root, int32_t ctrlId) {
    if (root == nullptr) {
        return nullptr;
    }
    T* named = root->findChild<T*>(ControlObjectName(ctrlId));
    if constexpr (std::is_base_of_v<QAction, T>) {
        if (named == nullptr) {
            for (T* action : root->findChildren<T*>()) {
                if (CtrlIdOf(action) == ctrlId) {
                    return action;
                }
            }
        }
    }
    return named;
}

// The record of an object: by "ctrlId", else by "uiName"; null when there is none.
const UiControlRecord* RecordOf(const UiDefinition& ui, const QObject* object);

// Whether the UI definition lets the control be enabled: no record, or a record whose enable
// field is 0 (a non-zero field disables the control for this controller). A window's own rule
// (online, running...) comes on top.
bool RecordAllowsEnabling(const UiControlRecord* record);
bool RecordAllowsEnabling(const UiDefinition& ui, int32_t ctrlId);
// The same for showing it: no record, or a record whose visible field is 0.
bool RecordAllowsShowing(const UiControlRecord* record);
bool RecordAllowsShowing(const UiDefinition& ui, int32_t ctrlId);

// Applies one record to one widget or action:
// - caption (unquoted; with CaptionCnt > 1 the caption is a list of state texts and the first
//   is shown until the window picks another): window title of a top-level widget, text of labels,
//   buttons and actions, title of group boxes and menus, tab titles of a tab widget (comma list;
//   missing entries keep their text); edits, lists and spin boxes keep their content (their caption
//   is their label's);
// - tooltip when the record has one;
// - shown when Visible is 0, hidden otherwise (never for a top-level widget);
// - enabled when Enable is 0, disabled otherwise;
// - colours: Color1 (non-zero) is the text colour, Color2 (non-zero) the background colour;
//   0 keeps the style's colour. Color3/Color4 are state colours a window reads itself;
// - a combo box gets its choice list (FillChoiceList, keeping the value selected now);
// - a CNumericEdit gets its kind, decimals and range (CNumericEdit::ApplyRecord).
void ApplyRecord(const UiDefinition& ui, const UiControlRecord& record, QObject* target);

// Fills a combo box from the record's choice list (as many entries as both SelectList and
// SelectVal have, each carrying its value as item data), selects the entry whose value is wanted
// (-1: the record's default for an integer record; no match: the first entry), then shows/hides
// and enables/disables it by the record. bankAliases, when given, are appended to entries 0..15.
// Without a record the box is left as it is and false is returned.
bool FillChoiceList(const UiDefinition& ui, int32_t ctrlId, QComboBox* box, int32_t wanted,
                    const std::array<std::string, 16>* bankAliases = nullptr);

// The value (item data) of the selected entry of a filled choice list; fallback when none.
int32_t SelectedChoiceValue(const QComboBox* box, int32_t fallback = -1);

// Accessible names for every widget below root: a widget with a caption (button, label, group,
// check box) is named by it; an edit, list or spin box by the text of the label whose buddy it
// is (QLabel::setBuddy), or without such a label by the caption of its own record, mnemonic
// ampersands removed. Names already set are kept unless they
// came from an earlier call (re-application after a caption change renames them).
void ApplyAccessibleNames(QWidget* root);

}  // namespace zul::ui

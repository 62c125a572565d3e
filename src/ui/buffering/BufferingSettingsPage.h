// SPDX-License-Identifier: GPL-3.0-or-later
// The settings page of the buffering window: the buffering settings of one memory bank and the
// comment of the values shown.
//
// The page binds its controls to setting items in one table (control, record, item, output,
// when it may be edited), in the manner of the main window's settings pages: Fill shows a bank,
// Store writes every control that holds a value back into a bank (lists with entries, edits
// that parse; numbers out of range are stored and refused by the range check before anything
// is sent), ApplyRules enables each field by its rule and sets the ranges that depend on the
// other fields. The page's widgets belong to the window's form (their records are applied with
// the window's); the page never talks to the controller.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QObject>

class QLabel;
class QLineEdit;
class QWidget;

namespace zul {

class Application;
class UiDefinition;
struct BufferingData;

}  // namespace zul

namespace zul::ui {

class FormBase;

// True when the control's record leaves it enabled and shown (no record: true). The one rule of
// the buffering window's controls.
bool BufferingControlAllowed(const UiDefinition& ui, const QWidget* control);
// The caption of control below root: the label whose buddy it is; null when it has none (or
// control is null).
QLabel* CaptionLabelOf(const QWidget& root, const QWidget* control);

class CBufferingSettingsPage : public QObject {
    Q_OBJECT
public:
    // When a field may be edited, by the buffering mode selected.
    enum class Editable { kAlways, kTriggerModes, kSamplingTriggerModes };
    enum class Kind { kList, kIntEdit };
    struct Binding {
        int32_t ctrlId;  // the control and its record (choice lists)
        int32_t item;    // setting item
        int32_t output;  // second index of per-output items (and the control's copy), else 0
        Kind kind;
        Editable editable;
        bool drivesRules;       // a change re-runs the rules (the mode, the outputs, the count)
        int32_t captionSuffix;  // record whose caption is appended to the label, or 0
    };

    // page: the widget that holds the page's controls; data: the block whose comment is shown;
    // online: the window's answer whether the controller is on line.
    CBufferingSettingsPage(Application& app, FormBase& form, QWidget& page, BufferingData& data,
                           std::function<bool()> online);

    int32_t Bank() const { return bank_; }
    // Shows bank's settings and the block's comment, then applies the rules.
    void Fill(int32_t bank);
    // Writes the page into bank's settings and the comment into the block.
    void Store(int32_t bank) const;
    // The comment of the block again (after a load).
    void ShowComment();
    // Enables the fields (all disabled while off line) and sets the dependent ranges.
    void ApplyRules();
    // Captions of the labels from the records of their fields.
    void ApplyTexts();
    static const std::vector<Binding>& Bindings();

private:
    struct Bound {
        const Binding* binding;
        QWidget* control;
        QLabel* caption;
    };
    void ShowValue(const Bound& bound, int32_t bank);
    void StoreValue(const Bound& bound, int32_t bank) const;
    bool RuleHolds(Editable editable, int32_t mode) const;
    void ApplyRanges();
    // The control of item (the first one: OUT1's for the per-output items).
    QWidget* ControlOf(int32_t item) const;

    Application& app_;
    FormBase& form_;
    BufferingData& data_;
    std::function<bool()> online_;
    QLineEdit* comment_;
    QLabel* commentCaption_;
    std::vector<Bound> bound_;
    int32_t bank_ = 0;
    bool filling_ = false;
};

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
// The common part of the five settings pages of the main window (Head A/B, OUT1/OUT2, Common).
//
// A page binds setting items to controls by control number: choice lists (the entry's value is
// the item's value), integer and real edits (CNumericEdit), check boxes (1/0) and the
// measurement-mode selector (four radios with a fallback list). It shows the values of one
// memory bank (RefreshFromStore) and writes every control that holds a valid value back
// (TakeIntoStore); a bank switch writes into the old bank first. Only controls the user changed
// since they were shown or last taken are written, so that values the store got meanwhile
// (a read from the controller, an opened file, an adjustment result) are never overwritten by
// what the page showed before, and unchanged reals are not rounded to their decimals. A page
// never talks to the controller.
//
// Each bound control's caption label (the QLabel named "lbl<ctrlId>") and unit label
// ("unit<ctrlId>") take their texts from the control's UI record; the caption is shown in bold
// while the control's value differs from the value saved in the file (counted items only).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QWidget>

#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"

class QAbstractButton;
class QComboBox;
class QLabel;

namespace zul {
class Application;
}

namespace zul::ui {

// What a page asks of the windows around it; each may be empty.
struct PageHooks {
    std::function<void()> redrawPictures;    // a setting the output pictures show changed
    std::function<void()> lightWaveChanged;  // PeakLevel or FloodLightAjust changed
    std::function<void()> bufferingChanged;  // SamplingCycle changed
};

enum class BindKind { kList, kIntEdit, kRealEdit, kCheck, kMeasureMode };

struct PageBinding {
    int32_t ctrlId;
    int32_t item;
    BindKind kind;
};

// A value shown only: label ctrlId shows item with the printf format; its caption label
// ("lbl<ctrlId>") and unit label ("unit<ctrlId>") take the texts of captionCtrl's record.
struct PageValueLabel {
    int32_t ctrlId;
    int32_t item;
    const char* format;
    int32_t captionCtrl;
};

class CPageBase : public QWidget, public FormBase {
    Q_OBJECT

public:
    // index: head or output (0/1); the common page passes 0.
    CPageBase(Application& app, FormBase* parentForm, int32_t index, PageHooks hooks,
              QWidget* parent = nullptr);
    ~CPageBase() override;

    int32_t Index() const { return index_; }
    int32_t Bank() const { return bank_; }
    Application& App() { return app_; }
    void SetHooks(PageHooks hooks) { hooks_ = std::move(hooks); }

    // Sets every bound control from the store for bank, refreshes the shown-only labels and
    // applies the enabling rules.
    void RefreshFromStore(int32_t bank);
    // Writes every changed control that holds a valid value into the store for bank.
    void TakeIntoStore(int32_t bank);
    // Marks again which captions show changed values (after the file was saved or loaded).
    void RefreshChangeMarks();
    // True while the caption of ctrlId is shown in bold.
    bool IsMarkedChanged(int32_t ctrlId) const;

protected:
    // Called by the derived page after setupUi: binds the controls and fills the page.
    void SetBindings(std::vector<PageBinding> bindings, std::vector<PageValueLabel> labels);
    // The enabling rules of the page, run on the controls' current selections.
    virtual void ApplyRules() {}
    // The buttons enabled only while connected.
    virtual std::vector<QAbstractButton*> OnlineButtons() const { return {}; }
    // A bound control changed by the user (after the page's own handling of the change).
    virtual void OnControlEdited(int32_t /*ctrlId*/) {}

    // Writes one bound control into the store for the bank in use at once.
    void WriteNow(int32_t ctrlId);
    // The value the control shows now (lists: selected entry's value; -1 when none).
    int32_t SelectedValue(int32_t ctrlId) const;
    // Re-reads the shown-only labels from the store.
    void RefreshValueLabels();
    // Re-reads one bound control from the store (bank in use).
    void RefreshControl(int32_t ctrlId);
    // True when the control's record neither disables it nor its firmware gating does.
    bool RecordAllows(int32_t ctrlId) const;
    // Enables a control when the record allows it and the rule holds.
    void SetRuleEnabled(int32_t ctrlId, bool rule);
    bool IsOnline() const;
    QtMessageBoxHost& Boxes() { return boxes_; }
    const PageHooks& Hooks() const { return hooks_; }

    void OnUiDefinitionApplied() override;
    void OnLineStateChanged(int32_t lineState) override;
    void OnMemoryBankChanged(int32_t oldBank, int32_t newBank) override;
    void OnTakeControlValues() override;

private:
    struct Bound {
        PageBinding binding;
        QWidget* control = nullptr;
        QLabel* caption = nullptr;
        QLabel* unit = nullptr;
        std::vector<QAbstractButton*> radios;  // measurement-mode selector only
        bool edited = false;                   // changed by the user since it was shown or taken
        bool filled = false;                   // a list holds the entries of its record
    };

    Bound* Find(int32_t ctrlId);
    const Bound* Find(int32_t ctrlId) const;
    void ShowValue(Bound& bound, int32_t bank);
    bool TakeValue(const Bound& bound, int32_t bank);
    void ApplyCaptions();
    void ApplyOnlineEnabling();
    void UpdateChangeMark(Bound& bound);
    void ConnectEdits(Bound& bound);
    void SyncRadiosToList(Bound& bound);
    void Edited(int32_t ctrlId);

    Application& app_;
    int32_t index_;
    PageHooks hooks_;
    int32_t bank_ = 0;
    bool loading_ = false;
    std::vector<Bound> bound_;
    std::vector<PageValueLabel> labels_;
    QtMessageBoxHost boxes_;
};

}  // namespace zul::ui

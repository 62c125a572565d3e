// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/UiApplier.h"

#include <unordered_map>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTabWidget>
#include <QTextEdit>

#include "settings/UiDefinition.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtText.h"

namespace zul::ui {

namespace {

// The accessible name ApplyAccessibleNames gave a widget; a different name was set by the form.
constexpr const char* kAutoAccessibleName = "accessibleNameAuto";
// The caption of a value widget's own record (a list or an edit shows values, not its caption):
// its accessible name when no label names it.
constexpr const char* kRecordCaption = "recordCaption";

QString ShownCaption(const UiControlRecord& record) {
    if (record.captionCount > 1) {
        const QStringList list = CaptionList(record.caption);
        return list.isEmpty() ? QString() : list.first();
    }
    return CaptionText(record.caption);
}

void ApplyColours(const UiControlRecord& record, QWidget* widget) {
    if (record.color1 == 0 && record.color2 == 0) {
        return;
    }
    QPalette palette = widget->palette();
    if (record.color1 != 0) {
        const QColor text = ColorFromRef(record.color1);
        SetEnabledColor(palette, QPalette::WindowText, text);
        SetEnabledColor(palette, QPalette::ButtonText, text);
        SetEnabledColor(palette, QPalette::Text, text);
    }
    if (record.color2 != 0) {
        const QColor back = ColorFromRef(record.color2);
        SetEnabledColor(palette, QPalette::Window, back);
        SetEnabledColor(palette, QPalette::Button, back);
        SetEnabledColor(palette, QPalette::Base, back);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

void ApplyCaption(const UiControlRecord& record, QWidget* widget) {
    const QString caption = ShownCaption(record);
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        menu->setTitle(caption);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        const QStringList titles = CaptionList(record.caption);
        for (int i = 0; i < tabs->count() && i < titles.size(); ++i) {
            tabs->setTabText(i, titles[i]);
        }
    } else if (widget->isWindow()) {
        widget->setWindowTitle(caption);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(caption);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(caption);
    } else {
        // Edits, lists, spin boxes, tables, charts and sliders show values, not captions; the
        // caption still names the control for screen readers when no label does.
        widget->setProperty(kRecordCaption, caption);
    }
}

void ApplyState(const UiControlRecord& record, QWidget* widget) {
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        menu->menuAction()->setVisible(record.visible == 0);
        menu->menuAction()->setEnabled(record.enable == 0);
        return;
    }
    if (!widget->isWindow()) {
        widget->setVisible(record.visible == 0);
    }
    widget->setEnabled(record.enable == 0);
}

QString WithoutMnemonics(QString text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

bool IsValueWidget(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QSlider*>(widget);
}

QString OwnCaption(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        return group->title();
    }
    if (widget->isWindow()) {
        return widget->windowTitle();
    }
    return {};
}

}  // namespace

int32_t CtrlIdOf(const QObject* object) {
    const QVariant value = object->property(kCtrlIdProperty);
    bool ok = false;
    const int id = value.toInt(&ok);
    return ok ? int32_t(id) : 0;
}

void SetCtrlId(QObject* object, int32_t ctrlId) {
    object->setProperty(kCtrlIdProperty, int(ctrlId));
    object->setObjectName(ControlObjectName(ctrlId));
}

QString ControlObjectName(int32_t ctrlId) {
    return QStringLiteral("ctrl%1").arg(ctrlId);
}

bool RecordAllowsEnabling(const UiControlRecord* record) {
    return record == nullptr || record->enable == 0;
}

bool RecordAllowsEnabling(const UiDefinition& ui, int32_t ctrlId) {
    return RecordAllowsEnabling(ui.FindById(ctrlId));
}

bool RecordAllowsShowing(const UiControlRecord* record) {
    return record == nullptr || record->visible == 0;
}

bool RecordAllowsShowing(const UiDefinition& ui, int32_t ctrlId) {
    return RecordAllowsShowing(ui.FindById(ctrlId));
}

const UiControlRecord* RecordOf(const UiDefinition& ui, const QObject* object) {
    if (const int32_t id = CtrlIdOf(object); id != 0) {
        return ui.FindById(id);
    }
    const QVariant name = object->property(kUiNameProperty);
    if (name.isValid()) {
        return ui.FindByName(ToStdString(name.toString()));
    }
    return nullptr;
}

void ApplyRecord(const UiDefinition& ui, const UiControlRecord& record, QObject* target) {
    const QString tooltip = ToQString(record.tooltip);
    if (auto* action = qobject_cast<QAction*>(target)) {
        action->setText(ShownCaption(record));
        if (!tooltip.isEmpty()) {
            action->setToolTip(tooltip);
        }
        action->setVisible(record.visible == 0);
        action->setEnabled(record.enable == 0);
        return;
    }
    auto* widget = qobject_cast<QWidget*>(target);
    if (widget == nullptr) {
        return;
    }
    ApplyCaption(record, widget);
    if (auto* edit = qobject_cast<CNumericEdit*>(widget)) {
        edit->ApplyRecord(record);
    } else if (!tooltip.isEmpty()) {
        widget->setToolTip(tooltip);
    }
    ApplyColours(record, widget);
    if (auto* box = qobject_cast<QComboBox*>(widget)) {
        const int32_t current = box->currentIndex() >= 0 ? SelectedChoiceValue(box) : int32_t(-1);
        FillChoiceList(ui, record.ctrlId, box, current);
        return;  // FillChoiceList applied the state
    }
    ApplyState(record, widget);
}

bool FillChoiceList(const UiDefinition& ui, int32_t ctrlId, QComboBox* box, int32_t wanted,
                    const std::array<std::string, 16>* bankAliases) {
    if (ui.FindById(ctrlId) == nullptr) {
        return false;
    }
    const ChoiceList list = ui.FillChoiceList(ctrlId, wanted, bankAliases);
    const QSignalBlocker blocker(box);
    box->clear();
    for (const ChoiceEntry& entry : list.entries) {
        box->addItem(ToQString(entry.text), int(entry.value));
    }
    box->setCurrentIndex(list.selected);
    box->setVisible(list.visible);
    box->setEnabled(list.enabled);
    return true;
}

int32_t SelectedChoiceValue(const QComboBox* box, int32_t fallback) {
    if (box->currentIndex() < 0) {
        return fallback;
    }
    bool ok = false;
    const int value = box->currentData().toInt(&ok);
    return ok ? int32_t(value) : fallback;
}

void ApplyAccessibleNames(QWidget* root) {
    std::unordered_map<const QWidget*, const QLabel*> labelOf;
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            labelOf.emplace(label->buddy(), label);
        }
    }
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        const bool automatic =
            widget->accessibleName() == widget->property(kAutoAccessibleName).toString();
        if (!widget->accessibleName().isEmpty() && !automatic) {
            continue;  // named by the form itself
        }
        QString name;
        if (IsValueWidget(widget)) {
            if (auto it = labelOf.find(widget); it != labelOf.end()) {
                name = it->second->text();
            } else {
                name = widget->property(kRecordCaption).toString();
            }
        } else {
            name = OwnCaption(widget);
        }
        name = WithoutMnemonics(name).trimmed();
        if (name.isEmpty()) {
            continue;
        }
        widget->setAccessibleName(name);
        widget->setProperty(kAutoAccessibleName, name);
    }
}

}  // namespace zul::ui

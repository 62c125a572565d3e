// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader finds in a window: the controls a user reaches with the Tab key (not
// hidden by their record; Qt's own inner widgets, named "qt_...", and the parts of a list belong
// to their owner) and which of them have no accessible name.
#pragma once

#include <vector>

#include <QComboBox>
#include <QStringList>
#include <QWidget>

namespace zul::test {

inline std::vector<QWidget*> KeyboardControls(QWidget* root) {
    std::vector<QWidget*> found;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if ((widget->focusPolicy() & Qt::TabFocus) == 0 || widget->isHidden() ||
            widget->objectName().startsWith(QStringLiteral("qt_"))) {
            continue;
        }
        bool inner = false;
        for (QWidget* up = widget->parentWidget(); up != nullptr && up != root;
             up = up->parentWidget()) {
            inner = inner || qobject_cast<QComboBox*>(up) != nullptr;
        }
        if (!inner) {
            found.push_back(widget);
        }
    }
    return found;
}

inline QString DescribeWidget(const QWidget* widget) {
    return QStringLiteral("%1 (%2)").arg(widget->objectName(),
                                         QString::fromLatin1(widget->metaObject()->className()));
}

// "name (class)" of every keyboard control below root without an accessible name.
inline QStringList UnnamedKeyboardControls(QWidget* root) {
    QStringList unnamed;
    for (QWidget* widget : KeyboardControls(root)) {
        if (widget->accessibleName().trimmed().isEmpty()) {
            unnamed << DescribeWidget(widget);
        }
    }
    return unnamed;
}

}  // namespace zul::test

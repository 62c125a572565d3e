// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions between the core's UTF-8 byte strings and colour numbers and their Qt forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <QColor>
#include <QPalette>
#include <QString>

namespace zul::ui {

// UTF-8 bytes to a QString and back.
QString ToQString(std::string_view text);
std::string ToStdString(const QString& text);

// A UI definition colour (Color1..Color4): a 0x00BBGGRR integer (red in the low byte, as the
// classic colour reference stores it). The top byte is ignored.
QColor ColorFromRef(int32_t ref);
int32_t ColorToRef(const QColor& color);
// Sets a colour of the palette for an enabled control only (active and inactive windows): a
// disabled control keeps the desktop's greyed look, so that it never looks usable.
void SetEnabledColor(QPalette& palette, QPalette::ColorRole role, const QColor& color);

// The caption of a UI record as shown: surrounding double quotes removed.
QString CaptionText(std::string_view caption);

// The entries of a comma-separated caption list ("Head A,Head B,..."), quotes respected.
QStringList CaptionList(std::string_view caption);

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/QtText.h"

#include "base/ProfileText.h"

namespace zul::ui {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string ToStdString(const QString& text) {
    return text.toUtf8().toStdString();
}

void SetEnabledColor(QPalette& palette, QPalette::ColorRole role, const QColor& color) {
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
}

QColor ColorFromRef(int32_t ref) {
    const auto value = uint32_t(ref);
    return QColor(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}

int32_t ColorToRef(const QColor& color) {
    const QColor rgb = color.toRgb();
    return int32_t(uint32_t(rgb.red()) | (uint32_t(rgb.green()) << 8) |
                   (uint32_t(rgb.blue()) << 16));
}

QString CaptionText(std::string_view caption) {
    return ToQString(UnquoteText(caption));
}

QStringList CaptionList(std::string_view caption) {
    QStringList list;
    for (const std::string& entry : SplitCommaList(caption)) {
        list.append(ToQString(entry));
    }
    return list;
}

}  // namespace zul::ui

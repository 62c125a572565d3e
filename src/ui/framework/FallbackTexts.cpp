// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/FallbackTexts.h"

#include <array>

namespace zul::ui {

namespace {

struct ResourceText {
    int32_t id;
    const char* text;
};

// The string resources of the program, as the program has always shipped them.
constexpr std::array kResources{
    ResourceText{kResComponentStartFailed,
                 "OLE initialization failed.  Make sure that the OLE libraries are the correct "
                 "version."},
    ResourceText{kResUiDefinitionReadError, "Resource file read error. Or file is broken."},
    ResourceText{103, "Head A"},
    ResourceText{104, "Head B"},
    ResourceText{105, "OUT1"},
    ResourceText{106, "OUT2"},
    ResourceText{107, "Common"},
    ResourceText{kResApplicationTitle, "QV-M8 ZuL"},
};

constexpr std::array kWorkTableTitles{"item", "item1", "item2"};

}  // namespace

QString FallbackText(int32_t resourceId) {
    for (const ResourceText& resource : kResources) {
        if (resource.id == resourceId) {
            return QString::fromUtf8(resource.text);
        }
    }
    return FallbackNoStringData();
}

QString FallbackNoStringData() {
    return QStringLiteral("no string data");
}

QString FallbackMillimetreUnit() {
    return QStringLiteral("mm");
}

QString FallbackWorkTableTitle(int32_t column) {
    if (column < 0 || column >= int32_t(kWorkTableTitles.size())) {
        return FallbackNoStringData();
    }
    return QString::fromUtf8(kWorkTableTitles[size_t(column)]);
}

}  // namespace zul::ui

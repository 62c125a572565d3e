// SPDX-License-Identifier: GPL-3.0-or-later
// The few texts the program itself defines, for when the UI definition cannot supply them: the
// start-up failure texts, the application title, the tab titles, the placeholder for a missing
// text, the buffering axis unit and the light-wave work table titles. Every other user-visible
// text comes from the UI definition; no window holds a literal of its own.
#pragma once

#include <cstdint>

#include <QString>

namespace zul::ui {

// String resources of the program.
inline constexpr int32_t kResComponentStartFailed = 100;   // framework could not start
inline constexpr int32_t kResUiDefinitionReadError = 102;  // default.frs unreadable or broken
inline constexpr int32_t kResTabHeadA = 103;               // 103..107: the five tab titles
inline constexpr int32_t kResTabCommon = 107;
inline constexpr int32_t kResApplicationTitle = 57344;  // caption of every message box

// The text of a string resource above; an unknown id gives FallbackNoStringData().
QString FallbackText(int32_t resourceId);

// "no string data": shown where a text is missing from the UI definition.
QString FallbackNoStringData();

// "mm": the unit of the buffering value axis when no record gives one.
QString FallbackMillimetreUnit();

// "item", "item1", "item2": the light-wave work table column titles when their record is
// missing (index 0..2; other indices give FallbackNoStringData()).
QString FallbackWorkTableTitle(int32_t column);

}  // namespace zul::ui

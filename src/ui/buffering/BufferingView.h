// SPDX-License-Identifier: GPL-3.0-or-later
// A view of the values shown on a tab page of the buffering window of its own: the statistics
// page is one; further views (a capability page, a histogram, a control chart) are added the
// same way, with one line in CBufferingWnd::AddViews.
//
// The window owns the page and the view (the view's widget is put on the page). It calls
// ApplyTexts whenever it applies the UI definition, and ShowValues after it has computed the
// statistics of the values shown: after a read, a load, a clear, a move of a measure line, and
// when the page or the information form is shown. A view reads the block under data.mutex and
// keeps no reference to what it read.
#pragma once

#include "buffering/BufferingData.h"
#include "settings/MicronMode.h"

class QWidget;

namespace zul {

class UiDefinition;

}  // namespace zul

namespace zul::ui {

class BufferingView {
public:
    virtual ~BufferingView() = default;
    // The widget the window puts on the view's page.
    virtual QWidget* Widget() = 0;
    // Titles and captions from the UI definition.
    virtual void ApplyTexts(const UiDefinition& ui) = 0;
    // The values shown and their statistics (data.outputs[o].statistics is current).
    virtual void ShowValues(const BufferingData& data, const MicronMode& micron) = 0;
};

}  // namespace zul::ui

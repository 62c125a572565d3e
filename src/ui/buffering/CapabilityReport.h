// SPDX-License-Identifier: GPL-3.0-or-later
// The process-capability report: one page per output with the controller's identity, the
// memory bank, the date, the limits, every figure of the output's panel as it shows them, its
// histogram and its I-MR chart. Printed on a QPrinter (a printer, or a PDF file through the
// atomic writer so that a failed print leaves no partial file).
#pragma once

#include <cstdint>
#include <span>

#include <QString>

#include "base/ResultInfo.h"

class QPrinter;

namespace zul {

class SettingsStore;
class UiDefinition;

}  // namespace zul

namespace zul::ui {

class CCapabilityPanel;

struct CapabilityReportHeader {
    QString controller;  // controller type as identified at connect
    QString bank;        // number of the current memory bank and its alias
    QString date;
};

// The header for the store's controller and current bank, dated now.
CapabilityReportHeader CapabilityReportHeaderOf(const SettingsStore& store);

// Prints a page for each panel; the number of pages, 0 when the printer could not be started.
int PrintCapabilityReport(QPrinter& printer, const UiDefinition& ui,
                          const CapabilityReportHeader& header,
                          std::span<CCapabilityPanel* const> panels);

// Prints the report into a PDF file at path. ZUL_OK, or ZUL_ERR_FILE_WRITE with the path in
// detail1 and the reason in detail2.
int32_t PrintCapabilityReportToPdf(const QString& path, const UiDefinition& ui,
                                   const CapabilityReportHeader& header,
                                   std::span<CCapabilityPanel* const> panels, ResultInfo* info);

}  // namespace zul::ui

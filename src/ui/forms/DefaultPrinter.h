// SPDX-License-Identifier: GPL-3.0-or-later
// The printer the print forms start from. The program asks the print system once at start-up
// (asking can take a while with network printers) and keeps the answer: the system's default
// printer, or the first printer installed when none is marked default. Having no printer is not
// an error: the print forms then write PDF files instead.
#pragma once

#include <functional>

#include <QPageSize>
#include <QString>

namespace zul::ui {

struct DefaultPrinter {
    QString name;  // empty: no printer
    QPageSize pageSize;

    bool Available() const { return !name.isEmpty(); }
};

// Asks the print system and keeps the answer; called once at start-up.
void FetchDefaultPrinter();

// What the last fetch found (no printer before the first fetch).
const DefaultPrinter& KeptDefaultPrinter();

// Where FetchDefaultPrinter asks (tests); an empty function restores the print system.
void SetPrinterSourceForTest(std::function<DefaultPrinter()> source);

}  // namespace zul::ui

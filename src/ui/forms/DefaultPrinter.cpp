// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/DefaultPrinter.h"

#include <QPrinterInfo>

namespace zul::ui {

namespace {

DefaultPrinter& Kept() {
    static DefaultPrinter kept;
    return kept;
}

std::function<DefaultPrinter()>& Source() {
    static std::function<DefaultPrinter()> source;
    return source;
}

DefaultPrinter AskPrintSystem() {
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
        if (!all.isEmpty()) {
            info = all.front();
        }
    }
    DefaultPrinter printer;
    if (!info.isNull()) {
        printer.name = info.printerName();
        printer.pageSize = info.defaultPageSize();
    }
    return printer;
}

}  // namespace

void FetchDefaultPrinter() {
    Kept() = Source() ? Source()() : AskPrintSystem();
}

const DefaultPrinter& KeptDefaultPrinter() {
    return Kept();
}

void SetPrinterSourceForTest(std::function<DefaultPrinter()> source) {
    Source() = std::move(source);
}

}  // namespace zul::ui

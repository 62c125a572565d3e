// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering window's file commands: save and load of buffering data files and CSV, the
// export of the shown graph as PNG or PDF, its printing, and the process-capability statistics
// and report.
#include <iterator>

#include <QAction>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "app/Application.h"
#include "buffering/BufferingFile.h"
#include "settings/SettingItem.h"
#include "ui/buffering/BufferingSettingsPage.h"
#include "ui/buffering/BufferingTexts.h"
#include "ui/buffering/BufferingWnd.h"
#include "ui/buffering/CapabilityFigures.h"
#include "ui/buffering/CapabilityPanel.h"
#include "ui/buffering/CapabilityReport.h"
#include "ui/framework/QtText.h"
#include "ui/framework/RenderedFile.h"
#include "ui/framework/TChart.h"
#include "ui_BufferingWnd.h"

namespace zul::ui {

namespace {

constexpr int kExportWidth = 1000;
constexpr int kExportHeight = 600;

// The printer setup of PrintGraph; empty: the print dialog.
CBufferingWnd::PrintSetup& PrintSetupHook() {
    static CBufferingWnd::PrintSetup hook;
    return hook;
}

DataFileOptions FileOptions(Application& app) {
    const SettingsStore& store = app.Store();
    DataFileOptions options;
    options.csvSeparator = store.GetInt<kSoftCsvSeparator>();
    options.csvUnderdigit = store.GetInt<kSoftCsvUnderdigit>();
    return options;
}

}  // namespace

void CBufferingWnd::ConnectFileCommands() {
    Ui::BufferingWnd& u = *ui_;
    connect(u.actSave, &QAction::triggered, this, &CBufferingWnd::Save);
    connect(u.actLoad, &QAction::triggered, this, &CBufferingWnd::Load);
    connect(u.actPrint, &QAction::triggered, this, [this] { PrintGraph(); });
    connect(u.actExportPng, &QAction::triggered, this, [this] { ExportShownGraph(false); });
    connect(u.actExportPdf, &QAction::triggered, this, [this] { ExportShownGraph(true); });
    connect(u.actSaveStatistics, &QAction::triggered, this, &CBufferingWnd::SaveStatistics);
    connect(u.actPrintCapability, &QAction::triggered, this, [this] { PrintCapabilityReport(); });
}

// Every dialog of the window starts in the folder of the last file opened or saved.
FileDialogRequest CBufferingWnd::FileRequest(FileDialogRequest::Mode mode,
                                             const QStringList& filters,
                                             const QString& suffix) const {
    return MakeFileDialogRequest(mode, app_.Store().GetText<kBufConfCurFolder>(), filters, suffix);
}

void CBufferingWnd::RememberFolder(const QString& path) {
    app_.Store().SetText<kBufConfCurFolder>(ToStdString(QFileInfo(path).absolutePath()));
}

void CBufferingWnd::Save() {
    if (IsReading()) {
        return;
    }
    const QStringList filters = RecordCaptions(app_.Ui(), "Buffering_FileFilters");
    if (auto chosen =
            files_.ChooseFile(FileRequest(FileDialogRequest::Mode::Save, filters, "bfd"))) {
        RememberFolder(chosen->path);
        SaveToPath(chosen->path);
    }
}

void CBufferingWnd::Load() {
    if (IsReading()) {
        return;
    }
    // Data files only: a CSV export cannot be loaded.
    const QStringList filters = RecordCaptions(app_.Ui(), "Buffering_FileFilters").mid(0, 1);
    if (auto chosen =
            files_.ChooseFile(FileRequest(FileDialogRequest::Mode::Open, filters, "bfd"))) {
        RememberFolder(chosen->path);
        LoadFromPath(chosen->path);
    }
}

bool CBufferingWnd::SaveToPath(const QString& path) {
    page_->Store(page_->Bank());  // the comment shown goes into the file
    ComputeStatistics();
    DataFileOptions options = FileOptions(app_);
    options.micronMode = app_.Micron().active;
    options.micronFactor = app_.Micron().factor;
    const bool csv = path.endsWith(".csv", Qt::CaseInsensitive);
    ResultInfo result;
    if (SaveBufferingFile(*data_, ToStdString(path), csv, options, &result) != ZUL_OK) {
        ShowResultCode(ZUL_ERR_FILE_WRITE, ToStdString(path), result.detail2);
        return false;
    }
    return true;
}

bool CBufferingWnd::LoadFromPath(const QString& path) {
    ResultInfo result;
    // A failed load keeps the values shown: the file is read into a block of its own.
    if (LoadBufferingFile(*data_, ToStdString(path), FileOptions(app_), &result) != ZUL_OK) {
        ShowResultCode(ZUL_ERR_FILE_READ, ToStdString(path), result.detail2);
        return false;
    }
    page_->ShowComment();
    ApplyMeasureLines();
    RedrawAll();
    ComputeStatistics();
    return true;
}

void CBufferingWnd::ExportShownGraph(bool pdf) {
    const FileDialogRequest request = FileRequest(
        FileDialogRequest::Mode::Save, {pdf ? "PDF (*.pdf)" : "PNG (*.png)"}, pdf ? "pdf" : "png");
    if (auto chosen = files_.ChooseFile(request)) {
        RememberFolder(chosen->path);
        ResultInfo result;
        if (!ExportGraphs(chosen->path, pdf, &result)) {
            ShowResultCode(ZUL_ERR_FILE_WRITE, ToStdString(chosen->path), result.detail2);
        }
    }
}

bool CBufferingWnd::ExportGraphs(const QString& path, bool pdf, ResultInfo* result) {
    CTChart& chart = ShownChart();
    const auto render = [&chart, pdf](const QString& file) {
        return pdf ? chart.SavePdf(file, kExportWidth, kExportHeight)
                   : chart.SavePng(file, kExportWidth, kExportHeight);
    };
    return SaveRenderedFile(path, render, result) == ZUL_OK;
}

CBufferingWnd::PrintSetup CBufferingWnd::SetPrintSetup(PrintSetup setup) {
    PrintSetup previous = std::move(PrintSetupHook());
    PrintSetupHook() = std::move(setup);
    return previous;
}

bool CBufferingWnd::PrintGraph() {
    return PrintWith(QPageLayout::Landscape,
                     [this](QPrinter& printer) { return ShownChart().Print(printer); });
}

bool CBufferingWnd::PrintWith(QPageLayout::Orientation orientation,
                              const std::function<bool(QPrinter&)>& print) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(orientation);
    printer.setDocName(windowTitle());
    bool accepted = false;
    if (PrintSetupHook()) {
        accepted = PrintSetupHook()(printer, this);
    } else {
        QPrintDialog dialog(&printer, this);  // modal: the state loop waits while it is open
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted) {
        return false;
    }
    // Printed to a file, the file appears whole or not at all.
    const QString file = printer.outputFileName();
    if (file.isEmpty()) {
        if (!print(printer)) {
            ShowResultCode(ZUL_ERR_NO_PRINTER);
            return false;
        }
        return true;
    }
    ResultInfo why;
    const auto printToScratch = [&](const QString& scratch) {
        printer.setOutputFileName(scratch);
        return print(printer);
    };
    if (SaveRenderedFile(file, printToScratch, &why) != ZUL_OK) {
        ShowResultCode(ZUL_ERR_FILE_WRITE, ToStdString(file), why.detail2);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Process capability

void CBufferingWnd::SaveStatistics() {
    const QStringList filters = RecordCaptions(app_.Ui(), "Capability_FileFilters");
    if (auto chosen =
            files_.ChooseFile(FileRequest(FileDialogRequest::Mode::Save, filters, "csv"))) {
        RememberFolder(chosen->path);
        SaveStatisticsToPath(chosen->path);
    }
}

bool CBufferingWnd::SaveStatisticsToPath(const QString& path) {
    ComputeStatistics();  // the panels show the values held, whatever page is shown
    const CapabilityResult* results[] = {&Capability(0).Result(), &Capability(1).Result()};
    ResultInfo result;
    if (SaveCapabilityStatistics(path, results, &result) != ZUL_OK) {
        ShowResultCode(ZUL_ERR_FILE_WRITE, ToStdString(path), result.detail2);
        return false;
    }
    return true;
}

bool CBufferingWnd::PrintCapabilityReport() {
    ComputeStatistics();
    CCapabilityPanel* panels[] = {&Capability(0), &Capability(1)};
    const CapabilityReportHeader header = CapabilityReportHeaderOf(app_.Store());
    return PrintWith(QPageLayout::Portrait, [&](QPrinter& printer) {
        return zul::ui::PrintCapabilityReport(printer, app_.Ui(), header, panels) ==
               int(std::size(panels));
    });
}

}  // namespace zul::ui

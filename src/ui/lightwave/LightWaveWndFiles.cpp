// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave window's file commands: the export of both heads' graphs as PNG or PDF, and
// what the window does around the settings form's loading of a light-wave file.
#include <QFileInfo>

#include "app/Application.h"
#include "settings/MessageBox.h"
#include "settings/SettingsStore.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/QtText.h"
#include "ui/framework/RenderedFile.h"
#include "ui/framework/TChart.h"
#include "ui/lightwave/LightWaveIds.h"
#include "ui/lightwave/LightWaveWnd.h"

namespace zul::ui {

void CLightWaveWnd::ExportFromDialog() {
    QtFileDialogHost files(this);
    const auto chosen = files.ChooseFile(MakeFileDialogRequest(
        FileDialogRequest::Mode::Save, app_.Store().GetText<kLwConfCurFolder>(),
        {"PNG (*.png)", "PDF (*.pdf)"}, "png"));
    if (!chosen) {
        return;
    }
    ResultInfo why;
    if (!ExportGraphs(chosen->path, &why)) {
        ResultInfo result;
        SetResult(&result, ZUL_ERR_FILE_WRITE, why.osError, ToStdString(chosen->path), why.detail2);
        ReportResult(boxes_, app_.Ui(), result);
    }
}

bool CLightWaveWnd::ExportGraphs(const QString& path, ResultInfo* result) {
    const QFileInfo info(path);
    const bool pdf = info.suffix().compare("pdf", Qt::CaseInsensitive) == 0;
    const QString base = info.path() + "/" + info.completeBaseName();
    const QString suffix = pdf ? ".pdf" : ".png";
    for (int head = 0; head < kLightWaveHeads; ++head) {
        const QString file = base + (head == 0 ? "-A" : "-B") + suffix;
        CTChart& chart = *Chart(head);
        chart.RedrawNow();
        const auto draw = [&chart, pdf](const QString& scratch) {
            return pdf ? chart.SavePdf(scratch) : chart.SavePng(scratch);
        };
        if (SaveRenderedFile(file, draw, result) != ZUL_OK) {
            return false;
        }
    }
    return true;
}

void CLightWaveWnd::PrepareForLoad() {
    StopCapture();
    state_ = LightWaveCapture::kStopped;
    UpdateControls();
}

void CLightWaveWnd::LoadFinished() {
    ShowNewest();
    UpdateControls();
}

}  // namespace zul::ui

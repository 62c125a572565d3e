// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/CapabilityReport.h"

#include <algorithm>

#include <QDateTime>
#include <QPrinter>

#include "settings/ItemInstances.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/CapabilityPanel.h"
#include "ui/buffering/ControlChartView.h"
#include "ui/buffering/HistogramView.h"
#include "ui/framework/QCustomPlot.h"
#include "ui/framework/QtText.h"
#include "ui/framework/RenderedFile.h"

namespace zul::ui {

namespace {

// The plots are laid out this wide (in their own pixels) and scaled to the page, so that their
// texts keep the proportions they have on the screen.
constexpr int kPlotLayoutWidth = 1000;
// Shares of the page height.
constexpr double kHistogramShare = 0.27;
constexpr double kChartShare = 0.33;

template <class Render>
void DrawPlot(QCPPainter& painter, const QRectF& rect, Render render) {
    const double scale = rect.width() / kPlotLayoutWidth;
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(scale, scale);
    render(&painter, kPlotLayoutWidth, int(rect.height() / scale));
    painter.restore();
}

void DrawPage(QCPPainter& painter, const QRectF& area, const UiDefinition& ui,
              const CapabilityReportHeader& header, CCapabilityPanel& panel) {
    QFont font("DejaVu Sans", 9);
    QFont bold = font;
    bold.setBold(true);
    QFont title = font;
    title.setPointSize(14);
    title.setBold(true);
    painter.setPen(Qt::black);

    double y = 0.0;
    painter.setFont(title);
    const double titleLine = painter.fontMetrics().height() * 1.4;
    painter.drawText(QRectF(0, y, area.width(), titleLine), Qt::AlignLeft | Qt::AlignVCenter,
                     CapabilityText(ui, "Capability_TxtReportTitle"));
    y += titleLine;

    painter.setFont(font);
    const double line = painter.fontMetrics().height() * 1.3;
    const QStringList items = CapabilityTexts(ui, "Capability_TxtReportItems");
    const QString limits = panel.CellText(CCapabilityPanel::kRowLsl) + QStringLiteral(" / ") +
                           panel.CellText(CCapabilityPanel::kRowUsl);
    const QStringList values = {
        header.controller,   header.bank, header.date,
        panel.ColumnTitle(), limits,      panel.StatusText().section('\n', 0, 0)};
    const double labelWidth = area.width() * 0.22;
    for (int k = 0; k < values.size(); ++k) {
        painter.setFont(bold);
        painter.drawText(QRectF(0, y, labelWidth, line), Qt::AlignLeft | Qt::AlignVCenter,
                         CapabilityTextAt(items, k));
        painter.setFont(font);
        painter.drawText(QRectF(labelWidth, y, area.width() - labelWidth, line),
                         Qt::AlignLeft | Qt::AlignVCenter, values[k]);
        y += line;
    }
    y += line * 0.3;
    painter.drawLine(QPointF(0, y), QPointF(area.width(), y));
    y += line * 0.3;

    // The figures in two columns of title and value.
    const int perColumn = (CCapabilityPanel::kRows + 1) / 2;
    const double columnWidth = area.width() / 2.0;
    const double titleWidth = columnWidth * 0.62;
    for (int row = 0; row < CCapabilityPanel::kRows; ++row) {
        const double x = row < perColumn ? 0.0 : columnWidth;
        const double rowY = y + line * (row % perColumn);
        painter.drawText(QRectF(x, rowY, titleWidth - 4, line), Qt::AlignLeft | Qt::AlignVCenter,
                         panel.RowTitle(row));
        painter.drawText(QRectF(x + titleWidth, rowY, columnWidth - titleWidth - 8, line),
                         Qt::AlignRight | Qt::AlignVCenter, panel.CellText(row));
    }
    y += line * perColumn + line * 0.5;

    const double histogramHeight = area.height() * kHistogramShare;
    const double chartHeight =
        std::min(area.height() * kChartShare, area.height() - y - histogramHeight);
    DrawPlot(painter, QRectF(0, y, area.width(), histogramHeight),
             [&panel](QCPPainter* p, int w, int h) { panel.Histogram().Render(p, w, h); });
    y += histogramHeight;
    if (chartHeight > 0) {
        DrawPlot(painter, QRectF(0, y, area.width(), chartHeight),
                 [&panel](QCPPainter* p, int w, int h) { panel.ControlChart().Render(p, w, h); });
    }
}

}  // namespace

CapabilityReportHeader CapabilityReportHeaderOf(const SettingsStore& store) {
    const auto lock = store.Lock();
    CapabilityReportHeader header;
    header.controller = ToQString(store.GetText<kCtrlType>());
    const int32_t bank = store.GetInt<kAppCurMemNo>();
    header.bank = QString::number(bank);
    if (bank >= 0 && bank < kBankCount) {
        const QString alias = ToQString(store.GetText<kSoftMemAlias>(bank));
        if (!alias.isEmpty()) {
            header.bank += QStringLiteral(" ") + alias;
        }
    }
    header.date = QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm");
    return header;
}

int PrintCapabilityReport(QPrinter& printer, const UiDefinition& ui,
                          const CapabilityReportHeader& header,
                          std::span<CCapabilityPanel* const> panels) {
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    if (page.isEmpty()) {
        return 0;
    }
    QCPPainter painter;
    if (!painter.begin(&printer)) {
        return 0;
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    int pages = 0;
    for (CCapabilityPanel* panel : panels) {
        if (pages > 0 && !printer.newPage()) {
            break;
        }
        DrawPage(painter, QRectF(0, 0, page.width(), page.height()), ui, header, *panel);
        ++pages;
    }
    return painter.end() ? pages : 0;
}

int32_t PrintCapabilityReportToPdf(const QString& path, const UiDefinition& ui,
                                   const CapabilityReportHeader& header,
                                   std::span<CCapabilityPanel* const> panels, ResultInfo* info) {
    const auto print = [&](const QString& scratch) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(scratch);
        printer.setPageSize(QPageSize(QPageSize::A4));
        return PrintCapabilityReport(printer, ui, header, panels) == int(panels.size());
    };
    return SaveRenderedFile(path, print, info);
}

}  // namespace zul::ui

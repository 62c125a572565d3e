// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/ConfigPrintForm.h"

#include <algorithm>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>

#include "app/Application.h"
#include "settings/MessageBox.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/forms/DefaultPrinter.h"
#include "ui/forms/FormControls.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/QtText.h"
#include "ui/framework/RadioChoice.h"
#include "ui/framework/RenderedFile.h"
#include "ui/framework/UiApplier.h"
#include "ui_ConfigPrintForm.h"

namespace zul::ui {

namespace {

constexpr int32_t kRadioIds[3] = {1412, 1413, 1414};
// Relative widths of the four columns.
constexpr double kColumnShare[ConfigListRows::kColumns] = {0.24, 0.36, 0.20, 0.20};

}  // namespace

int ConfigPrintPages(QPrinter& printer, const ConfigListRows& rows, const std::vector<int>& which,
                     const ConfigPrintHeader& header) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return 0;
    }
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF area(0, 0, page.width(), page.height());
    QFont font("DejaVu Sans", 8);
    painter.setFont(font);
    const double line = painter.fontMetrics().height() * 1.3;
    std::array<double, ConfigListRows::kColumns + 1> x{};
    for (int c = 0; c < ConfigListRows::kColumns; ++c) {
        x[c + 1] = x[c] + area.width() * kColumnShare[c];
    }
    const QStringList titles = rows.ColumnTitles();
    int pages = 0;
    double y = 0;
    auto drawRow = [&](const QStringList& texts, bool bold) {
        QFont rowFont = font;
        rowFont.setBold(bold);
        painter.setFont(rowFont);
        for (int c = 0; c < ConfigListRows::kColumns && c < texts.size(); ++c) {
            const QRectF cell(x[c] + 2, y, x[c + 1] - x[c] - 4, line);
            painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(texts[c], Qt::ElideRight,
                                                              static_cast<int>(cell.width())));
        }
        y += line;
    };
    auto startPage = [&] {
        if (pages > 0) {
            printer.newPage();
        }
        ++pages;
        y = 0;
        painter.setFont(font);
        const QString left = header.fileName;
        const QString right =
            QString("%1   %2   %3").arg(header.controllerType, header.date, QString::number(pages));
        painter.drawText(QRectF(0, y, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter, left);
        painter.drawText(QRectF(0, y, area.width(), line), Qt::AlignRight | Qt::AlignVCenter,
                         right);
        y += line;
        painter.drawLine(QPointF(0, y), QPointF(area.width(), y));
        y += line * 0.3;
        drawRow(titles, true);
    };
    startPage();
    for (int index : which) {
        if (y + line > area.height()) {
            startPage();
        }
        QStringList texts;
        for (int c = 0; c < ConfigListRows::kColumns; ++c) {
            texts.push_back(rows.Text(index, c));
        }
        drawRow(texts, false);
    }
    painter.end();
    return pages;
}

CConfigPrintForm::CConfigPrintForm(Application& app, const ConfigListRows& rows,
                                   FormBase* parentForm, QWidget* parent)
    : QDialog(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      rows_(rows),
      boxes_(this),
      ui_(std::make_unique<Ui::ConfigPrintForm>()) {
    ui_->setupUi(this);
    radios_[0] = FindControl<QRadioButton>(this, kConfigPrintAllBanksRadio);
    radios_[1] = FindControl<QRadioButton>(this, kConfigPrintCurrentBankRadio);
    radios_[2] = FindControl<QRadioButton>(this, kConfigPrintSystemRadio);
    connect(ui_->print, &QPushButton::clicked, this, [this] {
        if (Print() == ZUL_OK) {
            accept();
        }
    });
    connect(ui_->cancel, &QPushButton::clicked, this, &QDialog::reject);
    // The printer kept at start-up; without one the list goes into a PDF file.
    const DefaultPrinter& printer = KeptDefaultPrinter();
    ui_->printerName->setText(printer.name);
    ui_->printerName->setVisible(printer.Available());

    SetPositionItems({.top = kCfgPrintFormTop, .left = kCfgPrintFormLeft});
    ApplyUiDefinition();
    // OutputDivision is not kept in the file: its default is the radio rule's choice.
    SettingsStore& store = app_.Store();
    const int32_t division = store.GetItemDefault(app_.Ui(), kCfgPrintOutputDivision);
    store.SetInt<kCfgPrintOutputDivision>(division);
    SetDivision(static_cast<ConfigDivision>(division));
}

CConfigPrintForm::~CConfigPrintForm() = default;

ConfigDivision CConfigPrintForm::Division() const {
    for (int i = 0; i < 3; ++i) {
        if (radios_[i]->isChecked()) {
            return static_cast<ConfigDivision>(RadioValue(app_.Ui(), kRadioIds[i], i));
        }
    }
    return ConfigDivision::kAllBanks;
}

void CConfigPrintForm::SetDivision(ConfigDivision division) {
    for (int i = 0; i < 3; ++i) {
        if (RadioValue(app_.Ui(), kRadioIds[i], i) == static_cast<int32_t>(division)) {
            radios_[i]->setChecked(true);
        }
    }
}

ConfigPrintHeader CConfigPrintForm::Header() const {
    const SettingsStore& store = app_.Store();
    ConfigPrintHeader header;
    header.fileName = QDir::toNativeSeparators(ToQString(store.GetFilePath()));
    header.controllerType = ToQString(store.GetText<kCtrlType>());
    header.date = QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm");
    return header;
}

int32_t CConfigPrintForm::PrintToPdf(const QString& path, ResultInfo* result) {
    app_.Store().SetInt<kCfgPrintOutputDivision>(static_cast<int32_t>(Division()));
    const auto print = [&](const QString& scratch) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(scratch);
        printer.setDocName(QFileInfo(path).completeBaseName());
        return ConfigPrintPages(printer, rows_, rows_.RowsOf(Division()), Header()) != 0;
    };
    ResultInfo why;
    if (SaveRenderedFile(path, print, &why) != ZUL_OK) {
        return SetResult(result, ZUL_ERR_FILE_WRITE, why.osError, ToStdString(path), why.detail2);
    }
    return SetResult(result, ZUL_OK);
}

int32_t CConfigPrintForm::ChoosePdfFile(QString* path) {
    SettingsStore& store = app_.Store();
    QtFileDialogHost files(this);
    std::optional<FileDialogResult> chosen = files.ChooseFile(
        MakeFileDialogRequest(FileDialogRequest::Mode::Save, store.GetText<kCfgPrintSaveFolder>(),
                              {"PDF (*.pdf)"}, "pdf"));
    if (!chosen) {
        return ZUL_ERR_ABORT;
    }
    store.SetText<kCfgPrintSaveFolder>(
        ToStdString(QDir::toNativeSeparators(QFileInfo(chosen->path).absolutePath())));
    *path = chosen->path;
    return ZUL_OK;
}

int32_t CConfigPrintForm::Print() {
    ResultInfo result;
    const DefaultPrinter& kept = KeptDefaultPrinter();
    if (!kept.Available()) {
        QString path;
        if (ChoosePdfFile(&path) != ZUL_OK) {
            SetResult(&result, ZUL_ERR_NO_PRINTER);
        } else {
            PrintToPdf(path, &result);
        }
    } else {
        app_.Store().SetInt<kCfgPrintOutputDivision>(static_cast<int32_t>(Division()));
        QPrinter printer(QPrinterInfo::printerInfo(kept.name), QPrinter::HighResolution);
        if (kept.pageSize.isValid()) {
            printer.setPageSize(kept.pageSize);
        }
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted) {
            return ZUL_ERR_ABORT;
        }
        if (ConfigPrintPages(printer, rows_, rows_.RowsOf(Division()), Header()) == 0) {
            SetResult(&result, ZUL_ERR_NO_PRINTER);
        }
    }
    if (result.code != ZUL_OK) {
        ReportResult(boxes_, app_.Ui(), result);
    }
    return result.code;
}

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
// Printing the configuration list: the print form chooses what to print (FORM_CONFIGPRINT
// OutputDivision: all banks with the system settings, the current bank, or the system
// settings only) and prints through QPrintDialog to the printer kept at start-up
// (DefaultPrinter), or to a PDF file. Without any printer the form asks for a PDF file instead
// (start folder SaveFolder, stored back); with neither a printer nor a file the result is
// ZUL_ERR_NO_PRINTER.
//
// Every page has a header with the settings file name, the controller type and the date, and
// the column titles of the list.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QDialog>
#include <QString>

#include "base/ResultInfo.h"
#include "ui/forms/ConfigListRows.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"

class QPrinter;
class QRadioButton;

namespace Ui {
class ConfigPrintForm;
}

namespace zul {
class Application;
}

namespace zul::ui {

// The texts of every page header.
struct ConfigPrintHeader {
    QString fileName;
    QString controllerType;
    QString date;
};

// Prints the rows (indices into rows.Rows()) on printer; returns the number of pages, 0 when
// the printer could not be started.
int ConfigPrintPages(QPrinter& printer, const ConfigListRows& rows, const std::vector<int>& which,
                     const ConfigPrintHeader& header);

class CConfigPrintForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    CConfigPrintForm(Application& app, const ConfigListRows& rows, FormBase* parentForm,
                     QWidget* parent);
    ~CConfigPrintForm() override;

    ConfigDivision Division() const;
    void SetDivision(ConfigDivision division);

    // The print button: a printer chosen in the print dialog, or a PDF file when there is no
    // printer. Failures are shown; returns the result code.
    int32_t Print();
    // Prints the chosen division into a PDF file.
    int32_t PrintToPdf(const QString& path, ResultInfo* result = nullptr);

    ConfigPrintHeader Header() const;

private:
    int32_t ChoosePdfFile(QString* path);

    Application& app_;
    const ConfigListRows& rows_;
    QtMessageBoxHost boxes_;
    std::unique_ptr<Ui::ConfigPrintForm> ui_;
    QRadioButton* radios_[3] = {};
};

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
// The software settings form (System menu): how the tool reaches the controller (USB or
// RS-232C with its line settings, the serial port names and the Linux devices they lead to,
// the USB controller and its alias), the memory-bank aliases, and the tool's own options.
// It edits a private copy of the settings store; OK assigns the form's items to the main store
// and reloads the reply time-out, Cancel leaves the main store untouched.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>
#include <QDialog>

#include "ui/framework/FormBase.h"

class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace Ui {
class SoftwareSettingsForm;
}

namespace zul {

class Application;
class SettingsStore;

}  // namespace zul

namespace zul::ui {
class CNumericEdit;
}  // namespace zul::ui

namespace zul::ui {

class CSoftwareSettingsForm : public QDialog, public FormBase {
    Q_OBJECT

public:
    // assigned runs after OK has assigned the settings (the main window refreshes its bank
    // selector from it).
    CSoftwareSettingsForm(Application& app, FormBase* parentForm, QWidget* parent,
                          std::function<void()> assigned = {});
    ~CSoftwareSettingsForm() override;

    // OK: takes the controls into the private copy and assigns it; false (and the form stays
    // open) when a number is not valid.
    bool Accept();
    // Points the selected serial port at the selected system device (the ports/COM<n> link).
    bool PointPortAtDevice();

    // The private copy (tests).
    const SettingsStore& Copy() const { return *copy_; }

protected:
    void OnTakeControlValues() override;
    void OnUiDefinitionApplied() override;

private:
    // The form's controls, found once by their numbers (FormControls.h).
    struct Controls {
        QRadioButton* usb = nullptr;
        QRadioButton* rs232c = nullptr;
        QComboBox* port = nullptr;
        QComboBox* baudrate = nullptr;
        QComboBox* dataBits = nullptr;
        QComboBox* parity = nullptr;
        QComboBox* timeout = nullptr;
        QRadioButton* bccOff = nullptr;
        QRadioButton* bccOn = nullptr;
        QComboBox* systemDevice = nullptr;
        QPushButton* pointPort = nullptr;
        QComboBox* usbDevice = nullptr;
        QLineEdit* usbAlias = nullptr;
        QComboBox* policyPriority = nullptr;
        CNumericEdit* measureCycle = nullptr;
        QComboBox* measUnit = nullptr;
        QRadioButton* csvComma = nullptr;
        QRadioButton* csvSemicolon = nullptr;
        QRadioButton* csvTab = nullptr;
        QRadioButton* decimalPoint = nullptr;
        QRadioButton* decimalComma = nullptr;
        QTableWidget* memAliases = nullptr;
        QPushButton* ok = nullptr;
        QPushButton* cancel = nullptr;
    };
    void FindControls();
    void ShowValues();
    void FillSerialPorts(int32_t selected);
    void FormatPortTexts();
    void FillUsbDevices(const std::string& current);
    void OnUsbDeviceChanged();
    void KeepUsbAlias();
    void AssignToMainStore();
    bool RecordAllowsEnable(int32_t ctrlId) const;

    Application& app_;
    std::unique_ptr<Ui::SoftwareSettingsForm> ui_;
    Controls c_;
    std::unique_ptr<SettingsStore> copy_;
    std::function<void()> assigned_;
    std::vector<std::string> deviceNames_;
    std::vector<std::string> deviceAliases_;
    QString shownUsbDevice_;
    bool shown_ = false;
};

}  // namespace zul::ui

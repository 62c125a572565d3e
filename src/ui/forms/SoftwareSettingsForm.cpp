// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms/SoftwareSettingsForm.h"

#include <algorithm>

#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidgetItem>

#include "app/Application.h"
#include "link/LinkSettings.h"
#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"
#include "settings/MessageTexts.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/forms/FormControls.h"
#include "ui/forms/SerialPortLinks.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/QtText.h"
#include "ui/framework/RadioChoice.h"
#include "ui/framework/UiApplier.h"
#include "ui_SoftwareSettingsForm.h"

namespace zul::ui {

namespace {

// The value of a group of radio buttons: the SelectVal of the checked one's record.
int32_t CheckedRadioValue(const UiDefinition& ui, std::initializer_list<QRadioButton*> radios,
                          int32_t fallback) {
    for (QRadioButton* radio : radios) {
        if (radio->isChecked()) {
            if (const UiControlRecord* record = ui.FindById(CtrlIdOf(radio))) {
                return RadioValue(*record, fallback);
            }
        }
    }
    return fallback;
}

void CheckRadioWithValue(const UiDefinition& ui, std::initializer_list<QRadioButton*> radios,
                         int32_t value) {
    QRadioButton* first = nullptr;
    for (QRadioButton* radio : radios) {
        first = first != nullptr ? first : radio;
        const UiControlRecord* record = ui.FindById(CtrlIdOf(radio));
        if (record != nullptr && RadioValue(*record, -1) == value) {
            radio->setChecked(true);
            return;
        }
    }
    if (first != nullptr) {
        first->setChecked(true);
    }
}

}  // namespace

CSoftwareSettingsForm::CSoftwareSettingsForm(Application& app, FormBase* parentForm,
                                             QWidget* parent, std::function<void()> assigned)
    : QDialog(parent, Qt::Window),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      ui_(std::make_unique<Ui::SoftwareSettingsForm>()),
      copy_(std::make_unique<SettingsStore>(app.Store())),
      assigned_(std::move(assigned)) {
    ui_->setupUi(this);
    FindControls();
    SetPositionItems({kSoftFormTop, kSoftFormLeft, 0, 0, 0, 0});
    c_.memAliases->horizontalHeader()->setStretchLastSection(true);
    // The sixteen rows share the table's height instead of leaving a blank band under the last.
    c_.memAliases->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    c_.port->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int bank = 0; bank < kBankCount; ++bank) {
        c_.memAliases->setVerticalHeaderItem(bank, new QTableWidgetItem(QString::number(bank)));
    }

    connect(c_.ok, &QPushButton::clicked, this, [this] {
        if (Accept()) {
            close();
        }
    });
    connect(c_.cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(c_.pointPort, &QPushButton::clicked, this, &CSoftwareSettingsForm::PointPortAtDevice);
    connect(c_.usbDevice, &QComboBox::currentIndexChanged, this,
            &CSoftwareSettingsForm::OnUsbDeviceChanged);

    // The USB controllers attached now, with the remembered one first.
    app_.RefreshUsbControllers();
    copy_->GetAliasLists(deviceNames_, deviceAliases_);
    ApplyUiDefinition();
    ShowValues();
}

CSoftwareSettingsForm::~CSoftwareSettingsForm() = default;

void CSoftwareSettingsForm::OnUiDefinitionApplied() {
    if (const UiControlRecord* record = app_.Ui().FindById(kSoftMemAliasTable)) {
        c_.memAliases->setHorizontalHeaderLabels(CaptionList(record->caption));
    }
    if (shown_) {
        // The records refilled the lists with their plain choices: the device names come back.
        FormatPortTexts();
        FillUsbDevices(ToStdString(shownUsbDevice_));
    }
}

void CSoftwareSettingsForm::FindControls() {
    c_.usb = FindControl<QRadioButton>(this, kSoftUsbRadio);
    c_.rs232c = FindControl<QRadioButton>(this, kSoftRs232cRadio);
    c_.port = FindControl<QComboBox>(this, kSoftPortList);
    c_.baudrate = FindControl<QComboBox>(this, kSoftBaudrateList);
    c_.dataBits = FindControl<QComboBox>(this, kSoftDataBitsList);
    c_.parity = FindControl<QComboBox>(this, kSoftParityList);
    c_.timeout = FindControl<QComboBox>(this, kSoftTimeoutList);
    c_.bccOff = FindControl<QRadioButton>(this, kSoftBccOffRadio);
    c_.bccOn = FindControl<QRadioButton>(this, kSoftBccOnRadio);
    c_.systemDevice = FindControl<QComboBox>(this, kSoftSystemDeviceList);
    c_.pointPort = FindControl<QPushButton>(this, kSoftPointPortButton);
    c_.usbDevice = FindControl<QComboBox>(this, kSoftUsbDeviceList);
    c_.usbAlias = FindControl<QLineEdit>(this, kSoftUsbAliasEdit);
    c_.policyPriority = FindControl<QComboBox>(this, kSoftPolicyPriorityList);
    c_.measureCycle = FindControl<CNumericEdit>(this, kSoftMeasureCycleEdit);
    c_.measUnit = FindControl<QComboBox>(this, kSoftMeasUnitList);
    c_.csvComma = FindControl<QRadioButton>(this, kSoftCsvCommaRadio);
    c_.csvSemicolon = FindControl<QRadioButton>(this, kSoftCsvSemicolonRadio);
    c_.csvTab = FindControl<QRadioButton>(this, kSoftCsvTabRadio);
    c_.decimalPoint = FindControl<QRadioButton>(this, kSoftDecimalPointRadio);
    c_.decimalComma = FindControl<QRadioButton>(this, kSoftDecimalCommaRadio);
    c_.memAliases = FindControl<QTableWidget>(this, kSoftMemAliasTable);
    c_.ok = FindControl<QPushButton>(this, kSoftOkButton);
    c_.cancel = FindControl<QPushButton>(this, kSoftCancelButton);
}

void CSoftwareSettingsForm::ShowValues() {
    const UiDefinition& ui = app_.Ui();
    const SettingsStore& store = *copy_;
    auto lock = store.Lock();
    CheckRadioWithValue(ui, {c_.usb, c_.rs232c}, store.GetInt<kSoftCommunicationType>());
    FillSerialPorts(store.GetInt<kSoftRs232cPort>());
    FillChoiceList(kSoftBaudrateList, c_.baudrate,
                   std::clamp(store.GetInt<kSoftRs232cBaudrate>(), 0, 3));
    FillChoiceList(kSoftDataBitsList, c_.dataBits, store.GetInt<kSoftRs232cDateLen>());
    FillChoiceList(kSoftParityList, c_.parity, store.GetInt<kSoftRs232cParity>());
    FillChoiceList(kSoftTimeoutList, c_.timeout, store.GetInt<kSoftRs232cTimeout>());
    CheckRadioWithValue(ui, {c_.bccOff, c_.bccOn}, store.GetInt<kSoftRs232cBCC>());
    FillChoiceList(kSoftPolicyPriorityList, c_.policyPriority, store.GetInt<kSoftPolicyPriority>());
    FillChoiceList(kSoftMeasUnitList, c_.measUnit, store.GetInt<kSoftMeasUnit>());
    c_.measureCycle->SetIntValue(store.GetInt<kSoftMeasureCycle>());
    CheckRadioWithValue(ui, {c_.csvComma, c_.csvSemicolon, c_.csvTab},
                        store.GetInt<kSoftCsvSeparator>());
    CheckRadioWithValue(ui, {c_.decimalPoint, c_.decimalComma}, store.GetInt<kSoftCsvUnderdigit>());
    for (int bank = 0; bank < kBankCount; ++bank) {
        c_.memAliases->setItem(bank, 0,
                               new QTableWidgetItem(ToQString(store.GetText<kSoftMemAlias>(bank))));
    }
    const std::string usbDevice = store.GetText<kSoftUsbConnect>();
    // The list of USB controllers is read under the program's own lock, which is taken before
    // the main store's lock, as that one is before this copy's: holding the copy's lock while
    // taking it would close a cycle of lock orders.
    lock.unlock();
    FillUsbDevices(usbDevice);

    c_.systemDevice->clear();
    for (const std::string& device : SystemSerialDevices()) {
        c_.systemDevice->addItem(ToQString(device));
    }
    c_.pointPort->setEnabled(c_.systemDevice->count() > 0 &&
                             RecordAllowsEnable(kSoftPointPortButton));
    shown_ = true;
}

bool CSoftwareSettingsForm::RecordAllowsEnable(int32_t ctrlId) const {
    return RecordAllowsEnabling(app_.Ui(), ctrlId);
}

void CSoftwareSettingsForm::FillSerialPorts(int32_t selected) {
    FillChoiceList(kSoftPortList, c_.port, selected);
    FormatPortTexts();
}

void CSoftwareSettingsForm::FormatPortTexts() {
    // COM<n> as the records name them, each with the device it leads to on this system.
    const UiControlRecord* format = app_.Ui().FindById(kSoftPortDeviceFormat);
    const UiControlRecord* ports = app_.Ui().FindById(kSoftPortList);
    if (format == nullptr || ports == nullptr) {
        return;
    }
    const QStringList names = CaptionList(ports->selectList);
    for (int i = 0; i < c_.port->count() && i < names.size(); ++i) {
        const int32_t port = c_.port->itemData(i).toInt();
        c_.port->setItemText(
            i, ToQString(SubstituteDetails(ToStdString(CaptionText(format->caption)),
                                           ToStdString(names[i]), SerialDevicePath(port))));
    }
    // The list is as wide as its longest device path.
    c_.port->setMinimumWidth(c_.port->sizeHint().width());
}

void CSoftwareSettingsForm::FillUsbDevices(const std::string& current) {
    KeepUsbAlias();
    shownUsbDevice_.clear();
    QSignalBlocker block(c_.usbDevice);
    c_.usbDevice->clear();
    std::vector<std::string> devices = app_.UsbControllers();
    if (!current.empty() && std::find(devices.begin(), devices.end(), current) == devices.end()) {
        devices.insert(devices.begin(), current);
    }
    // Without any controller the list shows the record's name for "no device", which has no
    // alias of its own.
    std::string none;
    if (const UiControlRecord* record = app_.Ui().FindById(kSoftUsbDeviceList)) {
        none = ToStdString(CaptionText(record->caption));
    }
    if (devices.empty()) {
        devices.push_back(none);
    }
    c_.usbAlias->setEnabled(devices.front() != none && RecordAllowsEnable(kSoftUsbAliasEdit));
    for (const std::string& device : devices) {
        c_.usbDevice->addItem(ToQString(device), ToQString(device));
    }
    const int index = c_.usbDevice->findData(ToQString(current));
    c_.usbDevice->setCurrentIndex(std::max(index, 0));
    OnUsbDeviceChanged();
}

void CSoftwareSettingsForm::OnUsbDeviceChanged() {
    KeepUsbAlias();
    shownUsbDevice_ = c_.usbAlias->isEnabled() ? c_.usbDevice->currentData().toString() : QString();
    const std::string name = ToStdString(shownUsbDevice_);
    auto at = std::find(deviceNames_.begin(), deviceNames_.end(), name);
    const std::string alias =
        at != deviceNames_.end() &&
                static_cast<size_t>(at - deviceNames_.begin()) < deviceAliases_.size()
            ? deviceAliases_[static_cast<size_t>(at - deviceNames_.begin())]
            : std::string();
    c_.usbAlias->setText(ToQString(alias));
}

void CSoftwareSettingsForm::KeepUsbAlias() {
    // The alias edit belongs to the device shown when it was filled.
    if (shownUsbDevice_.isEmpty()) {
        return;
    }
    const std::string name = ToStdString(shownUsbDevice_);
    const std::string alias = ToStdString(c_.usbAlias->text().trimmed());
    auto at = std::find(deviceNames_.begin(), deviceNames_.end(), name);
    if (at == deviceNames_.end()) {
        if (alias.empty()) {
            return;
        }
        deviceNames_.push_back(name);
        deviceAliases_.resize(deviceNames_.size() - 1);
        deviceAliases_.push_back(alias);
        return;
    }
    const size_t index = static_cast<size_t>(at - deviceNames_.begin());
    if (deviceAliases_.size() <= index) {
        deviceAliases_.resize(index + 1);
    }
    deviceAliases_[index] = alias;
}

void CSoftwareSettingsForm::OnTakeControlValues() {
    const UiDefinition& ui = app_.Ui();
    SettingsStore& store = *copy_;
    auto lock = store.Lock();
    store.SetInt<kSoftCommunicationType>(
        CheckedRadioValue(ui, {c_.usb, c_.rs232c}, kCommunicationRs232c));
    store.SetInt<kSoftRs232cPort>(SelectedChoiceValue(c_.port, 0));
    store.SetInt<kSoftRs232cBaudrate>(SelectedChoiceValue(c_.baudrate, 0));
    store.SetInt<kSoftRs232cDateLen>(SelectedChoiceValue(c_.dataBits, 1));
    store.SetInt<kSoftRs232cParity>(SelectedChoiceValue(c_.parity, 0));
    store.SetInt<kSoftRs232cTimeout>(SelectedChoiceValue(c_.timeout, 2));
    store.SetInt<kSoftRs232cBCC>(CheckedRadioValue(ui, {c_.bccOff, c_.bccOn}, 0));
    store.SetInt<kSoftPolicyPriority>(SelectedChoiceValue(c_.policyPriority, 2));
    store.SetInt<kSoftMeasUnit>(SelectedChoiceValue(c_.measUnit, 0));
    if (auto cycle = c_.measureCycle->IntValue(); cycle && c_.measureCycle->IsInRange()) {
        store.SetInt<kSoftMeasureCycle>(*cycle);
    }
    store.SetInt<kSoftCsvSeparator>(
        CheckedRadioValue(ui, {c_.csvComma, c_.csvSemicolon, c_.csvTab}, 0));
    store.SetInt<kSoftCsvUnderdigit>(CheckedRadioValue(ui, {c_.decimalPoint, c_.decimalComma}, 0));
    for (int bank = 0; bank < kBankCount; ++bank) {
        const QTableWidgetItem* item = c_.memAliases->item(bank, 0);
        store.SetText<kSoftMemAlias>(
            item != nullptr ? ToStdString(item->text().trimmed()) : std::string(), bank);
    }
    const QString device = c_.usbDevice->currentData().toString();
    if (!device.isEmpty()) {
        store.SetText<kSoftUsbConnect>(ToStdString(device));
    }
    KeepUsbAlias();
    store.SetAliasLists(deviceNames_, deviceAliases_);
}

bool CSoftwareSettingsForm::Accept() {
    if (!c_.measureCycle->HoldsValidValue()) {
        c_.measureCycle->setFocus();
        return false;
    }
    TakeControlValues();
    AssignToMainStore();
    // The link takes the port and type at the next connect; the reply time-out at once.
    if (CThreadCommControler* comm = app_.CommControler()) {
        comm->ReloadTimeout();
    }
    if (assigned_) {
        assigned_();
    }
    return true;
}

void CSoftwareSettingsForm::AssignToMainStore() {
    // Only this form's items go back: other windows may have changed the main store while the
    // form was open.
    SettingsStore& main = app_.Store();
    const SettingsStore& copy = *copy_;
    auto lock = main.Lock();
    for (int32_t id :
         {kSoftCommunicationType, kSoftRs232cPort, kSoftRs232cBaudrate, kSoftRs232cDateLen,
          kSoftRs232cParity, kSoftRs232cTimeout, kSoftRs232cBCC, kSoftPolicyPriority,
          kSoftCsvSeparator, kSoftCsvUnderdigit, kSoftMeasureCycle, kSoftMeasUnit}) {
        main.SetInt(id, copy.GetInt(id));
    }
    main.SetText<kSoftUsbConnect>(copy.GetText<kSoftUsbConnect>());
    for (int bank = 0; bank < kBankCount; ++bank) {
        main.SetText<kSoftMemAlias>(copy.GetText<kSoftMemAlias>(bank), bank);
    }
    std::vector<std::string> names;
    std::vector<std::string> aliases;
    copy.GetAliasLists(names, aliases);
    main.SetAliasLists(names, aliases);
}

bool CSoftwareSettingsForm::PointPortAtDevice() {
    const int32_t port = SelectedChoiceValue(c_.port, 0);
    const std::string device = ToStdString(c_.systemDevice->currentText());
    if (device.empty()) {
        return false;
    }
    std::string error;
    if (!PointSerialPortAt(port, device, &error)) {
        ResultInfo result;
        SetResult(&result, ZUL_ERR, 0, error);
        QtMessageBoxHost host(this);
        ReportResult(host, app_.Ui(), result);
        return false;
    }
    FillSerialPorts(port);
    return true;
}

}  // namespace zul::ui

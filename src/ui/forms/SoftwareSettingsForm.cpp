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
#include "ui/forms/SerialPortLinks.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/framework/QtText.h"
#include "ui/framework/RadioChoice.h"
#include "ui/framework/UiApplier.h"
#include "ui_SoftwareSettingsForm.h"

namespace zul::ui {

namespace {

constexpr int32_t kPortListId = 1023;
constexpr int32_t kUsbListId = 1025;
constexpr int32_t kAliasTableId = 2108;
constexpr int32_t kPortDeviceFormatId = 2109;  // "%1 (%2)": port name and device

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

SoftwareSettingsForm::SoftwareSettingsForm(Application& app, FormBase* parentForm, QWidget* parent,
                                           std::function<void()> assigned)
    : QDialog(parent, Qt::Window),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}, parentForm),
      app_(app),
      ui_(std::make_unique<Ui::SoftwareSettingsForm>()),
      copy_(std::make_unique<SettingsStore>(app.Store())),
      assigned_(std::move(assigned)) {
    ui_->setupUi(this);
    SetPositionItems({kSoftFormTop, kSoftFormLeft, 0, 0, 0, 0});
    ui_->ctrl2108->horizontalHeader()->setStretchLastSection(true);
    // The sixteen rows share the table's height instead of leaving a blank band under the last.
    ui_->ctrl2108->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui_->ctrl1023->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int bank = 0; bank < kBankCount; ++bank) {
        ui_->ctrl2108->setVerticalHeaderItem(bank, new QTableWidgetItem(QString::number(bank)));
    }

    connect(ui_->ctrl2126, &QPushButton::clicked, this, [this] {
        if (Accept()) {
            close();
        }
    });
    connect(ui_->ctrl2127, &QPushButton::clicked, this, &QWidget::close);
    connect(ui_->ctrl2103, &QPushButton::clicked, this, &SoftwareSettingsForm::PointPortAtDevice);
    connect(ui_->ctrl1025, &QComboBox::currentIndexChanged, this,
            &SoftwareSettingsForm::OnUsbDeviceChanged);

    // The USB controllers attached now, with the remembered one first.
    app_.RefreshUsbControllers();
    copy_->GetAliasLists(deviceNames_, deviceAliases_);
    ApplyUiDefinition();
    ShowValues();
}

SoftwareSettingsForm::~SoftwareSettingsForm() = default;

void SoftwareSettingsForm::OnUiDefinitionApplied() {
    if (const UiControlRecord* record = app_.Ui().FindById(kAliasTableId)) {
        ui_->ctrl2108->setHorizontalHeaderLabels(CaptionList(record->caption));
    }
    if (shown_) {
        // The records refilled the lists with their plain choices: the device names come back.
        FormatPortTexts();
        FillUsbDevices(ToStdString(shownUsbDevice_));
    }
}

void SoftwareSettingsForm::ShowValues() {
    const UiDefinition& ui = app_.Ui();
    const SettingsStore& store = *copy_;
    auto lock = store.Lock();
    CheckRadioWithValue(ui, {ui_->ctrl1072, ui_->ctrl1757}, store.GetInt<kSoftCommunicationType>());
    FillSerialPorts(store.GetInt<kSoftRs232cPort>());
    FillChoiceList(1020, ui_->ctrl1020, std::clamp(store.GetInt<kSoftRs232cBaudrate>(), 0, 3));
    FillChoiceList(1021, ui_->ctrl1021, store.GetInt<kSoftRs232cDateLen>());
    FillChoiceList(1022, ui_->ctrl1022, store.GetInt<kSoftRs232cParity>());
    FillChoiceList(1024, ui_->ctrl1024, store.GetInt<kSoftRs232cTimeout>());
    CheckRadioWithValue(ui, {ui_->ctrl1074, ui_->ctrl1755}, store.GetInt<kSoftRs232cBCC>());
    FillChoiceList(1028, ui_->ctrl1028, store.GetInt<kSoftPolicyPriority>());
    FillChoiceList(2042, ui_->ctrl2042, store.GetInt<kSoftMeasUnit>());
    ui_->ctrl1849->SetIntValue(store.GetInt<kSoftMeasureCycle>());
    CheckRadioWithValue(ui, {ui_->ctrl1076, ui_->ctrl1685, ui_->ctrl1688},
                        store.GetInt<kSoftCsvSeparator>());
    CheckRadioWithValue(ui, {ui_->ctrl1690, ui_->ctrl1692}, store.GetInt<kSoftCsvUnderdigit>());
    for (int bank = 0; bank < kBankCount; ++bank) {
        ui_->ctrl2108->setItem(bank, 0,
                               new QTableWidgetItem(ToQString(store.GetText<kSoftMemAlias>(bank))));
    }
    const std::string usbDevice = store.GetText<kSoftUsbConnect>();
    // The list of USB controllers is read under the program's own lock, which is taken before
    // the main store's lock, as that one is before this copy's: holding the copy's lock while
    // taking it would close a cycle of lock orders.
    lock.unlock();
    FillUsbDevices(usbDevice);

    ui_->ctrl2102->clear();
    for (const std::string& device : SystemSerialDevices()) {
        ui_->ctrl2102->addItem(ToQString(device));
    }
    ui_->ctrl2103->setEnabled(ui_->ctrl2102->count() > 0 && RecordAllowsEnable(2103));
    shown_ = true;
}

bool SoftwareSettingsForm::RecordAllowsEnable(int32_t ctrlId) const {
    return RecordAllowsEnabling(app_.Ui(), ctrlId);
}

void SoftwareSettingsForm::FillSerialPorts(int32_t selected) {
    FillChoiceList(kPortListId, ui_->ctrl1023, selected);
    FormatPortTexts();
}

void SoftwareSettingsForm::FormatPortTexts() {
    // COM<n> as the records name them, each with the device it leads to on this system.
    const UiControlRecord* format = app_.Ui().FindById(kPortDeviceFormatId);
    const UiControlRecord* ports = app_.Ui().FindById(kPortListId);
    if (format == nullptr || ports == nullptr) {
        return;
    }
    const QStringList names = CaptionList(ports->selectList);
    for (int i = 0; i < ui_->ctrl1023->count() && i < names.size(); ++i) {
        const int32_t port = ui_->ctrl1023->itemData(i).toInt();
        ui_->ctrl1023->setItemText(
            i, ToQString(SubstituteDetails(ToStdString(CaptionText(format->caption)),
                                           ToStdString(names[i]), SerialDevicePath(port))));
    }
    // The list is as wide as its longest device path.
    ui_->ctrl1023->setMinimumWidth(ui_->ctrl1023->sizeHint().width());
}

void SoftwareSettingsForm::FillUsbDevices(const std::string& current) {
    KeepUsbAlias();
    shownUsbDevice_.clear();
    QSignalBlocker block(ui_->ctrl1025);
    ui_->ctrl1025->clear();
    std::vector<std::string> devices = app_.UsbControllers();
    if (!current.empty() && std::find(devices.begin(), devices.end(), current) == devices.end()) {
        devices.insert(devices.begin(), current);
    }
    // Without any controller the list shows the record's name for "no device", which has no
    // alias of its own.
    std::string none;
    if (const UiControlRecord* record = app_.Ui().FindById(kUsbListId)) {
        none = ToStdString(CaptionText(record->caption));
    }
    if (devices.empty()) {
        devices.push_back(none);
    }
    ui_->ctrl2105->setEnabled(devices.front() != none && RecordAllowsEnable(2105));
    for (const std::string& device : devices) {
        ui_->ctrl1025->addItem(ToQString(device), ToQString(device));
    }
    const int index = ui_->ctrl1025->findData(ToQString(current));
    ui_->ctrl1025->setCurrentIndex(std::max(index, 0));
    OnUsbDeviceChanged();
}

void SoftwareSettingsForm::OnUsbDeviceChanged() {
    KeepUsbAlias();
    shownUsbDevice_ =
        ui_->ctrl2105->isEnabled() ? ui_->ctrl1025->currentData().toString() : QString();
    const std::string name = ToStdString(shownUsbDevice_);
    auto at = std::find(deviceNames_.begin(), deviceNames_.end(), name);
    const std::string alias =
        at != deviceNames_.end() &&
                static_cast<size_t>(at - deviceNames_.begin()) < deviceAliases_.size()
            ? deviceAliases_[static_cast<size_t>(at - deviceNames_.begin())]
            : std::string();
    ui_->ctrl2105->setText(ToQString(alias));
}

void SoftwareSettingsForm::KeepUsbAlias() {
    // The alias edit belongs to the device shown when it was filled.
    if (shownUsbDevice_.isEmpty()) {
        return;
    }
    const std::string name = ToStdString(shownUsbDevice_);
    const std::string alias = ToStdString(ui_->ctrl2105->text().trimmed());
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

void SoftwareSettingsForm::OnTakeControlValues() {
    const UiDefinition& ui = app_.Ui();
    SettingsStore& store = *copy_;
    auto lock = store.Lock();
    store.SetInt<kSoftCommunicationType>(
        CheckedRadioValue(ui, {ui_->ctrl1072, ui_->ctrl1757}, kCommunicationRs232c));
    store.SetInt<kSoftRs232cPort>(SelectedChoiceValue(ui_->ctrl1023, 0));
    store.SetInt<kSoftRs232cBaudrate>(SelectedChoiceValue(ui_->ctrl1020, 0));
    store.SetInt<kSoftRs232cDateLen>(SelectedChoiceValue(ui_->ctrl1021, 1));
    store.SetInt<kSoftRs232cParity>(SelectedChoiceValue(ui_->ctrl1022, 0));
    store.SetInt<kSoftRs232cTimeout>(SelectedChoiceValue(ui_->ctrl1024, 2));
    store.SetInt<kSoftRs232cBCC>(CheckedRadioValue(ui, {ui_->ctrl1074, ui_->ctrl1755}, 0));
    store.SetInt<kSoftPolicyPriority>(SelectedChoiceValue(ui_->ctrl1028, 2));
    store.SetInt<kSoftMeasUnit>(SelectedChoiceValue(ui_->ctrl2042, 0));
    if (auto cycle = ui_->ctrl1849->IntValue(); cycle && ui_->ctrl1849->IsInRange()) {
        store.SetInt<kSoftMeasureCycle>(*cycle);
    }
    store.SetInt<kSoftCsvSeparator>(
        CheckedRadioValue(ui, {ui_->ctrl1076, ui_->ctrl1685, ui_->ctrl1688}, 0));
    store.SetInt<kSoftCsvUnderdigit>(CheckedRadioValue(ui, {ui_->ctrl1690, ui_->ctrl1692}, 0));
    for (int bank = 0; bank < kBankCount; ++bank) {
        const QTableWidgetItem* item = ui_->ctrl2108->item(bank, 0);
        store.SetText<kSoftMemAlias>(
            item != nullptr ? ToStdString(item->text().trimmed()) : std::string(), bank);
    }
    const QString device = ui_->ctrl1025->currentData().toString();
    if (!device.isEmpty()) {
        store.SetText<kSoftUsbConnect>(ToStdString(device));
    }
    KeepUsbAlias();
    store.SetAliasLists(deviceNames_, deviceAliases_);
}

bool SoftwareSettingsForm::Accept() {
    if (!ui_->ctrl1849->HoldsValidValue()) {
        ui_->ctrl1849->setFocus();
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

void SoftwareSettingsForm::AssignToMainStore() {
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

bool SoftwareSettingsForm::PointPortAtDevice() {
    const int32_t port = SelectedChoiceValue(ui_->ctrl1023, 0);
    const std::string device = ToStdString(ui_->ctrl2102->currentText());
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

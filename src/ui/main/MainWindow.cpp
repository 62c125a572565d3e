// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/MainWindow.h"

#include <unistd.h>

#include <algorithm>

#include <QAction>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLayout>
#include <QShortcut>
#include <QTimer>

#include "app/AppMessages.h"
#include "app/Application.h"
#include "app/ConnectSequence.h"
#include "app/MemoryCommands.h"
#include "app/SettingsCommands.h"
#include "link/ControllerInfo.h"
#include "link/LinkMessages.h"
#include "link/LinkSettings.h"
#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"
#include "settings/MessageTexts.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTransfer.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingWnd.h"
#include "ui/framework/FallbackTexts.h"
#include "ui/framework/QtText.h"
#include "ui/framework/QtWindowSink.h"
#include "ui/framework/SyncCommand.h"
#include "ui/framework/TerminationRequest.h"
#include "ui/framework/UiApplier.h"
#include "ui/lightwave/LightWaveWnd.h"
#include "ui/main/AssociationTool.h"
#include "ui/main/BankSelector.h"
#include "ui/main/MainControls.h"
#include "ui/main/MainMessages.h"
#include "ui/main/PageBase.h"
#include "ui/main/PageCommon.h"
#include "ui/main/PageHead.h"
#include "ui/main/PageOutput.h"
#include "ui/main/TransferProgressForm.h"
#include "ui_MainWindow.h"

namespace zul::ui {

namespace {}  // namespace

CMainWindow::CMainWindow(Application& app, QtWindowSink& sink, QWidget* parent)
    : QMainWindow(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}),
      app_(app),
      sink_(sink),
      ui_(std::make_unique<Ui::MainWindow>()),
      boxes_(this),
      dialogs_(this) {
    ui_->setupUi(this);
    FindControls();
    // The window is always the size of what it shows (the compact view shortens it).
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setAcceptDrops(true);
    SetPositionItems({kMainFormTop, kMainFormLeft, 0, 0, 0, 0});

    // The texts the records may lack: the application title and the tab titles.
    setWindowTitle(FallbackText(kResApplicationTitle));
    for (int i = 0; i < controls_.pages->count(); ++i) {
        controls_.pages->setTabText(i, FallbackText(kResTabHeadA + i));
    }

    CreateParts();

    menus_.openFile->setShortcut(QKeySequence::Open);
    menus_.saveFileAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    menus_.exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    menus_.about->setShortcut(QKeySequence(Qt::Key_F1));
    // F5 connects and disconnects. A shortcut of the window, not of the button: the button's
    // caption sets its own mnemonic shortcut each time it is applied.
    auto* connectKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(connectKey, &QShortcut::activated, controls_.connect, &QAbstractButton::click);

    ConnectCommands();
    sink_.Attach(this, [this](Message& message) { OnWindowMessage(message); });

    {
        SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        bank_->ReadFromStore();
        controls_.allBanks->setChecked(store.GetInt<kMainChkAll>() != 0);
    }
    app_.SetConnectionState(0);
    ApplyUiDefinition();
    CreatePages();
    bank_->Fill();
    ShowControllerInfo();
    files_->UpdateRecentMenu();
    UpdateTitle();
    adjustSize();
}

void CMainWindow::FindControls() {
    Controls& c = controls_;
    c.pages = FindControl<QTabWidget>(this, kMainSettingsPages);
    c.connect = FindControl<QPushButton>(this, kMainConnectButton);
    c.expand = FindControl<QPushButton>(this, kMainExpandButton);
    c.version = FindControl<QLineEdit>(this, kMainVersionText);
    c.type = FindControl<QLineEdit>(this, kMainTypeText);
    c.sensorA = FindControl<QLineEdit>(this, kMainSensorAText);
    c.sensorB = FindControl<QLineEdit>(this, kMainSensorBText);
    c.memoryBank = FindControl<QComboBox>(this, kMainMemoryBankList);
    c.allBanks = FindControl<QCheckBox>(this, kMainAllBanksCheck);
    c.readSettings = FindControl<QPushButton>(this, kMainReadSettingsButton);
    c.writeSettings = FindControl<QPushButton>(this, kMainWriteSettingsButton);
    c.saveMemory = FindControl<QPushButton>(this, kMainSaveMemoryButton);
    c.initMemory = FindControl<QPushButton>(this, kMainInitMemoryButton);
    c.measurement = FindControl<QPushButton>(this, kMainMeasurementButton);
    c.lightWave = FindControl<QPushButton>(this, kMainLightWaveButton);
    c.buffering = FindControl<QPushButton>(this, kMainBufferingButton);
    c.configList = FindControl<QPushButton>(this, kMainConfigListButton);
    c.capture = FindControl<QPushButton>(this, kMainCaptureButton);
    c.pictures = {FindControl<QLabel>(this, kMainOutPatternPicture),
                  FindControl<QLabel>(this, kMainOut1Picture),
                  FindControl<QLabel>(this, kMainOut2Picture)};
    c.pictureCaptions = {FindControl<QLabel>(this, kMainOutPatternCaption),
                         FindControl<QLabel>(this, kMainOut1Caption),
                         FindControl<QLabel>(this, kMainOut2Caption)};
    Menus& m = menus_;
    m.openFile = FindControl<QAction>(this, kMenuOpenSettingsFile);
    m.saveFileAs = FindControl<QAction>(this, kMenuSaveSettingsFileAs);
    m.saveMemoryBank = FindControl<QAction>(this, kMenuSaveMemoryBank);
    m.initMemoryBank = FindControl<QAction>(this, kMenuInitMemoryBank);
    m.readSettings = FindControl<QAction>(this, kMenuReadSettings);
    m.writeSettings = FindControl<QAction>(this, kMenuWriteSettings);
    m.initAllMemoryBanks = FindControl<QAction>(this, kMenuInitAllMemoryBanks);
    m.exit = FindControl<QAction>(this, kMenuExit);
    m.measurement = FindControl<QAction>(this, kMenuMeasurement);
    m.buffering = FindControl<QAction>(this, kMenuBuffering);
    m.configList = FindControl<QAction>(this, kMenuConfigList);
    m.controllerSettings = FindControl<QAction>(this, kMenuControllerSettings);
    m.softwareSettings = FindControl<QAction>(this, kMenuSoftwareSettings);
    m.about = FindControl<QAction>(this, kMenuAbout);
    m.lightWave = FindControl<QAction>(this, kMenuLightWave);
    m.registerAssociation = FindControl<QAction>(this, kMenuRegisterAssociation);
    m.removeAssociation = FindControl<QAction>(this, kMenuRemoveAssociation);
}

void CMainWindow::CreateParts() {
    SettingsFileHost host;
    host.form = this;
    host.fileMenu = ui_->menuFile;
    host.recentAnchor = ui_->actionRecentAnchor;
    host.fileOpened = [this] { RefreshFromStore(); };
    host.fileRenamed = [this] { UpdateTitle(); };
    files_ = std::make_unique<SettingsFileCommands>(app_, boxes_, dialogs_, std::move(host));

    OutputPicturePanel::Controls pictures;
    pictures.pictures = controls_.pictures;
    pictures.captions = controls_.pictureCaptions;
    pictures.column = ui_->pictureArea;
    pictures_ = std::make_unique<OutputPicturePanel>(app_.Ui(), pictures);
    bank_ = std::make_unique<BankSelector>(*this, app_.Store(), controls_.memoryBank);

    children_ = std::make_unique<ChildWindowSlots>(
        *this, sink_,
        std::array<ChildWindowSlots::Commands, kChildWindowCount>{{
            {controls_.measurement, menus_.measurement},
            {controls_.lightWave, menus_.lightWave},
            {controls_.buffering, menus_.buffering},
            {nullptr, menus_.softwareSettings},
            {nullptr, menus_.controllerSettings},
            {controls_.configList, menus_.configList},
            {nullptr, menus_.about},
        }},
        controls_.capture);
}

CMainWindow::~CMainWindow() {
    // The last values go into the store before anything is destroyed; then every child window
    // runs its own close steps while the main window and the worker threads still exist.
    TakeControlValues();
    children_->DestroyAll();
    sink_.Detach();
}

void CMainWindow::CreatePages() {
    // The five settings pages are child forms of this window: the framework calls reach them.
    PageHooks hooks;
    hooks.redrawPictures = [this] { sink_.Post(kWmRedrawPictures); };
    hooks.lightWaveChanged = [this] {
        if (auto* window = qobject_cast<CLightWaveWnd*>(Child(ChildWindow::kLightWave))) {
            window->RefreshDisplay();
        }
    };
    hooks.bufferingChanged = [this] {
        if (auto* window = qobject_cast<CBufferingWnd*>(Child(ChildWindow::kBuffering))) {
            window->ReloadSettingsPage();
        }
    };
    QTabWidget* tabs = controls_.pages;
    while (tabs->count() > 0) {
        QWidget* page = tabs->widget(0);
        tabs->removeTab(0);
        delete page;
    }
    tabs->addTab(new CPageHead(app_, this, 0, hooks), FallbackText(kResTabHeadA));
    tabs->addTab(new CPageHead(app_, this, 1, hooks), FallbackText(kResTabHeadA + 1));
    tabs->addTab(new CPageOutput(app_, this, 0, hooks), FallbackText(kResTabHeadA + 2));
    tabs->addTab(new CPageOutput(app_, this, 1, hooks), FallbackText(kResTabHeadA + 3));
    tabs->addTab(new CPageCommon(app_, this, hooks), FallbackText(kResTabCommon));
    if (const UiControlRecord* record = app_.Ui().FindById(kMainSettingsPages)) {
        ApplyRecord(app_.Ui(), *record, tabs);
    }
    // The tab control is read aloud as the page it shows, and is as tall as that page: a short
    // page leaves no empty band below its controls. What the column gains stays below the tabs.
    auto showPage = [this, tabs](int index) {
        tabs->setAccessibleName(tabs->tabText(index));
        FitTabsToPage();
    };
    connect(tabs, &QTabWidget::currentChanged, this, showPage);
    if (auto* column = qobject_cast<QBoxLayout*>(ui_->settingsArea->layout())) {
        column->addStretch();
    }
    showPage(tabs->currentIndex());
}

void CMainWindow::FitTabsToPage() {
    QTabWidget* tabs = controls_.pages;
    const QWidget* page = tabs->currentWidget();
    if (page == nullptr) {
        return;
    }
    // The tab widget's hint holds its tallest page; the rest of it is the tab bar and frame.
    int tallest = 0;
    for (int i = 0; i < tabs->count(); ++i) {
        tallest = std::max(tallest, tabs->widget(i)->sizeHint().height());
    }
    const int frame = tabs->sizeHint().height() - tallest;
    tabs->setFixedHeight(frame + page->sizeHint().height());
    // The window takes the height of what it shows, as the compact view does; a maximised
    // window keeps its size.
    if (isVisible() && !isMaximized() && !isFullScreen()) {
        // Each layout from the tabs up to the window takes the new height now, not when its
        // posted layout request comes.
        for (QWidget* up = tabs->parentWidget(); up != nullptr; up = up->parentWidget()) {
            if (up->layout() != nullptr) {
                up->layout()->activate();
            }
        }
        resize(width(), sizeHint().height());
    }
}

void CMainWindow::ConnectCommands() {
    connect(controls_.connect, &QPushButton::clicked, this, &CMainWindow::ToggleConnection);
    connect(controls_.readSettings, &QPushButton::clicked, this, &CMainWindow::ReadSettings);
    connect(controls_.writeSettings, &QPushButton::clicked, this, &CMainWindow::WriteSettings);
    connect(controls_.saveMemory, &QPushButton::clicked, this, &CMainWindow::SaveMemoryBank);
    connect(controls_.initMemory, &QPushButton::clicked, this, &CMainWindow::InitialiseMemory);
    connect(controls_.expand, &QPushButton::clicked, this, &CMainWindow::ToggleExpandedView);

    connect(menus_.openFile, &QAction::triggered, this, &CMainWindow::OpenSettingsFile);
    connect(menus_.saveFileAs, &QAction::triggered, this, &CMainWindow::SaveSettingsFileAs);
    connect(menus_.saveMemoryBank, &QAction::triggered, this, &CMainWindow::SaveMemoryBank);
    connect(menus_.initMemoryBank, &QAction::triggered, this, &CMainWindow::InitialiseMemoryBank);
    connect(menus_.readSettings, &QAction::triggered, this, &CMainWindow::ReadSettings);
    connect(menus_.writeSettings, &QAction::triggered, this, &CMainWindow::WriteSettings);
    connect(menus_.initAllMemoryBanks, &QAction::triggered, this,
            &CMainWindow::InitialiseAllMemoryBanks);
    connect(menus_.exit, &QAction::triggered, this, &QWidget::close);
    connect(menus_.registerAssociation, &QAction::triggered, this,
            [this] { ChangeFileAssociation(true); });
    connect(menus_.removeAssociation, &QAction::triggered, this,
            [this] { ChangeFileAssociation(false); });
}

// ---------------------------------------------------------------------------------------------
// Messages

void CMainWindow::OnWindowMessage(Message& message) {
    const uint32_t id = message.id;
    if (id >= kWmChildClosedFirst && id <= kWmChildClosedLast) {
        children_->Forget(static_cast<int32_t>(id - kWmChildClosedFirst));
        raise();
        activateWindow();
    } else if (id == kWmRedrawPictures) {
        DrawPictures();
    } else if (id == kWmLinkDeviceError) {
        OnLinkLost(static_cast<int32_t>(message.wParam));
    } else if (id == kWmActivateMain) {
        raise();
        activateWindow();
    } else if (id == kWmReapplyUiDefinition || id == kWmReapplyUiVersion) {
        OnReapply(id == kWmReapplyUiDefinition);
    }
}

void CMainWindow::OnReapply(bool records) {
    // Applying the records enables the forms as the records say; while a transfer holds the
    // windows disabled that waits until it has ended.
    if (progressForm_ != nullptr) {
        reapplyPending_ = true;
        return;
    }
    if (records) {
        FormBase::ReapplyAllForms();
    } else {
        // The version rules are part of the records applied before; this window's own state
        // rules narrow them again.
        OnUiDefinitionApplied();
    }
}

void CMainWindow::OnLinkLost(int32_t code) {
    // A second notice while the first one's box is open adds nothing.
    if (linkLostShown_) {
        return;
    }
    linkLostShown_ = true;
    DisableAllWindows();
    if (app_.Online()) {
        Disconnect();
    }
    ResultInfo result;
    const SettingsStore& store = app_.Store();
    if (code == ZUL_ERR_USB_DEVICE) {
        SetResult(&result, code, 0, store.GetText<kSoftUsbConnect>());
    } else {
        // The port as the user knows it and the device behind it, as for a port that cannot open.
        const int32_t port = store.GetInt<kSoftRs232cPort>();
        SetResult(&result, code, 0, SerialDisplayName(port), SerialDevicePath(port));
    }
    ReportFailure(result);
    EnableAllWindows();
    linkLostShown_ = false;
}

// ---------------------------------------------------------------------------------------------
// Framework calls

void CMainWindow::OnUiDefinitionApplied() {
    for (int i = 0; i < controls_.pages->count(); ++i) {
        if (controls_.pages->tabText(i).isEmpty()) {
            controls_.pages->setTabText(i, FallbackText(kResTabHeadA + i));
        }
    }
    controls_.pages->setAccessibleName(controls_.pages->tabText(controls_.pages->currentIndex()));
    ShowConnectionState();
    children_->UpdateCommands();
    SetExpanded(expanded_);
    UpdateTitle();
    bank_->ShowInList();  // the record refilled the selector
    DrawPictures();
}

void CMainWindow::OnTakeControlValues() {
    SettingsStore& store = app_.Store();
    auto lock = store.Lock();
    store.SetInt<kAppCurMemNo>(bank_->Bank());
    store.SetInt<kMainChkAll>(controls_.allBanks->isChecked() ? 1 : 0);
}

void CMainWindow::OnLineStateChanged(int32_t /*lineState*/) {
    ShowConnectionState();
}

void CMainWindow::OnMemoryBankChanged(int32_t /*oldBank*/, int32_t /*newBank*/) {
    DrawPictures();
}

// ---------------------------------------------------------------------------------------------
// Connection

void CMainWindow::ToggleConnection() {
    if (IsSynchronousCommandRunning()) {
        return;
    }
    if (app_.Online()) {
        Disconnect();
        return;
    }
    TakeControlValues();
    ControllerInfo info;
    ResultInfo result;
    const int32_t code = RunSynchronous(
        [this, &info](ResultInfo* r) { return OpenAndIdentify(app_, r, &info, true); }, &result);
    if (code != ZUL_OK) {
        ReportFailure(result);
        return;
    }
    CompleteConnection(app_, info);
    ShowControllerInfo();
    SetConnectionState(1);
}

int32_t CMainWindow::LineState() const {
    return app_.LineState();
}

void CMainWindow::SetConnectionState(int32_t state) {
    app_.SetConnectionState(state);
    LineStateChanged(state);  // this window's hook and every child form
}

void CMainWindow::Disconnect() {
    // The windows learn of the closed line before the link goes, as on every way out.
    SetConnectionState(0);
    if (CThreadCommControler* comm = app_.CommControler()) {
        comm->Disconnect();
    }
}

void CMainWindow::ShowConnectionState() {
    const bool connected = app_.Online();
    ShowConnectCaption(connected);
    const UiDefinition& ui = app_.Ui();
    for (QWidget* widget : std::initializer_list<QWidget*>{
             controls_.readSettings, controls_.writeSettings, controls_.allBanks,
             controls_.saveMemory, controls_.initMemory}) {
        widget->setEnabled(connected && RecordAllowsEnabling(ui, CtrlIdOf(widget)));
    }
    for (QAction* action : {menus_.saveMemoryBank, menus_.initMemoryBank, menus_.readSettings,
                            menus_.writeSettings, menus_.initAllMemoryBanks}) {
        action->setEnabled(connected && RecordAllowsEnabling(ui, CtrlIdOf(action)));
    }
}

void CMainWindow::ShowConnectCaption(bool connected) {
    const UiControlRecord* record = app_.Ui().FindById(kMainConnectButton);
    if (record == nullptr) {
        return;
    }
    const QStringList captions = CaptionList(record->caption);
    if (!captions.isEmpty()) {
        controls_.connect->setText(captions.front());
    }
    // The button's face takes the state colour (Color1 disconnected, Color2 connected).
    const int32_t ref = connected ? record->color2 : record->color1;
    QPalette palette = controls_.connect->palette();
    palette.setColor(QPalette::Button, ColorFromRef(ref));
    palette.setColor(QPalette::ButtonText, QColor(Qt::white));
    controls_.connect->setAutoFillBackground(true);
    controls_.connect->setPalette(palette);
}

void CMainWindow::ShowControllerInfo() {
    const SettingsStore& store = app_.Store();
    auto lock = store.Lock();
    controls_.version->setText(ToQString(store.GetText<kCtrlVersion>()));
    controls_.type->setText(ToQString(store.GetText<kCtrlType>()));
    controls_.sensorA->setText(ToQString(store.GetText<kCtrlSensorA>()));
    controls_.sensorB->setText(ToQString(store.GetText<kCtrlSensorB>()));
}

// ---------------------------------------------------------------------------------------------
// Transfers and memory-bank commands

void CMainWindow::ReadSettings() {
    RunTransfer(true);
}

void CMainWindow::WriteSettings() {
    RunTransfer(false);
}

void CMainWindow::RunTransfer(bool read) {
    if (IsSynchronousCommandRunning() || progressForm_ != nullptr || !app_.Online()) {
        return;
    }
    DisableAllWindows();
    LockPolling(true);
    TakeControlValues();
    ResultInfo result;
    if (RunTransferForm(read, &result) != ZUL_OK) {
        ReportFailure(result);
    }
    LockPolling(false);
    EnableAllWindows();
    if (reapplyPending_) {
        reapplyPending_ = false;
        FormBase::ReapplyAllForms();
        OnUiDefinitionApplied();
    }
}

int32_t CMainWindow::RunTransferForm(bool read, ResultInfo* result) {
    std::unique_ptr<SettingsTransfer> transfer = MakeSettingsTransfer(
        app_, read ? TransferOperation::kReadAll : TransferOperation::kWriteAll, result);
    if (!transfer) {
        return result->code;
    }
    CTransferProgressForm form(Context(), this, this);
    progressForm_ = &form;
    connect(&form, &CTransferProgressForm::Started, this, &CMainWindow::TransferStarted);
    const int32_t code = form.Run(*transfer, result);
    progressForm_ = nullptr;
    if (code != ZUL_OK || !form.Finished()) {
        return code;
    }
    ApplySettingsTransfer(app_, *transfer);
    if (read) {
        RefreshFromStore();
    }
    return code;
}

void CMainWindow::SaveMemoryBank() {
    RunMemoryCommandFlow(static_cast<int32_t>(MemoryCommand::kSaveBank));
}

void CMainWindow::InitialiseMemory() {
    if (controls_.allBanks->isChecked()) {
        InitialiseAllMemoryBanks();
    } else {
        InitialiseMemoryBank();
    }
}

void CMainWindow::InitialiseMemoryBank() {
    RunMemoryCommandFlow(static_cast<int32_t>(MemoryCommand::kInitialiseBank));
}

void CMainWindow::InitialiseAllMemoryBanks() {
    RunMemoryCommandFlow(static_cast<int32_t>(MemoryCommand::kInitialiseAllBanks));
}

int32_t CMainWindow::RunMemoryCommandFlow(int32_t commandValue) {
    const MemoryCommand command = static_cast<MemoryCommand>(commandValue);
    if (IsSynchronousCommandRunning() || !app_.Online() || app_.CommControler() == nullptr) {
        return ZUL_ERR_OFFLINE;
    }
    TakeControlValues();
    if (command == MemoryCommand::kInitialiseBank) {
        ResultInfo check;
        const int32_t code = RunSynchronous(
            [this](ResultInfo* r) {
                return CheckMemoryMatch(*app_.CommControler(), r, app_.ControllerStateFromStore());
            },
            &check);
        if (code != ZUL_OK) {
            ReportFailure(check);
            return code;
        }
    }
    const int32_t question = command == MemoryCommand::kSaveBank         ? kMsgConfirmSaveMem
                             : command == MemoryCommand::kInitialiseBank ? kMsgConfirmInitMem
                                                                         : kMsgConfirmInitAllMem;
    const int32_t done = command == MemoryCommand::kSaveBank ? kMsgSaveMemDone : kMsgInitMemDone;
    // The questions name the bank concerned by its number, and by its alias when it has one.
    const SettingsStore& store = app_.Store();
    const std::string bank = std::to_string(bank_->Bank());
    const std::string alias = store.GetText<kSoftMemAlias>(bank_->Bank());
    const std::string named = alias.empty() ? std::string() : " " + alias;
    return ConfirmThenAct(
        boxes_, app_.Ui(), question, done,
        [this, command](ResultInfo* info) {
            return RunSynchronous(
                [this, command](ResultInfo* r) { return SendMemoryCommand(app_, command, r); },
                info);
        },
        bank, named);
}

void CMainWindow::ReportFailure(const ResultInfo& result) {
    ReportResult(boxes_, app_.Ui(), result);
}

void CMainWindow::UpdateTitle() {
    const QString title = files_->Title();
    setWindowTitle(title);
    // Read aloud as shown, file name included.
    setAccessibleName(title);
}

void CMainWindow::RefreshFromStore() {
    const int32_t oldBank = bank_->Bank();
    {
        const SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        bank_->ReadFromStore();
        controls_.allBanks->setChecked(store.GetInt<kMainChkAll>() != 0);
    }
    bank_->Fill();
    ShowControllerInfo();
    UpdateTitle();
    // Every page and child window shows the store's values again.
    MemoryBankChanged(oldBank, bank_->Bank());
}

void CMainWindow::DrawPictures() {
    // The tab titles of the outputs name them in the combination picture's description.
    QTabWidget* tabs = controls_.pages;
    pictures_->Draw(app_.Store(), bank_->Bank(), tabs->tabText(2), tabs->tabText(3));
}

// ---------------------------------------------------------------------------------------------
// Expanded and compact view

void CMainWindow::ToggleExpandedView() {
    SetExpanded(!expanded_);
}

void CMainWindow::SetExpanded(bool expanded) {
    expanded_ = expanded;
    if (const UiControlRecord* record = app_.Ui().FindById(kMainExpandButton)) {
        const QStringList captions = CaptionList(record->caption);
        const int index = expanded ? 0 : 1;
        if (index < captions.size()) {
            controls_.expand->setText(captions[index]);
            // Read aloud as shown, not as the whole caption list.
            controls_.expand->setAccessibleName(captions[index]);
        }
    }
    if (ui_->expandedArea->isVisible() != expanded || ui_->expandedArea->isHidden() == expanded) {
        ui_->expandedArea->setVisible(expanded);
        // The window takes the height of what it shows: the area below moves up or back.
        centralWidget()->layout()->activate();
        adjustSize();
    }
}

// ---------------------------------------------------------------------------------------------
// File association

void CMainWindow::ChangeFileAssociation(bool registerIt) {
    if (IsSynchronousCommandRunning()) {
        return;
    }
    DisableAllWindows();
    const QString description = SettingsFileTypeDescription();
    const int32_t question = registerIt ? kMsgConfirmUpdateAssoc : kMsgConfirmDeleteAssoc;
    const std::string text =
        SubstituteDetails(app_.Ui().GetMessageText(question), ToStdString(description), {});
    if (boxes_.ShowMessageBox(text, kMbYesNo) == kAnswerYes) {
        const QString program = assocTool_.isEmpty() ? DefaultAssociationTool() : assocTool_;
        QString failure;
        const int code =
            RunAssociationTool(program, static_cast<qint64>(::getpid()), registerIt, &failure);
        if (registerIt && code == kAssocRegistered) {
            boxes_.ShowMessageBox(app_.Ui().GetMessageText(kMsgUpdateAssocDone), kMbNotice);
        } else if (!registerIt && code == kAssocUnregistered) {
            boxes_.ShowMessageBox(app_.Ui().GetMessageText(kMsgDeleteAssocDone), kMbNotice);
        } else if (IsAssociationLaunchFailure(code)) {
            ResultInfo result;
            SetResult(&result, ZUL_ERR, 0, ToStdString(failure));
            ReportFailure(result);
        }
    }
    EnableAllWindows();
}

// ---------------------------------------------------------------------------------------------
// Window events

void CMainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    DrawPictures();
    FitTabsToPage();
    adjustSize();
    // Once the window is on screen its layout has its final hints; it takes their size.
    QTimer::singleShot(0, this, [this] {
        FitTabsToPage();
        adjustSize();
    });
}

void CMainWindow::closeEvent(QCloseEvent* event) {
    if (exitConfirmed_) {
        event->accept();
        emit Closed();
        return;
    }
    if (IsSynchronousCommandRunning() || progressForm_ != nullptr) {
        event->ignore();
        return;
    }
    DisableAllWindows();
    TakeControlValues();
    const int32_t answer = AskToSave();
    EnableAllWindows();
    if (answer == kAnswerCancel && !IsTerminationRequested()) {  // the session ends regardless
        event->ignore();
        return;
    }
    exitConfirmed_ = true;
    // Child windows close first, with their own close steps; the link is closed before the
    // worker threads stop, so that nothing reports a lost line on the way out.
    children_->DestroyAll();
    if (app_.Online()) {
        Disconnect();
    }
    event->accept();
    emit Closed();
}

void CMainWindow::dragEnterEvent(QDragEnterEvent* event) {
    files_->DragEnter(event);
}

void CMainWindow::dropEvent(QDropEvent* event) {
    files_->Drop(event);
}

}  // namespace zul::ui

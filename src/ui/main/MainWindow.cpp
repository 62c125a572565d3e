// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/MainWindow.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <QAbstractItemView>
#include <QAction>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QImage>
#include <QItemSelectionModel>
#include <QLayout>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmapCache>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "app/AppMessages.h"
#include "app/Application.h"
#include "app/ConnectSequence.h"
#include "app/MemoryCommands.h"
#include "app/SettingsCommands.h"
#include "base/Paths.h"
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
#include "ui/main/MainMessages.h"
#include "ui/main/OutputPictures.h"
#include "ui/main/PageBase.h"
#include "ui/main/PageCommon.h"
#include "ui/main/PageHead.h"
#include "ui/main/PageOutput.h"
#include "ui/main/TransferProgressForm.h"
#include "ui_MainWindow.h"

namespace zul::ui {

namespace {

constexpr int32_t kMainWindowId = 102;
constexpr int32_t kConnectButtonId = 1013;
constexpr int32_t kExpandButtonId = 1015;
constexpr int32_t kBankSelectorId = 1097;
constexpr std::string_view kSettingsFilterRecord = "Main_FilterSettings";
constexpr int32_t kBankCount = 16;

std::array<ChildWindowFactory, kChildWindowCount>& Factories() {
    static std::array<ChildWindowFactory, kChildWindowCount> factories;
    return factories;
}

std::function<void(MainWindow&)>& CaptureRunner() {
    static std::function<void(MainWindow&)> run;
    return run;
}

bool SamePath(const std::string& a, const std::string& b) {
    return CanonicalPath(a) == CanonicalPath(b);
}

bool IsSettingsFileName(const QString& path) {
    return path.endsWith(QStringLiteral(".zul"), Qt::CaseInsensitive);
}

}  // namespace

void RegisterChildWindow(ChildWindow kind, ChildWindowFactory factory) {
    Factories()[static_cast<size_t>(kind)] = std::move(factory);
}

void RegisterImageCapture(std::function<void(MainWindow& main)> run) {
    CaptureRunner() = std::move(run);
}

MainWindow::MainWindow(Application& app, QtWindowSink& sink, QWidget* parent)
    : QMainWindow(parent),
      FormBase(this, FormContext{&app.Ui(), &app.Store()}),
      app_(app),
      sink_(sink),
      ui_(std::make_unique<Ui::MainWindow>()),
      boxes_(this),
      files_(this) {
    ui_->setupUi(this);
    // The window is always the size of what it shows (the compact view shortens it).
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setAcceptDrops(true);
    SetPositionItems({kMainFormTop, kMainFormLeft, 0, 0, 0, 0});

    // The texts the records may lack: the application title and the tab titles.
    setWindowTitle(FallbackText(kResApplicationTitle));
    for (int i = 0; i < ui_->ctrl1620->count(); ++i) {
        ui_->ctrl1620->setTabText(i, FallbackText(kResTabHeadA + i));
    }

    children_[0] = {ui_->ctrl1010, ui_->action32781, {}};
    children_[1] = {ui_->ctrl1011, ui_->action32788, {}};
    children_[2] = {ui_->ctrl1012, ui_->action32782, {}};
    children_[3] = {nullptr, ui_->action32786, {}};
    children_[4] = {nullptr, ui_->action32785, {}};
    children_[5] = {ui_->ctrl1770, ui_->action32784, {}};
    children_[6] = {nullptr, ui_->action32787, {}};

    ui_->action32771->setShortcut(QKeySequence::Open);
    ui_->action32772->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    ui_->action32780->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    ui_->action32787->setShortcut(QKeySequence(Qt::Key_F1));
    // F5 connects and disconnects. A shortcut of the window, not of the button: the button's
    // caption sets its own mnemonic shortcut each time it is applied.
    auto* connectKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(connectKey, &QShortcut::activated, ui_->ctrl1013, &QAbstractButton::click);

    ConnectCommands();
    FollowAccessibleBankSelection();
    sink_.Attach(this, [this](Message& message) { OnWindowMessage(message); });

    recent_.Read(app_.DefaultSettingsFile());
    {
        SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        currentBank_ = std::clamp(store.GetInt<kAppCurMemNo>(), 0, kBankCount - 1);
        ui_->ctrl1101->setChecked(store.GetInt<kMainChkAll>() != 0);
    }
    lineState_ = 0;
    app_.SetConnectionState(0);
    ApplyUiDefinition();
    CreatePages();
    FillBankSelector();
    ShowControllerInfo();
    UpdateRecentMenu();
    UpdateTitle();
    adjustSize();
}

MainWindow::~MainWindow() {
    // The last values go into the store before anything is destroyed; then every child window
    // runs its own close steps while the main window and the worker threads still exist.
    TakeControlValues();
    DestroyChildren();
    sink_.Detach();
}

void MainWindow::CreatePages() {
    // The five settings pages are child forms of this window: the framework calls reach them.
    PageHooks hooks;
    hooks.redrawPictures = [this] { sink_.Post(kWmRedrawPictures); };
    hooks.lightWaveChanged = [this] {
        if (auto* window = qobject_cast<LightWaveWnd*>(Child(ChildWindow::kLightWave))) {
            window->RefreshDisplay();
        }
    };
    hooks.bufferingChanged = [this] {
        if (auto* window = qobject_cast<CBufferingWnd*>(Child(ChildWindow::kBuffering))) {
            window->ReloadSettingsPage();
        }
    };
    QTabWidget* tabs = ui_->ctrl1620;
    while (tabs->count() > 0) {
        QWidget* page = tabs->widget(0);
        tabs->removeTab(0);
        delete page;
    }
    tabs->addTab(new PageHead(app_, this, 0, hooks), FallbackText(kResTabHeadA));
    tabs->addTab(new PageHead(app_, this, 1, hooks), FallbackText(kResTabHeadA + 1));
    tabs->addTab(new PageOutput(app_, this, 0, hooks), FallbackText(kResTabHeadA + 2));
    tabs->addTab(new PageOutput(app_, this, 1, hooks), FallbackText(kResTabHeadA + 3));
    tabs->addTab(new PageCommon(app_, this, hooks), FallbackText(kResTabCommon));
    if (const UiControlRecord* record = app_.Ui().FindById(1620)) {
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

void MainWindow::FitTabsToPage() {
    QTabWidget* tabs = ui_->ctrl1620;
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

void MainWindow::RefreshChangeMarks() {
    FormBase::ForEachForm([](FormBase& form) {
        if (auto* page = dynamic_cast<PageBase*>(&form)) {
            page->RefreshChangeMarks();
        }
    });
}

void MainWindow::ConnectCommands() {
    connect(ui_->ctrl1013, &QPushButton::clicked, this, &MainWindow::ToggleConnection);
    connect(ui_->ctrl1628, &QPushButton::clicked, this, &MainWindow::ReadSettings);
    connect(ui_->ctrl1629, &QPushButton::clicked, this, &MainWindow::WriteSettings);
    connect(ui_->ctrl1630, &QPushButton::clicked, this, &MainWindow::SaveMemoryBank);
    connect(ui_->ctrl1631, &QPushButton::clicked, this, &MainWindow::InitialiseMemory);
    connect(ui_->ctrl1015, &QPushButton::clicked, this, &MainWindow::ToggleExpandedView);
    connect(ui_->ctrl1461, &QPushButton::clicked, this, &MainWindow::RunImageCapture);
    connect(ui_->ctrl1097, &QComboBox::currentIndexChanged, this, &MainWindow::OnBankSelected);

    connect(ui_->action32771, &QAction::triggered, this, &MainWindow::OpenSettingsFile);
    connect(ui_->action32772, &QAction::triggered, this, &MainWindow::SaveSettingsFileAs);
    connect(ui_->action32775, &QAction::triggered, this, &MainWindow::SaveMemoryBank);
    connect(ui_->action32776, &QAction::triggered, this, &MainWindow::InitialiseMemoryBank);
    connect(ui_->action32777, &QAction::triggered, this, &MainWindow::ReadSettings);
    connect(ui_->action32778, &QAction::triggered, this, &MainWindow::WriteSettings);
    connect(ui_->action32779, &QAction::triggered, this, &MainWindow::InitialiseAllMemoryBanks);
    connect(ui_->action32780, &QAction::triggered, this, &QWidget::close);
    connect(ui_->action32799, &QAction::triggered, this, [this] { ChangeFileAssociation(true); });
    connect(ui_->action32800, &QAction::triggered, this, [this] { ChangeFileAssociation(false); });
    for (int32_t i = 0; i < kChildWindowCount; ++i) {
        const ChildWindow kind = static_cast<ChildWindow>(i);
        if (children_[i].button != nullptr) {
            connect(children_[i].button, &QPushButton::clicked, this,
                    [this, kind] { OpenChild(kind); });
        }
        connect(children_[i].action, &QAction::triggered, this, [this, kind] { OpenChild(kind); });
    }
}

// ---------------------------------------------------------------------------------------------
// Messages

void MainWindow::OnWindowMessage(Message& message) {
    const uint32_t id = message.id;
    if (id >= kWmChildClosedFirst && id <= kWmChildClosedLast) {
        OnChildClosed(static_cast<int32_t>(id - kWmChildClosedFirst));
    } else if (id == kWmRedrawPictures) {
        DrawPictures();
    } else if (id == kWmLinkDeviceError) {
        OnLinkLost(static_cast<int32_t>(message.wParam));
    } else if (id == kWmActivateMain) {
        raise();
        activateWindow();
    } else if (id == kWmReapplyUiDefinition) {
        // Applying the records enables the forms as the records say; while a transfer holds
        // the windows disabled that waits until it has ended.
        if (progressForm_ != nullptr) {
            reapplyPending_ = true;
            return;
        }
        FormBase::ReapplyAllForms();
    } else if (id == kWmReapplyUiVersion) {
        if (progressForm_ != nullptr) {
            reapplyPending_ = true;
            return;
        }
        // The version rules are part of the records applied above; this window's own state
        // rules narrow them again.
        OnUiDefinitionApplied();
    }
}

void MainWindow::OnLinkLost(int32_t code) {
    // A second notice while the first one's box is open adds nothing.
    if (linkLostShown_) {
        return;
    }
    linkLostShown_ = true;
    DisableAllWindows();
    if (lineState_ != 0) {
        SetConnectionState(0);
        if (CThreadCommControler* comm = app_.CommControler()) {
            comm->Disconnect();
        }
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

void MainWindow::OnChildClosed(int32_t index) {
    if (index < 0 || index >= kChildWindowCount) {
        return;
    }
    children_[static_cast<size_t>(index)].window.clear();
    UpdateChildCommands();
    raise();
    activateWindow();
}

// ---------------------------------------------------------------------------------------------
// Framework calls

void MainWindow::OnUiDefinitionApplied() {
    for (int i = 0; i < ui_->ctrl1620->count(); ++i) {
        if (ui_->ctrl1620->tabText(i).isEmpty()) {
            ui_->ctrl1620->setTabText(i, FallbackText(kResTabHeadA + i));
        }
    }
    ui_->ctrl1620->setAccessibleName(ui_->ctrl1620->tabText(ui_->ctrl1620->currentIndex()));
    ShowConnectionState();
    UpdateChildCommands();
    SetExpanded(expanded_);
    UpdateTitle();
    ShowBankInSelectorList();  // the record refilled the selector
    DrawPictures();
}

void MainWindow::OnTakeControlValues() {
    SettingsStore& store = app_.Store();
    auto lock = store.Lock();
    store.SetInt<kAppCurMemNo>(currentBank_);
    store.SetInt<kMainChkAll>(ui_->ctrl1101->isChecked() ? 1 : 0);
}

void MainWindow::OnLineStateChanged(int32_t /*lineState*/) {
    ShowConnectionState();
}

void MainWindow::OnMemoryBankChanged(int32_t /*oldBank*/, int32_t /*newBank*/) {
    DrawPictures();
}

// ---------------------------------------------------------------------------------------------
// Connection

void MainWindow::ToggleConnection() {
    if (IsSynchronousCommandRunning()) {
        return;
    }
    if (lineState_ != 0) {
        SetConnectionState(0);
        if (CThreadCommControler* comm = app_.CommControler()) {
            comm->Disconnect();
        }
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

void MainWindow::SetConnectionState(int32_t state) {
    lineState_ = state;
    app_.SetConnectionState(state);
    LineStateChanged(state);  // this window's hook and every child form
}

bool MainWindow::RecordAllows(int32_t ctrlId) const {
    const UiControlRecord* record = app_.Ui().FindById(ctrlId);
    return record == nullptr || record->enable == 0;
}

void MainWindow::ShowConnectionState() {
    const bool connected = lineState_ != 0;
    if (const UiControlRecord* record = app_.Ui().FindById(kConnectButtonId)) {
        const QStringList captions = CaptionList(record->caption);
        if (!captions.isEmpty()) {
            ui_->ctrl1013->setText(captions.front());
        }
        // The button's face takes the state colour (Color1 disconnected, Color2 connected).
        const int32_t ref = connected ? record->color2 : record->color1;
        QPalette palette = ui_->ctrl1013->palette();
        palette.setColor(QPalette::Button, ColorFromRef(ref));
        palette.setColor(QPalette::ButtonText, QColor(Qt::white));
        ui_->ctrl1013->setAutoFillBackground(true);
        ui_->ctrl1013->setPalette(palette);
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{
             ui_->ctrl1628, ui_->ctrl1629, ui_->ctrl1101, ui_->ctrl1630, ui_->ctrl1631}) {
        widget->setEnabled(connected && RecordAllows(CtrlIdOf(widget)));
    }
    for (QAction* action : {ui_->action32775, ui_->action32776, ui_->action32777, ui_->action32778,
                            ui_->action32779}) {
        action->setEnabled(connected && RecordAllows(CtrlIdOf(action)));
    }
}

void MainWindow::ShowControllerInfo() {
    const SettingsStore& store = app_.Store();
    auto lock = store.Lock();
    ui_->ctrl1088->setText(ToQString(store.GetText<kCtrlVersion>()));
    ui_->ctrl1090->setText(ToQString(store.GetText<kCtrlType>()));
    ui_->ctrl1092->setText(ToQString(store.GetText<kCtrlSensorA>()));
    ui_->ctrl1094->setText(ToQString(store.GetText<kCtrlSensorB>()));
}

// ---------------------------------------------------------------------------------------------
// Memory bank selector

void MainWindow::FillBankSelector() {
    loadingBank_ = true;
    FillChoiceList(kBankSelectorId, ui_->ctrl1097, currentBank_, true);
    loadingBank_ = false;
    ShowBankInSelectorList();
}

void MainWindow::FollowAccessibleBankSelection() {
    QComboBox* box = ui_->ctrl1097;
    QAbstractItemView* list = box->view();
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, box, list] {
                // An open list is the user's to browse: its choice counts when it is taken.
                if (showingBankInList_ || list->isVisible()) {
                    return;
                }
                const QModelIndexList selected = list->selectionModel()->selectedIndexes();
                if (selected.size() == 1 && selected.front().row() != box->currentIndex()) {
                    box->setCurrentIndex(selected.front().row());
                }
                // A toggle that cleared the selection leaves the bank as it was, and shown so
                // again.
                QMetaObject::invokeMethod(
                    this, [this] { ShowBankInSelectorList(); }, Qt::QueuedConnection);
            });
    connect(box, &QComboBox::currentIndexChanged, this, [this] { ShowBankInSelectorList(); });
    ShowBankInSelectorList();
}

void MainWindow::ShowBankInSelectorList() {
    QComboBox* box = ui_->ctrl1097;
    QAbstractItemView* list = box->view();
    if (list->isVisible() || list->selectionModel() == nullptr) {
        return;
    }
    const QModelIndex current =
        box->model()->index(box->currentIndex(), box->modelColumn(), box->rootModelIndex());
    showingBankInList_ = true;
    if (current.isValid()) {
        list->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
    } else {
        list->selectionModel()->clearSelection();
    }
    showingBankInList_ = false;
}

void MainWindow::OnBankSelected(int /*index*/) {
    if (loadingBank_) {
        return;
    }
    const int32_t newBank = SelectedChoiceValue(ui_->ctrl1097, currentBank_);
    const int32_t oldBank = currentBank_;
    if (newBank == oldBank || newBank < 0 || newBank >= kBankCount) {
        return;
    }
    // The pages keep their values in the bank they showed; then every window shows the new one.
    TakeControlValues();
    currentBank_ = newBank;
    {
        SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        store.SetInt<kAppCurMemNo>(newBank);
        store.SetInt<kCtrlCurMemNo>(newBank);
    }
    MemoryBankChanged(oldBank, newBank);
}

// ---------------------------------------------------------------------------------------------
// Transfers and memory-bank commands

void MainWindow::ReadSettings() {
    RunTransfer(true);
}

void MainWindow::WriteSettings() {
    RunTransfer(false);
}

void MainWindow::RunTransfer(bool read) {
    if (IsSynchronousCommandRunning() || progressForm_ != nullptr || lineState_ == 0) {
        return;
    }
    DisableAllWindows();
    LockPolling(true);
    TakeControlValues();
    ResultInfo result;
    std::unique_ptr<SettingsTransfer> transfer = MakeSettingsTransfer(
        app_, read ? TransferOperation::kReadAll : TransferOperation::kWriteAll, &result);
    int32_t code = result.code;
    if (transfer) {
        TransferProgressForm form(Context(), this, this);
        progressForm_ = &form;
        connect(&form, &TransferProgressForm::Started, this, &MainWindow::TransferStarted);
        code = form.Run(*transfer, &result);
        progressForm_ = nullptr;
        if (code == ZUL_OK && form.Finished()) {
            ApplySettingsTransfer(app_, *transfer);
            if (read) {
                // The copy was taken before the transfer; the connection may have changed
                // meanwhile, and the live state wins over the copy's.
                app_.SetConnectionState(lineState_);
                RefreshFromStore();
            }
        }
    }
    if (code != ZUL_OK) {
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

void MainWindow::SaveMemoryBank() {
    RunMemoryCommandFlow(static_cast<int32_t>(MemoryCommand::kSaveBank));
}

void MainWindow::InitialiseMemory() {
    if (ui_->ctrl1101->isChecked()) {
        InitialiseAllMemoryBanks();
    } else {
        InitialiseMemoryBank();
    }
}

void MainWindow::InitialiseMemoryBank() {
    RunMemoryCommandFlow(static_cast<int32_t>(MemoryCommand::kInitialiseBank));
}

void MainWindow::InitialiseAllMemoryBanks() {
    RunMemoryCommandFlow(static_cast<int32_t>(MemoryCommand::kInitialiseAllBanks));
}

int32_t MainWindow::RunMemoryCommandFlow(int32_t commandValue) {
    const MemoryCommand command = static_cast<MemoryCommand>(commandValue);
    if (IsSynchronousCommandRunning() || lineState_ == 0 || app_.CommControler() == nullptr) {
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
    const std::string bank = std::to_string(currentBank_);
    const std::string alias = store.GetText<kSoftMemAlias>(currentBank_);
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

void MainWindow::ReportFailure(const ResultInfo& result) {
    ReportResult(boxes_, app_.Ui(), result);
}

// ---------------------------------------------------------------------------------------------
// Settings files

int32_t MainWindow::AskToSave() {
    SettingsStore& store = app_.Store();
    const std::string path = store.GetFilePath();
    if (SamePath(path, app_.DefaultSettingsFile()) || store.IsUnchanged()) {
        return kAnswerNo;
    }
    const std::string text = SubstituteDetails(app_.Ui().GetMessageText(kMsgConfirmSaveSetOpen),
                                               FileNameWithExtension(path), {});
    const MessageBoxAnswer answer = boxes_.ShowMessageBox(text, kMbYesNoCancel);
    if (answer == kAnswerYes && !SaveCurrentFile()) {
        // The edits are not on disk: whatever asked goes no further.
        return kAnswerCancel;
    }
    return answer == kAnswerYes || answer == kAnswerNo ? answer : kAnswerCancel;
}

bool MainWindow::SaveCurrentFile() {
    SettingsStore& store = app_.Store();
    ResultInfo saved;
    if (store.Save(&saved) != ZUL_OK) {
        ResultInfo result;
        SetResult(&result, ZUL_ERR_INI_FILE_WRITE, saved.osError,
                  FileNameWithExtension(store.GetFilePath()), saved.detail2);
        ReportFailure(result);
        return false;
    }
    store.MarkSaved();
    RefreshChangeMarks();
    return true;
}

void MainWindow::RememberFolder(const std::string& path) {
    const std::string folder = QFileInfo(ToQString(path)).absolutePath().toStdString();
    app_.Store().SetText<kMainCurFolder>(folder);
}

FileDialogRequest MainWindow::SettingsFileDialog(FileDialogRequest::Mode mode) const {
    FileDialogRequest request;
    request.mode = mode;
    const std::string folder = app_.Store().GetText<kMainCurFolder>();
    request.startFolder = ToQString(DocumentsPath(folder));
    QString description;
    if (const UiControlRecord* record = app_.Ui().FindByName(kSettingsFilterRecord)) {
        description = CaptionText(record->caption);
    }
    request.filters = {description + QStringLiteral(" (*.zul)")};
    request.defaultSuffix = QStringLiteral("zul");
    return request;
}

void MainWindow::OpenSettingsFile() {
    if (IsSynchronousCommandRunning()) {
        return;
    }
    DisableAllWindows();
    TakeControlValues();
    if (AskToSave() != kAnswerCancel) {
        if (auto chosen = files_.ChooseFile(SettingsFileDialog(FileDialogRequest::Mode::Open))) {
            LoadSettingsFile(ToStdString(chosen->path));
        }
    }
    EnableAllWindows();
}

bool MainWindow::OpenSettingsFilePath(const QString& path) {
    if (IsSynchronousCommandRunning()) {
        return false;
    }
    DisableAllWindows();
    TakeControlValues();
    bool opened = false;
    if (AskToSave() != kAnswerCancel) {
        opened = LoadSettingsFile(ToStdString(path));
    }
    EnableAllWindows();
    return opened;
}

// A file chosen to be read or written is reserved for this instance first, unless it is the file
// this instance already holds; that reservation becomes the instance's own on success and is
// withdrawn on failure, so the file held before stays held in every case.
bool MainWindow::ReserveChosenFile(const std::string& path, bool* held) {
    *held = SamePath(path, app_.ReservedSettingsFile());
    if (*held || app_.ReserveSettingsFile(path)) {
        return true;
    }
    ResultInfo result;
    SetResult(&result, ZUL_ERR_INI_FILE_LOCKED, 0, FileNameWithExtension(path));
    ReportFailure(result);
    return false;
}

void MainWindow::ReportChosenFileFailure(int32_t code, const std::string& path,
                                         const ResultInfo& cause, bool held) {
    if (!held) {
        app_.ReleaseSettingsFile(path);
    }
    ResultInfo result;
    const std::string reason = !cause.detail2.empty() ? cause.detail2
                               : cause.osError != 0   ? std::strerror(cause.osError)
                                                      : std::string();
    SetResult(&result, code, cause.osError, FileNameWithExtension(path), reason);
    ReportFailure(result);
}

bool MainWindow::LoadSettingsFile(const std::string& path) {
    bool current = false;
    if (!ReserveChosenFile(path, &current)) {
        return false;
    }
    RememberFolder(path);
    // Read into a private copy: a failed or partial read leaves the settings in force untouched.
    auto copy = std::make_unique<SettingsStore>(app_.Store());
    ResultInfo loaded;
    SettingsLoadReport report;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        SetResult(&loaded, ZUL_ERR_INI_FILE_READ, ENOENT, path, std::strerror(ENOENT));
    } else if (copy->Load(&loaded, path, &report) == ZUL_OK) {
        if (report.HoldsNoSettings()) {
            SetResult(&loaded, ZUL_ERR_INI_FILE_READ, 0, path, std::string(kHoldsNoSettings));
        } else if (report.CutShort()) {
            SetResult(&loaded, ZUL_ERR_INI_FILE_READ, 0, path, CutShortReason(report));
        }
    }
    if (!loaded.Ok()) {
        ReportChosenFileFailure(ZUL_ERR_INI_FILE_READ, path, loaded, current);
        recent_.Remove(path);
        UpdateRecentMenu();
        return false;
    }
    SettingsStore& store = app_.Store();
    store = *copy;
    // The file holds a folder of its own: the one just chosen from stays the one remembered.
    RememberFolder(path);
    store.MarkSaved();
    RefreshChangeMarks();
    if (!current) {
        app_.AdoptReservation(path);
    }
    // The file's own run-time values do not describe the link in force.
    app_.SetConnectionState(lineState_);
    recent_.Add(path);
    UpdateRecentMenu();
    RefreshFromStore();
    return true;
}

void MainWindow::SaveSettingsFileAs() {
    if (IsSynchronousCommandRunning()) {
        return;
    }
    DisableAllWindows();
    TakeControlValues();
    if (auto chosen = files_.ChooseFile(SettingsFileDialog(FileDialogRequest::Mode::Save))) {
        SaveSettingsFile(ToStdString(chosen->path));
    }
    EnableAllWindows();
}

bool MainWindow::SaveSettingsFile(const std::string& path) {
    bool current = false;
    if (!ReserveChosenFile(path, &current)) {
        return false;
    }
    RememberFolder(path);
    SettingsStore& store = app_.Store();
    ResultInfo saved;
    if (store.Save(&saved, path) != ZUL_OK) {
        ReportChosenFileFailure(ZUL_ERR_INI_FILE_WRITE, path, saved, current);
        return false;
    }
    store.SetFilePath(path);
    store.MarkSaved();
    RefreshChangeMarks();
    if (!current) {
        app_.AdoptReservation(path);
    }
    recent_.Add(path);
    UpdateRecentMenu();
    UpdateTitle();
    return true;
}

void MainWindow::UpdateRecentMenu() {
    for (QAction* action : recentActions_) {
        ui_->menuFile->removeAction(action);
        delete action;
    }
    recentActions_.clear();
    for (const std::string& path : recent_.Paths()) {
        auto* action = new QAction(ToQString(path), this);
        action->setData(ToQString(path));
        connect(action, &QAction::triggered, this,
                [this, action] { OpenSettingsFilePath(action->data().toString()); });
        ui_->menuFile->insertAction(ui_->actionRecentAnchor, action);
        recentActions_.push_back(action);
    }
}

void MainWindow::UpdateTitle() {
    QString title = FallbackText(kResApplicationTitle);
    if (const UiControlRecord* record = app_.Ui().FindById(kMainWindowId)) {
        title = CaptionText(record->caption);
    }
    const std::string path = app_.Store().GetFilePath();
    if (!SamePath(path, app_.DefaultSettingsFile())) {
        const QFileInfo file(ToQString(path));
        title += QStringLiteral(" - ") + file.fileName() + QStringLiteral(" [") +
                 QDir::toNativeSeparators(file.absolutePath()) + QStringLiteral("]");
    }
    setWindowTitle(title);
    // Read aloud as shown, file name included.
    setAccessibleName(title);
}

void MainWindow::RefreshFromStore() {
    const int32_t oldBank = currentBank_;
    {
        const SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        currentBank_ = std::clamp(store.GetInt<kAppCurMemNo>(), 0, kBankCount - 1);
        ui_->ctrl1101->setChecked(store.GetInt<kMainChkAll>() != 0);
    }
    FillBankSelector();
    ShowControllerInfo();
    UpdateTitle();
    // Every page and child window shows the store's values again.
    MemoryBankChanged(oldBank, currentBank_);
}

// ---------------------------------------------------------------------------------------------
// Pictures

void MainWindow::DrawPictures() {
    const SettingsStore& store = app_.Store();
    const QString folder = ToQString(ResolveImageFolder(store.GetText<kAppImageFolder>()));
    const OutputPictureInputs out1 = ReadOutputPictureInputs(store, currentBank_, 0);
    const OutputPictureInputs out2 = ReadOutputPictureInputs(store, currentBank_, 1);
    ShowPicture(0, ui_->ctrl1103, folder, CombinationPictureName(out1.outPattern, out2.outPattern),
                ui_->ctrl1620->tabText(2) + QStringLiteral(": ") + PictureDescription(out1, false) +
                    QStringLiteral("; ") + ui_->ctrl1620->tabText(3) + QStringLiteral(": ") +
                    PictureDescription(out2, false));
    ShowPicture(1, ui_->ctrl1105, folder, OutputPictureName(out1), PictureDescription(out1, true));
    ShowPicture(2, ui_->ctrl1107, folder, OutputPictureName(out2), PictureDescription(out2, true));
    // Without any picture their column takes no room.
    ui_->pictureArea->setVisible(!ui_->ctrl1103->isHidden() || !ui_->ctrl1105->isHidden() ||
                                 !ui_->ctrl1107->isHidden());
}

QString MainWindow::ChoiceText(int32_t ctrlId, int32_t value) const {
    const ChoiceList list = app_.Ui().FillChoiceList(ctrlId, value);
    if (list.selected < 0 || list.entries[size_t(list.selected)].value != value) {
        return {};
    }
    return ToQString(list.entries[size_t(list.selected)].text);
}

QString MainWindow::PictureDescription(const OutputPictureInputs& out, bool withHead) const {
    // What the picture draws, in the words of the pages' lists: the calculation, the surfaces
    // measured, and how the head it uses is set up.
    QStringList parts{ChoiceText(1134, out.outPattern)};
    const int32_t p = out.outPattern;
    const bool surfaces = p >= 8 && p <= 11;
    if (surfaces) {
        parts << ChoiceText(1635, out.measureWork);
    }
    if (withHead && (surfaces || (p >= 0 && p <= 3))) {
        const int head = p % 2;
        parts << ChoiceText(1109, out.setupMode[head])
              << ChoiceText(1616, out.measureWorkBasis[head]);
    }
    parts.removeAll(QString());
    return parts.join(QStringLiteral(", "));
}

void MainWindow::ShowPicture(int slot, QLabel* label, const QString& folder,
                             const std::optional<std::string>& name, const QString& description) {
    // Scaled into the control on a white background, keeping the picture's proportions. A bank
    // switch draws all three again, so each file is decoded and scaled once per size and
    // version of the file (the key holds its modification time).
    const QSize area = label->minimumSize().expandedTo(QSize(1, 1));
    QPixmap canvas;
    if (name) {
        const QFileInfo file(QDir(folder).filePath(ToQString(*name)));
        const QString key = QStringLiteral("zul-picture:%1:%2x%3:%4")
                                .arg(file.absoluteFilePath())
                                .arg(area.width())
                                .arg(area.height())
                                .arg(file.lastModified().toMSecsSinceEpoch());
        if (file.exists() && !QPixmapCache::find(key, &canvas)) {
            const QImage image(file.absoluteFilePath());
            if (!image.isNull()) {
                canvas = QPixmap(area);
                canvas.fill(Qt::white);
                QPainter painter(&canvas);
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                const QImage scaled =
                    image.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation);
                painter.drawImage((area.width() - scaled.width()) / 2,
                                  (area.height() - scaled.height()) / 2, scaled);
                painter.end();
                QPixmapCache::insert(key, canvas);
            }
        }
    }
    // The caption above a picture goes and comes with it.
    QWidget* caption = PictureCaption(slot);
    if (canvas.isNull()) {
        pictureFiles_[static_cast<size_t>(slot)].clear();
        label->clear();
        label->setVisible(false);
        caption->setVisible(false);
        label->parentWidget()->setVisible(false);
        return;
    }
    label->setPixmap(canvas);
    label->setVisible(RecordShows(CtrlIdOf(label)));
    caption->setVisible(RecordShows(CtrlIdOf(caption)));
    label->parentWidget()->setVisible(true);
    pictureFiles_[static_cast<size_t>(slot)] = ToQString(*name);
    // A picture is read aloud by its caption and what it shows.
    if (auto* title = qobject_cast<QLabel*>(caption)) {
        label->setAccessibleName(title->text());
    }
    label->setAccessibleDescription(description);
}

QWidget* MainWindow::PictureCaption(int slot) const {
    switch (slot) {
        case 0:
            return ui_->ctrl1102;
        case 1:
            return ui_->ctrl1104;
        default:
            return ui_->ctrl1106;
    }
}

bool MainWindow::RecordShows(int32_t ctrlId) const {
    const UiControlRecord* record = app_.Ui().FindById(ctrlId);
    return record == nullptr || record->visible == 0;
}

QString MainWindow::PictureFile(int32_t ctrlId) const {
    switch (ctrlId) {
        case 1103:
            return pictureFiles_[0];
        case 1105:
            return pictureFiles_[1];
        case 1107:
            return pictureFiles_[2];
        default:
            return {};
    }
}

// ---------------------------------------------------------------------------------------------
// Expanded and compact view

void MainWindow::ToggleExpandedView() {
    SetExpanded(!expanded_);
}

void MainWindow::SetExpanded(bool expanded) {
    expanded_ = expanded;
    if (const UiControlRecord* record = app_.Ui().FindById(kExpandButtonId)) {
        const QStringList captions = CaptionList(record->caption);
        const int index = expanded ? 0 : 1;
        if (index < captions.size()) {
            ui_->ctrl1015->setText(captions[index]);
            // Read aloud as shown, not as the whole caption list.
            ui_->ctrl1015->setAccessibleName(captions[index]);
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
// Child windows

QWidget* MainWindow::Child(ChildWindow kind) const {
    return children_[static_cast<size_t>(kind)].window;
}

void MainWindow::UpdateChildCommands() {
    for (size_t i = 0; i < children_.size(); ++i) {
        const bool available = Factories()[i] != nullptr && children_[i].window == nullptr;
        if (children_[i].button != nullptr) {
            children_[i].button->setEnabled(available &&
                                            RecordAllows(CtrlIdOf(children_[i].button)));
        }
        children_[i].action->setEnabled(available && RecordAllows(CtrlIdOf(children_[i].action)));
    }
    ui_->ctrl1461->setEnabled(CaptureRunner() != nullptr && RecordAllows(1461));
}

void MainWindow::OpenChild(ChildWindow kind) {
    const size_t index = static_cast<size_t>(kind);
    ChildSlot& slot = children_[index];
    if (slot.window != nullptr) {
        slot.window->raise();
        slot.window->activateWindow();
        return;
    }
    const ChildWindowFactory& factory = Factories()[index];
    QWidget* window = factory ? factory(*this) : nullptr;
    if (window == nullptr) {
        ResultInfo result;
        SetResult(&result, ZUL_ERR_DIALOG_CREATE);
        ReportFailure(result);
        return;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    // The closed message reaches this window through the message queue, as the child's own
    // notice would, after the child has run its close steps.
    const uint32_t closed = kWmChildClosedFirst + static_cast<uint32_t>(index);
    connect(window, &QObject::destroyed, this, [this, closed] { sink_.Post(closed); });
    slot.window = window;
    UpdateChildCommands();
    window->show();
}

void MainWindow::DestroyChildren() {
    for (ChildSlot& slot : children_) {
        if (QWidget* window = slot.window) {
            slot.window.clear();
            window->disconnect(this);
            window->close();  // its close steps
            delete window;    // WA_DeleteOnClose may already have queued it; delete now
        }
    }
}

void MainWindow::RunImageCapture() {
    if (!CaptureRunner() || IsSynchronousCommandRunning()) {
        return;
    }
    DisableAllWindows();
    CaptureRunner()(*this);
    EnableAllWindows();
}

// ---------------------------------------------------------------------------------------------
// File association

void MainWindow::ChangeFileAssociation(bool registerIt) {
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

void MainWindow::showEvent(QShowEvent* event) {
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

void MainWindow::closeEvent(QCloseEvent* event) {
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
    DestroyChildren();
    if (lineState_ != 0) {
        SetConnectionState(0);
        if (CThreadCommControler* comm = app_.CommControler()) {
            comm->Disconnect();
        }
    }
    event->accept();
    emit Closed();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile() &&
        IsSettingsFileName(urls.front().toLocalFile())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile() ||
        !IsSettingsFileName(urls.front().toLocalFile())) {
        return;
    }
    event->acceptProposedAction();
    const QString path = urls.front().toLocalFile();
    // Opened after the drop has ended, so that the source is not held by the questions.
    QMetaObject::invokeMethod(
        this, [this, path] { OpenSettingsFilePath(path); }, Qt::QueuedConnection);
}

}  // namespace zul::ui

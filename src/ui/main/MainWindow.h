// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: controller identity, memory bank, the five settings pages, and the
// commands of the tool (connect, transfers, memory banks, file association). It keeps the
// session and wires its parts: the settings-file commands (SettingsFileCommands.h), the output
// pictures (OutputPicturePanel.h), the child windows (ChildWindows.h) and the memory-bank
// selector (BankSelector.h). Its life is the program's life.
//
// The connection state has one source, Application::LineState(); the window reads it there and
// redraws on the line-state notification (OnLineStateChanged).
//
// Controller commands run through RunSynchronous (ui/framework/SyncCommand.h): the GUI thread
// waits in a local event loop with every window disabled, so painting goes on while nothing can
// start a second command. Message boxes and file dialogs go through the framework hosts, which
// tests answer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include <QComboBox>
#include <QMainWindow>
#include <QPointer>

#include "base/ResultInfo.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/main/BankSelector.h"
#include "ui/main/ChildWindows.h"
#include "ui/main/OutputPicturePanel.h"
#include "ui/main/RecentFiles.h"
#include "ui/main/SettingsFileCommands.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace Ui {
class MainWindow;
}

namespace zul {

class Application;
struct Message;

}  // namespace zul

namespace zul::ui {
class QtWindowSink;
}  // namespace zul::ui

namespace zul::ui {

class CMainWindow : public QMainWindow, public FormBase {
    Q_OBJECT

public:
    // The sink is the one the Application posts through; the window attaches to it.
    CMainWindow(Application& app, QtWindowSink& sink, QWidget* parent = nullptr);
    ~CMainWindow() override;

    Application& App() { return app_; }
    QtMessageBoxHost& Boxes() { return boxes_; }

    // --- Commands (the buttons and menu items call these; tests may call them too) ---
    void ToggleConnection();
    void ReadSettings();
    void WriteSettings();
    void SaveMemoryBank();
    void InitialiseMemory();  // button 1631: one bank, or all with the all-banks box ticked
    void InitialiseMemoryBank();
    void InitialiseAllMemoryBanks();
    void OpenSettingsFile() { files_->Open(); }
    // Opens without the dialog (a recent entry, a dropped file).
    bool OpenSettingsFilePath(const QString& path) { return files_->OpenPath(path); }
    void SaveSettingsFileAs() { files_->SaveAs(); }
    void ChangeFileAssociation(bool registerIt);
    void ToggleExpandedView();
    void OpenChild(ChildWindow kind) { children_->Open(kind); }
    void RunImageCapture() { children_->RunImageCapture(); }

    // Answer of the save question (kAnswerYes/No/Cancel); a failed save counts as Cancel.
    int32_t AskToSave() { return files_->AskToSave(); }

    // --- State for tests and pictures ---
    bool IsExpanded() const { return expanded_; }
    // The connection state in force (Application::LineState()).
    int32_t LineState() const;
    QWidget* Child(ChildWindow kind) const { return children_->Window(kind); }
    const RecentFiles& Recent() const { return files_->Recent(); }
    // The picture control of 1103, 1105 or 1107 and the file it shows (empty when hidden).
    QString PictureFile(int32_t ctrlId) const { return pictures_->PictureFile(ctrlId); }
    // The association tool (default: qvm8-assoc beside the executable, else on PATH).
    void SetAssociationTool(const QString& program) { assocTool_ = program; }
    // The transfer progress form of the running transfer (null otherwise).
    QWidget* ProgressForm() const { return progressForm_; }

    // Re-reads every shown value from the store (after a read-all or an open).
    void RefreshFromStore();
    void DrawPictures();
    // Fills the bank selector again (the bank aliases changed).
    void RefreshBankAliases() { bank_->Fill(); }

signals:
    // Emitted when the progress form of a transfer has been shown.
    void TransferStarted();
    // Emitted when the window has accepted its close: the program's run ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

    void OnUiDefinitionApplied() override;
    void OnTakeControlValues() override;
    void OnLineStateChanged(int32_t lineState) override;
    void OnMemoryBankChanged(int32_t oldBank, int32_t newBank) override;

private:
    // The settings-file commands, the output pictures and the child-window slots.
    void CreateParts();
    // The window's controls, found once by their numbers (MainControls.h).
    struct Controls {
        QTabWidget* pages = nullptr;
        QPushButton* connect = nullptr;
        QPushButton* expand = nullptr;
        QLineEdit* version = nullptr;
        QLineEdit* type = nullptr;
        QLineEdit* sensorA = nullptr;
        QLineEdit* sensorB = nullptr;
        QComboBox* memoryBank = nullptr;
        QCheckBox* allBanks = nullptr;
        QPushButton* readSettings = nullptr;
        QPushButton* writeSettings = nullptr;
        QPushButton* saveMemory = nullptr;
        QPushButton* initMemory = nullptr;
        QPushButton* measurement = nullptr;
        QPushButton* lightWave = nullptr;
        QPushButton* buffering = nullptr;
        QPushButton* configList = nullptr;
        QPushButton* capture = nullptr;
        std::array<QLabel*, 3> pictures{};  // output pattern, OUT1, OUT2
        std::array<QWidget*, 3> pictureCaptions{};
    };
    // The menu items, found once by their numbers.
    struct Menus {
        QAction* openFile = nullptr;
        QAction* saveFileAs = nullptr;
        QAction* saveMemoryBank = nullptr;
        QAction* initMemoryBank = nullptr;
        QAction* readSettings = nullptr;
        QAction* writeSettings = nullptr;
        QAction* initAllMemoryBanks = nullptr;
        QAction* exit = nullptr;
        QAction* measurement = nullptr;
        QAction* buffering = nullptr;
        QAction* configList = nullptr;
        QAction* controllerSettings = nullptr;
        QAction* softwareSettings = nullptr;
        QAction* about = nullptr;
        QAction* lightWave = nullptr;
        QAction* registerAssociation = nullptr;
        QAction* removeAssociation = nullptr;
    };
    void FindControls();
    void CreatePages();
    // The tab control takes the height of the page it shows; the window follows.
    void FitTabsToPage();
    void ConnectCommands();
    void OnWindowMessage(Message& message);
    // A re-apply notification of the UI definition; waits while a transfer holds the windows.
    void OnReapply(bool records);
    void OnLinkLost(int32_t code);
    // Sets the connection state: the Application's, then this window and every child form.
    void SetConnectionState(int32_t state);
    // Sets the connection state to 0 and closes the link.
    void Disconnect();
    void ShowConnectionState();
    void ShowConnectCaption(bool connected);
    void ShowControllerInfo();
    void UpdateTitle();
    void RunTransfer(bool read);
    // The transfer in its progress form; on success its settings become the store's.
    int32_t RunTransferForm(bool read, ResultInfo* result);
    int32_t RunMemoryCommandFlow(int32_t command);
    void ReportFailure(const ResultInfo& result);
    void SetExpanded(bool expanded);

    Application& app_;
    QtWindowSink& sink_;
    std::unique_ptr<Ui::MainWindow> ui_;
    Controls controls_;
    Menus menus_;
    QtMessageBoxHost boxes_;
    QtFileDialogHost dialogs_;
    std::unique_ptr<SettingsFileCommands> files_;
    std::unique_ptr<OutputPicturePanel> pictures_;
    std::unique_ptr<ChildWindowSlots> children_;
    std::unique_ptr<BankSelector> bank_;
    bool expanded_ = true;
    bool exitConfirmed_ = false;
    QPointer<QWidget> progressForm_;
    QString assocTool_;
    bool linkLostShown_ = false;
    bool reapplyPending_ = false;
};

}  // namespace zul::ui

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: controller identity, memory bank, the five settings pages, the output
// pictures, and every command of the tool (connect, transfers, memory banks, settings files,
// child windows, file association). Its life is the program's life.
//
// Controller commands run through RunSynchronous (ui/framework/SyncCommand.h): the GUI thread
// waits in a local event loop with every window disabled, so painting goes on while nothing can
// start a second command. Message boxes and file dialogs go through the framework hosts, which
// tests answer.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QComboBox>
#include <QMainWindow>
#include <QPointer>

#include "base/ResultInfo.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/framework/FormBase.h"
#include "ui/framework/QtMessageBoxHost.h"
#include "ui/main/RecentFiles.h"

class QAction;
class QLabel;
class QPushButton;

namespace Ui {
class MainWindow;
}

namespace zul {
class Application;
class QtWindowSink;
struct Message;
}  // namespace zul

namespace zul::ui {

struct OutputPictureInputs;

// The child windows the main window opens, each at most once, in the order of their closed
// messages (1025 + index).
enum class ChildWindow : int32_t {
    kMeasurement = 0,         // 1010 / 32781, closed message 1025
    kLightWave = 1,           // 1011 / 32788, 1026
    kBuffering = 2,           // 1012 / 32782, 1027
    kSoftwareSettings = 3,    // 32786, 1028
    kControllerSettings = 4,  // 32785, 1029
    kConfigList = 5,          // 1770 / 32784, 1030
    kVersionInfo = 6,         // 32787, 1031
};
inline constexpr int32_t kChildWindowCount = 7;

class MainWindow;

// Creates a child window (a top-level form whose parent form is the main window); null when it
// cannot be created (ZUL_ERR_DIALOG_CREATE is shown then). The window is deleted when it
// closes. Windows of later parts of the program register their factory before the main window
// is built; a command without a factory is unavailable.
using ChildWindowFactory = std::function<QWidget*(MainWindow& main)>;
void RegisterChildWindow(ChildWindow kind, ChildWindowFactory factory);
// Runs the image capture form modally (button 1461); unavailable while none is registered.
void RegisterImageCapture(std::function<void(MainWindow& main)> run);

class MainWindow : public QMainWindow, public FormBase {
    Q_OBJECT

public:
    // The sink is the one the Application posts through; the window attaches to it.
    MainWindow(Application& app, QtWindowSink& sink, QWidget* parent = nullptr);
    ~MainWindow() override;

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
    void OpenSettingsFile();
    bool OpenSettingsFilePath(const QString& path);  // open without the dialog (recent, drop)
    void SaveSettingsFileAs();
    void ChangeFileAssociation(bool registerIt);
    void ToggleExpandedView();
    void OpenChild(ChildWindow kind);
    void RunImageCapture();

    // Answer of the save question (kAnswerYes/No/Cancel); a failed save counts as Cancel.
    int32_t AskToSave();

    // --- State for tests and pictures ---
    bool IsExpanded() const { return expanded_; }
    int32_t LineState() const { return lineState_; }
    QWidget* Child(ChildWindow kind) const;
    const RecentFiles& Recent() const { return recent_; }
    // The picture control of 1103, 1105 or 1107 and the file it shows (empty when hidden).
    QString PictureFile(int32_t ctrlId) const;
    // The association tool (default: qvm8-assoc beside the executable, else on PATH).
    void SetAssociationTool(const QString& program) { assocTool_ = program; }
    // The transfer progress form of the running transfer (null otherwise).
    QWidget* ProgressForm() const { return progressForm_; }

    // Re-reads every shown value from the store (after a read-all or an open).
    void RefreshFromStore();
    void DrawPictures();
    // Fills the bank selector again (the bank aliases changed).
    void RefreshBankAliases() { FillBankSelector(); }

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
    struct ChildSlot {
        QPushButton* button = nullptr;
        QAction* action = nullptr;
        QPointer<QWidget> window;
    };

    void CreatePages();
    // The tab control takes the height of the page it shows; the window follows.
    void FitTabsToPage();
    // The settings pages mark the values that differ from the file (after a save or a load).
    void RefreshChangeMarks();
    void ConnectCommands();
    void OnWindowMessage(Message& message);
    void OnLinkLost(int32_t code);
    void OnChildClosed(int32_t index);
    void SetConnectionState(int32_t state);
    void ShowConnectionState();
    void ShowControllerInfo();
    void FillBankSelector();
    void OnBankSelected(int index);
    // An assistive tool chooses a bank by selecting an entry of the selector's list (table
    // selection or the entry's toggle action) while the list is closed; the selector follows.
    void FollowAccessibleBankSelection();
    // The closed list's selection is the bank in force, so that a tool reads and toggles it.
    void ShowBankInSelectorList();
    void UpdateTitle();
    void UpdateChildCommands();
    void RunTransfer(bool read);
    int32_t RunMemoryCommandFlow(int32_t command);
    void ReportFailure(const ResultInfo& result);
    bool SaveCurrentFile();
    bool LoadSettingsFile(const std::string& path);
    bool SaveSettingsFile(const std::string& path);
    bool ReserveChosenFile(const std::string& path, bool* held);
    void ReportChosenFileFailure(int32_t code, const std::string& path, const ResultInfo& cause,
                                 bool held);
    void RememberFolder(const std::string& path);
    FileDialogRequest SettingsFileDialog(FileDialogRequest::Mode mode) const;
    void UpdateRecentMenu();
    void ShowPicture(int slot, QLabel* label, const QString& folder,
                     const std::optional<std::string>& name, const QString& description);
    // The text of the entry of ctrlId's choice list whose value is value (empty when none).
    QString ChoiceText(int32_t ctrlId, int32_t value) const;
    QString PictureDescription(const OutputPictureInputs& out, bool withHead) const;
    // True when the control's record (if any) does not disable / hide it.
    bool RecordAllows(int32_t ctrlId) const;
    bool RecordShows(int32_t ctrlId) const;
    QWidget* PictureCaption(int slot) const;
    void SetExpanded(bool expanded);
    void DestroyChildren();

    Application& app_;
    QtWindowSink& sink_;
    std::unique_ptr<Ui::MainWindow> ui_;
    QtMessageBoxHost boxes_;
    QtFileDialogHost files_;
    int32_t lineState_ = 0;
    int32_t currentBank_ = 0;
    bool expanded_ = true;
    bool exitConfirmed_ = false;
    int compactHeightDelta_ = 0;
    std::array<ChildSlot, kChildWindowCount> children_{};
    QPointer<QWidget> progressForm_;
    std::array<QString, 3> pictureFiles_;
    RecentFiles recent_;
    QList<QAction*> recentActions_;
    QString assocTool_;
    bool loadingBank_ = false;
    bool showingBankInList_ = false;
    bool linkLostShown_ = false;
    bool reapplyPending_ = false;
};

}  // namespace zul::ui

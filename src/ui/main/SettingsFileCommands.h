// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's settings-file commands: open (dialog, recent entry or dropped file), save
// as, the question whether to save the edits first, the reservation of a chosen file for this
// instance, and the list of recently used files in the File menu.
//
// A command disables every window while it runs and takes the control values into the store
// first. Reading goes into a private copy, so a failed or partial read leaves the settings in
// force untouched.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QList>
#include <QObject>
#include <QString>

#include "base/ResultInfo.h"
#include "ui/framework/FileDialogHost.h"
#include "ui/main/RecentFiles.h"

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QMenu;

namespace zul {

class Application;
class SettingsStore;

}  // namespace zul

namespace zul::ui {
class FormBase;
class QtMessageBoxHost;
}  // namespace zul::ui

namespace zul::ui {

// What the commands need of the window they serve.
struct SettingsFileHost {
    FormBase* form = nullptr;   // takes the control values before a command
    QMenu* fileMenu = nullptr;  // the recent entries go before recentAnchor
    QAction* recentAnchor = nullptr;
    std::function<void()> fileOpened;   // every form shows the store's values again
    std::function<void()> fileRenamed;  // the store's file changed (the title follows)
};

class SettingsFileCommands {
public:
    SettingsFileCommands(Application& app, QtMessageBoxHost& boxes, QtFileDialogHost& files,
                         SettingsFileHost host);
    SettingsFileCommands(const SettingsFileCommands&) = delete;
    SettingsFileCommands& operator=(const SettingsFileCommands&) = delete;
    ~SettingsFileCommands();

    // The open dialog, then the chosen file.
    void Open();
    // Opens path without the dialog (a recent entry, a dropped file); true when it was read.
    bool OpenPath(const QString& path);
    // The save dialog, then the chosen file; no save question.
    void SaveAs();
    // Answer of the save question (kAnswerYes/No/Cancel); a failed save counts as Cancel.
    // Nothing is asked for the default settings file or unchanged settings.
    int32_t AskToSave();

    // A drag that carries one local settings file is accepted; its drop opens the file once
    // the drop has ended.
    void DragEnter(QDragEnterEvent* event) const;
    void Drop(QDropEvent* event);

    // The window title: the caption of the window's record, with the file name and folder
    // when the store's file is not the default settings file.
    QString Title() const;

    const RecentFiles& Recent() const { return recent_; }
    // Lists the recent files in the File menu again.
    void UpdateRecentMenu();

private:
    bool SaveCurrentFile();
    bool Load(const std::string& path);
    // Reads path into a copy of the store; the result says why a read gives no settings.
    void ReadCopy(const std::string& path, SettingsStore& copy, ResultInfo* loaded);
    bool Save(const std::string& path);
    bool ReserveChosenFile(const std::string& path, bool* held);
    void ReportChosenFileFailure(int32_t code, const std::string& path, const ResultInfo& cause,
                                 bool held);
    // The chosen file is now the store's: its reservation becomes the instance's, the baseline
    // and the change marks follow, and the recent list names it first.
    void Adopt(const std::string& path, bool held);
    void RememberFolder(const std::string& path);
    FileDialogRequest Dialog(FileDialogRequest::Mode mode) const;
    void ReportFailure(const ResultInfo& result);

    Application& app_;
    QtMessageBoxHost& boxes_;
    QtFileDialogHost& files_;
    SettingsFileHost host_;
    RecentFiles recent_;
    QList<QAction*> recentActions_;
    // The receiver of the recent entries and of a queued drop: they end with the commands.
    QObject context_;
};

}  // namespace zul::ui
